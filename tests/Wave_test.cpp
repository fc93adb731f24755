// The wave landscape: the plane's wave fed by the previous heights, and the
// state and picture parts 4 to 7 leave behind.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "Amb2BasicDraw.h"
#include "Amb2Classes.h"
#include "Show2Support.h"
#include "tvCommon.h"
#include "tvEffect3.h"

namespace {

// A triangle with one vertex on the y axis, one at distance 50 and one
// lifted above the ground.
void MakeTriangle(TMeshDataN& mesh, float axisHeight) {
  mesh.SetSize(3, 1);
  mesh.Vertices = {MakeVector(0, axisHeight, 0), MakeVector(30, 0, 40), MakeVector(30, 5, 40)};
  mesh.Faces = {MakeFace(0, 1, 2)};
}

float Length(const TVector& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

std::vector<TVector> PlaneVertices() { return PlaneBrush->Meshes.at(0)->Vertices; }

// The height each vertex must get from its height before the frame.
void ExpectWave(const std::vector<TVector>& before, float a, double v, double l, double t) {
  const auto& after = PlaneBrush->Meshes.at(0)->Vertices;
  ASSERT_EQ(before.size(), after.size());
  for (size_t i = 0; i < before.size(); i += 7) {
    const double d = Length(before[i]);
    EXPECT_NEAR(after[i].y, a * std::sin((d - t / v) / l), 1e-3) << "vertex " << i;
    EXPECT_EQ(after[i].x, before[i].x);
    EXPECT_EQ(after[i].z, before[i].z);
  }
}

void ExpectEye(const TVector& start, float turn, float y) {
  TVector expected = start;
  RotateVector(expected, MakeVector(0, turn, 0));
  EXPECT_NEAR(Camera.Eye.x, expected.x, 1e-3);
  EXPECT_NEAR(Camera.Eye.y, y, 1e-3);
  EXPECT_NEAR(Camera.Eye.z, expected.z, 1e-3);
}

}  // namespace

TEST(WavePlane, HeightsComeFromTheDistanceIncludingThePreviousHeight) {
  TMeshDataN mesh;
  MakeTriangle(mesh, -2);
  WavePlane(mesh, 3, 50, 10, 1000);
  const float axis = static_cast<float>(3 * std::sin((2.0 - 20.0) / 10));
  EXPECT_NEAR(mesh.Vertices[0].y, axis, 1e-6);
  EXPECT_NEAR(mesh.Vertices[1].y, 3 * std::sin((50.0 - 20.0) / 10), 1e-6);
  EXPECT_NEAR(mesh.Vertices[2].y, 3 * std::sin((std::sqrt(2525.0) - 20.0) / 10), 1e-6);

  // The axis vertex's distance is its own height: it feeds back.
  WavePlane(mesh, 3, 50, 10, 1030);
  EXPECT_NEAR(mesh.Vertices[0].y, 3 * std::sin((std::fabs(axis) - 20.6) / 10), 1e-6);
  EXPECT_NEAR(Length(mesh.Normals[0]), 1, 1e-5) << "the normals follow the new heights";
}

class WaveScene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OpenShowWindow();
    SetupWave();
  }
  void SetUp() override {
    SineValue = 0;
    PartTime = 25000;  // past the pulse: no swing
  }
};

TEST_F(WaveScene, FlightLeavesWhiteClearColourFogLightAndLetterbox) {
  Camera.Eye = MakeVector(0, 300, -300);
  const std::vector<TVector> before = PlaneVertices();
  RenderWaveFlight();
  ExpectWave(before, 3, 50, 10, 25000);
  ExpectEye(MakeVector(0, 300, -300), -60, 300);

  GLfloat clear[4], fogStart, fogEnd, fogColour[4], light[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glGetFloatv(GL_FOG_START, &fogStart);
  glGetFloatv(GL_FOG_END, &fogEnd);
  glGetFloatv(GL_FOG_COLOR, fogColour);
  glGetLightfv(GL_LIGHT0, GL_POSITION, light);
  EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 4) << "white clear colour";
  EXPECT_TRUE(glIsEnabled(GL_FOG)) << "fog stays on for part 7 to switch off";
  EXPECT_EQ(fogStart, 1000);
  EXPECT_EQ(fogEnd, 3000);
  EXPECT_EQ(fogColour[0] + fogColour[1] + fogColour[2], 3);
  EXPECT_FLOAT_EQ(light[1], 800) << "the light rides above the eye";
  EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));

  const TRgb bottom = ReadBackPixel(400, 50), top = ReadBackPixel(400, 560);
  EXPECT_LT(bottom.r + bottom.g + bottom.b, 60) << "bottom band";
  EXPECT_LT(top.r + top.g + top.b, 60) << "top band";
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WaveScene, FlightLooksAtTheOriginWhenTheSineIsZero) {
  Camera.Eye = MakeVector(500, 400, 200);
  RenderWaveFlight();
  GLfloat actual[16], expected[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, actual);
  glPushMatrix();
  glLoadIdentity();
  gluLookAt(Camera.Eye.x, Camera.Eye.y, Camera.Eye.z, 0, 0, 0, 0, 1, 0);
  glRotatef(90, 0, 1, 0);
  glGetFloatv(GL_MODELVIEW_MATRIX, expected);
  glPopMatrix();
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-3) << "element " << i;
}

TEST_F(WaveScene, TopViewTurnsOffFogAndCulling) {
  glEnable(GL_FOG);
  glEnable(GL_CULL_FACE);
  const std::vector<TVector> before = PlaneVertices();
  ClearScreen();
  RenderWaveTop();
  ExpectWave(before, 80, 3.5, 90, 25000);
  ExpectEye(MakeVector(0, 3000, 500), -60, 1300);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE)) << "the plane is seen from both sides";
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WaveScene, TopViewShowsTheWhiteClearColourBesideASmallPlane) {
  Camera.Eye = MakeVector(0, 300, -300);
  RenderWaveFlight();
  auto& vertices = PlaneBrush->Meshes.at(0)->Vertices;
  const std::vector<TVector> full = vertices;
  for (TVector& v : vertices) v = MakeVector(v.x / 8, v.y, v.z / 8);
  ClearScreen();
  RenderWaveTop();
  vertices = full;
  const TRgb side = ReadBackPixel(5, 300), middle = ReadBackPixel(400, 300);
  EXPECT_GT(side.r + side.g + side.b, 3 * 250) << "white beside the plane";
  EXPECT_LT(middle.r + middle.g + middle.b, 3 * 250) << "the plane in the middle";
}
