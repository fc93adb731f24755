// Music over SDL2_mixer: the default output at 44100 Hz, up to 128 samples
// each decoded whole into memory, a sample played once at a volume and pan.
// Without a sound device everything quietly does nothing.
//
// A sample's format is recognised when it is loaded, so a file that is not
// music is refused at once; the whole decoding (a few hundred ms for the
// demo's song) then runs on a thread of its own beside the rest of the
// loading, and the sample is waited for when it is first played or freed.
//
// State: the sample table and its count, whether the output is open, the
// tick at which the last playback started. FreeMusic closes everything.
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
  if (!outputOpen || slot < 0 || slot >= sampleCount) return 0;
  Mix_Chunk* chunk = Settle(samples[slot]);
  if (!chunk) return 0;
  Mix_VolumeChunk(chunk, MixerVolume(volume));
  const int channel = Mix_PlayChannel(-1, chunk, 0);
  if (channel < 0) return 0;
  playStartTick = TickCount();
  playStarted = true;
  ApplyPan(channel, pan);
  return uint32_t(channel) + 1;
}

void FreeMusic() {
  if (outputOpen) Mix_HaltChannel(-1);
  for (int32_t i = 0; i < sampleCount; ++i) {
    if (Mix_Chunk* chunk = Settle(samples[i])) Mix_FreeChunk(chunk);
    samples[i].Chunk = nullptr;
  }
  sampleCount = 0;
  playStarted = false;
  if (!outputOpen) return;
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  outputOpen = false;
}

bool MusicStartTick(uint32_t& tick) {
  if (!playStarted) return false;
  tick = playStartTick;
  return true;
}

int32_t MusicSampleCount() { return sampleCount; }
