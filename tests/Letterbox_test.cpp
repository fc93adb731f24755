// The letterbox: black bands of fixed height at the bottom and top over the
// frame, with its picture or without it (a picture that failed to load),
// and the same GL state handed on either way, alone and in the fountain's
// frames.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "Amb2Textures.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvEffect1.h"

namespace {

constexpr uint32_t NoPicture = 0xFFFFFFFFu;

uint32_t BlackPicture() {
  const std::array<uint8_t, 4 * 4 * 3> black{};
  return CreateTextureFromPixels(4, 4, TPixelFormat::RGB, black.data());
}

TEST(Letterbox, BandsCoverTheSameRowsAndHandOnTheSameStateWithOrWithoutItsPicture) {
  OpenShowWindow();
  std::vector<std::string> states;
  for (const uint32_t picture : {BlackPicture(), NoPicture}) {
    // A grey frame, and the state the fountain's sprites leave.
    glClearColor(0.4f, 0.4f, 0.4f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.2f, 0.4f, 0.6f, 1);
    TexWsTavix = picture;
    DrawLetterbox();
    for (const auto& [row, red] : {std::pair{0, 0}, {111, 0}, {112, 102}, {487, 102}, {488, 0}, {599, 0}})
      EXPECT_NEAR(ReadPixel(400, row).r, red, 1) << "row " << row << " with picture " << picture;
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "with picture " << picture;
    glBindTexture(GL_TEXTURE_2D, 0);  // the picture's own binding aside
    states.push_back(GlStateLine());
  }
  EXPECT_EQ(states[0], states[1]);
}

// The fountain's meshes overlap: drawn after a letterbox without its
// picture they must still be depth tested, so the frame is the one a black
// picture (which adds nothing) gives.
TEST(Letterbox, FountainMeshesAreDepthTestedAfterAFrameWithoutThePicture) {
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
    return ReadFrame(MainWindow).Rgb;
  };
  EXPECT_TRUE(twoFrames(NoPicture) == twoFrames(BlackPicture()));
}

}  // namespace
