// The "Vegetables" set-up: the grass model compiled into a display list,
// the 100 x 100 grass cells with random sizes, colours and offsets and a
// height read from "tavixm.bmp", and the 20 x 20 landscape grid. Nothing in
// the show draws or reads them afterwards.
//
// State: GrassBrush, GrassMap, GrassCells, GrassField and the two settings
// GrassGridSize and GrassJitter.
// Leaves behind: one more display list; the random generator advanced by
// thirteen draws per cell.
#include "tvEffect5.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "Amb2_3ds.h"
#include "AmbSystem.h"
#include "tvCommon.h"

int32_t GrassGridSize = 100;
float GrassJitter = 4.0f;
std::unique_ptr<TAmbBrush> GrassBrush;
std::array<std::array<TGrassCell, 100>, 100> GrassCells;
std::unique_ptr<TAmbLandscape> GrassField;
TPixelBuffer GrassMap;

namespace {

void LoadGrassModel() {
  GrassBrush = Load3DSBrush("grass.3ds");
  if (GrassBrush->Meshes.empty()) throw EFileError("grass.3ds holds no mesh; the grass model needs one");
  GrassBrush->Rotate(MakeVector(270, 0, 0));
  GrassBrush->ListID = glGenLists(1);
  glNewList(GrassBrush->ListID, GL_COMPILE);
  GrassBrush->Meshes[0]->Render();
  glEndList();
}

float Draw() { return static_cast<float>(Random()); }

float JitterDraw() {
  const double first = Random();
  const double second = Random();
  return static_cast<float>((first - second) * GrassJitter);
}

// The thirteen draws of one cell, in their fixed order.
TGrassCell MakeGrassCell(uint32_t mapColour) {
  TGrassCell c;
  const double r6 = Random(), r7 = Random(), r8 = Random();
  c.Color =
      MakeColor(static_cast<float>(0.5 * r6), static_cast<float>(0.5 * r7 + 0.5), static_cast<float>(0.5 * r8), 1);
  c.Size = static_cast<float>(0.5 + 2 * Random());
  c.Phase = Draw();
  c.Sway = Draw();
  c.Offset.x = JitterDraw();
  c.Offset.y = JitterDraw();
  c.Offset.z = JitterDraw();
  c.Delay = static_cast<float>(Random() * 1000);
  c.Height = static_cast<float>(static_cast<int32_t>(mapColour) / 10000000.0 * 20);
  return c;
}

void BuildGrassField() {
  GrassField = std::make_unique<TAmbLandscape>();
  GrassField->SetLandscapeParams(100, 100, 100, 5, 5);
  GrassField->SetGridSize(20, 20);
  GrassField->FillCells(TexLiteGrass);
}

}  // namespace

TPixelBuffer DecodeGrassMap(const uint8_t* data, size_t size, const std::string& fileName) {
  TDecodeResult result = DecodeBmp(data, size, fileName, false);
  if (!result.Ok) throw EFileError(fileName + " is not a readable bitmap: " + result.Text);
  return std::move(result.Image);
}

// The decoder keeps the rows bottom-up and tightly packed.
uint32_t MapPixel(const TPixelBuffer& map, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= map.Width || y >= map.Height) return 0;
  const size_t stride = map.Format == TPixelFormat::RGBA ? 4 : 3;
  const size_t offset = ((map.Height - 1 - y) * size_t(map.Width) + x) * stride;
  if (offset + 3 > map.Pixels.size()) return 0;
  const uint8_t* p = &map.Pixels[offset];
  return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
}

void FillGrassCells(const TPixelBuffer& map) {
  const int32_t n = std::min<int32_t>(GrassGridSize, 100);
  const double stepX = double(map.Width) / GrassGridSize;
  const double stepY = double(map.Height) / GrassGridSize;
  for (int32_t j = 0; j < n; ++j) {
    for (int32_t i = 0; i < n; ++i) {
      const auto x = static_cast<int64_t>(std::nearbyint(stepX * j));
      const auto y = static_cast<int64_t>(std::nearbyint(stepY * i));
      GrassCells[j][i] = MakeGrassCell(MapPixel(map, x, y));
    }
  }
}

void SetupVegetables() {
  LoadGrassModel();
  const std::string bytes = ReadWholeFile("tavixm.bmp");
  GrassMap = DecodeGrassMap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "tavixm.bmp");
  FillGrassCells(GrassMap);
  BuildGrassField();
}
