// The letterbox: black bands of fixed height at the bottom and top, and the
// overlay picture added over the whole frame (read back from the frame); the
// GL state it hands on with and without its picture, alone and in the
// fountain's frames.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "Ambrel2.h"
#include "Show2Support.h"
#include "tvCommon.h"
#include "tvEffect1.h"

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
  // The state a frame hands on to the next, by name.
  static std::map<std::string, float> HandedOnState() {
    std::map<std::string, float> state;
    const std::pair<const char*, GLenum> caps[] = {{"blend", GL_BLEND},
                                                   {"colour material", GL_COLOR_MATERIAL},
                                                   {"cull face", GL_CULL_FACE},
                                                   {"depth test", GL_DEPTH_TEST},
                                                   {"fog", GL_FOG},
                                                   {"lighting", GL_LIGHTING},
                                                   {"texture 2D", GL_TEXTURE_2D}};
    for (const auto& [name, cap] : caps) state[name] = glIsEnabled(cap);
    const std::pair<const char*, GLenum> values[] = {
        {"blend dst", GL_BLEND_DST},     {"blend src", GL_BLEND_SRC},        {"colour", GL_CURRENT_COLOR},
        {"matrix mode", GL_MATRIX_MODE}, {"modelview", GL_MODELVIEW_MATRIX}, {"projection", GL_PROJECTION_MATRIX}};
    for (const auto& [name, value] : values) {
      std::array<GLfloat, 16> v{};
      glGetFloatv(value, v.data());
      for (size_t i = 0; i < v.size(); ++i) state[name + std::string(" ") + std::to_string(i)] = v[i];
    }
    return state;
  }
  // Draws the letterbox over the state the fountain's sprites leave.
  static std::map<std::string, float> StateAfterLetterbox(uint32_t picture) {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.2f, 0.4f, 0.6f, 1);
    TexWsTavix = picture;
    DrawLetterbox();
    return HandedOnState();
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

TEST_F(Letterbox, HandsOnTheSameStateWithOrWithoutItsPicture) {
  const std::map<std::string, float> withPicture = StateAfterLetterbox(PlainTexture(0));
  EXPECT_EQ(withPicture.at("depth test"), 1.0f);
  EXPECT_EQ(StateAfterLetterbox(0xFFFFFFFFu), withPicture);
}

// The fountain's meshes overlap: drawn after a letterbox without its
// picture they must still be depth tested, so the frame is the one a black
// picture (which adds nothing) gives.
TEST(LetterboxInTheFountain, MeshesAreDepthTestedAfterAFrameWithoutThePicture) {
  OpenShowWindow();
  SetupParticleSystem();
  ParticleMax = 0;  // one sprite turns depth testing off, as all of them do
  const auto twoFrames = [](uint32_t picture) {
    TexWsTavix = picture;
    Particles[0] = TParticle{MakeVector(0, 0, 0), MakeVector(0, 0, 0), MakeColor(1, 1, 1, 1), 100};
    for (uint32_t partTime : {0u, 2000u}) {
      PartTime = partTime;
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      RenderFountain();
    }
    std::vector<uint8_t> frame(800 * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
  };
  GLuint black = 0;
  glGenTextures(1, &black);
  glBindTexture(GL_TEXTURE_2D, black);
  const std::array<uint8_t, 4> texel{0, 0, 0, 255};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  EXPECT_TRUE(twoFrames(0xFFFFFFFFu) == twoFrames(black));
}

}  // namespace
