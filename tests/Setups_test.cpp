// The set-ups no part draws, so the picture suite cannot see them: the grass
// cells from the random numbers and the map, and the corners of the patch
// model. Models without the meshes a set-up reads are in the file matrix.
#include <gtest/gtest.h>

#include <functional>

#include "AmbSystem.h"
#include "tvCommon.h"
#include "tvEffect5.h"
#include "tvEffect7.h"

namespace {

// A 50 x 50 map whose pixel at column x, row y from the top has red x,
// green y and blue 7 (stored bottom row first).
TPixelBuffer CoordinateMap() {
  TPixelBuffer map;
  map.Width = map.Height = 50;
  map.Pixels.resize(50 * 50 * 3);
  for (uint32_t row = 0; row < 50; ++row) {
    for (uint32_t x = 0; x < 50; ++x) {
      uint8_t* p = &map.Pixels[(row * 50 + x) * 3];
      p[0] = uint8_t(x);
      p[1] = uint8_t(49 - row);
      p[2] = 7;
    }
  }
  return map;
}

// The error a call throws, or "" when it throws none.
std::string FileErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EFileError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

// Cell [i][j] reads the map at column i / 2, row j / 2 with halves rounded
// to even, and takes thirteen draws of the program's generator.
TEST(GrassCells, MapHeightsWithHalfWayPixelsRoundedToEvenAndThirteenDrawsACell) {
  SetRandomSeed(4711);
  FillGrassCells(CoordinateMap());
  const double next = Random();
  SetRandomSeed(4711);
  for (int draw = 0; draw < 13 * 100 * 100; ++draw) Random();
  EXPECT_EQ(next, Random());
  const std::array<std::array<int, 4>, 5> cells = {
      {{0, 0, 0, 0}, {0, 1, 0, 0}, {0, 3, 0, 2}, {3, 5, 2, 2}, {5, 3, 2, 2}}};
  for (const auto& [i, j, x, y] : cells) {
    const uint32_t colour = uint32_t(x) | uint32_t(y) << 8 | 7u << 16;
    EXPECT_FLOAT_EQ(GrassCells[i][j].Height, float(colour / 10000000.0 * 20)) << "cell " << i << ", " << j;
  }
}

TEST(GrassCells, MapReadsOutsideTheImageGiveZero) {
  const TPixelBuffer map = CoordinateMap();
  EXPECT_EQ(MapPixel(map, 49, 0), 49u | 7u << 16);
  EXPECT_EQ(MapPixel(map, 0, 49), 49u << 8 | 7u << 16);
  EXPECT_EQ(MapPixel(map, 50, 3), 0u);
  EXPECT_EQ(MapPixel(map, 3, 50), 0u);
  EXPECT_EQ(MapPixel(map, -1, 0), 0u);
  TPixelBuffer shortMap = map;
  shortMap.Pixels.resize(10);
  EXPECT_EQ(MapPixel(shortMap, 40, 40), 0u) << "pixels missing from the buffer read as zero";
}

TEST(NurbCorners, ReadFromMeshThreeAndRefusedWhenTheModelIsTooSmall) {
  TAmbBrush brush;
  for (int i = 0; i < 3; ++i) brush.Meshes.push_back(std::make_unique<TMeshDataNM>());
  EXPECT_NE(FileErrorOf([&] { ReadNurbCorners(brush, "nurb.3ds"); }).find("nurb.3ds"), std::string::npos);
  brush.Meshes.push_back(std::make_unique<TMeshDataNM>());
  brush.Meshes[3]->SetSize(1, 0);
  EXPECT_NE(FileErrorOf([&] { ReadNurbCorners(brush, "nurb.3ds"); }), "") << "one vertex";
  brush.Meshes[3]->SetSize(2, 0);
  brush.Meshes[3]->Vertices = {MakeVector(1, 2, 3), MakeVector(4, 5, 6)};
  ReadNurbCorners(brush, "nurb.3ds");
  EXPECT_EQ(NurbCorners[1].z, 3);
  EXPECT_EQ(NurbCorners[2].x, 4);
  EXPECT_EQ(NurbCorners[3].y, 5);
}
