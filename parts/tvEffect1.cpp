// Part 1: the particle fountain.
#include "tvEffect1.h"

int32_t ParticleMax = 5000;
std::array<TParticle, 5001> Particles;
TColorRGBA EmitColor;
std::unique_ptr<TAmbBrush> FountainBrush;
std::unique_ptr<TAmbBrush> ShapeBrush;
uint32_t ParticleTexture = 0;
TVector FountainEye;

void SetupParticleSystem() {}
void RenderFountain() {}
void DrawFountainModel() {}
void StepParticles() {}
void UpdateParticle(int32_t) {}
void DrawParticles() {}
