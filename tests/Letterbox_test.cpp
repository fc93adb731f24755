// The letterbox: black bands of fixed height at the bottom and top, and the
// overlay picture added over the whole frame (read back from the frame).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

#include "Ambrel2.h"
#include "tvCommon.h"

namespace {

class Letterbox : public ::testing::Test {
 protected:
  void SetUp() override {
    MainWindow = MakeGLWindow(800, 600, 32, false, "Tavix");
    glClearColor(0.4f, 0.4f, 0.4f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  void TearDown() override {
    TexWsTavix = 0;
    KillGLWindow(MainWindow);
  }
  static uint32_t PlainTexture(uint8_t level) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const std::array<uint8_t, 4 * 4 * 3> texels = [level] {
      std::array<uint8_t, 48> t{};
      t.fill(level);
      return t;
    }();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
  }
  static int Red(int x, int y) {
    std::array<uint8_t, 4> pixel{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    return pixel[0];
  }
};

TEST_F(Letterbox, BlackPictureLeavesTheFrameBetweenTheBands) {
  TexWsTavix = PlainTexture(0);
  DrawLetterbox();
  EXPECT_EQ(Red(400, 0), 0);
  EXPECT_EQ(Red(400, 111), 0);
  EXPECT_NEAR(Red(400, 112), 102, 1);
  EXPECT_NEAR(Red(400, 487), 102, 1);
  EXPECT_EQ(Red(400, 488), 0);
  EXPECT_EQ(Red(400, 599), 0);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST_F(Letterbox, WhitePictureSaturatesEverything) {
  TexWsTavix = PlainTexture(255);
  DrawLetterbox();
  EXPECT_EQ(Red(400, 50), 255);
  EXPECT_EQ(Red(400, 300), 255);
}

TEST_F(Letterbox, MissingPictureStillDrawsTheBands) {
  TexWsTavix = 0xFFFFFFFFu;
  DrawLetterbox();
  EXPECT_EQ(Red(10, 10), 0);
  EXPECT_NEAR(Red(10, 300), 102, 1);
}

}  // namespace
