// The one OpenGL light the program drives: which light, its position and its
// colours, sent as records.
//
// State: CurrentLight and the last position and colours sent.
#pragma once

#include <cstdint>

#include "Amb2Classes.h"

extern uint32_t CurrentLight;

void SetLightNumber(uint32_t light);
void SetLightPosition(const TVector& position);
void SetLightColors(const TColorRGBA& ambient, const TColorRGBA& diffuse);
void InitLights();
