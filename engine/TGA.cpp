// File-only TGA loader (placeholder bodies until the loader lands).
#include "TGA.h"

uint32_t CreateMipmappedTexture(uint16_t, uint16_t, TPixelFormat, const uint8_t*) { return 0; }
bool LoadTgaMipmapped(const std::string&, uint32_t&) { return false; }
