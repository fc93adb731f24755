// Part 2: the atom with its greyscale feedback trail. Each frame the last
// trail image is redrawn, slightly shifted and stretched on a small circle,
// into the 512 x 512 corner together with a small atom, copied back into the
// render texture in grey, and then stretched over the whole window under the
// full-size atom.
//
// State: the spin angles of the five rings, which advance on every draw of
// the atom (twice per frame) and are never reset. A frame leaves fog and
// lighting off, sphere mapping off, and blending on with (GL_SRC_COLOR,
// GL_ONE) from the letterbox; the render texture keeps the new trail.
#include "tvEffect2.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "Amb2BasicDraw.h"
#include "Amb2Env.h"
#include "Amb2Materials.h"
#include "Amb2_2D.h"
#include "tvCommon.h"
#include "tvPulsar.h"
#include "tvVectorSlime.h"

std::array<TRingAngles, 6> AtomRings;

namespace {

constexpr int TrailSize = 512;
constexpr int32_t RingCount = 5;

void RenderAtomMesh(int32_t index) {
  if (index < AtomBrush->MeshCount) AtomBrush->Meshes[index]->Render();
}

// Ring k turns k times as fast as ring 1, forwards about x, backwards about y.
void DrawRing(int32_t k) {
  TRingAngles& r = AtomRings[k];
  r.AngleX += k * FrameStep / 20;
  r.AngleY -= k * FrameStep / 20;
  glPushMatrix();
  glRotatef(r.AngleX, 1, 0, 0);
  glRotatef(r.AngleY, 0, 1, 0);
  UseTexture(TexSunset2);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  EnableSphereMap();
  RenderAtomMesh(k);
  UseTexture(TexChrome);
  RenderAtomMesh(k);
  UseTexture(TexLyn);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  RenderAtomMesh(k + RingCount);
  DisableSphereMap();
  glPopMatrix();
}

}  // namespace

void RenderAtom() {
  const double t = PartTime / 1000.0;
  const float s = static_cast<float>(-2 * std::sin(t));
  const float c = static_cast<float>(-2 * std::cos(t));
  const float w = static_cast<float>(MainWindow.Width);
  const float h = static_cast<float>(MainWindow.Height);
  SetTextureViewport(TrailSize);
  Begin2D();
  DrawImageTinted(RenderTexture, MakeColor(0.8f, 0.8f, 1.0f, 0.9f), s, c, w + 2 * s, h + 2 * c);
  End2D();
  StartRendering();
  DrawAtomModel();
  CopyScreenToTextureLuminance(RenderTexture, TrailSize);
  ClearScreen();
  ScissorToPicture();
  Begin2D();
  DrawImageSrcColor(RenderTexture, MakeColor(1, 1, 1, 0.99f), 0, 0, w, h);
  End2D();
  StartRendering();
  DrawAtomModel();
  DrawLetterbox();
}

void DrawAtomModel() {
  const float p = Pulse(10, 0, 20000, static_cast<float>(PartTime));
  // Multiplied onto the identity that both callers leave on the stack.
  gluLookAt(1000, 300, 300, 0, 0, 0, 0, 1, 0);
  UseTexture(TexKulehore);
  glDisable(GL_FOG);
  glDisable(GL_LIGHTING);
  glRotatef(360 * p, 1, 1, 1);
  RenderAtomMesh(0);
  for (int32_t k = 1; k <= RingCount; ++k) DrawRing(k);
}
