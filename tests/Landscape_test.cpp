// The landscape grid: sizing keeps existing cells, filling writes the handle
// into exactly the cells of the grid.
#include <gtest/gtest.h>

#include "Amb2Landscape.h"

TEST(Landscape, SettingsAreStoredAndTheLibraryIsCreated) {
  TAmbLandscape landscape;
  EXPECT_NE(landscape.TextureLib, nullptr);
  EXPECT_TRUE(landscape.Cells.empty());
  landscape.SetLandscapeParams(100, 101, 102, 5, 6);
  EXPECT_EQ(landscape.Setting3, 102);
  EXPECT_EQ(landscape.Factor1, 5.0f);
  EXPECT_EQ(landscape.Factor2, 6.0f);
}

TEST(Landscape, FillCellsWritesEveryCellOfTheGridAndNothingElse) {
  TAmbLandscape landscape;
  landscape.SetGridSize(0, 0);
  landscape.FillCells(7);
  EXPECT_TRUE(landscape.Cells.empty());
  landscape.SetGridSize(-1, 4);
  landscape.FillCells(7);
  EXPECT_TRUE(landscape.Cells.empty());

  landscape.SetGridSize(3, 5);
  ASSERT_EQ(landscape.Cells.size(), 3u);
  ASSERT_EQ(landscape.Cells[2].size(), 5u);
  EXPECT_EQ(landscape.RowCount, 3);
  EXPECT_EQ(landscape.ColCount, 5);
  landscape.FillCells(42);
  int filled = 0;
  for (const auto& row : landscape.Cells) {
    for (const TLandscapeCell& cell : row) {
      filled += cell.Texture == 42;
      for (const uint32_t unused : cell.Unused) EXPECT_EQ(unused, 0u);
    }
  }
  EXPECT_EQ(filled, 15);

  landscape.SetGridSize(4, 6);  // old cells keep their handle, new ones start at zero
  EXPECT_EQ(landscape.Cells[2][4].Texture, 42u);
  EXPECT_EQ(landscape.Cells[3][5].Texture, 0u);
  EXPECT_EQ(landscape.Cells[0][5].Texture, 0u);
}
