// Building blocks of the synthesised music: a stereo mix buffer, oscillators,
// filters, the drum and tone voices that render one note each into a bus,
// and the send effects (a tempo delay and a small room reverb).
//
// State: each bus owns its samples; voices keep nothing between notes. All
// noise comes from seeded generators, so a render is the same every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSampleRate = 44100;

struct TBus {
  explicit TBus(size_t frames) : L(frames, 0.0f), R(frames, 0.0f) {}
  std::vector<float> L, R;
  size_t Frames() const { return L.size(); }
  // Adds a sample with equal-power panning (pan -1 left .. 1 right).
  void Add(size_t frame, float value, float pan);
  void AddBus(const TBus& other, float gain);
};

float NoteHz(float midi);

// Chamberlin state-variable filter. The tuning comes from FilterTuning
// (cutoff in Hz) so that sweeping voices can refresh it only now and then;
// damping runs from 0.1 (sharp) to 1.4 (soft).
float FilterTuning(float cutoff);
struct TFilter {
  float Low = 0, Band = 0;
  float LowPass(float in, float tuning, float damping);
  float HighPass(float in, float tuning, float damping);
};

// Advances a phase in [0, 1) by step.
inline float Advance(float phase, float step) {
  phase += step;
  return phase >= 1.0f ? phase - 1.0f : phase;
}

class TNoise {
 public:
  explicit TNoise(uint32_t seed) : State(seed ? seed : 1) {}
  float Next();  // -1 .. 1

 private:
  uint32_t State;
};

// Band-limited sawtooth (PolyBLEP) from a phase in [0, 1) and its step.
float Saw(float phase, float step);

struct TNote {
  double Start;   // seconds
  double Length;  // seconds
  float Midi;
  float Gain;
  float Pan = 0;
};

void RenderKick(TBus& bus, double start, float gain);
void RenderClap(TBus& bus, double start, float gain, uint32_t seed);
void RenderHat(TBus& bus, double start, float gain, bool open, uint32_t seed);
void RenderCrash(TBus& bus, double start, float gain, uint32_t seed);
// Filtered noise rising over `length` seconds into the next section.
void RenderRiser(TBus& bus, double start, double length, float gain, uint32_t seed);
void RenderBass(TBus& bus, const TNote& note, float brightness);
void RenderPad(TBus& bus, const TNote& note, float brightness);
void RenderLead(TBus& bus, const TNote& note);
void RenderPluck(TBus& bus, const TNote& note);

// Feedback delay with the given time, the echoes alternating sides.
void ApplyPingPong(TBus& bus, double seconds, float feedback);
void ApplyReverb(TBus& bus, float roomSize);
