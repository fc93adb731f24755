// What the timeline knows of the music: the peaks of its waveform, and its
// tempo and first beat estimated from the decoded samples (an onset envelope
// and the periodicity of it).
//
// State: none; pure functions of the samples they are given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The loudest sample (0 .. 1, all channels) in each slice of `sliceMs` of
// interleaved signed 16-bit sound, from the first frame on; the last slice
// may be shorter, and none is shorter than one frame.
std::vector<float> WaveformPeaks(const int16_t* samples, size_t frames, int channels, int rate, double sliceMs);

struct TBeatEstimate {
  double Bpm = 0;          // 0 when nothing periodic was found (or under 4 s of sound)
  double FirstBeatMs = 0;  // the first beat, ms into the music, 0 <= FirstBeatMs < one beat
};
// The tempo (searched between 60 and 200 beats a minute) and phase of the beat.
TBeatEstimate EstimateBeat(const int16_t* samples, size_t frames, int channels, int rate);
