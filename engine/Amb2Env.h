// Render-to-texture by copying a square corner of the back buffer, fog, and
// the environment brush class.
//
// State: the fog colour (initially (0.5, 0.5, 0.5, 1)).
#pragma once

#include <cstdint>

#include "Amb2Classes.h"

uint32_t CreateEmptyTexture(int size);
void SetTextureViewport(int size);
void CopyScreenToTexture(uint32_t texture, int size);
void CopyScreenToTextureLuminance(uint32_t texture, int size);
void SetupFog(const TColorRGBA& color, uint8_t mode, float density, float start, float end);

class TAmbEnv : public TAmbBrush {};
