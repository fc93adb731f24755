// The jelly machinery: every vertex carries its own eased copy of a rotation,
// a scale and an offset that follow shared targets at a rate set by the
// vertex's distance from the centre, so the rim lags and the middle
// overshoots. Also the set-up that loads the slime, atom and ball, the set-up
// of the three late images, and part 3, the spring-eased ball.
//
// State: the three targets (shared with the slime scene, never reset), the
// three brushes, the spring arrays and the working meshes. A frame of part 3
// leaves face culling on, depth testing on, fog and lighting off, sphere
// mapping off, blending on with (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA) and
// polygons filled.
#include "tvVectorSlime.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "Amb2Materials.h"
#include "Amb2_2D.h"
#include "Amb2_3ds.h"
#include "AmbFrame.h"
#include "Ambrel2.h"
#include "tvCommon.h"
#include "tvPulsar.h"

TVector RotTarget, ScaleTarget, MoveTarget;

std::unique_ptr<TAmbBrush> SlimeBrush;
int32_t SlimeVertexCount = 0;
std::vector<TSpringVec> SlimeRot, SlimeScale, SlimeMove;
std::unique_ptr<TMeshDataN> SlimeMesh;
std::unique_ptr<TAmbBrush> BallBrush;
int32_t BallVertexCount = 0;
std::vector<TSpringVec> BallRot, BallScale, BallMove;
std::unique_ptr<TMeshDataN> BallMesh;
std::unique_ptr<TAmbBrush> AtomBrush;

namespace {

// Mesh 0 of a brush, the only one the eased models use; null when empty.
const TMeshDataNM* FirstMesh(const TAmbBrush& brush) {
  return brush.MeshCount > 0 && !brush.Meshes.empty() ? brush.Meshes[0].get() : nullptr;
}

int32_t UsableVertexCount(const TMeshData& mesh) {
  return std::min<int32_t>(mesh.VertexCount, static_cast<int32_t>(mesh.Vertices.size()));
}

std::vector<TSpringVec> SpringsAt(const std::vector<float>& radii) {
  std::vector<TSpringVec> springs(radii.size());
  for (size_t i = 0; i < radii.size(); ++i) springs[i].Radius = radii[i];
  return springs;
}

// Springs at rest (zero) for every vertex of mesh 0, each with the vertex's
// distance from the origin, and the working mesh.
void PrepareEasedModel(const TAmbBrush& brush, int32_t& count, std::vector<TSpringVec>& rot,
                       std::vector<TSpringVec>& scale, std::vector<TSpringVec>& move,
                       std::unique_ptr<TMeshDataN>& working) {
  const TMeshDataNM* source = FirstMesh(brush);
  count = source ? UsableVertexCount(*source) : 0;
  std::vector<float> radii(count);
  for (int32_t i = 0; i < count; ++i) radii[i] = VectorDistance(source->Vertices[i], MakeVector(0, 0, 0));
  rot = SpringsAt(radii);
  scale = SpringsAt(radii);
  move = SpringsAt(radii);
  working = source ? WorkingMeshLike(*source, count) : std::make_unique<TMeshDataN>();
}

float EaseComponent(float old, float target, double f) {
  const float eased = static_cast<float>((target - old) * f + old);
  // A vertex at the centre has an infinite rate: keep the old value rather
  // than let a NaN or an infinity into the mesh.
  return std::isfinite(eased) ? eased : old;
}

void SetBallTargets(float p) {
  RotTarget.x += std::fabs(p) + std::fabs(SineValue / 15);
  RotTarget.y += std::fabs(p) + std::fabs(SineValue / 13);
  ScaleTarget.x = 1 + p;
  ScaleTarget.y = 1 + p;
  MoveTarget.x = 1000 * p;
  MoveTarget.y = -800 * p * SineValue;
}

// The four pictures slide in one after another (the conditions are strict).
void DrawBallOverlays(float t) {
  const float w = static_cast<float>(MainWindow.Width);
  const float h = static_cast<float>(MainWindow.Height);
  Begin2D();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 1);
  if (t > 3000) DrawImage(TexG[0], t / 100, 200, 613, 72);
  if (t > 4000) DrawImage(TexG[1], w - t / 20, 332, 137, 57);
  if (t > 6000) DrawImage(TexG[2], 200, h - t / 20, 269, 160);
  if (t > 8000) DrawImage(TexG[3], t / 60, t / 60, 650, 300);
  End2D();
}

// The ball twice: a wireframe and a solid pass whose opacities cross-fade.
// The wire is as thick in a larger frame as in the classic one.
void DrawBallMesh(float t) {
  const float fade = static_cast<float>(std::sin(t / 1000.0));
  const bool scaled = FrameScale() != 1;
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  if (scaled) glLineWidth(FrameScale());
  glColor4f(1, 1, 1, fade);
  BallMesh->Draw();
  if (scaled) glLineWidth(1);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glColor4f(1, 1, 1, 1 - fade);
  BallMesh->Draw();
}

}  // namespace

void SetupVectorSlime() {
  SlimeBrush = Load3DSBrush("slime.3ds");
  PrepareEasedModel(*SlimeBrush, SlimeVertexCount, SlimeRot, SlimeScale, SlimeMove, SlimeMesh);
  AtomBrush = Load3DSBrush("Atom.3ds");
  BallBrush = Load3DSBrush("ball.3ds");
  PrepareEasedModel(*BallBrush, BallVertexCount, BallRot, BallScale, BallMove, BallMesh);
}

void SetupImages() {
  TexMarl = LoadTexture("marl.jpg");
  TexTavix = LoadTexture("tavix.jpg");
  TexTesk = LoadTexture("tesk.jpg");
}

void SpringStep(TSpringVec& s, const TVector& target, float k) {
  const double f = static_cast<double>(FrameStep) / (static_cast<double>(s.Radius) * k);
  s.X = EaseComponent(s.X, target.x, f);
  s.Y = EaseComponent(s.Y, target.y, f);
  s.Z = EaseComponent(s.Z, target.z, f);
}

void EaseMeshVertices(const TAmbBrush& source, TMeshDataN& working, int32_t count, std::vector<TSpringVec>& rot,
                      std::vector<TSpringVec>& scale, std::vector<TSpringVec>& move, float kR) {
  const TMeshDataNM* mesh = FirstMesh(source);
  if (!mesh) return;
  const size_t n = std::min({static_cast<size_t>(std::max(count, 0)), static_cast<size_t>(UsableVertexCount(*mesh)),
                             working.Vertices.size(), rot.size(), scale.size(), move.size()});
  for (size_t i = 0; i < n; ++i) {
    SpringStep(rot[i], RotTarget, kR);
    SpringStep(scale[i], ScaleTarget, 1.0f);
    SpringStep(move[i], MoveTarget, 2.0f);
    TVector v = mesh->Vertices[i];
    RotateVector(v, MakeVector(rot[i].X, rot[i].Y, 0));
    v = VectorScale(v, scale[i].X);
    working.Vertices[i] = MakeVector(v.x + move[i].X, v.y + move[i].Y, v.z + move[i].Z);
  }
}

void RenderBall() {
  const float t = static_cast<float>(PartTime);
  SetBallTargets(Pulse(10, 0, 20000, t));
  EaseMeshVertices(*BallBrush, *BallMesh, BallVertexCount, BallRot, BallScale, BallMove, 3.0f);
  BallMesh->UpdateNormals();
  Begin2D();
  DrawImageBlended(TexTavix, 0, 0, MainWindow.Width, MainWindow.Height);
  End2D();
  DrawBallOverlays(t);
  glDisable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  SetTwoSided(false);
  glLoadIdentity();
  gluLookAt(300, 300, 500, 0, 0, 0, 0, 1, 0);
  UseTexture(TexSunset2);
  EnableSphereMap();
  glDisable(GL_FOG);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  DrawBallMesh(t);
  DisableSphereMap();
}
