// The window and its context under SDL's offscreen driver (which draws into
// a single-buffered surface, so double buffering shows only on a display): creation with the
// default GL state, the projection, presenting through the frame sink,
// teardown, and the message of a window that cannot be made.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "AmbSystem.h"
#include "Ambrel2.h"
#include "SpineSupport.h"

namespace {

using namespace spine;

std::array<GLint, 4> Viewport() {
  std::array<GLint, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

std::array<float, 16> Projection() {
  std::array<float, 16> m{};
  glGetFloatv(GL_PROJECTION_MATRIX, m.data());
  return m;
}

void ExpectPerspective(const std::array<float, 16>& m, double aspect, double farPlane) {
  const double f = 1.0 / std::tan(45.0 / 2.0 * M_PI / 180.0);
  EXPECT_NEAR(m[0], f / aspect, 1e-5 * f / aspect);
  EXPECT_NEAR(m[5], f, 1e-5);
  EXPECT_NEAR(m[10], (farPlane + 1.0) / (1.0 - farPlane), 1e-5);
  EXPECT_NEAR(m[14], 2.0 * farPlane / (1.0 - farPlane), 1e-4);
  EXPECT_EQ(m[11], -1.0f);
}

class Window : public ::testing::Test {
 protected:
  void TearDown() override {
    if (window.Window) KillGLWindow(window);
  }
  TGLWindow window;
  TMessageLog messages;
};

TEST_F(Window, CreationGivesACurrentContextWithDepthAndTheDefaultState) {
  window = MakeGLWindow(800, 600, 32, false, "Tavix");
  ASSERT_TRUE(HasCurrentGLContext());
  EXPECT_EQ(CurrentWindow().Window, window.Window);
  EXPECT_EQ(window.Width, 800);
  EXPECT_EQ(window.Bits, 32);
  EXPECT_STREQ(window.Title, "Tavix");
  GLint depthBits = 0, stencilBits = -1;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  EXPECT_GE(depthBits, 24);
  EXPECT_EQ(stencilBits, 0);

  std::array<float, 4> clear{};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
  EXPECT_EQ(clear, (std::array<float, 4>{0.2f, 0.2f, 0.4f, 0.0f}));
  GLint value = 0;
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
  EXPECT_EQ(value, GL_NICEST);
  glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &value);
  EXPECT_EQ(value, GL_SPHERE_MAP);
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &value);
  EXPECT_EQ(value, GL_SPHERE_MAP);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  for (GLenum off : {GL_LIGHTING, GL_BLEND, GL_CULL_FACE, GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
    EXPECT_FALSE(glIsEnabled(off)) << off;
  EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Window, ProjectionFollowsTheSizeAndFarPlane) {
  window = MakeGLWindow(800, 600, 32, false, "Tavix");
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
  ExpectPerspective(Projection(), 800.0 / 600.0, 100000.0);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);

  FarPlane = 4000.0f;
  ResizeGLScene(320, 0);  // a minimised window: height taken as 1
  FarPlane = 100000.0f;
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 320, 1}));
  ExpectPerspective(Projection(), 320.0, 4000.0);
}

TEST_F(Window, PumpHandsTheFinishedFrameToTheSinkThenPresents) {
  window = MakeGLWindow(64, 48, 32, false, "Tavix");
  int presented = 0;
  std::array<uint8_t, 4> pixel{};
  SetFrameSink([&](const TGLWindow& frame) {
    EXPECT_EQ(frame.Window, window.Window);
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    ++presented;
  });
  glClearColor(1, 0, 0, 1);
  int calls = 0;
  while (presented == 0 && calls < 100) {
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_FALSE(PumpMessagesAndSwap(window));
    ++calls;
  }
  SetFrameSink({});
  EXPECT_EQ(presented, 1);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0);
}

TEST_F(Window, TwoSidedSwitchesCulling) {
  window = MakeGLWindow(64, 48, 32, false, "Tavix");
  SetTwoSided(false);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  SetTwoSided(true);
  SetTwoSided(true);
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(Window, FullscreenWithoutADisplayRunsInTheWindowSilently) {
  window = MakeGLWindow(800, 600, 32, true, "Tavix");
  EXPECT_TRUE(HasCurrentGLContext());
  EXPECT_TRUE(messages.Shown.empty());
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
}

TEST_F(Window, TeardownReleasesTheContextAndAllowsANewWindow) {
  window = MakeGLWindow(64, 48, 32, false, "Tavix");
  KillGLWindow(window);
  window = TGLWindow{};
  EXPECT_FALSE(HasCurrentGLContext());
  EXPECT_EQ(CurrentWindow().Window, nullptr);
  window = MakeGLWindow(32, 32, 32, false, "again");
  EXPECT_TRUE(HasCurrentGLContext());
  EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Window, NoWindowSystemIsReportedAndStopsTheProgram) {
  const std::string driver = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "";
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  EXPECT_THROW(MakeGLWindow(64, 48, 32, false, "Tavix"), EProgramStop);
  setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
  ASSERT_EQ(messages.Shown.size(), 1u);
  EXPECT_EQ(messages.Shown[0].Caption, "Error");
  EXPECT_EQ(messages.Shown[0].Text, "Failed to register the window class!");
  EXPECT_FALSE(HasCurrentGLContext());
}

}  // namespace
