// Oscillators, filters, voices and effects of the music generator.
//
// State: none global; voices render whole notes into the bus they are given.
#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace {

const float kTwoPi = 6.28318531f;

size_t FrameAt(double seconds) { return size_t(std::max(0.0, seconds) * kSampleRate + 0.5); }

// Attack-decay-sustain-release level at time t of a note held for `held` seconds.
float Envelope(float t, float held, float attack, float decay, float sustain, float release) {
  float level;
  if (t < attack) {
    level = t / attack;
  } else {
    level = sustain + (1 - sustain) * std::exp(-(t - attack) / decay);
  }
  if (t > held) level *= std::exp(-(t - held) / release);
  return level;
}

}  // namespace

void TBus::Add(size_t frame, float value, float pan) {
  if (frame >= L.size()) return;
  float angle = (pan + 1) * 0.25f * 3.14159265f;
  L[frame] += value * std::cos(angle) * 1.41421356f;
  R[frame] += value * std::sin(angle) * 1.41421356f;
}

void TBus::AddBus(const TBus& other, float gain) {
  for (size_t i = 0; i < std::min(Frames(), other.Frames()); ++i) {
    L[i] += other.L[i] * gain;
    R[i] += other.R[i] * gain;
  }
}

float NoteHz(float midi) { return 440.0f * std::pow(2.0f, (midi - 69.0f) / 12.0f); }

float FilterTuning(float cutoff) { return 2 * std::sin(3.14159265f * std::min(cutoff, 11000.0f) / kSampleRate); }

float TFilter::LowPass(float in, float f, float damping) {
  Low += f * Band;
  float high = in - Low - damping * Band;
  Band += f * high;
  return Low;
}

float TFilter::HighPass(float in, float f, float damping) {
  Low += f * Band;
  float high = in - Low - damping * Band;
  Band += f * high;
  return high;
}

float TNoise::Next() {
  State ^= State << 13;
  State ^= State >> 17;
  State ^= State << 5;
  return float(State) / 2147483648.0f - 1.0f;
}

float Saw(float phase, float step) {
  float value = 2 * phase - 1;
  if (phase < step) {
    float t = phase / step;
    value -= t + t - t * t - 1;
  } else if (phase > 1 - step) {
    float t = (phase - 1) / step;
    value -= t * t + t + t + 1;
  }
  return value;
}

// Sine whose pitch falls from 160 Hz to 45 Hz, with a short click on top.
void RenderKick(TBus& bus, double start, float gain) {
  size_t first = FrameAt(start);
  float phase = 0;
  for (size_t i = 0; i < size_t(0.45f * kSampleRate); ++i) {
    float t = float(i) / kSampleRate;
    float hz = 45 + 115 * std::exp(-t * 28);
    phase += hz / kSampleRate;
    float body = std::sin(kTwoPi * phase) * std::exp(-t * 6.5f);
    float click = std::exp(-t * 400) * 0.4f;
    bus.Add(first + i, gain * std::tanh(1.6f * (body + click)), 0);
  }
}

void RenderClap(TBus& bus, double start, float gain, uint32_t seed) {
  TNoise noise(seed);
  TFilter band;
  size_t first = FrameAt(start);
  for (size_t i = 0; i < size_t(0.3f * kSampleRate); ++i) {
    float t = float(i) / kSampleRate;
    // Three quick bursts before the tail, as hands clapping together.
    float bursts = t < 0.03f ? std::exp(-std::fmod(t, 0.01f) * 300) : std::exp(-(t - 0.03f) * 14);
    band.LowPass(noise.Next(), FilterTuning(1500), 0.5f);
    float tone = std::sin(kTwoPi * 185 * t) * std::exp(-t * 30) * 0.5f;
    bus.Add(first + i, gain * (band.Band * 1.6f * bursts + tone), 0.05f);
  }
}

void RenderHat(TBus& bus, double start, float gain, bool open, uint32_t seed) {
  TNoise noise(seed);
  TFilter high;
  size_t first = FrameAt(start);
  float decay = open ? 9.0f : 60.0f;
  for (size_t i = 0; i < size_t((open ? 0.4f : 0.08f) * kSampleRate); ++i) {
    float t = float(i) / kSampleRate;
    bus.Add(first + i, gain * high.HighPass(noise.Next(), FilterTuning(7500), 0.6f) * std::exp(-t * decay), 0.3f);
  }
}

void RenderCrash(TBus& bus, double start, float gain, uint32_t seed) {
  TNoise left(seed), right(seed + 1);
  TFilter highL, highR;
  size_t first = FrameAt(start);
  for (size_t i = 0; i < size_t(2.5f * kSampleRate); ++i) {
    float t = float(i) / kSampleRate;
    float level = gain * std::exp(-t * 1.8f);
    if (first + i >= bus.Frames()) break;
    bus.L[first + i] += level * highL.HighPass(left.Next(), FilterTuning(5000), 0.8f);
    bus.R[first + i] += level * highR.HighPass(right.Next(), FilterTuning(5200), 0.8f);
  }
}

void RenderRiser(TBus& bus, double start, double length, float gain, uint32_t seed) {
  TNoise noise(seed);
  TFilter band;
  size_t first = FrameAt(start), count = size_t(length * kSampleRate);
  for (size_t i = 0; i < count; ++i) {
    float u = float(i) / float(count);
    band.LowPass(noise.Next(), FilterTuning(300 + 7000 * u * u), 0.4f);
    bus.Add(first + i, gain * band.Band * u * u, std::sin(u * 12.0f) * 0.5f);
  }
}

// Two detuned saws through a resonant low-pass whose cutoff snaps open per note.
void RenderBass(TBus& bus, const TNote& note, float brightness) {
  TFilter filter;
  size_t first = FrameAt(note.Start);
  float hz = NoteHz(note.Midi), phaseA = 0, phaseB = 0.3f, tuning = 0;
  for (size_t i = 0; i < size_t((note.Length + 0.05) * kSampleRate); ++i) {
    float t = float(i) / kSampleRate;
    float stepA = hz / kSampleRate, stepB = hz * 1.006f / kSampleRate;
    phaseA = Advance(phaseA, stepA);
    phaseB = Advance(phaseB, stepB);
    float raw = 0.5f * (Saw(phaseA, stepA) + Saw(phaseB, stepB)) + 0.6f * std::sin(kTwoPi * phaseA);
    if (i % 16 == 0) tuning = FilterTuning(120 + brightness * 1800 * std::exp(-t * 12));
    float level = Envelope(t, float(note.Length), 0.004f, 0.25f, 0.7f, 0.02f);
    bus.Add(first + i, note.Gain * level * filter.LowPass(raw, tuning, 0.35f), note.Pan);
  }
}

// Slow-breathing detuned saws, one per side, softened by a low-pass.
void RenderPad(TBus& bus, const TNote& note, float brightness) {
  TFilter left, right;
  size_t first = FrameAt(note.Start);
  float hz = NoteHz(note.Midi), phaseL = 0, phaseR = 0.5f, tuning = 0, level = 0;
  size_t count = size_t((note.Length + 1.2) * kSampleRate);
  for (size_t i = 0; i < count; ++i) {
    float t = float(i) / kSampleRate;
    float stepL = hz * 0.996f / kSampleRate, stepR = hz * 1.004f / kSampleRate;
    phaseL = Advance(phaseL, stepL);
    phaseR = Advance(phaseR, stepR);
    // The sweep and the envelope move slowly: refresh them every 64 samples.
    if (i % 64 == 0) {
      tuning = FilterTuning(500 + brightness * 2200 * (0.6f + 0.4f * std::sin(t * 1.7f)));
      level = note.Gain * Envelope(t, float(note.Length), 0.35f, 1.0f, 1.0f, 0.45f);
    }
    size_t frame = first + i;
    if (frame >= bus.Frames()) break;
    bus.L[frame] += level * left.LowPass(Saw(phaseL, stepL), tuning, 0.9f);
    bus.R[frame] += level * right.LowPass(Saw(phaseR, stepR), tuning, 0.9f);
  }
}

// Square-ish lead with a delayed vibrato.
void RenderLead(TBus& bus, const TNote& note) {
  TFilter filter;
  size_t first = FrameAt(note.Start);
  float hz = NoteHz(note.Midi), phase = 0;
  for (size_t i = 0; i < size_t((note.Length + 0.25) * kSampleRate); ++i) {
    float t = float(i) / kSampleRate;
    float vibrato = 1 + 0.004f * std::sin(kTwoPi * 5.5f * t) * std::min(1.0f, t * 3);
    float step = hz * vibrato / kSampleRate;
    phase = Advance(phase, step);
    float pulse = Saw(phase, step) - Saw(Advance(phase, 0.42f), step);
    float raw = 0.6f * pulse + 0.4f * Saw(phase, step);
    float level = Envelope(t, float(note.Length), 0.01f, 0.3f, 0.75f, 0.12f);
    bus.Add(first + i, note.Gain * level * filter.LowPass(raw, FilterTuning(3200), 0.7f), note.Pan);
  }
}

// Short bell-like pluck: sine with a quickly fading octave partial.
void RenderPluck(TBus& bus, const TNote& note) {
  size_t first = FrameAt(note.Start);
  float hz = NoteHz(note.Midi);
  for (size_t i = 0; i < size_t(0.5f * kSampleRate); ++i) {
    float t = float(i) / kSampleRate;
    float tone = std::sin(kTwoPi * hz * t) + 0.5f * std::sin(kTwoPi * 2 * hz * t) * std::exp(-t * 18);
    bus.Add(first + i, note.Gain * tone * std::exp(-t * 9) * std::min(1.0f, t * 400), note.Pan);
  }
}

void ApplyPingPong(TBus& bus, double seconds, float feedback) {
  size_t delay = FrameAt(seconds);
  for (size_t i = delay; i < bus.Frames(); ++i) {
    // Each side is fed by the other's echo, so repeats bounce across.
    bus.L[i] += bus.R[i - delay] * feedback;
    bus.R[i] += bus.L[i - delay] * feedback;
  }
}

namespace {

struct TComb {
  std::vector<float> Line;
  size_t Pos = 0;
  float Store = 0;
  float Process(float in, float feedback, float damp) {
    float out = Line[Pos];
    Store = out * (1 - damp) + Store * damp;
    Line[Pos] = in + Store * feedback;
    Pos = (Pos + 1) % Line.size();
    return out;
  }
};

struct TAllPass {
  std::vector<float> Line;
  size_t Pos = 0;
  float Process(float in) {
    float delayed = Line[Pos];
    Line[Pos] = in + delayed * 0.5f;
    Pos = (Pos + 1) % Line.size();
    return delayed - in;
  }
};

// One channel of a Schroeder room: parallel combs, then series all-passes.
std::vector<float> Room(const std::vector<float>& in, int spread, float roomSize) {
  std::vector<TComb> combs;
  for (int length : {1116, 1188, 1277, 1356, 1422, 1491})
    combs.push_back({std::vector<float>(size_t(length + spread)), 0, 0});
  std::vector<TAllPass> passes;
  for (int length : {556, 441, 341}) passes.push_back({std::vector<float>(size_t(length + spread)), 0});
  std::vector<float> out(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    float sum = 0;
    for (TComb& comb : combs) sum += comb.Process(in[i] * 0.015f, roomSize, 0.3f);
    for (TAllPass& pass : passes) sum = pass.Process(sum);
    out[i] = sum;
  }
  return out;
}

}  // namespace

void ApplyReverb(TBus& bus, float roomSize) {
  std::vector<float> mono(bus.Frames());
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = bus.L[i] + bus.R[i];
  bus.L = Room(mono, 0, roomSize);
  bus.R = Room(mono, 23, roomSize);
}
