// The 2D overlay in a real offscreen window: where rectangles, pictures and
// text land in the frame, and the GL state each drawer leaves behind.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "Amb2BasicDraw.h"
#include "Amb2_2D.h"
#include "PicturesSupport.h"

namespace {

const TColorRGBA White{1, 1, 1, 1};
const TRgba8 Black{0, 0, 0, 255};

std::array<float, 16> Matrix(GLenum which) {
  std::array<float, 16> m{};
  glGetFloatv(which, m.data());
  return m;
}

std::array<float, 4> CurrentColor() {
  std::array<float, 4> c{};
  glGetFloatv(GL_CURRENT_COLOR, c.data());
  return c;
}

void ClearTo(float r, float g, float b) {
  glClearColor(r, g, b, 0);
  ClearScreen();
}

// A 2 x 2 picture: bottom row blue, green; top row red, white.
uint32_t CornerTexture() {
  const uint8_t pixels[] = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
  return CreateTextureFromPixels(2, 2, TPixelFormat::RGBA, pixels);
}

uint32_t SolidTexture(uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t pixels[] = {r, g, b, 255, r, g, b, 255, r, g, b, 255, r, g, b, 255};
  return CreateTextureFromPixels(2, 2, TPixelFormat::RGBA, pixels);
}

struct TLitBox {
  int Left = 10000, Right = -1, Bottom = 10000, Top = -1;
};

// Bounds of the pixels that differ from black in a window region.
TLitBox LitBox(int x0, int y0, int w, int h) {
  std::vector<uint8_t> p(size_t(w) * h * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x0, y0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  TLitBox box;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* q = &p[(size_t(y) * w + x) * 4];
      if (q[0] + q[1] + q[2] == 0) continue;
      box.Left = std::min(box.Left, x0 + x);
      box.Right = std::max(box.Right, x0 + x);
      box.Bottom = std::min(box.Bottom, y0 + y);
      box.Top = std::max(box.Top, y0 + y);
    }
  return box;
}

class Overlay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OpenPicturesWindow();
    SmallFont = CreateBitmapFont("Tahoma", 12, true);
    LargeFont = CreateBitmapFont("Verdana", 50, true);
    SetFontBase(SmallFont);
  }
  void SetUp() override {
    glViewport(0, 0, 800, 600);
    glDisable(GL_FOG);
    ClearTo(0, 0, 0);
  }
  static uint32_t SmallFont, LargeFont;
};
uint32_t Overlay::SmallFont = 0;
uint32_t Overlay::LargeFont = 0;

}  // namespace

TEST_F(Overlay, DrawRectCoversItsPixelsAndRestoresEveryAttribute) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_COLOR_MATERIAL);
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  DrawRect(TColorRGBA{1, 0, 0, 1}, 40, 40, 10, 10);
  EXPECT_EQ(LitBox(0, 0, 100, 100).Bottom, 40);
  EXPECT_EQ(LitBox(0, 0, 100, 100).Top, 49);
  EXPECT_EQ(LitBox(0, 0, 100, 100).Left, 40);
  EXPECT_EQ(LitBox(0, 0, 100, 100).Right, 49);
  EXPECT_TRUE(BackBufferPixel(45, 45) == (TRgba8{255, 0, 0, 255}));
  EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  GLint src = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  EXPECT_EQ(src, GL_ONE);
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0.1f, 0.2f, 0.3f, 0.4f}));
  glDisable(GL_BLEND);
  glDisable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
}

TEST_F(Overlay, ATintedFullWindowPictureIsUprightAndBlendsByItsAlpha) {
  const uint32_t corners = CornerTexture();
  Begin2D();
  DrawImageTinted(corners, White, 0, 0, 800, 600);
  End2D();
  // Sampled at the texel centres, where linear filtering gives the texel.
  EXPECT_TRUE(Near(BackBufferPixel(200, 450), TRgba8{255, 0, 0, 255}, 2)) << "top-left is the picture's top-left";
  EXPECT_TRUE(Near(BackBufferPixel(600, 450), TRgba8{255, 255, 255, 255}, 2));
  EXPECT_TRUE(Near(BackBufferPixel(200, 150), TRgba8{0, 0, 255, 255}, 2));
  EXPECT_TRUE(Near(BackBufferPixel(600, 150), TRgba8{0, 255, 0, 255}, 2));

  ClearTo(0, 0, 1);
  glEnable(GL_FOG);
  Begin2D();
  DrawImageTinted(SolidTexture(255, 0, 0), TColorRGBA{1, 1, 1, 0.5f}, 0, 0, 800, 600);
  End2D();
  EXPECT_TRUE(Near(BackBufferPixel(400, 300), TRgba8{128, 0, 128, 255}, 2)) << "half over the blue scene";
  EXPECT_FALSE(glIsEnabled(GL_FOG) || glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D));
  glDisable(GL_LIGHTING);
}

TEST_F(Overlay, EachTexturedDrawerLeavesItsBlendingAndColour) {
  const uint32_t texture = SolidTexture(255, 255, 255);
  glEnable(GL_FOG);
  Begin2D();
  DrawImageSrcColor(texture, TColorRGBA{0, 1, 0, 1}, 0, 0, 10, 10);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_FOG)) << "only the tinted drawer switches fog off";
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0, 1, 0, 1}));
  DrawImageBlended(texture, 0, 0, 10, 10);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{1, 1, 1, 1}));
  glEnable(GL_BLEND);
  glColor4f(0.5f, 0.5f, 0.5f, 1);
  glEnable(GL_COLOR_MATERIAL);
  DrawImage(texture, 0, 0, 10, 10);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0.5f, 0.5f, 0.5f, 1}));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D));
  End2D();
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glDisable(GL_LIGHTING);
}

std::vector<uint8_t> WholeFrame() {
  std::vector<uint8_t> p(800 * 600 * 4);
  glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  return p;
}

// A picture added onto the frame, drawn whole and by its lit bands, over a
// grey frame: the same pixels, including the rows that a linear filter
// wraps around to from the opposite edge.
TEST_F(Overlay, APictureDrawnByItsLitBandsAddsTheSamePixels) {
  const std::vector<std::vector<int>> litRows = {{}, {0}, {7}, {15}, {3, 4, 12}};
  for (const std::vector<int>& rows : litRows) {
    std::vector<uint8_t> pixels(4 * 16 * 4, 0);
    for (int row : rows)
      for (int x = 0; x < 4; ++x)
        pixels[(size_t(row) * 4 + x) * 4 + 1] = 200, pixels[(size_t(row) * 4 + x) * 4 + 3] = 255;
    const uint32_t picture = CreateTextureFromPixels(4, 16, TPixelFormat::RGBA, pixels.data());
    auto addPicture = [&](bool byBands) {
      ClearTo(0.3f, 0.3f, 0.3f);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_COLOR, GL_ONE);
      glColor4f(1, 1, 1, 1);
      if (byBands)
        DrawImageBands(picture, 0, 0, 800, 600, LitBands(picture));
      else
        DrawImage(picture, 0, 0, 800, 600);
      return WholeFrame();
    };
    EXPECT_EQ(addPicture(true), addPicture(false))
        << rows.size() << " lit rows, the first " << (rows.empty() ? -1 : rows[0]);
  }
  const std::vector<uint8_t> middle = [] {
    std::vector<uint8_t> p(4 * 16 * 4, 0);
    p[7 * 16 + 1] = 200;
    return p;
  }();
  const std::vector<TImageBand> bands = LitBands(CreateTextureFromPixels(4, 16, TPixelFormat::RGBA, middle.data()));
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_FLOAT_EQ(bands[0].From, 5 / 16.0f);
  EXPECT_FLOAT_EQ(bands[0].To, 10 / 16.0f);
  glDisable(GL_BLEND);
}

TEST_F(Overlay, RotatedPicturesTileAndTurnAboutTheWindowCentreUntilEnd2D) {
  const std::array<float, 16> before = Matrix(GL_MODELVIEW_MATRIX);
  Begin2D();
  DrawImageRotated(CornerTexture(), 0, 0, 800, 600, 0, 2);
  End2D();
  glDisable(GL_LIGHTING);
  // Texel centres of the bottom-left texel in each of the four tiles.
  for (auto [x, y] : {std::pair{100, 75}, {500, 75}, {100, 375}, {500, 375}})
    EXPECT_TRUE(Near(BackBufferPixel(x, y), TRgba8{0, 0, 255, 255}, 2)) << x << "," << y;

  ClearTo(0, 0, 0);
  Begin2D();
  DrawImageRotated(SolidTexture(255, 255, 0), 350, 100, 100, 50, 90, 1);
  DrawImage(SolidTexture(0, 255, 255), 350, 450, 100, 50);
  End2D();
  glDisable(GL_LIGHTING);
  EXPECT_TRUE(BackBufferPixel(575, 300) == (TRgba8{255, 255, 0, 255}));
  EXPECT_TRUE(BackBufferPixel(400, 125) == Black) << "not turned about its own centre";
  EXPECT_TRUE(BackBufferPixel(225, 300) == (TRgba8{0, 255, 255, 255})) << "the next drawer turns with it";
  EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), before);
}

TEST_F(Overlay, TextSitsOnABaselineMeasuredFromTheTop) {
  PrintText("HH", 40, 40, White);
  const TLitBox small = LitBox(0, 400, 200, 200);
  EXPECT_EQ(small.Bottom, 600 - 40);
  EXPECT_GE(small.Left, 40);
  EXPECT_LE(small.Left, 42);
  EXPECT_GT(small.Top - small.Bottom + 1, 6);
  EXPECT_LT(small.Top - small.Bottom + 1, 12);

  ClearTo(0, 0, 0);
  SetFontBase(LargeFont);
  PrintText("H", 40, 100, TColorRGBA{1, 0, 0, 1});
  SetFontBase(SmallFont);
  const TLitBox large = LitBox(0, 300, 300, 300);
  EXPECT_EQ(large.Bottom, 600 - 100);
  const int capHeight = large.Top - large.Bottom + 1;
  EXPECT_GT(capHeight, 30) << "a 50-pixel font";
  EXPECT_LT(capHeight, 45);
  EXPECT_TRUE(BackBufferPixel(large.Left + 2, large.Bottom + 2) == (TRgba8{255, 0, 0, 255}));
}

TEST_F(Overlay, OutlinedTextDrawsTheOutlineOnePixelOffEachWay) {
  Begin2D();
  PrintTextOutlined("I", 40, 40, TColorRGBA{1, 0, 0, 1}, TColorRGBA{0, 0, 1, 1});
  End2D();
  const TLitBox box = LitBox(0, 400, 200, 200);
  EXPECT_EQ(box.Bottom, 600 - 41) << "the lower copy is one pixel down";
  const TLitBox bottomRow = LitBox(0, box.Bottom, 200, 1);
  const TLitBox topRow = LitBox(0, box.Top, 200, 1);
  EXPECT_TRUE(BackBufferPixel(bottomRow.Left, box.Bottom) == (TRgba8{0, 0, 255, 255}));
  EXPECT_TRUE(BackBufferPixel(topRow.Left, box.Top) == (TRgba8{0, 0, 255, 255}));
  EXPECT_EQ(bottomRow.Left - topRow.Left, 2) << "the two copies sit one pixel right and one left";
  const TLitBox middleRow = LitBox(0, box.Bottom + 4, 200, 1);
  bool red = false;
  for (int x = middleRow.Left; x <= middleRow.Right; ++x)
    red |= BackBufferPixel(x, box.Bottom + 4) == TRgba8{255, 0, 0, 255};
  EXPECT_TRUE(red) << "the main copy is drawn last, on top";
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{1, 0, 0, 1}));
}

TEST_F(Overlay, TextRestoresLightingAndSkipsBytesOutsideTheFont) {
  glEnable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  DrawTextAtRaster(nullptr);
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_TEXTURE_2D)) << "a missing text changes nothing";

  PrintText("", 40, 40, TColorRGBA{0, 1, 0, 1});
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0, 1, 0, 1}));
  glDisable(GL_LIGHTING);

  // Byte 200 of the small font would be list base + 168: the large font's 'h'.
  PrintText("\xC8\x01", 40, 200, White);
  EXPECT_EQ(LitBox(0, 0, 800, 600).Right, -1);
  PrintText("\x01H\xC8", 40, 200, White);
  const TLitBox withSkips = LitBox(0, 0, 800, 600);
  ClearTo(0, 0, 0);
  PrintText("H", 40, 200, White);
  const TLitBox plain = LitBox(0, 0, 800, 600);
  EXPECT_EQ(withSkips.Left, plain.Left);
  EXPECT_EQ(withSkips.Right, plain.Right);
  EXPECT_EQ(withSkips.Top, plain.Top);
}

TEST_F(Overlay, FontsAreNinetySixListsFreedTogether) {
  const uint32_t base = CreateBitmapFont("Verdana", 20, false);
  EXPECT_EQ(FontBase(), base);
  EXPECT_TRUE(glIsList(base) && glIsList(base + 95));
  FreeBitmapFont();
  EXPECT_FALSE(glIsList(base) || glIsList(base + 95));
  EXPECT_TRUE(glIsList(LargeFont + 95));
  SetFontBase(SmallFont);
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);
}
