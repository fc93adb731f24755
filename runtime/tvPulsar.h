// The beat pulse that shapes the scenes' motion, and the operator's test
// shake built on it.
//
// State: shake duration 500 ms, 3 cycles, amplitude 40 (never changed).
#pragma once

#include <cstdint>

float SinPi(float x);
float Pulse(int32_t n, float start, float end, float t);
// Multiplies the current matrix by the shake translation (reads ShakeStart, PartTime).
void ApplyShake();
