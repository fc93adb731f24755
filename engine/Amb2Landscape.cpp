// The landscape grid: rows of cells that each hold a texture handle, a few
// settings and a texture library. The program only builds one; nothing draws
// it.
//
// State: none outside the objects; each object owns its cells and library.
#include "Amb2Landscape.h"

#include <algorithm>

TAmbLandscape::TAmbLandscape() : TextureLib(std::make_unique<TTextureLib>()) {}

void TAmbLandscape::SetLandscapeParams(int32_t s1, int32_t s2, int32_t s3, int32_t f1, int32_t f2) {
  Setting1 = s1;
  Setting2 = s2;
  Setting3 = s3;
  Factor1 = float(f1);
  Factor2 = float(f2);
}

// Existing cells keep their contents; new ones start zero. A negative size
// means an empty grid.
void TAmbLandscape::SetGridSize(int32_t rowCount, int32_t colCount) {
  rowCount = std::max(rowCount, 0);
  colCount = std::max(colCount, 0);
  Cells.resize(size_t(rowCount));
  for (std::vector<TLandscapeCell>& row : Cells) row.resize(size_t(colCount));
  RowCount = rowCount;
  ColCount = colCount;
}

void TAmbLandscape::FillCells(uint32_t texture) {
  for (int32_t row = 0; row < RowCount; ++row) {
    for (int32_t col = 0; col < ColCount; ++col) Cells[row][col].Texture = texture;
  }
}
