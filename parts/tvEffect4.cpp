// Parts 8 to 10: the chrome slime. Part 8 draws it twice per frame over the
// stars with a shrinking echo kept in RenderTexture; parts 9 and 10 draw it
// once over the title picture, part 10 with its offset pinned to the side.
//
// State: the target lock and the locked move target.
// Leaves behind: FarPlane 10000 for the rest of the show, SyncLock 0 after
// every call (the operator keys stay locked), blending and fog off.
#include "tvEffect4.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "Amb2BasicDraw.h"
#include "Amb2Env.h"
#include "Amb2Materials.h"
#include "Amb2_2D.h"
#include "Ambrel2.h"
#include "tvCommon.h"
#include "tvPulsar.h"
#include "tvVectorSlime.h"

bool SlimeTargetLock = false;
TVector SlimeLockedMove;

namespace {

// The stars are added onto the echo; the title picture covers it.
void DrawBackdrop() {
  Begin2D();
  if (SlimeBackdrop != TexVelkrona) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
  } else {
    glDisable(GL_BLEND);
  }
  glColor4f(1, 1, 1, 1);
  DrawImage(SlimeBackdrop, 0, 0, static_cast<float>(MainWindow.Width), static_cast<float>(MainWindow.Height));
  End2D();
}

void DrawLitPass() {
  ResetMaterialState();
  UseTexture(TexTavixM);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_FOG);
  glDisable(GL_BLEND);
  glEnable(GL_LIGHTING);
  SlimeMesh->Draw();
}

void DrawChromePass() {
  EnableSphereMap();
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  UseTexture(TexChrome);
  SlimeMesh->Draw();
  glDisable(GL_BLEND);
  DisableSphereMap();
}

}  // namespace

void AimSlimeTargets(float p, float sineValue) {
  const float q = std::fabs(3 * p);
  RotTarget.x = RotTarget.x + q + std::fabs(sineValue / 5);
  RotTarget.y = RotTarget.y + q + std::fabs(sineValue / 3);
  ScaleTarget.x = 1 + p;
  MoveTarget.x = 2000 * p;
  MoveTarget.y = -1600 * p * sineValue;
  if (SlimeTargetLock) MoveTarget = SlimeLockedMove;
}

// The slime is drawn with the projection the backdrop left, so the larger
// far plane only takes effect from the next projection on.
void RenderSlime() {
  DrawBackdrop();
  StartRendering();
  FarPlane = 10000;
  AimSlimeTargets(Pulse(10, 0, 20000, static_cast<float>(PartTime)), SineValue);
  EaseMeshVertices(*SlimeBrush, *SlimeMesh, SlimeVertexCount, SlimeRot, SlimeScale, SlimeMove, 0.3f);
  SlimeMesh->UpdateNormals();
  gluLookAt(0, 2000, 2000, 0, 0, 0, 0, 1, 0);
  DrawLitPass();
  DrawChromePass();
  SyncLock = 0;
}

// The previous frame's picture, squeezed two pixels in from every side and
// nudged by the pulse, under a fresh slime becomes the next trail image.
void RenderSlimeEcho() {
  const float p = Pulse(30, 0, 20000, static_cast<float>(PartTime));
  const float w = static_cast<float>(MainWindow.Width);
  const float h = static_cast<float>(MainWindow.Height);
  SetTextureViewport(512);
  Begin2D();
  DrawImageTinted(RenderTexture, MakeColor(0.9f, 0.9f, 0.9f, 0.9999f), 2 + p, 2 - p, (w - 4) + p, (h - 4) - p);
  End2D();
  RenderSlime();
  CopyScreenToTexture(RenderTexture, 512);
  ClearScreen();
  ScissorToPicture();
  Begin2D();
  DrawImageTinted(RenderTexture, MakeColor(1, 1, 1, 0.9f), 0, 0, w, h);
  End2D();
  RenderSlime();
  DrawLetterbox();
}
