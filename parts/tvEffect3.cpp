// Parts 4 to 7: the wave landscape. Parts 4 to 6 fly the camera over the lit
// landscape in white fog under the rippling, translucent sunset plane; part 7
// shows the plane alone from high above with a big, fast wave.
//
// State: the landscape, plane and stranger brushes. The plane's heights
// persist from frame to frame and from part 6 into part 7.
// Leaves behind: the white clear colour (for the rest of the show), fog on
// after parts 4 to 6, light 0 configured for the slime, face culling off
// after part 7, and RenderTexture holding the trail that part 8 starts from.
#include "tvEffect3.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "Amb2BasicDraw.h"
#include "Amb2Env.h"
#include "Amb2Lights.h"
#include "Amb2Materials.h"
#include "Amb2_2D.h"
#include "Amb2_3ds.h"
#include "AmbSystem.h"
#include "tvCommon.h"
#include "tvPulsar.h"

std::unique_ptr<TAmbBrush> LandscapeBrush, PlaneBrush, StrangerBrush;

namespace {

const TColorRGBA White{1, 1, 1, 1};

TMeshDataNM& PlaneMesh() { return *PlaneBrush->Meshes.at(0); }

// The hidden pass: the previous trail faded a little with the purep picture
// pasted on top, kept in RenderTexture for part 8 to find.
void PaintHiddenTrail(float p) {
  const float w = static_cast<float>(MainWindow.Width);
  const float h = static_cast<float>(MainWindow.Height);
  const float a = std::fabs(p);
  SetTextureViewport(512);
  Begin2D();
  DrawImageTinted(RenderTexture, MakeColor(1, 1, 1, 0.8f), -2, -2, w + 2, h + 2);
  DrawImageBlended(TexPurep, a * 800, a * 400, a * 600 + 120, a * 300 + 60);
  End2D();
  CopyScreenToTexture(RenderTexture, 512);
  ClearScreen();
}

// The light is placed while the modelview is the identity, so it rides
// 800 units above the eye.
void LightFromAbove() {
  SetLightNumber(GL_LIGHT0);
  InitLights();
  LightPosition = MakeVector(0, 800, 0);
  SetLightPosition(LightPosition);
  SetLightColors(White, White);
}

void LookAtSwayingCentre(float p) {
  RotateVector(Camera.Eye, MakeVector(0, -60 - 200 * p, 0));
  glLoadIdentity();
  const TVector& e = Camera.Eye;
  gluLookAt(e.x, e.y, e.z, std::fabs(20 * SineValue), std::fabs(200 * SineValue), std::fabs(20 * SineValue), 0, 1, 0);
}

// One pass over the landscape; true when a mesh was drawn with blending on.
bool DrawLandscapePass() {
  glEnable(GL_COLOR_MATERIAL);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_LIGHTING);
  glDisable(GL_COLOR_MATERIAL);
  bool blended = false;
  for (int32_t i = 0; i < LandscapeBrush->MeshCount; ++i) {
    LandscapeBrush->Meshes[i]->Material->Apply();
    blended = blended || glIsEnabled(GL_BLEND);
    LandscapeBrush->Meshes[i]->Render();
  }
  return blended;
}

void DrawTranslucentPlane() {
  UseTexture(TexSunset2);
  glRotatef(90, 0, 1, 0);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_DST_COLOR);
  glColor4f(0.5f, 0.5f, 0.5f, 0.3f);
  EnableSphereMap();
  PlaneMesh().Render();
  DisableSphereMap();
}

}  // namespace

// The scene draws the landscape ten times in place with identical state.
// Without blending every pass after the first passes the depth test
// (GL_LEQUAL) only where it gives the very same depth and writes the very
// same colour there, so one pass makes the same picture and leaves the same
// state; with blending the passes add up, and all ten are drawn.
void DrawLandscape() {
  if (!DrawLandscapePass()) return;
  for (int pass = 1; pass < 10; ++pass) DrawLandscapePass();
}

void SetupWave() {
  LandscapeBrush = std::make_unique<TAmbBrush>();
  LandscapeBrush->LoadFromFile("landskap.abr");
  LandscapeBrush->Rotate(MakeVector(270, 0, 0));
  LandscapeBrush->Scale(MakeVector(1.5f, 1.5f, 1.5f));
  PlaneBrush = Load3DSBrush("funplane.3ds");
  if (PlaneBrush->Meshes.empty()) throw EFileError("funplane.3ds holds no mesh; the wave plane needs one");
  PlaneBrush->Rotate(MakeVector(270, 0, 0));
  PlaneBrush->Scale(MakeVector(10.5f, 1, 10.5f));
  StrangerBrush = Load3DSBrush("stranger.3ds");
}

// The distance includes the height written in the previous frame, so a
// vertex near the axis feeds its own height back into its phase.
void WavePlane(TMeshDataN& mesh, float amplitude, float speed, float length, float t) {
  const TVector origin{};
  const int32_t count = std::min<int32_t>(mesh.VertexCount, static_cast<int32_t>(mesh.Vertices.size()));
  for (int32_t i = 0; i < count; ++i) {
    const double d = VectorDistance(mesh.Vertices[i], origin);
    mesh.Vertices[i].y = static_cast<float>(amplitude * std::sin((d - t / double(speed)) / length));
  }
  mesh.UpdateNormals();
}

void RenderWaveFlight() {
  glClearColor(1, 1, 1, 1);
  ClearScreen();
  const float p = Pulse(3, 0, 20000, static_cast<float>(PartTime));
  PaintHiddenTrail(p);
  ScissorToPicture();
  EnableAlphaTest();
  glEnable(GL_FOG);
  SetupFog(White, 0, 0.1f, 1000, 3000);
  LightFromAbove();
  LookAtSwayingCentre(p);
  DrawLandscape();
  StartRendering();
  WavePlane(PlaneMesh(), 3, 50, 10, static_cast<float>(PartTime));
  DrawTranslucentPlane();
  glDisable(GL_BLEND);
  DisableAlphaTest();
  DrawLetterbox();
}

void RenderWaveTop() {
  ScissorToPicture();
  glDisable(GL_FOG);
  const float p = Pulse(10, 0, 20000, static_cast<float>(PartTime));
  Camera.Eye = MakeVector(0, 3000, 500);
  RotateVector(Camera.Eye, MakeVector(0, -60 - 360 * p, 0));
  Camera.Eye.y = std::fabs(300 * p + 1300);
  SetLightPosition(MakeVector(0, 100, 0));
  SetLightColors(MakeColor(1, std::fabs(p), 1, 1), White);
  glEnable(GL_LIGHTING);
  WavePlane(PlaneMesh(), 80, 3.5f, 90, static_cast<float>(PartTime));
  ResetMaterialState();
  UseTexture(TexSunset);
  DisableAlphaTest();
  SetTwoSided(true);
  glLoadIdentity();
  const TVector& e = Camera.Eye;
  gluLookAt(e.x, e.y, e.z, std::fabs(20 * p), 0, std::fabs(20 * p), 0, 1, 0);
  glRotatef(180, 0, 0, 1);
  EnableSphereMap();
  PlaneMesh().Render();
  DisableSphereMap();
  DrawLetterbox();
}
