// The table of the show's parts: the set-ups from the scene units and the
// drawers of parts -1 .. 10, a few of which are small scenes of their own.
#include "tvParts.h"

#include <GL/gl.h>

#include "Amb2_2D.h"
#include "tvCommon.h"
#include "tvEffect1.h"
#include "tvEffect2.h"
#include "tvEffect3.h"
#include "tvEffect4.h"
#include "tvEffect5.h"
#include "tvEffect6.h"
#include "tvEffect7.h"
#include "tvVectorSlime.h"

namespace {

float WindowWidth() { return float(MainWindow.Width); }
float WindowHeight() { return float(MainWindow.Height); }

void DrawIntroPicture() {
  const float t = float(PartTime);
  const float alpha = t < 1500.0f ? 1.0f : 1.0f - (t - 1500.0f) / 2000.0f;
  Begin2D();
  DrawImageTinted(TexVelkrona, MakeColor(1, 1, 1, alpha), 0, 0, WindowWidth(), WindowHeight());
  End2D();
}

void DrawLogoPicture() {
  Begin2D();
  DrawImageTinted(TexLogo, MakeColor(1, 1, 1, 1), 0, 0, WindowWidth(), WindowHeight());
  if (PartTime < 2000)
    DrawRect(MakeColor(0, 0, 0, 1.0f - float(PartTime) / 2000.0f), 0, 0, WindowWidth(), WindowHeight());
  End2D();
}

void FlightFromFront() {
  Camera.Eye = MakeVector(0, 300, -300);
  RenderWaveFlight();
}

void FlightFromSide() {
  Camera.Eye = MakeVector(500, 400, 200);
  RenderWaveFlight();
}

void FlightFromFar() {
  Camera.Eye = MakeVector(0, 200, -900);
  RenderWaveFlight();
}

void SlimeOverPicture() {
  SlimeBackdrop = TexVelkrona;
  RenderSlime();
}

void SlimeWithCredits() {
  glEnable(GL_COLOR_MATERIAL);
  glColor4f(1, 1, 1, 1);
  glDisable(GL_COLOR_MATERIAL);
  SlimeBackdrop = TexVelkrona;
  SlimeTargetLock = true;
  SlimeLockedMove.x = 2000.0f;
  RenderSlime();
  Begin2D();
  DrawImageBlended(TexCr2, 100, 100, 179, 240);
  if (PartTime > 200) DrawImageBlended(TexCr1, 200, 80, 337, 220);
  End2D();
}

}  // namespace

const TPartTable& ShowParts() {
  static const TPartTable parts{
      {
          {60, "Particle System", SetupParticleSystem},
          {62, "Vegetables", SetupVegetables},
          {65, "Dynamic Objects", SetupDynamicObjects},
          {70, "Deform", SetupDeform},
          {75, "Wave", SetupWave},
          {79, "NURB System", SetupNurbSystem},
          {80, "leet slimez0r", SetupVectorSlime},
          {95, "Uncompressing images...", SetupImages},
      },
      {
          DrawIntroPicture,
          DrawLogoPicture,
          RenderFountain,
          RenderAtom,
          RenderBall,
          FlightFromFront,
          FlightFromSide,
          FlightFromFar,
          RenderWaveTop,
          RenderSlimeEcho,
          SlimeOverPicture,
          SlimeWithCredits,
      },
      {"intro", "logo", "fountain", "atom", "jelly ball", "waves front", "waves side", "waves far", "waves top",
       "slime echo", "slime", "credits"},
  };
  return parts;
}
