// The "Vegetables" set-up: the grass model, the grass cells read from a
// bitmap, and the landscape grid. Nothing draws them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "Amb2Classes.h"
#include "Amb2Landscape.h"
#include "Amb2Textures.h"

struct TGrassCell {
  float Size = 0;        // 1
  float Phase = 0;       // 2
  float Height = 0;      // 3: map colour as 0x00BBGGRR / 10000000 * 20
  uint32_t Unused4 = 0;  // 4
  uint32_t Unused5 = 0;  // 5
  TColorRGBA Color;      // 6..9
  float Sway = 0;        // 10
  TVector Offset;        // 11..13
  float Delay = 0;       // 14
};
static_assert(sizeof(TGrassCell) == 56);

extern int32_t GrassGridSize;
extern float GrassJitter;
extern std::unique_ptr<TAmbBrush> GrassBrush;
extern std::array<std::array<TGrassCell, 100>, 100> GrassCells;
extern std::unique_ptr<TAmbLandscape> GrassField;
extern TPixelBuffer GrassMap;  // "tavixm.bmp"

// Decodes the bitmap's bytes; throws EFileError naming the file when they
// are not a bitmap.
TPixelBuffer DecodeGrassMap(const uint8_t* data, size_t size, const std::string& fileName);
// The colour at column x, row y counted from the top, as 0x00BBGGRR; 0 for
// a point outside the image.
uint32_t MapPixel(const TPixelBuffer& map, int64_t x, int64_t y);
// Every cell of GrassCells from the program's random numbers and the map.
void FillGrassCells(const TPixelBuffer& map);

void SetupVegetables();
