// Part 1: the particle fountain. 5001 additive sprites spray from the
// fountain's spout in time with the beat, fall, bounce and fade; at first
// many of them hang on the vertices of the waiting shape.
//
// State: the particles, the emit colour, the two brushes, the particle
// texture and the part camera's eye. The particles advance only while the
// part plays. A frame leaves fog off, blending on with (GL_SRC_COLOR, GL_ONE)
// from the letterbox, and depth testing on; face culling off once the model
// is drawn, that is on every frame but one at part time 0, which leaves
// culling as it found it.
#include "tvEffect1.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Amb2BasicDraw.h"
#include "Amb2Materials.h"
#include "Amb2_3ds.h"
#include "Ambrel2.h"
#include "tvCommon.h"
#include "tvPulsar.h"

int32_t ParticleMax = 5000;
std::array<TParticle, 5001> Particles;
TColorRGBA EmitColor{0.5f, 0.5f, 1.0f, 1.0f};
std::unique_ptr<TAmbBrush> FountainBrush;
std::unique_ptr<TAmbBrush> ShapeBrush;
uint32_t ParticleTexture = 0;
TVector FountainEye;

namespace {

constexpr float Gravity = 0.002f;
constexpr float Floor = -125.0f;
constexpr float BounceDamping = 1.5f;
constexpr float FadeDivisor = 1.01f;
constexpr float LifeSpan = 3000.0f;
constexpr float ShapeHold = 4000.0f;

// The last particle index the loops may touch, whatever ParticleMax says.
int32_t LastParticle() {
  const int32_t last = static_cast<int32_t>(Particles.size()) - 1;
  return ParticleMax < last ? ParticleMax : last;
}

// Vertex count of the shape mesh; a shape file without meshes has none.
int32_t ShapeVertexCount() {
  if (!ShapeBrush || ShapeBrush->MeshCount < 1) return 0;
  const TMeshDataNM& mesh = *ShapeBrush->Meshes[0];
  return std::min<int32_t>(mesh.VertexCount, static_cast<int32_t>(mesh.Vertices.size()));
}

// The difference of two fresh draws, the first minus the second.
double RandomSpread() {
  const double first = Random();
  return first - Random();
}

void PlaceParticles() {
  const int32_t n = ShapeVertexCount();
  for (int32_t i = 0; i <= LastParticle(); ++i) {
    TParticle& p = Particles[i];
    if (i < n - 1) {
      p.Position = ShapeBrush->Meshes[0]->Vertices[i];
      p.Age = -ShapeHold;
    } else {
      p.Position = MakeVector(0, 0, 0);
      p.Age = static_cast<float>(Random() * ShapeHold);
    }
    p.Velocity = MakeVector(0, 0, 0);
    p.Color = MakeColor(0.3f, 0.3f, static_cast<float>(0.5 + Random() / 2), 1.0f);
  }
}

void Respawn(TParticle& p) {
  p.Age = 4;
  p.Position = MakeVector(0, 0, 0);
  const double k = Pulse(60, 0, 30000, static_cast<float>(PartTime));
  p.Velocity.x = static_cast<float>(RandomSpread() * k * 10.5);
  p.Velocity.y = static_cast<float>(std::fabs(RandomSpread() * k * 1.5) + 0.1);
  p.Velocity.z = static_cast<float>(RandomSpread() * k * 1.5);
  p.Color = EmitColor;
}

// Now and then the fountain changes colour; only sprites that respawn
// afterwards take it.
void MaybeChangeEmitColor() {
  if (RandomInt(100) != 4) return;
  Randomize();
  EmitColor.r = static_cast<float>(0.8 * Random());
  EmitColor.g = static_cast<float>(0.5 * Random());
  EmitColor.b = static_cast<float>(Random());
}

void RenderFountainMesh(int32_t index, uint32_t texture) {
  if (index >= FountainBrush->MeshCount) return;
  UseTexture(texture);
  FountainBrush->Meshes[index]->Render();
}

// One corner of a sprite in the layout of GL_T2F_C4F_N3F_V3F.
struct TSpriteCorner {
  float S, T;
  TColorRGBA Color;
  TVector Normal;
  TVector Position;
};

static_assert(sizeof(TSpriteCorner) == 12 * sizeof(float), "corners must be packed for the interleaved array");

std::vector<TSpriteCorner> SpriteCorners;

// The 10 x 10 square whose (0, 0) corner sits on the particle, in the
// corner order and with the texture coordinates of DrawQuadWithNormals.
void AppendSprite(const TParticle& p, std::vector<TSpriteCorner>& corners) {
  const TColorRGBA color{p.Color.r, p.Color.g, p.Color.b, 1.0f};
  const TVector normal{0, 0, 1};
  const TVector& o = p.Position;
  corners.push_back({1, 1, color, normal, {o.x + 10, o.y + 10, o.z}});
  corners.push_back({1, 0, color, normal, {o.x + 10, o.y, o.z}});
  corners.push_back({0, 0, color, normal, {o.x, o.y, o.z}});
  corners.push_back({0, 1, color, normal, {o.x, o.y + 10, o.z}});
}

// All sprites from one array. Blending is additive and the depth test is off,
// so the sum in each pixel does not depend on how the quads are grouped into
// draws: they go in two halves, and the renderer fills the first while the
// second is set up. The shake is the same translation for every sprite, so
// it is applied once to the view instead of once per sprite.
void DrawSpriteBatch(const std::vector<TSpriteCorner>& corners) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_DEPTH_TEST);
  glPushMatrix();
  ApplyShake();
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glInterleavedArrays(GL_T2F_C4F_N3F_V3F, 0, corners.data());
  const GLsizei cornerCount = static_cast<GLsizei>(corners.size()), half = cornerCount / 8 * 4;
  glDrawArrays(GL_QUADS, 0, half);
  StartRendering();
  glDrawArrays(GL_QUADS, half, cornerCount - half);
  glPopClientAttrib();
  glPopMatrix();
  // A drawn array leaves the current values undefined; one by one, the last
  // sprite's corner left them (and, through the colour material, the material).
  const TSpriteCorner& last = corners.back();
  glTexCoord2f(last.S, last.T);
  glNormal3f(last.Normal.x, last.Normal.y, last.Normal.z);
  glColor4f(last.Color.r, last.Color.g, last.Color.b, last.Color.a);
}

}  // namespace

void SetupParticleSystem() {
  FountainBrush = Load3DSBrush("fontene.3ds");
  FountainBrush->Rotate(MakeVector(270, 0, 0));
  FountainBrush->Scale(MakeVector(0.6f, 0.6f, 0.6f));
  ShapeBrush = Load3DSBrush("mormi.3ds");
  ShapeBrush->Rotate(MakeVector(270, 0, 0));
  ParticleTexture = LoadTgaTexture("particle.tga");
  PlaceParticles();
}

void RenderFountain() {
  // The model uses the eye of the previous frame's step; on the part's first
  // frame there is none yet and only the sprites are drawn.
  ScissorToPicture();
  if (PartTime > 0) DrawFountainModel();
  StartRendering();
  StepParticles();
}

void StepParticles() {
  glDisable(GL_FOG);
  const float p = Pulse(4, 0, 20000, static_cast<float>(PartTime));
  FountainEye = MakeVector(400 * p, std::fabs(400 * p) + 70, 400 * p + 400);
  MaybeChangeEmitColor();
  for (int32_t i = 0; i <= LastParticle(); ++i) UpdateParticle(i);
  DrawParticles();
  DrawLetterbox();
}

void UpdateParticle(int32_t index) {
  if (index < 0 || index > LastParticle()) return;
  TParticle& p = Particles[index];
  const float s = FrameStep;
  // Gravity, bounce and fading act once per call, whatever the step.
  if (p.Age > 0) {
    p.Velocity.y -= Gravity;
    if (p.Position.y < Floor) p.Velocity.y = -(p.Velocity.y / BounceDamping);
    p.Color.r /= FadeDivisor;
    p.Color.g /= FadeDivisor;
    p.Color.b /= FadeDivisor;
  }
  p.Position.x += p.Velocity.x * s;
  p.Position.y += p.Velocity.y * s;
  p.Position.z += p.Velocity.z * s;
  p.Age += s;
  if (p.Age > LifeSpan) Respawn(p);
}

void DrawFountainModel() {
  glLoadIdentity();
  gluLookAt(FountainEye.x, FountainEye.y, FountainEye.z, 0, 80, 0, 0, 1, 0);
  glDisable(GL_BLEND);
  EnableSphereMap();
  RenderFountainMesh(0, TexTavixM);
  glDisable(GL_BLEND);
  RenderFountainMesh(2, TexChrome2);
  for (int32_t mesh = 3; mesh <= 6; ++mesh) {
    glDisable(GL_BLEND);
    RenderFountainMesh(mesh, TexSunset);
  }
  RenderFountainMesh(7, TexTavixM);
  DisableSphereMap();
  RenderFountainMesh(8, TexChrome2);
  SetTwoSided(true);
  RenderFountainMesh(9, TexSol);
}

void DrawParticles() {
  // The sprites aim elsewhere than the model: the two views differ on purpose.
  glLoadIdentity();
  gluLookAt(FountainEye.x, FountainEye.y, FountainEye.z, 7, 0, 0, 0, 1, 0);
  UseTexture(ParticleTexture);
  glEnable(GL_COLOR_MATERIAL);
  SpriteCorners.clear();
  for (int32_t i = 0; i <= LastParticle(); ++i) AppendSprite(Particles[i], SpriteCorners);
  if (!SpriteCorners.empty()) DrawSpriteBatch(SpriteCorners);
  glDisable(GL_COLOR_MATERIAL);
}
