// Music playback: the output device, a table of up to 128 samples decoded
// whole into memory (in the background), playing a sample once, and
// releasing everything.
//
// State: the sample table and its count, whether the device is open.
#pragma once

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

// The tick count (TickCount) at which the last PlayMusic started playback;
// false when nothing has been started since InitMusic.
bool MusicStartTick(uint32_t& tick);

// Number of samples loaded so far.
int32_t MusicSampleCount();
