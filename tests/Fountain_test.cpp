// The fountain's particle step without a window: gravity, bounce, fading,
// ageing and respawn with the beat's spread.
#include <gtest/gtest.h>

#include <cmath>

#include "tvCommon.h"
#include "tvEffect1.h"
#include "tvPulsar.h"

namespace {

class ParticleStep : public testing::Test {
 protected:
  void SetUp() override {
    FrameStep = 1.0f;
    PartTime = 5000;
    EmitColor = MakeColor(0.5f, 0.5f, 1.0f, 1.0f);
  }

  TParticle& Place(int32_t index, const TVector& position, const TVector& velocity, float age) {
    TParticle& p = Particles[index];
    p.Position = position;
    p.Velocity = velocity;
    p.Color = MakeColor(1.0f, 0.5f, 0.25f, 0.7f);
    p.Age = age;
    return p;
  }
};

TEST_F(ParticleStep, FlyingSpriteFallsMovesByTheStepAndFadesOncePerCall) {
  FrameStep = 2.0f;
  TParticle& p = Place(0, MakeVector(1, 2, 3), MakeVector(1.0f, 0.5f, -0.25f), 10);
  UpdateParticle(0);
  EXPECT_FLOAT_EQ(p.Velocity.y, 0.498f);
  EXPECT_FLOAT_EQ(p.Position.x, 3.0f);
  EXPECT_FLOAT_EQ(p.Position.y, 2.0f + 0.498f * 2);
  EXPECT_FLOAT_EQ(p.Position.z, 2.5f);
  EXPECT_FLOAT_EQ(p.Age, 12.0f);
  EXPECT_FLOAT_EQ(p.Color.r, 1.0f / 1.01f);
  EXPECT_FLOAT_EQ(p.Color.b, 0.25f / 1.01f);
  EXPECT_EQ(p.Color.a, 0.7f);

  // A frame with no elapsed time still pulls and fades, but nothing moves.
  FrameStep = 0.0f;
  UpdateParticle(0);
  EXPECT_FLOAT_EQ(p.Velocity.y, 0.496f);
  EXPECT_FLOAT_EQ(p.Position.x, 3.0f);
  EXPECT_FLOAT_EQ(p.Age, 12.0f);
  EXPECT_FLOAT_EQ(p.Color.r, 1.0f / 1.01f / 1.01f);
}

TEST_F(ParticleStep, WaitingSpriteOnlyAges) {
  TParticle& p = Place(ParticleMax, MakeVector(5, 6, 7), MakeVector(0, 0, 0), -4000);
  UpdateParticle(ParticleMax);
  EXPECT_EQ(p.Velocity.y, 0.0f);
  EXPECT_EQ(p.Position.y, 6.0f);
  EXPECT_EQ(p.Color.r, 1.0f);
  EXPECT_EQ(p.Age, -3999.0f);
  // An age of exactly 0 is not yet flying.
  p.Age = -1;
  UpdateParticle(ParticleMax);
  UpdateParticle(ParticleMax);
  EXPECT_FLOAT_EQ(p.Velocity.y, 0.0f);
  UpdateParticle(ParticleMax);
  EXPECT_FLOAT_EQ(p.Velocity.y, -0.002f);
}

TEST_F(ParticleStep, SpriteBelowTheFloorBouncesOnEveryFrameItStaysThere) {
  TParticle& p = Place(7, MakeVector(0, -130, 0), MakeVector(0, -1, 0), 100);
  UpdateParticle(7);
  EXPECT_FLOAT_EQ(p.Velocity.y, 1.002f / 1.5f);
  EXPECT_LT(p.Position.y, -125.0f);
  const float up = p.Velocity.y;
  UpdateParticle(7);
  EXPECT_FLOAT_EQ(p.Velocity.y, -((up - 0.002f) / 1.5f));
  // Exactly on the floor is not below it.
  Place(8, MakeVector(0, -125, 0), MakeVector(0, -1, 0), 100);
  UpdateParticle(8);
  EXPECT_FLOAT_EQ(Particles[8].Velocity.y, -1.002f);
}

TEST_F(ParticleStep, OldSpriteRespawnsAtTheOriginWithTheBeatsSpread) {
  TParticle& p = Place(3, MakeVector(40, -50, 60), MakeVector(1, 1, 1), 2999);
  UpdateParticle(3);
  EXPECT_EQ(p.Age, 3000.0f) << "an age of exactly 3000 has not passed the span";

  // Six draws in order: x, y and z each from the first of a pair minus the second.
  PartTime = 1250;
  SetRandomSeed(1234);
  double r[6];
  for (double& v : r) v = Random();
  SetRandomSeed(1234);
  EmitColor = MakeColor(0.1f, 0.2f, 0.3f, 0.4f);
  UpdateParticle(3);
  const double k = Pulse(60, 0, 30000, 1250);
  ASSERT_NE(k, 0.0);
  EXPECT_EQ(p.Age, 4.0f);
  EXPECT_EQ(p.Position.x, 0.0f);
  EXPECT_EQ(p.Position.y, 0.0f);
  EXPECT_FLOAT_EQ(p.Velocity.x, static_cast<float>((r[0] - r[1]) * k * 10.5));
  EXPECT_FLOAT_EQ(p.Velocity.y, static_cast<float>(std::fabs((r[2] - r[3]) * k * 1.5) + 0.1));
  EXPECT_FLOAT_EQ(p.Velocity.z, static_cast<float>((r[4] - r[5]) * k * 1.5));
  EXPECT_EQ(p.Color.g, 0.2f);
  EXPECT_EQ(p.Color.a, 0.4f);
}

TEST_F(ParticleStep, AfterThirtySecondsSpritesLeaveStraightUp) {
  PartTime = 30000;
  TParticle& p = Place(5000, MakeVector(0, 0, 0), MakeVector(3, 3, 3), 3000);
  UpdateParticle(5000);
  EXPECT_EQ(p.Age, 4.0f);
  EXPECT_EQ(p.Velocity.x, 0.0f);
  EXPECT_FLOAT_EQ(p.Velocity.y, 0.1f);
  EXPECT_EQ(p.Velocity.z, 0.0f);
}

}  // namespace
