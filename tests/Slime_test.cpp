// The slime finale: the spring targets of one call, and what RenderSlime
// leaves for the rest of the show (far plane, locked keys, backdrop blend).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "Amb2BasicDraw.h"
#include "Amb2Textures.h"
#include "Ambrel2.h"
#include "Show2Support.h"
#include "tvCommon.h"
#include "tvEffect4.h"
#include "tvVectorSlime.h"

TEST(SlimeTargets, RotationGrowsScaleAndOffsetFollowThePulseUnlessLocked) {
  SlimeTargetLock = false;
  RotTarget = MakeVector(10, 20, 30);
  MoveTarget = MakeVector(0, 0, 7);
  AimSlimeTargets(0.5f, -0.6f);
  EXPECT_FLOAT_EQ(RotTarget.x, 10 + 1.5f + 0.12f);
  EXPECT_FLOAT_EQ(RotTarget.y, 20 + 1.5f + 0.2f);
  EXPECT_EQ(RotTarget.z, 30);
  EXPECT_FLOAT_EQ(ScaleTarget.x, 1.5f);
  EXPECT_FLOAT_EQ(MoveTarget.x, 1000);
  EXPECT_FLOAT_EQ(MoveTarget.y, 480);
  EXPECT_EQ(MoveTarget.z, 7);

  // Past the pulse the rotation still grows with the sine.
  AimSlimeTargets(0, 0.3f);
  EXPECT_FLOAT_EQ(RotTarget.y, 20 + 1.5f + 0.2f + 0.1f);
  EXPECT_EQ(ScaleTarget.x, 1);
  EXPECT_EQ(MoveTarget.x, 0);

  SlimeTargetLock = true;
  SlimeLockedMove = MakeVector(2000, 0, 0);
  AimSlimeTargets(-0.25f, 0.9f);
  EXPECT_EQ(MoveTarget.x, 2000);
  EXPECT_EQ(MoveTarget.y, 0);
  EXPECT_EQ(MoveTarget.z, 0) << "the whole target is pinned, z included";
  SlimeTargetLock = false;
  SlimeLockedMove = TVector{};
}

class SlimeScene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    OpenShowWindow();
    SetupVectorSlime();
    const uint8_t red[4 * 4 * 3] = {128, 0,   0,   128, 0,   0,   128, 0,   0,   128, 0,   0,   128, 0,   0,   128,
                                    0,   0,   128, 0,   0,   128, 0,   0,   128, 0,   0,   128, 0,   0,   128, 0,
                                    0,   128, 0,   0,   128, 0,   0,   128, 0,   0,   128, 0,   0,   128, 0,   0};
    RedPicture = CreateTextureFromPixels(4, 4, TPixelFormat::RGB, red);
  }
  // The corner pixel after drawing the slime over a dark blue frame.
  static TRgb CornerAfterSlime(uint32_t backdrop) {
    SlimeBackdrop = backdrop;
    glClearColor(0, 0, 0.5f, 1);
    ClearScreen();
    RenderSlime();
    glClearColor(1, 1, 1, 1);
    return ReadBackPixel(3, 3);
  }
  static uint32_t RedPicture;
};
uint32_t SlimeScene::RedPicture = 0;

TEST_F(SlimeScene, StarsAreAddedAndTheTitlePictureCoversByTextureHandle) {
  const uint32_t title = TexVelkrona;
  PartTime = 1000;
  TexVelkrona = RedPicture + 1000;  // another handle than the backdrop's
  const TRgb added = CornerAfterSlime(RedPicture);
  TexVelkrona = RedPicture;
  const TRgb covered = CornerAfterSlime(RedPicture);
  TexVelkrona = title;
  EXPECT_NEAR(added.r, 128, 2);
  EXPECT_NEAR(added.b, 128, 2) << "additive backdrop keeps the frame below";
  EXPECT_NEAR(covered.r, 128, 2);
  EXPECT_LT(covered.b, 3) << "the title picture is drawn opaque";
}

TEST_F(SlimeScene, EveryCallLocksTheKeysAndWidensTheFarPlaneForLaterFrames) {
  SlimeBackdrop = TexVelkrona;
  SyncLock = 900;
  FarPlane = 4000;
  glEnable(GL_FOG);
  ClearScreen();
  RenderSlime();
  EXPECT_EQ(SyncLock, 0);
  EXPECT_EQ(FarPlane, 10000);
  EXPECT_FALSE(glIsEnabled(GL_FOG));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(SlimeScene, EchoEndsWithTheLetterboxAndKeepsItsTrail) {
  SlimeBackdrop = RedPicture;
  PartTime = 2000;
  SyncLock = 700;
  ClearScreen();
  RenderSlimeEcho();
  EXPECT_EQ(SyncLock, 0);
  const TRgb band = ReadBackPixel(400, 50), middle = ReadBackPixel(20, 300);
  EXPECT_LT(band.r + band.g + band.b, 60) << "bottom band";
  EXPECT_GT(middle.r, 100) << "the stars (here red) show between the bands";
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
