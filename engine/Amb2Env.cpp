// Render-to-texture and fog (placeholder bodies).
#include "Amb2Env.h"

uint32_t CreateEmptyTexture(int) { return 0; }
void SetTextureViewport(int) {}
void CopyScreenToTexture(uint32_t, int) {}
void CopyScreenToTextureLuminance(uint32_t, int) {}
void SetupFog(const TColorRGBA&, uint8_t, float, float, float) {}
