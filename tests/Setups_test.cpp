// The set-ups no part draws: the grass cells from the random numbers and the
// map, the deform meshes, the corners of the patch model, and a start-up
// that stops when one of their models is missing.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "Amb2Materials.h"
#include "AmbSystem.h"
#include "Show2Support.h"
#include "tvCommon.h"
#include "tvEffect3.h"
#include "tvEffect5.h"
#include "tvEffect6.h"
#include "tvEffect7.h"
#include "tvHeadless.h"

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

// Thirteen draws of the generator, in the order one cell takes them.
std::array<double, 13> CellDraws() {
  std::array<double, 13> r{};
  for (double& v : r) v = Random();
  return r;
}

void ExpectCell(const TGrassCell& c, const std::array<double, 13>& r, int x, int y) {
  EXPECT_FLOAT_EQ(c.Color.r, float(0.5 * r[0]));
  EXPECT_FLOAT_EQ(c.Color.g, float(0.5 * r[1] + 0.5));
  EXPECT_FLOAT_EQ(c.Color.b, float(0.5 * r[2]));
  EXPECT_EQ(c.Color.a, 1);
  EXPECT_FLOAT_EQ(c.Size, float(0.5 + 2 * r[3]));
  EXPECT_FLOAT_EQ(c.Phase, float(r[4]));
  EXPECT_FLOAT_EQ(c.Sway, float(r[5]));
  EXPECT_FLOAT_EQ(c.Offset.x, float((r[6] - r[7]) * 4));
  EXPECT_FLOAT_EQ(c.Offset.y, float((r[8] - r[9]) * 4));
  EXPECT_FLOAT_EQ(c.Offset.z, float((r[10] - r[11]) * 4));
  EXPECT_FLOAT_EQ(c.Delay, float(r[12] * 1000));
  const uint32_t colour = uint32_t(x) | uint32_t(y) << 8 | 7u << 16;
  EXPECT_FLOAT_EQ(c.Height, float(colour / 10000000.0 * 20)) << "pixel (" << x << ", " << y << ")";
  EXPECT_EQ(c.Unused4 | c.Unused5, 0u);
}

}  // namespace

TEST(GrassCells, DrawOrderAndMapHeightsWithHalfWayPixelsRoundedToEven) {
  EXPECT_EQ(GrassGridSize, 100);
  EXPECT_EQ(GrassJitter, 4.0f);
  const TPixelBuffer map = CoordinateMap();
  SetRandomSeed(4711);
  FillGrassCells(map);

  SetRandomSeed(4711);
  std::array<std::array<double, 13>, 306> draws{};
  for (auto& cell : draws) cell = CellDraws();
  ExpectCell(GrassCells[0][0], draws[0], 0, 0);
  ExpectCell(GrassCells[0][1], draws[1], 0, 0);    // row 0.5 goes to 0
  ExpectCell(GrassCells[0][3], draws[3], 0, 2);    // row 1.5 goes to 2
  ExpectCell(GrassCells[3][5], draws[305], 2, 2);  // column 1.5 to 2, row 2.5 to 2
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
  const uint8_t notABitmap[] = {'B', 'M', 1, 2};
  EXPECT_THROW(DecodeGrassMap(notABitmap, sizeof notABitmap, "tavixm.bmp"), EFileError);
}

TEST(Deform, ExtentAndWorkingMeshesComeFromTheFirstMesh) {
  EXPECT_EQ(DeformExtent.x + DeformExtent.y + DeformExtent.z, 600) << "before the set-up";
  TMeshDataN ball;
  ball.SetSize(3, 1);
  ball.Vertices = {MakeVector(3, 4, 0), MakeVector(1, 1, 1), MakeVector(2, 2, 2)};
  ball.TexCoords = {MakeTexCoord(0.1f, 0.2f), MakeTexCoord(0.3f, 0.4f), MakeTexCoord(0.5f, 0.6f)};
  ball.Faces = {MakeFace(2, 1, 0)};
  BuildDeformMeshes(ball, "kule.3ds");
  EXPECT_FLOAT_EQ(DeformExtent.x, 6);
  EXPECT_FLOAT_EQ(DeformExtent.y, 6);
  EXPECT_FLOAT_EQ(DeformExtent.z, 6);
  ASSERT_EQ(DeformMeshA->VertexCount, 3);
  ASSERT_EQ(DeformMeshB->FaceCount, 1);
  for (const auto* mesh : {DeformMeshA.get(), DeformMeshB.get()}) {
    EXPECT_EQ(mesh->Faces[0].a, 2u);
    EXPECT_EQ(mesh->TexCoords[2].v, 0.6f);
  }
  EXPECT_EQ(DeformMeshA->Vertices[0].x, 0) << "A keeps zero positions";
  EXPECT_EQ(DeformMeshB->Vertices[0].x, 3);

  TMeshDataN empty;
  EXPECT_THROW(BuildDeformMeshes(empty, "kule.3ds"), EFileError);
}

TEST(NurbCorners, ReadFromMeshThreeAndRefusedWhenTheModelIsTooSmall) {
  TAmbBrush brush;
  for (int i = 0; i < 3; ++i) brush.Meshes.push_back(std::make_unique<TMeshDataNM>());
  try {
    ReadNurbCorners(brush, "nurb.3ds");
    ADD_FAILURE() << "three meshes accepted";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("nurb.3ds"), std::string::npos) << e.what();
  }
  brush.Meshes.push_back(std::make_unique<TMeshDataNM>());
  brush.Meshes[3]->SetSize(1, 0);
  EXPECT_THROW(ReadNurbCorners(brush, "nurb.3ds"), EFileError) << "one vertex";
  brush.Meshes[3]->SetSize(2, 0);
  brush.Meshes[3]->Vertices = {MakeVector(1, 2, 3), MakeVector(4, 5, 6)};
  ReadNurbCorners(brush, "nurb.3ds");
  EXPECT_EQ(NurbCorners[1].z, 3);
  EXPECT_EQ(NurbCorners[2].x, 4);
  EXPECT_EQ(NurbCorners[3].y, 5);
}

TEST(SetupsWithTheDemoData, BuildTheirObjectsFromTheGeneratedFiles) {
  OpenShowWindow();
  TexLiteGrass = LoadTgaTexture("litegrass.tga");
  SetupVegetables();
  SetupDynamicObjects();
  SetupDeform();
  SetupNurbSystem();
  EXPECT_TRUE(glIsList(GrassBrush->ListID)) << "the grass model compiled";
  EXPECT_GT(GrassMap.Width * GrassMap.Height, 0u);
  ASSERT_EQ(GrassField->RowCount, 20);
  ASSERT_EQ(GrassField->ColCount, 20);
  EXPECT_EQ(GrassField->Cells[19][19].Texture, TexLiteGrass);
  EXPECT_EQ(GrassField->Factor2, 5.0f);
  EXPECT_GT(GrassCells[50][50].Height, 0) << "a coloured map gives heights";

  const TVector first = DeformBrush->Meshes.at(0)->Vertices.at(0);
  EXPECT_FLOAT_EQ(DeformExtent.y, 1.2f * VectorDistance(first, TVector{}));
  EXPECT_EQ(DeformMeshB->VertexCount, DeformBrush->Meshes[0]->VertexCount);
  EXPECT_EQ(KuleBrush->Meshes.size(), DeformBrush->Meshes.size());
  EXPECT_EQ(NurbCorners[0].x, NurbCorners[1].x);
  EXPECT_EQ(NurbCorners[2].z, NurbCorners[3].z);
  EXPECT_EQ(NurbCorners[0].x, NurbBrush->Meshes.at(3)->Vertices.at(0).x);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A set-up that reads a model holding no mesh stops with the file's name.
TEST(SetupsWithTheDemoData, RefuseModelsWithoutTheMeshesTheyRead) {
  OpenShowWindow();
  const std::string data = CopyDemoData();
  const char emptyModel[] = {0x4D, 0x4D, 6, 0, 0, 0};
  for (const char* name : {"funplane.3ds", "grass.3ds", "kule.3ds", "nurb.3ds"})
    std::ofstream(data + "/" + name, std::ios::binary).write(emptyModel, sizeof emptyModel);
  std::filesystem::current_path(data);
  const std::pair<const char*, void (*)()> setups[] = {{"funplane.3ds", SetupWave},
                                                       {"grass.3ds", SetupVegetables},
                                                       {"kule.3ds", SetupDeform},
                                                       {"nurb.3ds", SetupNurbSystem}};
  for (const auto& [file, setup] : setups) {
    try {
      setup();
      ADD_FAILURE() << file << " without meshes accepted";
    } catch (const EFileError& e) {
      EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    }
  }
  std::filesystem::current_path(TAVIX_DATA_DIR);
  RemoveDemoData(data);
}

TEST(StartUp, StopsWhenTheBallModelIsMissing) {
  const std::string data = CopyDemoData("kule.3ds");
  THeadlessOptions options;
  options.DataDir = data;
  const THeadlessResult result = RunHeadless(options);
  RemoveDemoData(data);
  EXPECT_NE(result.ExitCode, 0);
  ASSERT_EQ(result.Messages.size(), 1u);
  EXPECT_EQ(result.Messages[0].Text, "Cannot open file kule.3ds");
}
