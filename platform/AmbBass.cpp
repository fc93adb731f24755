// Music over SDL2_mixer: the default output at 44100 Hz, up to 128 samples
// each decoded whole into memory, a sample played once at a volume and pan.
// Without a sound device everything quietly does nothing.
//
// A sample's format is recognised when it is loaded, so a file that is not
// music is refused at once; the whole decoding (a few hundred ms for the
// demo's song) then runs on a thread of its own beside the rest of the
// loading, and the sample is waited for when it is first played or freed.
//
// Playing from a moment plays a chunk made over the rest of the decoded
// buffer (it owns none of it); at most one such chunk exists at a time, and
// it goes once nothing plays it any more.
//
// State: the sample table and its count, whether the output is open, the
// tick at which the playing music was at its start, the volume and pan of
// the last PlayMusic, the partial chunk, whether and since when the music is
// paused. FreeMusic closes everything.
#include "AmbBass.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <future>

#include "AmbSystem.h"

namespace {

constexpr int32_t MaxSamples = 128;

struct TSample {
  std::future<Mix_Chunk*> Decoding;
  Mix_Chunk* Chunk = nullptr;
};
std::array<TSample, MaxSamples> samples;
int32_t sampleCount = 0;
bool outputOpen = false;
bool playStarted = false;
uint32_t playStartTick = 0;
int playVolume = MIX_MAX_VOLUME;
int32_t playPan = 0;
Mix_Chunk* partialChunk = nullptr;
bool paused = false;
uint32_t pausedSince = 0;

// Volume 0..100 onto the mixer's 0..128.
int MixerVolume(int32_t volume) {
  if (volume < 0) volume = 0;
  if (volume > 100) volume = 100;
  return volume * MIX_MAX_VOLUME / 100;
}

// Pan -100 (left) .. 100 (right): the far side fades, the near side stays full.
void ApplyPan(int channel, int32_t pan) {
  if (pan < -100) pan = -100;
  if (pan > 100) pan = 100;
  const int left = pan > 0 ? 255 * (100 - pan) / 100 : 255;
  const int right = pan < 0 ? 255 * (100 + pan) / 100 : 255;
  if (left != 255 || right != 255) Mix_SetPanning(channel, Uint8(left), Uint8(right));
}

// The decoded sample, once its decoding has finished; null when it failed.
Mix_Chunk* Settle(TSample& sample) {
  if (sample.Decoding.valid()) sample.Chunk = sample.Decoding.get();
  return sample.Chunk;
}

// The settled chunk of a slot, when the output is open and the slot is loaded.
Mix_Chunk* SlotChunk(int32_t slot) {
  if (!outputOpen || slot < 0 || slot >= sampleCount) return nullptr;
  return Settle(samples[slot]);
}

// Plays a chunk once at the last PlayMusic's volume and pan; the 1-based
// channel, or 0. A new playback is never paused.
uint32_t StartChunk(Mix_Chunk* chunk, uint32_t startTick) {
  Mix_VolumeChunk(chunk, playVolume);
  const int channel = Mix_PlayChannel(-1, chunk, 0);
  if (channel < 0) return 0;
  playStartTick = startTick;
  playStarted = true;
  paused = false;
  ApplyPan(channel, playPan);
  return uint32_t(channel) + 1;
}

// Halting first: freeing a chunk that still plays would halt it mid-mix.
void HaltAndFreePartial() {
  Mix_HaltChannel(-1);
  if (partialChunk) Mix_FreeChunk(partialChunk);
  partialChunk = nullptr;
}

struct TOutputFormat {
  int Rate = 0, Channels = 0;
  Uint16 Format = 0;
  // Bytes of one frame: a sample for every channel.
  uint64_t FrameBytes() const { return uint64_t(SDL_AUDIO_BITSIZE(Format) / 8 * Channels); }
};

TOutputFormat OutputFormat() {
  TOutputFormat output;
  if (!Mix_QuerySpec(&output.Rate, &output.Format, &output.Channels)) return TOutputFormat{};
  return output;
}

bool IsMusic(const std::string& fileName) {
  Mix_Music* probe = Mix_LoadMUS(fileName.c_str());
  if (probe) Mix_FreeMusic(probe);
  return probe != nullptr;
}

}  // namespace

bool InitMusic(void*) {
  playStarted = false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  outputOpen = Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) == 0;
  if (!outputOpen) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return outputOpen;
}

int32_t LoadMusic(const std::string& fileName) {
  if (!outputOpen || sampleCount >= MaxSamples || !IsMusic(fileName)) return -1;
  samples[sampleCount].Decoding = std::async(std::launch::async, [fileName] { return Mix_LoadWAV(fileName.c_str()); });
  return sampleCount++;
}

uint32_t PlayMusic(int32_t slot, int32_t volume, int32_t pan) {
  Mix_Chunk* chunk = SlotChunk(slot);
  if (!chunk) return 0;
  playVolume = MixerVolume(volume);
  playPan = pan;
  return StartChunk(chunk, TickCount());
}

uint32_t PlayMusicFrom(int32_t slot, uint32_t fromMs) {
  Mix_Chunk* chunk = SlotChunk(slot);
  if (!chunk) return 0;
  HaltAndFreePartial();
  const uint32_t startTick = TickCount() - fromMs;
  const TOutputFormat output = OutputFormat();
  const uint64_t offset = uint64_t(fromMs) * uint64_t(output.Rate) / 1000 * output.FrameBytes();
  if (output.Rate <= 0 || offset >= chunk->alen) {
    // Past the end: silence, but the clock still tells where the music is.
    playStartTick = startTick;
    playStarted = true;
    paused = false;
    return 0;
  }
  partialChunk = Mix_QuickLoad_RAW(chunk->abuf + offset, chunk->alen - Uint32(offset));
  return partialChunk ? StartChunk(partialChunk, startTick) : 0;
}

void StopMusic() {
  if (outputOpen) HaltAndFreePartial();
}

void PauseMusic(bool pause) {
  if (!outputOpen || pause == paused) return;
  if (pause) {
    Mix_Pause(-1);
    pausedSince = TickCount();
  } else {
    Mix_Resume(-1);
    playStartTick += TickCount() - pausedSince;
  }
  paused = pause;
}

bool MusicPlaying() { return outputOpen && Mix_Playing(-1) > 0; }

TMusicSamples MusicSamples(int32_t slot) {
  Mix_Chunk* chunk = SlotChunk(slot);
  const TOutputFormat output = OutputFormat();
  if (!chunk || output.Format != AUDIO_S16SYS || output.Channels <= 0) return {};
  TMusicSamples music;
  music.Data = reinterpret_cast<const int16_t*>(chunk->abuf);
  music.Frames = chunk->alen / output.FrameBytes();
  music.Rate = output.Rate;
  music.Channels = output.Channels;
  return music;
}

void FreeMusic() {
  if (outputOpen) HaltAndFreePartial();
  for (int32_t i = 0; i < sampleCount; ++i) {
    if (Mix_Chunk* chunk = Settle(samples[i])) Mix_FreeChunk(chunk);
    samples[i].Chunk = nullptr;
  }
  sampleCount = 0;
  playStarted = false;
  paused = false;
  if (!outputOpen) return;
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  outputOpen = false;
}

bool MusicStartTick(uint32_t& tick) {
  if (!playStarted) return false;
  tick = paused ? playStartTick + (TickCount() - pausedSince) : playStartTick;
  return true;
}

int32_t MusicSampleCount() { return sampleCount; }
