// The jelly springs without a window: one spring's easing, and a whole
// mesh eased toward the shared targets.
#include <gtest/gtest.h>

#include <cmath>

#include "tvCommon.h"
#include "tvVectorSlime.h"

namespace {

TSpringVec Spring(float x, float y, float z, float radius) {
  TSpringVec s;
  s.X = x;
  s.Y = y;
  s.Z = z;
  s.Radius = radius;
  return s;
}

TEST(SpringStep, EasesByTheStepOverRadiusAndFactor) {
  FrameStep = 1.0f;
  TSpringVec s = Spring(0, 0, 0, 2);
  SpringStep(s, MakeVector(4, -2, 10), 1.0f);
  EXPECT_FLOAT_EQ(s.X, 2.0f);
  EXPECT_FLOAT_EQ(s.Y, -1.0f);
  EXPECT_FLOAT_EQ(s.Z, 5.0f);
  // Near the centre the rate passes 1 and the value overshoots.
  TSpringVec near = Spring(1, 1, 1, 0.25f);
  SpringStep(near, MakeVector(3, 1, 0), 2.0f);
  EXPECT_FLOAT_EQ(near.X, 5.0f);
  EXPECT_FLOAT_EQ(near.Y, 1.0f);
  EXPECT_FLOAT_EQ(near.Z, -1.0f);
  // No elapsed time, no motion.
  FrameStep = 0.0f;
  SpringStep(s, MakeVector(100, 100, 100), 1.0f);
  EXPECT_FLOAT_EQ(s.X, 2.0f);
  EXPECT_FLOAT_EQ(s.Z, 5.0f);
}

TEST(SpringStep, SpringAtTheCentreKeepsItsValue) {
  FrameStep = 1.0f;
  TSpringVec s = Spring(1, 2, 3, 0);
  SpringStep(s, MakeVector(5, 2, -7), 3.0f);
  EXPECT_EQ(s.X, 1.0f);
  EXPECT_EQ(s.Y, 2.0f);
  EXPECT_EQ(s.Z, 3.0f);
  FrameStep = 0.0f;
  SpringStep(s, MakeVector(5, 2, -7), 3.0f);
  EXPECT_EQ(s.X, 1.0f);
  EXPECT_EQ(s.Z, 3.0f);
}

class EasedMesh : public testing::Test {
 protected:
  TAmbBrush Source;
  TMeshDataN Working;
  std::vector<TSpringVec> Rot, Scale, Move;

  void SetUp() override {
    auto mesh = std::make_unique<TMeshDataNM>();
    mesh->AddVertex(MakeVector(1, 0, 0), MakeTexCoord(0, 0));
    mesh->AddVertex(MakeVector(0, 2, 0), MakeTexCoord(1, 0));
    mesh->AddVertex(MakeVector(0, 0, 0), MakeTexCoord(0, 1));
    Source.Meshes.push_back(std::move(mesh));
    Source.MeshCount = 1;
    Working.SetSize(3, 0);
    for (float radius : {1.0f, 2.0f, 0.0f}) {
      Rot.push_back(Spring(0, 0, 0, radius));
      Scale.push_back(Spring(0, 0, 0, radius));
      Move.push_back(Spring(0, 0, 0, radius));
    }
    RotTarget = MakeVector(30, 90, 45);
    ScaleTarget = MakeVector(2, 7, 0);
    MoveTarget = MakeVector(10, 20, 30);
    FrameStep = 1.0f;
  }

  void Ease() { EaseMeshVertices(Source, Working, 3, Rot, Scale, Move, 1.0f); }
};

TEST_F(EasedMesh, VertexIsTurnedScaledByXOnlyAndMoved) {
  Ease();
  // Radius 1: rotation and scale reach their targets, the offset half of its.
  EXPECT_FLOAT_EQ(Rot[0].Y, 90.0f);
  EXPECT_FLOAT_EQ(Scale[0].X, 2.0f);
  EXPECT_FLOAT_EQ(Move[0].Z, 15.0f);
  TVector v = MakeVector(1, 0, 0);
  RotateVector(v, MakeVector(30, 90, 0));
  EXPECT_NEAR(Working.Vertices[0].x, 2 * v.x + 5, 1e-5);
  EXPECT_NEAR(Working.Vertices[0].y, 2 * v.y + 10, 1e-5);
  EXPECT_NEAR(Working.Vertices[0].z, 2 * v.z + 15, 1e-5);
  // Radius 2 lags: half the rotation and scale, a quarter of the offset.
  v = MakeVector(0, 2, 0);
  RotateVector(v, MakeVector(15, 45, 0));
  EXPECT_NEAR(Working.Vertices[1].y, v.y + 5, 1e-5);
  // The centre vertex keeps its springs at rest and stays put.
  EXPECT_EQ(Working.Vertices[2].x, 0.0f);
  EXPECT_EQ(Working.Vertices[2].y, 0.0f);
  EXPECT_EQ(Working.Vertices[2].z, 0.0f);
  // The loaded vertices are never changed.
  EXPECT_EQ(Source.Meshes[0]->Vertices[1].y, 2.0f);
}

TEST_F(EasedMesh, NoElapsedTimeHoldsTheShapeWhileTargetsMove) {
  Ease();
  const std::vector<TVector> before = Working.Vertices;
  FrameStep = 0.0f;
  RotTarget = MakeVector(-50, 10, 0);
  MoveTarget = MakeVector(-100, 0, 0);
  Ease();
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(Working.Vertices[i].x, before[i].x) << i;
    EXPECT_EQ(Working.Vertices[i].y, before[i].y) << i;
  }
}

TEST_F(EasedMesh, CountBeyondTheMeshEasesOnlyWhatExists) {
  EaseMeshVertices(Source, Working, 100, Rot, Scale, Move, 1.0f);
  EXPECT_FLOAT_EQ(Scale[1].X, 1.0f);
  EXPECT_EQ(Working.Vertices.size(), 3u);
  TAmbBrush empty;
  EaseMeshVertices(empty, Working, 3, Rot, Scale, Move, 1.0f);
  EXPECT_FLOAT_EQ(Scale[1].X, 1.0f);
}

}  // namespace
