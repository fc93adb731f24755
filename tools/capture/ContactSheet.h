// The contact sheet of --parts: the part pictures as small tiles in rows of
// four on a dark ground, each with its part number written under it.
//
// State: none; the label font is opened and closed per sheet.
#pragma once

#include <cstdint>
#include <vector>

#include "CaptureImage.h"

constexpr int SheetTileWidth = 200;  // a quarter of the demo's 800 x 600
constexpr int SheetTileHeight = 150;
constexpr int SheetColumns = 4;
constexpr int SheetMargin = 8;
constexpr int SheetLabelHeight = 26;

struct TPartTile {
  int32_t Part = 0;
  TRgbImage Picture;  // SheetTileWidth x SheetTileHeight
};

// Where tile number index goes on the sheet (its top-left corner).
void SheetTilePosition(int index, int& x, int& y);
// Lays the tiles out in the given order with "Part N" under each; throws
// std::runtime_error when no label font can be found or opened.
TRgbImage BuildContactSheet(const std::vector<TPartTile>& tiles);
