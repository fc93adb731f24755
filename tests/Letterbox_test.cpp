// Scene pieces the show's pictures do not reach: the letterbox without its
// picture, the scissor it puts back, and the wave landscape with a material
// that blends.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "Amb2Materials.h"
#include "Amb2Textures.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvEffect1.h"
#include "tvEffect3.h"

namespace {

constexpr uint32_t NoPicture = 0xFFFFFFFFu;

uint32_t BlackPicture() {
  const std::array<uint8_t, 4 * 4 * 3> black{};
  return CreateTextureFromPixels(4, 4, TPixelFormat::RGB, black.data());
}

// Two fountain frames, each ending with the letterbox. Without its picture
// (one that failed to load) the bands are drawn and the frames and the state
// handed on are those a black picture, which adds nothing, gives: the
// fountain's overlapping meshes are still depth tested in the second frame.
TEST(Letterbox, WithoutItsPictureFramesAndStateAreThoseOfABlackPicture) {
  OpenShowWindow();
  SetupParticleSystem();
  ParticleMax = 0;  // one sprite turns depth testing off, as all of them do
  std::vector<std::vector<uint8_t>> frames;
  std::vector<std::string> states;
  for (const uint32_t picture : {BlackPicture(), NoPicture}) {
    TexWsTavix = picture;
    Particles[0] = TParticle{MakeVector(0, 0, 0), MakeVector(0, 0, 0), MakeColor(1, 1, 1, 1), 100};
    for (uint32_t partTime : {0u, 2000u}) {
      PartTime = partTime;
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      RenderFountain();
    }
    const TFrameShot frame = ReadFrame(MainWindow);
    for (const int row : {0, 111, 488, 599}) EXPECT_EQ(frame.At(400, row).r, 0) << "band row " << row;
    frames.push_back(frame.Rgb);
    // Over the state the fountain's sprites leave, the letterbox alone.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_COLOR_MATERIAL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.2f, 0.4f, 0.6f, 1);
    DrawLetterbox();
    glBindTexture(GL_TEXTURE_2D, 0);  // the picture's own binding aside
    states.push_back(GlStateLine());
  }
  EXPECT_TRUE(frames[0] == frames[1]);
  EXPECT_EQ(states[0], states[1]);
}

// A scene cut to the rows between the bands hands on the scissor it found,
// so that the next frame's clear and the parts without bands reach every row.
TEST(Letterbox, PutsBackTheScissorTheSceneWasCutWith) {
  OpenShowWindow();
  glScissor(10, 20, 30, 40);
  ScissorToPicture();
  GLint box[4];
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{0, 112, 800, 376}));
  DrawLetterbox();
  glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{10, 20, 30, 40}));
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

// A square over the middle of the view, lit only by an ambient light of
// 20/255: one pass gives 20, ten additive passes 200.
TEST(WaveLandscape, TenPassesOnlyWhereTheMaterialBlends) {
  OpenShowWindow();
  LandscapeBrush = std::make_unique<TAmbBrush>();
  auto square = std::make_unique<TMeshDataNM>();
  for (const auto& [x, y] : {std::pair{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}})
    square->AddVertex(MakeVector(x, y, 0), MakeTexCoord(0, 0));
  square->AddFace(MakeFace(0, 1, 2));
  square->AddFace(MakeFace(0, 2, 3));
  LandscapeBrush->Meshes.push_back(std::move(square));
  LandscapeBrush->MeshCount = 1;
  glMatrixMode(GL_PROJECTION), glLoadIdentity(), glMatrixMode(GL_MODELVIEW), glLoadIdentity();
  glDisable(GL_LIGHT0), glDisable(GL_CULL_FACE);
  const GLfloat ambient[4] = {20 / 255.0f, 20 / 255.0f, 20 / 255.0f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glClearColor(0, 0, 0, 1);
  for (const auto& [blend, brightness] : {std::pair{false, 20}, {true, 200}}) {
    LandscapeBrush->Meshes[0]->Material->Blend = blend;  // additive when it blends
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawLandscape();
    EXPECT_EQ(ReadFrame(MainWindow).At(400, 300).g, brightness) << "blending " << blend;
  }
  LandscapeBrush.reset();
}

}  // namespace
