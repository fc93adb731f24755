// Music over SDL2_mixer: the default output at 44100 Hz, up to 128 samples
// each decoded whole into memory, a sample played once at a volume and pan.
// Without a sound device everything quietly does nothing.
//
// A sample's format is recognised when it is loaded, so a file that is not
// music is refused at once; the whole decoding (a few hundred ms for the
// demo's song) then runs on a thread of its own beside the rest of the
// loading, and the sample is waited for when it is first played or freed.
//
// The playing sample is mixed into the output by the mixer's post-mix
// callback from our own place in it, not by a channel of the mixer: so the
// program knows, round by round, which moment of the sample the output took
// and when (the clock of the show follows the sound with it).
//
// State: the sample table and its count, whether the output is open (its
// format and SDL's driver), the playing sample, its place, volume and pan, the tick at which it was at its
// start, the latest mixing rounds and the frames of the last one; the place
// and the rounds are shared with the output's thread under a lock.
#include "AmbBass.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <array>
#include <cstring>
#include <deque>
#include <future>
#include <mutex>

#include "AmbSystem.h"

namespace {

constexpr int32_t MaxSamples = 128;
constexpr int OutputRate = 44100, OutputBuffer = 2048;
constexpr size_t RoundsKept = 16;

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
double tickBaseMs = 0;     // the performance counter's ms at tick 0
std::string outputDriver;  // SDL's sound driver, while the output is open

struct TOutputFormat {
  int Rate = 0, Channels = 0;
  Uint16 Format = 0;
  // Bytes of one frame: a sample for every channel.
  uint64_t FrameBytes() const { return uint64_t(SDL_AUDIO_BITSIZE(Format) / 8 * Channels); }
};
TOutputFormat output;

// What the output's thread reads and writes.
struct TPlaying {
  const Mix_Chunk* Chunk = nullptr;
  uint64_t Frame = 0;  // the next to hand out
  int Volume = MIX_MAX_VOLUME;
  int Left = 255, Right = 255;
  std::deque<TSongMix> Rounds;
  int RoundFrames = 0;
};
std::mutex playingLock;
TPlaying playing;

double PerformanceMs() { return double(SDL_GetPerformanceCounter()) * 1000.0 / double(SDL_GetPerformanceFrequency()); }

double NowMs() { return PerformanceMs() - tickBaseMs; }

// Volume 0..100 onto the mixer's 0..128.
int MixerVolume(int32_t volume) {
  if (volume < 0) volume = 0;
  if (volume > 100) volume = 100;
  return volume * MIX_MAX_VOLUME / 100;
}

// Pan -100 (left) .. 100 (right): the far side fades, the near side stays full.
void PanGains(int32_t pan, int& left, int& right) {
  if (pan < -100) pan = -100;
  if (pan > 100) pan = 100;
  left = pan > 0 ? 255 * (100 - pan) / 100 : 255;
  right = pan < 0 ? 255 * (100 + pan) / 100 : 255;
}

// A panned stereo round, sample by sample, clipped as the mixer clips.
void MixPanned(Sint16* out, const Sint16* in, size_t frames) {
  for (size_t i = 0; i < 2 * frames; ++i) {
    const int gain = i % 2 == 0 ? playing.Left : playing.Right;
    const int value = out[i] + in[i] * playing.Volume / MIX_MAX_VOLUME * gain / 255;
    out[i] = Sint16(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
  }
}

// The output's thread, after the mixer's own (silent) channels: the next
// round of the playing sample, noted with its moment and the time.
void MixPlaying(void*, Uint8* stream, int length) {
  const double now = NowMs();
  const std::lock_guard<std::mutex> lock(playingLock);
  playing.RoundFrames = int(uint64_t(length) / output.FrameBytes());
  if (!playing.Chunk) return;
  const uint64_t at = playing.Frame * output.FrameBytes();
  if (at >= playing.Chunk->alen) {
    playing.Chunk = nullptr;
    playing.Rounds.clear();
    return;
  }
  playing.Rounds.push_back(TSongMix{now, double(playing.Frame) * 1000.0 / output.Rate});
  if (playing.Rounds.size() > RoundsKept) playing.Rounds.pop_front();
  const uint32_t bytes = uint32_t(std::min<uint64_t>(uint64_t(length), playing.Chunk->alen - at));
  const bool panned = playing.Left != 255 || playing.Right != 255;
  if (panned && output.Format == AUDIO_S16SYS && output.Channels == 2)
    MixPanned(reinterpret_cast<Sint16*>(stream), reinterpret_cast<const Sint16*>(playing.Chunk->abuf + at), bytes / 4);
  else
    SDL_MixAudioFormat(stream, playing.Chunk->abuf + at, output.Format, bytes, playing.Volume);
  playing.Frame += bytes / output.FrameBytes();
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

// Plays a chunk from a frame at the last PlayMusic's volume and pan; the
// channel (1), or 0 when the frame is past its end.
uint32_t StartChunk(const Mix_Chunk* chunk, uint64_t frame, uint32_t startTick) {
  playStartTick = startTick;
  playStarted = true;
  const bool within = frame * output.FrameBytes() < chunk->alen;
  const std::lock_guard<std::mutex> lock(playingLock);
  playing.Chunk = within ? chunk : nullptr;
  playing.Frame = frame;
  playing.Volume = playVolume;
  PanGains(playPan, playing.Left, playing.Right);
  playing.Rounds.clear();
  return within ? 1 : 0;
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
  outputOpen = Mix_OpenAudio(OutputRate, MIX_DEFAULT_FORMAT, 2, OutputBuffer) == 0;
  if (!outputOpen) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  output = TOutputFormat{};
  Mix_QuerySpec(&output.Rate, &output.Format, &output.Channels);
  tickBaseMs = PerformanceMs() - double(SDL_GetTicks64());
  const char* driver = SDL_GetCurrentAudioDriver();
  outputDriver = driver ? driver : "";
  Mix_SetPostMix(MixPlaying, nullptr);
  return true;
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
  return StartChunk(chunk, 0, TickCount());
}

uint32_t PlayMusicFrom(int32_t slot, uint32_t fromMs) {
  Mix_Chunk* chunk = SlotChunk(slot);
  if (!chunk || output.Rate <= 0) return 0;
  return StartChunk(chunk, uint64_t(fromMs) * uint64_t(output.Rate) / 1000, TickCount() - fromMs);
}

void StopMusic() {
  const std::lock_guard<std::mutex> lock(playingLock);
  playing.Chunk = nullptr;
  playing.Rounds.clear();
}

bool MusicPlaying() {
  const std::lock_guard<std::mutex> lock(playingLock);
  return outputOpen && playing.Chunk;
}

std::vector<TSongMix> RecentSongMixes() {
  const std::lock_guard<std::mutex> lock(playingLock);
  if (!playing.Chunk) return {};
  return std::vector<TSongMix>(playing.Rounds.begin(), playing.Rounds.end());
}

// Measured on PipeWire 0.3.65 with a 2048-frame buffer (a null sink's monitor
// recorded with the graph's own times): through its PulseAudio server the
// sound passed the sink 36 ms after its round began, about half the buffer
// and 12 ms; through SDL's PipeWire driver two of the graph's periods
// (the buffer rounded down to a power of two at 48 kHz) and 1 ms.
double OutputLatencyMs() {
  int frames = 0;
  {
    const std::lock_guard<std::mutex> lock(playingLock);
    frames = playing.RoundFrames;
  }
  if (!outputOpen || output.Rate <= 0) return 0;
  if (frames <= 0) frames = OutputBuffer;
  const double buffer = frames * 1000.0 / output.Rate;
  if (outputDriver == "pulseaudio") return 0.5 * buffer + 13;
  if (outputDriver == "pipewire") {
    int period = 1;
    while (period * 2 <= frames) period *= 2;
    return 2 * period * 1000.0 / 48000 + 1;
  }
  if (outputDriver == "dummy" || outputDriver == "disk") return 0;
  return 1.5 * buffer;
}

TMusicSamples MusicSamples(int32_t slot) {
  Mix_Chunk* chunk = SlotChunk(slot);
  if (!chunk || output.Format != AUDIO_S16SYS || output.Channels <= 0) return {};
  TMusicSamples music;
  music.Data = reinterpret_cast<const int16_t*>(chunk->abuf);
  music.Frames = chunk->alen / output.FrameBytes();
  music.Rate = output.Rate;
  music.Channels = output.Channels;
  return music;
}

void FreeMusic() {
  StopMusic();
  for (int32_t i = 0; i < sampleCount; ++i) {
    if (Mix_Chunk* chunk = Settle(samples[i])) Mix_FreeChunk(chunk);
    samples[i].Chunk = nullptr;
  }
  sampleCount = 0;
  playStarted = false;
  if (!outputOpen) return;
  Mix_SetPostMix(nullptr, nullptr);
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
