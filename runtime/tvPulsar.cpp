// The beat pulse and the operator's test shake.
//
// State: the shake's duration, cycle count and amplitude (fixed). ApplyShake
// leaves the current matrix translated.
#include "tvPulsar.h"

#include <GL/gl.h>

#include <cmath>

#include "tvCommon.h"

namespace {
const uint32_t ShakeDuration = 500;
const int32_t ShakeCycles = 3;
const float ShakeAmplitude = 40.0f;
}  // namespace

float SinPi(float x) { return float(std::sin(M_PI * double(x))); }

float Pulse(int32_t n, float start, float end, float t) {
  // Written so that a NaN anywhere falls out as 0.
  if (!(t > start && t < end)) return 0.0f;
  const float u = float((double(t) - start) / (double(end) - start));
  const float w = float(std::log10(double(u)));
  const float nu = float(double(n) * u);
  return float(double(SinPi(u)) * double(SinPi(nu)) * double(w) * double(w));
}

void ApplyShake() {
  if (ShakeStart == 0) return;
  const float p = Pulse(ShakeCycles, float(ShakeStart), float(ShakeStart + ShakeDuration), float(PartTime));
  const float centred = p - 0.5f;
  const float doubled = centred * 2.0f;
  const float s = doubled * ShakeAmplitude;
  glTranslatef(s, s, s);
}
