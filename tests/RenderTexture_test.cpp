// Render-to-texture by copying the lower-left square of the frame, and the
// fog set-up, read back from a real offscreen context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "Amb2BasicDraw.h"
#include "Amb2Env.h"
#include "Amb2_2D.h"
#include "PicturesSupport.h"

namespace {

void ClearRegion(int x, int y, int w, int h, float r, float g, float b) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, y, w, h);
  glClearColor(r, g, b, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

TRgba8 Texel(const std::vector<uint8_t>& texels, int width, int x, int y) {
  const uint8_t* p = &texels[(size_t(y) * width + x) * 4];
  return TRgba8{p[0], p[1], p[2], p[3]};
}

std::array<GLint, 4> Viewport() {
  std::array<GLint, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

class RenderTexture : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenPicturesWindow();
    glViewport(0, 0, 800, 600);
  }
};

}  // namespace

TEST_F(RenderTexture, AnEmptyTargetStartsTransparentBlack) {
  const uint32_t target = CreateEmptyTexture(512);
  int w = 0, h = 0;
  const std::vector<uint8_t> texels = TextureLevel0(target, w, h);
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 512);
  EXPECT_TRUE(std::all_of(texels.begin(), texels.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(TextureParameter(target, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(TextureParameter(target, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(RenderTexture, TheCopyTakesExactlyTheLowerLeftSquareAndRestoresTheViewport) {
  const uint32_t target = CreateEmptyTexture(512);
  ClearRegion(0, 0, 800, 600, 0, 1, 0);
  ClearRegion(0, 0, 1, 1, 0, 0, 1);
  ClearRegion(511, 511, 1, 1, 1, 0, 0);
  ClearRegion(511, 0, 1, 1, 1, 1, 1);
  SetTextureViewport(512);
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 512, 512}));
  CopyScreenToTexture(target, 512);
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
  int w = 0, h = 0;
  const std::vector<uint8_t> texels = TextureLevel0(target, w, h);
  ASSERT_EQ(w, 512);
  EXPECT_TRUE(Texel(texels, w, 0, 0) == (TRgba8{0, 0, 255, 255}));
  EXPECT_TRUE(Texel(texels, w, 511, 511) == (TRgba8{255, 0, 0, 255}));
  EXPECT_TRUE(Texel(texels, w, 511, 0) == (TRgba8{255, 255, 255, 255}));
  EXPECT_TRUE(Texel(texels, w, 510, 510) == (TRgba8{0, 255, 0, 255}));
  GLint format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  EXPECT_EQ(format, GL_RGB);
}

TEST_F(RenderTexture, TheLuminanceCopyDrawsBackGrey) {
  const uint32_t target = CreateEmptyTexture(512);
  ClearRegion(0, 0, 800, 600, 0.8f, 0.2f, 0.4f);
  CopyScreenToTextureLuminance(target, 512);
  glClearColor(0, 0, 0, 0);
  ClearScreen();
  Begin2D();
  DrawImageBlended(target, 0, 0, 800, 600);
  End2D();
  glDisable(GL_LIGHTING);
  const TRgba8 p = BackBufferPixel(400, 300);
  EXPECT_TRUE(p.r == p.g && p.g == p.b) << p.r << " " << p.g << " " << p.b;
  EXPECT_NEAR(p.r, 204, 3) << "the red channel becomes the luminance";
}

TEST_F(RenderTexture, FogTakesItsValuesAndAnUnknownModeKeepsTheOldOne) {
  glDisable(GL_FOG);
  SetupFog(TColorRGBA{0.1f, 0.1f, 0.6f, 1}, 2, 100, -100, 300);
  SetupFog(TColorRGBA{0, 1, 0, 1}, 3, 0.1f, 1000, 3000);
  GLint mode = 0, hint = 0;
  std::array<float, 4> color{};
  std::array<float, 3> values{};
  glGetIntegerv(GL_FOG_MODE, &mode);
  glGetIntegerv(GL_FOG_HINT, &hint);
  glGetFloatv(GL_FOG_COLOR, color.data());
  glGetFloatv(GL_FOG_DENSITY, &values[0]);
  glGetFloatv(GL_FOG_START, &values[1]);
  glGetFloatv(GL_FOG_END, &values[2]);
  EXPECT_TRUE(glIsEnabled(GL_FOG));
  EXPECT_EQ(mode, GL_EXP2);
  EXPECT_EQ(hint, GL_DONT_CARE);
  EXPECT_EQ(color, (std::array<float, 4>{0, 1, 0, 1}));
  EXPECT_EQ(values, (std::array<float, 3>{0.1f, 1000, 3000}));
  SetupFog(TColorRGBA{0, 1, 0, 1}, 0, 0.1f, 1000, 3000);
  glGetIntegerv(GL_FOG_MODE, &mode);
  EXPECT_EQ(mode, GL_LINEAR);
  glDisable(GL_FOG);
}
