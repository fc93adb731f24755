// Part 1: the particle fountain. 5001 additive sprites spray from the
// fountain's spout in time with the beat, fall, bounce and fade; at first
// many of them hang on the vertices of a waiting shape.
//
// State: the particles, the emit colour, the fountain and shape brushes, the
// particle texture and the part camera's eye.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "Amb2Classes.h"

struct TParticle {
  TVector Velocity;
  TVector Position;
  TColorRGBA Color;
  float Age = 0;
};

extern int32_t ParticleMax;  // highest particle index (inclusive)
extern std::array<TParticle, 5001> Particles;
extern TColorRGBA EmitColor;
extern std::unique_ptr<TAmbBrush> FountainBrush;
extern std::unique_ptr<TAmbBrush> ShapeBrush;
extern uint32_t ParticleTexture;
extern TVector FountainEye;

void SetupParticleSystem();
void RenderFountain();
void DrawFountainModel();
void StepParticles();
void UpdateParticle(int32_t index);
void DrawParticles();
