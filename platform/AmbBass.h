// Music playback: the output device, a table of up to 128 samples decoded
// whole into memory (in the background), playing one of them once or from a
// moment into it, reading the decoded sound, what the output has taken of
// the playing sound and when, and releasing everything.
//
// State: the sample table and its count, whether the device is open, the
// sample playing with its place, volume and pan, where it started on the
// tick count, and the latest mixing rounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

bool InitMusic(void* windowHandle);
// Slot index of the sample, or -1 when the file cannot be read as music. The
// decoding finishes on its own thread; a sample whose decoding fails later
// plays nothing.
int32_t LoadMusic(const std::string& fileName);
// Starts the sample in the slot once; returns the channel (0 when nothing plays).
uint32_t PlayMusic(int32_t slot, int32_t volume, int32_t pan);
void FreeMusic();

// The tick count (TickCount) at which the playing music was at its start
// (PlayMusic's own start, moved on by PlayMusicFrom); false when nothing has
// been started since InitMusic.
bool MusicStartTick(uint32_t& tick);

// The decoded sound of a slot as the output plays it: interleaved signed
// 16-bit frames at the output's rate. Waits for the decoding; empty (null
// Data) when the slot holds nothing playable or there is no output.
struct TMusicSamples {
  const int16_t* Data = nullptr;
  size_t Frames = 0;
  int Rate = 0;
  int Channels = 0;
};
TMusicSamples MusicSamples(int32_t slot);

// Plays the slot's sample from `fromMs` into it, at the volume and pan of the
// last PlayMusic, in place of whatever plays now; a moment past the end
// stops the music. MusicStartTick then gives the tick at which this playback
// would have started from the beginning. Returns the channel as PlayMusic.
uint32_t PlayMusicFrom(int32_t slot, uint32_t fromMs);
// Stops the music; MusicStartTick is unchanged.
void StopMusic();
// Whether music is playing now.
bool MusicPlaying();

// A round of the output's mixing: when it began (ms on the tick count's own
// clock, to a fraction of a ms, whatever tick source is installed) and the
// moment of the sample (ms) it began to hand out. The output asks for a
// round when it has room for one, so a round is heard a fixed time after it
// began: the output's latency.
struct TSongMix {
  double TickMs = 0;
  double SongMs = 0;
};
// The latest rounds of the music playing now, oldest first (up to 16); none
// while nothing plays.
std::vector<TSongMix> RecentSongMixes();
// How long after its round began the output's sound is heard, as far as the
// driver and its buffer tell (PipeWire's graph through its PulseAudio server
// or its own driver, ALSA, or a silent device); an estimate.
double OutputLatencyMs();

// Number of samples loaded so far.
int32_t MusicSampleCount();
