// Music playback: the output device, a table of up to 128 samples decoded
// whole into memory (in the background), playing a sample once or from a
// moment into it, pausing, reading the decoded sound, and releasing
// everything.
//
// State: the sample table and its count, whether the device is open, where
// the playing music started and whether it is paused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

bool InitMusic(void* windowHandle);
// Slot index of the sample, or -1 when the file cannot be read as music. The
// decoding finishes on its own thread; a sample whose decoding fails later
// plays nothing.
int32_t LoadMusic(const std::string& fileName);
// Starts the sample in the slot once; returns the channel (0 when nothing plays).
uint32_t PlayMusic(int32_t slot, int32_t volume, int32_t pan);
void FreeMusic();

// The tick count (TickCount) at which the playing music was at its start
// (PlayMusic's own start, moved on by PlayMusicFrom and by pauses); false
// when nothing has been started since InitMusic.
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
// would have started from the beginning. The new playback is not paused.
// Returns the channel as PlayMusic.
uint32_t PlayMusicFrom(int32_t slot, uint32_t fromMs);
// Stops every channel; MusicStartTick is unchanged.
void StopMusic();
// Pauses and resumes what plays. While paused the start tick moves on with
// the clock, so that MusicStartTick still tells where the music is.
void PauseMusic(bool paused);
// Whether any music is playing now (paused music counts).
bool MusicPlaying();

// Number of samples loaded so far.
int32_t MusicSampleCount();
