// The beat pulse values and the shake translation read back from GL.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "Ambrel2.h"
#include "tvCommon.h"
#include "tvPulsar.h"

namespace {

TEST(Pulse, SampleValuesAcrossTheWindow) {
  EXPECT_NEAR(Pulse(10, 0, 20000, 1000), 0.2648f, 1e-4f);
  EXPECT_NEAR(Pulse(10, 0, 20000, 10000), 0.0f, 1e-6f);
  EXPECT_NEAR(Pulse(3, 0, 1, 0.2f), 0.2731f, 1e-4f);
  EXPECT_NEAR(Pulse(3, 1000, 1500, 1250), -0.0906f, 1e-4f);
}

TEST(Pulse, ZeroAtTheEdgesOutsideAndForEmptyWindows) {
  EXPECT_EQ(Pulse(10, 0, 20000, 0), 0.0f);
  EXPECT_EQ(Pulse(10, 0, 20000, 20000), 0.0f);
  EXPECT_EQ(Pulse(10, 0, 20000, 25000), 0.0f);
  EXPECT_EQ(Pulse(10, 0, 20000, -1), 0.0f);
  EXPECT_EQ(Pulse(4, 500, 500, 500), 0.0f);
  EXPECT_EQ(Pulse(4, 500, 500, 501), 0.0f);
  EXPECT_EQ(Pulse(4, 0, 100, std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

class Shake : public ::testing::Test {
 protected:
  void SetUp() override {
    window = MakeGLWindow(64, 64, 32, false, "shake");
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  void TearDown() override {
    ShakeStart = 0;
    PartTime = 0;
    KillGLWindow(window);
  }
  // The translation of the current modelview matrix.
  std::array<float, 3> Translation() {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return {m[12], m[13], m[14]};
  }
  TGLWindow window;
};

TEST_F(Shake, NoShakeLeavesTheMatrixAlone) {
  ShakeStart = 0;
  PartTime = 1250;
  ApplyShake();
  EXPECT_EQ(Translation(), (std::array<float, 3>{0, 0, 0}));
}

TEST_F(Shake, InsideAndAfterTheHalfSecond) {
  ShakeStart = 1000;
  PartTime = 1250;
  ApplyShake();
  const auto inside = Translation();
  EXPECT_NEAR(inside[0], -47.25f, 0.01f);
  EXPECT_EQ(inside[0], inside[1]);
  EXPECT_EQ(inside[1], inside[2]);
  glLoadIdentity();
  PartTime = 2000;
  ApplyShake();
  EXPECT_EQ(Translation(), (std::array<float, 3>{-40, -40, -40}));
}

}  // namespace
