// The jelly springs without a window, at the edges the ball and the slime
// in the show's pictures do not reach: a rate past 1, no elapsed time, a
// spring at the centre, a vertex count beyond the mesh.
#include <gtest/gtest.h>

#include "tvCommon.h"
#include "tvVectorSlime.h"

namespace {

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

}  // namespace
