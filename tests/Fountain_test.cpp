// The fountain's particle step without a window: gravity, bounce, fading,
// ageing and respawn with the beat's spread, at the edges the pictures of a
// few seconds of the show do not reach.
#include <gtest/gtest.h>

#include <cmath>

#include "tvCommon.h"
#include "tvEffect1.h"
#include "tvPulsar.h"

namespace {

TParticle& Place(const TVector& position, const TVector& velocity, float age) {
  PartTime = 5000;
  EmitColor = MakeColor(0.5f, 0.5f, 1.0f, 1.0f);
  return Particles[ParticleMax] = TParticle{velocity, position, MakeColor(1.0f, 0.5f, 0.25f, 0.7f), age};
}

struct TStepCase {
  const char* Name;
  float Step, Age;  // the frame step and the sprite's age before the call
  TVector Position, Velocity;
  float VelocityY, PositionY, AgeAfter, Red;  // after one call; red starts at 1
};

TEST(ParticleStep, GravityBounceAndFadeActOncePerCallMotionAndAgeByTheStep) {
  const float fade = 1 / 1.01f;
  const TStepCase cases[] = {
      {"flying", 2, 10, {1, 2, 3}, {1, 0.5f, -0.25f}, 0.498f, 2 + 0.498f * 2, 12, fade},
      {"no elapsed time: pulled and faded, not moved", 0, 10, {1, 2, 3}, {1, 0.5f, 0}, 0.498f, 2, 10, fade},
      {"waiting", 1, -4000, {5, 6, 7}, {0, 0, 0}, 0, 6, -3999, 1},
      {"an age of 0 is not yet flying", 1, 0, {5, 6, 7}, {0, 0, 0}, 0, 6, 1, 1},
      {"below the floor", 1, 100, {0, -130, 0}, {0, -1, 0}, 1.002f / 1.5f, -130 + 1.002f / 1.5f, 101, fade},
      {"still below, rising", 1, 100, {0, -129, 0}, {0, 0.5f, 0}, -0.498f / 1.5f, -129 - 0.498f / 1.5f, 101, fade},
      {"exactly on the floor", 1, 100, {0, -125, 0}, {0, -1, 0}, -1.002f, -126.002f, 101, fade},
      {"an age of 3000 has not passed the span", 1, 2999, {40, -50, 60}, {0, 0, 0}, -0.002f, -50.002f, 3000, fade},
  };
  for (const TStepCase& c : cases) {
    TParticle& p = Place(c.Position, c.Velocity, c.Age);
    FrameStep = c.Step;
    UpdateParticle(ParticleMax);
    EXPECT_FLOAT_EQ(p.Velocity.y, c.VelocityY) << c.Name;
    EXPECT_FLOAT_EQ(p.Position.y, c.PositionY) << c.Name;
    EXPECT_FLOAT_EQ(p.Position.x, c.Position.x + c.Velocity.x * c.Step) << c.Name;
    EXPECT_FLOAT_EQ(p.Age, c.AgeAfter) << c.Name;
    EXPECT_FLOAT_EQ(p.Color.r, c.Red) << c.Name;
    EXPECT_FLOAT_EQ(p.Color.b, 0.25f * c.Red) << c.Name;
    EXPECT_EQ(p.Color.a, 0.7f) << c.Name;
  }
}

// Six draws in order: x, y and z each from the first of a pair minus the
// second, spread by the beat; after 30 s straight up instead.
TEST(ParticleStep, OldSpriteRespawnsAtTheOriginWithTheBeatsSpread) {
  for (const uint32_t partTime : {1250u, 30000u}) {
    TParticle& p = Place(MakeVector(40, -50, 60), MakeVector(1, 1, 1), 3000);
    FrameStep = 1;
    PartTime = partTime;
    EmitColor = MakeColor(0.1f, 0.2f, 0.3f, 0.4f);
    SetRandomSeed(1234);
    double r[6];
    for (double& v : r) v = Random();
    SetRandomSeed(1234);
    UpdateParticle(ParticleMax);
    const double k = partTime < 30000 ? Pulse(60, 0, 30000, partTime) : 0;
    EXPECT_EQ(p.Age, 4.0f);
    EXPECT_EQ(p.Position.x, 0.0f);
    EXPECT_EQ(p.Position.y, 0.0f);
    EXPECT_FLOAT_EQ(p.Velocity.x, static_cast<float>((r[0] - r[1]) * k * 10.5)) << partTime;
    EXPECT_FLOAT_EQ(p.Velocity.y, static_cast<float>(std::fabs((r[2] - r[3]) * k * 1.5) + 0.1)) << partTime;
    EXPECT_FLOAT_EQ(p.Velocity.z, static_cast<float>((r[4] - r[5]) * k * 1.5)) << partTime;
    EXPECT_EQ(p.Color.g, 0.2f);
    EXPECT_EQ(p.Color.a, 0.4f);
  }
  EXPECT_NE(Pulse(60, 0, 30000, 1250), 0.0);
}

}  // namespace
