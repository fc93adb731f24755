// 2D drawing beyond what the show's frames exercise, read back from an
// offscreen window: lit bands, rotated and tiled pictures, the pictures'
// path past the depth planes, text, fonts, fog.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "Amb2BasicDraw.h"
#include "Amb2Env.h"
#include "Amb2Textures.h"
#include "Amb2_2D.h"
#include "AmbFrame.h"
#include "EngineSupport.h"

namespace {

const TColorRGBA White{1, 1, 1, 1};

TRgba8 Pixel(int x, int y) {
  uint8_t p[4] = {};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return TRgba8{p[0], p[1], p[2], 255};
}

std::vector<uint8_t> WholeFrame() {
  std::vector<uint8_t> p(800 * 600 * 4);
  glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  return p;
}

// The colour channels alone: the frame's alpha is never shown, copied or
// read (the presentation and the copies drop it), and the renderer's two
// paths may round a blended alpha differently.
std::vector<uint8_t> Colours(std::vector<uint8_t> rgba) {
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 0;
  return rgba;
}

std::array<float, 16> Modelview() {
  std::array<float, 16> m{};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

void ClearTo(float r, float g, float b) {
  glClearColor(r, g, b, 0);
  ClearScreen();
}

// A 2 x 2 RGBA picture, bottom row first.
uint32_t Picture(const std::array<uint8_t, 16>& pixels) {
  return CreateTextureFromPixels(2, 2, TPixelFormat::RGBA, pixels.data());
}

uint32_t Solid(uint8_t r, uint8_t g, uint8_t b) {
  return Picture({r, g, b, 255, r, g, b, 255, r, g, b, 255, r, g, b, 255});
}

class Overlay : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareGL();
    ClearTo(0, 0, 0);
  }
};

}  // namespace

// A picture added onto a grey frame by its lit bands gives the pixels of the
// whole picture, also where a linear filter wraps around to the opposite edge
// (rows 0 and 15); a picture read through mipmaps is one band, all of it.
TEST_F(Overlay, APictureDrawnByItsLitBandsAddsTheSamePixels) {
  for (const std::vector<int>& rows : std::vector<std::vector<int>>{{}, {0}, {7}, {15}, {3, 4, 12}}) {
    std::vector<uint8_t> pixels(4 * 16 * 4, 0);
    for (int row : rows)
      for (int x = 0; x < 4; ++x) pixels[(size_t(row) * 4 + x) * 4 + 1] = 200;
    const uint32_t picture = CreateTextureFromPixels(4, 16, TPixelFormat::RGBA, pixels.data());
    std::vector<uint8_t> frames[2];
    for (bool byBands : {false, true}) {
      ClearTo(0.3f, 0.3f, 0.3f);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_COLOR, GL_ONE);
      if (byBands)
        DrawImageBands(picture, 0, 0, 800, 600, LitBands(picture));
      else
        DrawImage(picture, 0, 0, 800, 600);
      glDisable(GL_BLEND);
      frames[byBands] = WholeFrame();
    }
    EXPECT_TRUE(frames[1] == frames[0]) << rows.size() << " lit rows, the first " << (rows.empty() ? -1 : rows[0]);
  }
  const std::vector<uint8_t> dot(4 * 16 * 4, 9);
  const std::vector<TImageBand> bands =
      LitBands(CreateTextureFiltered(4, 16, TPixelFormat::RGBA, dot.data(), GL_LINEAR_MIPMAP_NEAREST));
  ASSERT_EQ(bands.size(), 1u);
  EXPECT_TRUE(bands[0].From == 0 && bands[0].To == 1);
}

TEST_F(Overlay, RotatedPicturesTileAndTurnAboutTheWindowCentreUntilEnd2D) {
  const std::array<float, 16> before = Modelview();
  Begin2D();
  DrawImageRotated(Picture({0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255}), 0, 0, 800, 600, 0, 2);
  End2D();
  // Texel centres of the bottom-left (blue) texel in each of the four tiles.
  for (auto [x, y] : {std::pair{100, 75}, {500, 75}, {100, 375}, {500, 375}})
    EXPECT_TRUE(Near(Pixel(x, y), TRgba8{0, 0, 255, 255}, 2)) << x << "," << y;

  ClearTo(0, 0, 0);
  Begin2D();
  DrawImageRotated(Solid(255, 255, 0), 350, 100, 100, 50, 90, 1);
  DrawImage(Solid(0, 255, 255), 350, 450, 100, 50);
  End2D();
  EXPECT_TRUE(Pixel(575, 300) == (TRgba8{255, 255, 0, 255}));
  EXPECT_TRUE(Pixel(400, 125) == (TRgba8{0, 0, 0, 255})) << "not turned about its own centre";
  EXPECT_TRUE(Pixel(225, 300) == (TRgba8{0, 255, 255, 255})) << "the next drawer turns with it";
  EXPECT_EQ(Modelview(), before);
}

TEST_F(Overlay, TextRestoresLightingSkipsBytesOutsideTheFontAndFontsAreFreedWhole) {
  const uint32_t small = CreateBitmapFont("Tahoma", 12, true), large = CreateBitmapFont("Verdana", 50, true);
  SetFontBase(small);
  glEnable(GL_LIGHTING);
  DrawTextAtRaster(nullptr);
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_TEXTURE_2D)) << "a missing text changes nothing";
  PrintText("", 40, 40, TColorRGBA{0, 1, 0, 1});
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0, 1, 0, 1}));

  // Byte 200 of the small font would be list base + 168: the large font's 'h'.
  const std::vector<uint8_t> black = WholeFrame();
  PrintText("\xC8\x01", 40, 200, White);
  EXPECT_TRUE(WholeFrame() == black);
  PrintText("\x01H\xC8", 40, 200, White);
  const std::vector<uint8_t> withSkips = WholeFrame();
  EXPECT_FALSE(withSkips == black);
  ClearTo(0, 0, 0);
  PrintText("H", 40, 200, White);
  EXPECT_TRUE(WholeFrame() == withSkips);

  const uint32_t base = CreateBitmapFont("Verdana", 20, false);
  EXPECT_TRUE(FontBase() == base && glIsList(base) && glIsList(base + 95));
  FreeBitmapFont();
  EXPECT_FALSE(glIsList(base) || glIsList(base + 95));
  EXPECT_TRUE(glIsList(large + 95));
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);
}

// The textured drawers send their quads past the depth planes and, where the
// fixed pipeline only modulates, through a program: each picture must come
// out as the fixed pipeline draws it into the frame with its depth planes
// (fog included, which the program would lose, and a picture that failed to
// load, which the fixed pipeline leaves untextured), the depth must stay, and
// the frame and the program state must be as before. The program is taken
// for the pictures without alpha and without fog, and only for them.
bool ProgramTaken(uint32_t texture) {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  BeginQuadsWithoutDepth();
  const bool taken = glIsEnabled(GL_FRAGMENT_PROGRAM_ARB);
  EndQuadsWithoutDepth();
  glPopAttrib();
  return taken;
}

TEST_F(Overlay, PicturesDrawnPastTheDepthPlanesAreTheFixedPipelines) {
  ASSERT_TRUE(HasFrame());
  std::array<uint8_t, 16> texels{};
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = uint8_t(40 + 13 * i);
  const uint32_t rgba = Picture(texels), rgb = CreateTextureFromPixels(2, 2, TPixelFormat::RGB, texels.data());
  // A trail as the atom keeps it: the frame copied in grey.
  ClearTo(0, 0, 0);
  DrawImage(rgb, 0, 0, 64, 64);
  const uint32_t grey = CreateEmptyTexture(64);
  CopyScreenToTextureLuminance(grey, 64);
  PrepareGL();
  const TColorRGBA tint{0.9f, 0.6f, 0.3f, 0.7f};
  const auto byHand = [&](uint32_t texture, GLenum source, GLenum destination) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    glColor4f(tint.r, tint.g, tint.b, tint.a);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(0, 0);
    glTexCoord2f(1, 0), glVertex2f(800, 0);
    glTexCoord2f(1, 1), glVertex2f(800, 600);
    glTexCoord2f(0, 1), glVertex2f(0, 600);
    glEnd();
    glPopAttrib();
  };
  const std::tuple<const char*, GLenum, GLenum, void (*)(uint32_t, const TColorRGBA&, float, float, float, float)>
      drawers[] = {{"tinted", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, DrawImageTinted},
                   {"source colour", GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, DrawImageSrcColor}};
  GLint frameBefore = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &frameBefore);
  const std::tuple<uint32_t, const char*, bool> textures[] = {
      {rgba, "RGBA", false}, {rgb, "RGB", true}, {grey, "grey", true}, {0xFFFFFFFFu, "missing", false}};
  for (bool fog : {false, true})
    for (const auto& [texture, kind, programmable] : textures) {
      if (fog) SetupFog(TColorRGBA{0.2f, 0.8f, 0.1f, 1}, 0, 0, -1, 2);
      EXPECT_EQ(ProgramTaken(texture), programmable && !fog) << kind << (fog ? ", fog" : "");
      glDisable(GL_FOG);
      for (const auto& [name, source, destination, draw] : drawers) {
        const std::string what = std::string(name) + ", " + kind + (fog ? ", fog" : "");
        std::vector<uint8_t> frames[2];
        for (int pass : {0, 1}) {
          ClearTo(0.3f, 0.2f, 0.5f);
          glClearDepth(0.25);
          glClear(GL_DEPTH_BUFFER_BIT);
          // Linear fog from -1 to 2: two thirds of the picture at depth 0.
          SetupFog(TColorRGBA{0.2f, 0.8f, 0.1f, 1}, 0, 0, -1, 2);
          if (!fog) glDisable(GL_FOG);
          if (pass == 1) {
            draw(texture, tint, 0, 0, 800, 600);
          } else {
            if (draw == DrawImageTinted) glDisable(GL_FOG);  // as the tinted drawer does
            byHand(texture, source, destination);
          }
          frames[pass] = WholeFrame();
        }
        EXPECT_TRUE(Colours(frames[1]) == Colours(frames[0])) << what;
        float depth = 0;
        glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        EXPECT_FLOAT_EQ(depth, 0.25f) << what;
        GLint frameAfter = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &frameAfter);
        EXPECT_TRUE(frameAfter == frameBefore && !glIsEnabled(GL_FRAGMENT_PROGRAM_ARB)) << what;
        PrepareGL();
      }
    }
  glClearDepth(1);
}

// The fog values themselves reach the picture test's part states; a mode
// the show never uses (3) must not disturb the one set before it.
TEST_F(Overlay, AnUnknownFogModeKeepsTheOldOne) {
  SetupFog(TColorRGBA{0.1f, 0.1f, 0.6f, 1}, 2, 100, -100, 300);
  SetupFog(TColorRGBA{0, 1, 0, 1}, 3, 0.1f, 1000, 3000);
  GLint mode = 0;
  glGetIntegerv(GL_FOG_MODE, &mode);
  EXPECT_TRUE(glIsEnabled(GL_FOG) && mode == GL_EXP2) << mode;
}
