// The scenes' per-frame and set-up logic at the edges the show's pictures do
// not reach, without a window: the fountain's particle step and respawn, the
// jelly springs, the grass cells and the patch model's corners.
#include <gtest/gtest.h>

#include <cmath>

#include "AmbSystem.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvEffect1.h"
#include "tvEffect5.h"
#include "tvEffect7.h"
#include "tvPulsar.h"
#include "tvVectorSlime.h"

namespace {

TParticle& Place(const TVector& position, const TVector& velocity, float age) {
  PartTime = 5000;
  return Particles[ParticleMax] = TParticle{velocity, position, MakeColor(1.0f, 0.5f, 0.25f, 0.7f), age};
}

struct TStepCase {
  const char* Name;
  float Step, Age;  // the frame step and the sprite's age before the call
  TVector Position, Velocity;
  float VelocityY, PositionY, AgeAfter, Red;  // after one call; red starts at 1
};

TEST(ParticleStep, GravityBounceAndFadeActOncePerCallMotionAndAgeByTheStep) {
  const float fade = 1 / 1.01f;
  const TStepCase cases[] = {
      {"flying", 2, 10, {1, 2, 3}, {1, 0.5f, -0.25f}, 0.498f, 2 + 0.498f * 2, 12, fade},
      {"no elapsed time: pulled and faded, not moved", 0, 10, {1, 2, 3}, {1, 0.5f, 0}, 0.498f, 2, 10, fade},
      {"waiting", 1, -4000, {5, 6, 7}, {0, 0, 0}, 0, 6, -3999, 1},
      {"an age of 0 is not yet flying", 1, 0, {5, 6, 7}, {0, 0, 0}, 0, 6, 1, 1},
      {"below the floor", 1, 100, {0, -130, 0}, {0, -1, 0}, 1.002f / 1.5f, -130 + 1.002f / 1.5f, 101, fade},
      {"still below, rising", 1, 100, {0, -129, 0}, {0, 0.5f, 0}, -0.498f / 1.5f, -129 - 0.498f / 1.5f, 101, fade},
      {"exactly on the floor", 1, 100, {0, -125, 0}, {0, -1, 0}, -1.002f, -126.002f, 101, fade},
      {"an age of 3000 has not passed the span", 1, 2999, {40, -50, 60}, {0, 0, 0}, -0.002f, -50.002f, 3000, fade},
  };
  for (const TStepCase& c : cases) {
    TParticle& p = Place(c.Position, c.Velocity, c.Age);
    FrameStep = c.Step;
    UpdateParticle(ParticleMax);
    EXPECT_FLOAT_EQ(p.Velocity.y, c.VelocityY) << c.Name;
    EXPECT_FLOAT_EQ(p.Position.y, c.PositionY) << c.Name;
    EXPECT_FLOAT_EQ(p.Position.x, c.Position.x + c.Velocity.x * c.Step) << c.Name;
    EXPECT_FLOAT_EQ(p.Age, c.AgeAfter) << c.Name;
    EXPECT_FLOAT_EQ(p.Color.r, c.Red) << c.Name;
    EXPECT_FLOAT_EQ(p.Color.b, 0.25f * c.Red) << c.Name;
    EXPECT_EQ(p.Color.a, 0.7f) << c.Name;
  }
}

// Six draws in order: x, y and z each from the first of a pair minus the
// second, spread by the beat; after 30 s straight up instead.
TEST(ParticleStep, OldSpriteRespawnsAtTheOriginWithTheBeatsSpread) {
  for (const uint32_t partTime : {1250u, 30000u}) {
    TParticle& p = Place(MakeVector(40, -50, 60), MakeVector(1, 1, 1), 3000);
    FrameStep = 1;
    PartTime = partTime;
    EmitColor = MakeColor(0.1f, 0.2f, 0.3f, 0.4f);
    SetRandomSeed(1234);
    double r[6];
    for (double& v : r) v = Random();
    SetRandomSeed(1234);
    UpdateParticle(ParticleMax);
    const double k = partTime < 30000 ? Pulse(60, 0, 30000, partTime) : 0;
    EXPECT_EQ(p.Age, 4.0f);
    EXPECT_TRUE(p.Position.x == 0 && p.Position.y == 0 && p.Position.z == 0) << partTime;
    EXPECT_FLOAT_EQ(p.Velocity.x, static_cast<float>((r[0] - r[1]) * k * 10.5)) << partTime;
    EXPECT_FLOAT_EQ(p.Velocity.y, static_cast<float>(std::fabs((r[2] - r[3]) * k * 1.5) + 0.1)) << partTime;
    EXPECT_FLOAT_EQ(p.Velocity.z, static_cast<float>((r[4] - r[5]) * k * 1.5)) << partTime;
    EXPECT_TRUE(p.Color.g == 0.2f && p.Color.a == 0.4f) << "the emitter's colour";
  }
  EXPECT_NE(Pulse(60, 0, 30000, 1250), 0.0);
}

struct TSpringCase {
  const char* Name;
  float Step, Radius, Factor;
  TVector Start, Target, After;
};

TEST(SpringStep, EasesByTheStepOverRadiusAndFactor) {
  const TSpringCase cases[] = {
      {"half way", 1, 2, 1, {0, 0, 0}, {4, -2, 10}, {2, -1, 5}},
      {"near the centre the rate passes 1 and overshoots", 1, 0.25f, 2, {1, 1, 1}, {3, 1, 0}, {5, 1, -1}},
      {"no elapsed time", 0, 2, 1, {2, -1, 5}, {100, 100, 100}, {2, -1, 5}},
      {"at the centre", 1, 0, 3, {1, 2, 3}, {5, 2, -7}, {1, 2, 3}},
      {"at the centre without elapsed time", 0, 0, 3, {1, 2, 3}, {5, 2, -7}, {1, 2, 3}},
  };
  for (const TSpringCase& c : cases) {
    FrameStep = c.Step;
    TSpringVec s{c.Start.x, c.Start.y, c.Start.z, c.Radius};
    SpringStep(s, c.Target, c.Factor);
    EXPECT_FLOAT_EQ(s.X, c.After.x) << c.Name;
    EXPECT_FLOAT_EQ(s.Y, c.After.y) << c.Name;
    EXPECT_FLOAT_EQ(s.Z, c.After.z) << c.Name;
  }
}

// Asked for more vertices than the mesh holds, the easing stops at its end.
TEST(EasedMesh, CountBeyondTheMeshEasesOnlyWhatExists) {
  TAmbBrush source;
  source.Meshes.push_back(std::make_unique<TMeshDataNM>());
  source.Meshes[0]->AddVertex(MakeVector(1, 0, 0), MakeTexCoord(0, 0));
  source.MeshCount = 1;
  TMeshDataN working;
  working.SetSize(1, 0);
  std::vector<TSpringVec> rot{{0, 0, 0, 1}}, scale = rot, move = rot;
  ScaleTarget = MakeVector(2, 0, 0);
  FrameStep = 1;
  EaseMeshVertices(source, working, 100, rot, scale, move, 1.0f);
  EXPECT_FLOAT_EQ(scale[0].X, 2.0f);
  EXPECT_EQ(working.Vertices.size(), 1u);
  source.Meshes.clear();
  source.MeshCount = 0;
  ScaleTarget = MakeVector(5, 0, 0);
  EaseMeshVertices(source, working, 1, rot, scale, move, 1.0f);
  EXPECT_FLOAT_EQ(scale[0].X, 2.0f) << "without a mesh nothing is eased";
}

// A 50 x 50 map whose pixel at column x, row y from the top has red x,
// green y and blue 7 (stored bottom row first).
TPixelBuffer CoordinateMap() {
  TPixelBuffer map;
  map.Width = map.Height = 50;
  for (uint32_t i = 0; i < 50 * 50; ++i)
    map.Pixels.insert(map.Pixels.end(), {uint8_t(i % 50), uint8_t(49 - i / 50), 7});
  return map;
}

// Cell [i][j] reads the map at column i / 2, row j / 2 with halves rounded
// to even, and takes thirteen draws of the program's generator.
TEST(GrassCells, MapHeightsRoundedToEvenThirteenDrawsACellAndZeroOutsideTheMap) {
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
  const TPixelBuffer map = CoordinateMap();  // reads outside the image give zero
  EXPECT_EQ(MapPixel(map, 49, 0), 49u | 7u << 16);
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
  EXPECT_NE(ErrorOf<EFileError>([&] { ReadNurbCorners(brush, "nurb.3ds"); }).find("nurb.3ds"), std::string::npos);
  brush.Meshes.push_back(std::make_unique<TMeshDataNM>());
  brush.Meshes[3]->SetSize(1, 0);
  EXPECT_NE(ErrorOf<EFileError>([&] { ReadNurbCorners(brush, "nurb.3ds"); }), "") << "one vertex";
  brush.Meshes[3]->SetSize(2, 0);
  brush.Meshes[3]->Vertices = {MakeVector(1, 2, 3), MakeVector(4, 5, 6)};
  ReadNurbCorners(brush, "nurb.3ds");
  EXPECT_EQ(NurbCorners[1].z, 3);
  EXPECT_EQ(NurbCorners[2].x, 4);
  EXPECT_EQ(NurbCorners[3].y, 5);
}

}  // namespace
