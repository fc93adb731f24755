// The file-only TGA loader whose textures are filtered trilinearly, and its
// mipmapped upload.
//
// State: none. Leaves the new texture bound.
#pragma once

#include <cstdint>
#include <string>

#include "Amb2Textures.h"

uint32_t CreateMipmappedTexture(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* pixels);
bool LoadTgaMipmapped(const std::string& fileName, uint32_t& texture);
