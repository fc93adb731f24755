// The landscape grid: a rectangle of cells holding a texture handle each,
// with a few settings and a texture library. Built at load time only.
//
// State: none beyond the objects it creates.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Amb2Materials.h"

struct TLandscapeCell {
  uint32_t Texture = 0;
  uint32_t Unused[6] = {};
};

class TAmbLandscape {
 public:
  std::vector<std::vector<TLandscapeCell>> Cells;
  int32_t Setting1 = 0, Setting2 = 0, Setting3 = 0;
  int32_t ColCount = 0, RowCount = 0;
  float Factor1 = 0, Factor2 = 0;
  std::unique_ptr<TTextureLib> TextureLib;

  TAmbLandscape();
  void SetLandscapeParams(int32_t s1, int32_t s2, int32_t s3, int32_t f1, int32_t f2);
  void SetGridSize(int32_t rowCount, int32_t colCount);
  void FillCells(uint32_t texture);
};
