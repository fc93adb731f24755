// The demo's music: an electronic track at 120 beats per minute in A minor,
// synthesised note by note and encoded to MP3 with libmp3lame.
//
// The music starts about two seconds after the demo clock, so every section
// begins on the first bar line after a part moment minus two seconds: bar
// lines fall on odd seconds (1, 3, 5, ...), and the parts at 9, 39, 59 ...
// 185 s of demo time become sections at 7, 37, 57 ... 183 s of music.
//
// The stream opens with an Info frame that tells decoders the encoder's delay
// and padding, so that they drop them and the decoded sound lines up sample
// for sample with the track as composed (without it, it came 25 ms late).
//
// State: none. Leaves "abstract.mp3" (stereo, 44.1 kHz, 192 kbit/s) in the
// data folder; the same bytes on every run.
#include "Music.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "ImageWriters.h"
#include "Synth.h"

namespace {

constexpr double kBeat = 60.0 / kMusicBpm;  // seconds
constexpr double kBar = 4 * kBeat;
constexpr double kFirstBar = kMusicFirstBeatSeconds;
constexpr double kLength = 195.0;  // seconds
constexpr float kPeak = 0.79f;     // -2 dBFS, leaving room for the encoder

double BarTime(int bar) { return kFirstBar + bar * kBar; }

struct TChord {
  float Notes[4];
  float Root;
};

const TChord kAm7{{57, 60, 64, 67}, 33}, kFmaj7{{53, 57, 60, 64}, 29}, kC{{55, 60, 64, 67}, 36},
    kG{{55, 59, 62, 67}, 31}, kDm7{{50, 57, 60, 65}, 38}, kF{{53, 57, 60, 65}, 29};

enum class TProgression { Main, Minor, Lift };

const TChord& ChordAt(TProgression progression, int bar) {
  static const TChord* main[] = {&kAm7, &kFmaj7, &kC, &kG};
  static const TChord* minor[] = {&kDm7, &kF, &kAm7, &kG};
  static const TChord* lift[] = {&kF, &kG, &kAm7, &kAm7};
  const TChord* const* table = progression == TProgression::Main    ? main
                               : progression == TProgression::Minor ? minor
                                                                    : lift;
  return *table[((bar % 4) + 4) % 4];
}

enum class TBeat { None, Half, Four, Broken };
enum class TMelody { None, Hook, HookHigh, HookLow, Slow };

struct TSection {
  int FirstBar, Bars;
  TProgression Progression;
  TBeat Kick;
  bool Hats, Clap, Bass, Arp;
  TMelody Lead;
  float Brightness;
  bool Crash;
};

// One row per part of the demo: the part moments less MusicStartMs, the
// moment of the demo clock at which the music starts.
const TSection kSections[] = {
    {0, 1, TProgression::Main, TBeat::None, false, false, false, false, TMelody::None, 0.2f, false},    // title
    {1, 2, TProgression::Main, TBeat::None, false, false, false, true, TMelody::None, 0.3f, false},     // logo
    {3, 15, TProgression::Main, TBeat::Four, true, true, true, true, TMelody::None, 0.6f, true},        // fountain
    {18, 10, TProgression::Minor, TBeat::Broken, true, true, true, true, TMelody::None, 0.7f, true},    // atom
    {28, 10, TProgression::Main, TBeat::Four, true, true, true, true, TMelody::Hook, 0.8f, true},       // ball
    {38, 6, TProgression::Lift, TBeat::Half, true, false, false, true, TMelody::None, 0.5f, true},      // flight 1
    {44, 6, TProgression::Main, TBeat::Four, true, true, true, true, TMelody::None, 0.7f, true},        // flight 2
    {50, 6, TProgression::Main, TBeat::Four, true, true, true, true, TMelody::HookLow, 0.8f, true},     // flight 3
    {56, 10, TProgression::Lift, TBeat::None, false, false, false, false, TMelody::Slow, 0.45f, true},  // top view
    {66, 10, TProgression::Main, TBeat::Four, true, true, true, true, TMelody::HookHigh, 1.0f, true},   // echo
    {76, 8, TProgression::Minor, TBeat::Four, true, true, true, true, TMelody::None, 0.75f, true},      // slime
    {84, 7, TProgression::Main, TBeat::Half, true, false, true, false, TMelody::Hook, 0.5f, true},      // credits
    {91, 6, TProgression::Main, TBeat::None, false, false, false, false, TMelody::None, 0.3f, true},    // ending
};

struct TStep {
  float Beat, Beats, Midi;
};

// Four bars over A minor, F, C, G.
const std::vector<TStep> kHook = {{0, 1, 76},  {1, 0.5f, 74},  {1.5f, 0.5f, 72},  {2, 1, 69},  {3, 1, 72},
                                  {4, 2, 69},  {6, 0.5f, 67},  {6.5f, 0.5f, 69},  {7, 1, 72},  {8, 1, 76},
                                  {9, 1, 79},  {10, 0.5f, 76}, {10.5f, 0.5f, 74}, {11, 1, 72}, {12, 2, 74},
                                  {14, 1, 71}, {15, 1, 67}};
// Four bars over F, G, A minor, A minor.
const std::vector<TStep> kSlow = {{0, 2, 72}, {2, 2, 69}, {4, 2, 74}, {6, 2, 71}, {8, 4, 76}, {12, 4, 72}};

struct TMix {
  explicit TMix(size_t frames) : Drums(frames), Bass(frames), Pads(frames), Lead(frames), Plucks(frames) {}
  TBus Drums, Bass, Pads, Lead, Plucks;
};

// Off-beat eighths, with an open hat closing every second bar; the broken
// beat gets running sixteenths instead.
void AddHatBar(TMix& mix, const TSection& s, int bar) {
  int steps = s.Kick == TBeat::Broken ? 16 : 8;
  for (int i = 0; i < steps; ++i) {
    if (steps == 8 && i % 2 == 0) continue;
    bool open = steps == 8 && i == 7 && bar % 2 == 1;
    float accent = steps == 8 || i % 4 == 2 ? 1.0f : 0.55f;
    RenderHat(mix.Drums, BarTime(bar) + i * (kBar / steps), 0.16f * accent, open,
              uint32_t(bar) * 977U + 10U + uint32_t(i));
  }
}

void AddDrumBar(TMix& mix, const TSection& s, int bar) {
  double t0 = BarTime(bar);
  uint32_t seed = uint32_t(bar) * 977U;
  static const double broken[] = {0, 0.75, 1.5, 2.5, 2.75};
  if (s.Kick == TBeat::Four)
    for (int b = 0; b < 4; ++b) RenderKick(mix.Drums, t0 + b * kBeat, 0.9f);
  if (s.Kick == TBeat::Half) {
    RenderKick(mix.Drums, t0, 0.85f);
    RenderKick(mix.Drums, t0 + 2 * kBeat, 0.85f);
  }
  if (s.Kick == TBeat::Broken)
    for (double beat : broken) RenderKick(mix.Drums, t0 + beat * kBeat, 0.9f);
  if (s.Clap) {
    RenderClap(mix.Drums, t0 + kBeat, 0.45f, seed + 1);
    RenderClap(mix.Drums, t0 + 3 * kBeat, 0.45f, seed + 2);
  }
  if (s.Hats) AddHatBar(mix, s, bar);
}

void AddBassBar(TMix& mix, const TSection& s, int bar) {
  static const float octave[] = {0, 0, 12, 0, 0, 12, 0, 7};
  float root = ChordAt(s.Progression, bar).Root;
  for (int i = 0; i < 8; ++i) {
    TNote note{BarTime(bar) + i * (kBeat / 2), 0.2, root + octave[i], i % 2 ? 0.3f : 0.36f};
    RenderBass(mix.Bass, note, s.Brightness);
  }
}

void AddPadBar(TMix& mix, const TSection& s, int bar) {
  const TChord& chord = ChordAt(s.Progression, bar);
  double start = bar == 0 ? 0.0 : BarTime(bar);  // the first chord swells in from silence
  for (float midi : chord.Notes) RenderPad(mix.Pads, {start, BarTime(bar + 1) - start, midi, 0.075f}, s.Brightness);
}

void AddArpBar(TMix& mix, const TSection& s, int bar) {
  static const int order[] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 3, 1, 2, 0, 3};
  const TChord& chord = ChordAt(s.Progression, bar);
  bool sparse = s.Kick == TBeat::None;
  for (int i = 0; i < 16; ++i) {
    if (sparse && i % 2) continue;
    float pan = i % 2 ? 0.45f : -0.45f;
    RenderPluck(mix.Plucks, {BarTime(bar) + i * (kBeat / 4), 0.1, chord.Notes[order[i]] + 12, 0.11f, pan});
  }
}

void AddMelody(TMix& mix, const TSection& s) {
  if (s.Lead == TMelody::None) return;
  const std::vector<TStep>& phrase = s.Lead == TMelody::Slow ? kSlow : kHook;
  float shift = s.Lead == TMelody::HookHigh ? 12.0f : s.Lead == TMelody::HookLow ? -12.0f : 0.0f;
  float gain = s.Lead == TMelody::Slow ? 0.12f : 0.15f;
  for (int first = s.FirstBar; first + 4 <= s.FirstBar + s.Bars; first += 4)
    for (const TStep& step : phrase)
      RenderLead(mix.Lead,
                 {BarTime(first) + step.Beat * kBeat, step.Beats * kBeat * 0.9, step.Midi + shift, gain, 0.1f});
}

void AddSection(TMix& mix, const TSection& s) {
  for (int bar = s.FirstBar; bar < s.FirstBar + s.Bars; ++bar) {
    AddDrumBar(mix, s, bar);
    if (s.Bass) AddBassBar(mix, s, bar);
    AddPadBar(mix, s, bar);
    if (s.Arp) AddArpBar(mix, s, bar);
  }
  AddMelody(mix, s);
  if (s.Crash) RenderCrash(mix.Drums, BarTime(s.FirstBar), 0.22f, uint32_t(s.FirstBar) * 31U);
}

// The top view starts without drums; they come back for its last bars,
// and a riser leads into the next section.
void AddBuildUps(TMix& mix) {
  for (int bar = 62; bar < 66; ++bar)
    for (int b = 0; b < (bar < 64 ? 1 : 4); ++b) RenderKick(mix.Drums, BarTime(bar) + b * kBeat, 0.8f);
  for (int i = 0; i < 16; ++i)
    RenderClap(mix.Drums, BarTime(65) + i * (kBeat / 4), 0.12f + i * 0.015f, 500U + uint32_t(i));
  const int intoBars[] = {3, 28, 66, 91};
  for (int bar : intoBars) RenderRiser(mix.Drums, BarTime(bar) - 2 * kBar, 2 * kBar, 0.2f, uint32_t(bar) * 7U);
}

TBus RenderTrack() {
  size_t frames = size_t(kLength * kSampleRate);
  TMix mix(frames);
  for (const TSection& section : kSections) AddSection(mix, section);
  AddBuildUps(mix);
  ApplyPingPong(mix.Lead, 0.75 * kBeat, 0.38);
  ApplyPingPong(mix.Plucks, 1.5 * kBeat, 0.3);
  TBus room(frames);
  room.AddBus(mix.Pads, 0.6f);
  room.AddBus(mix.Lead, 0.8f);
  room.AddBus(mix.Plucks, 0.8f);
  ApplyReverb(room, 0.84f);
  TBus master(frames);
  master.AddBus(mix.Drums, 1.0f);
  master.AddBus(mix.Bass, 1.0f);
  master.AddBus(mix.Pads, 1.0f);
  master.AddBus(mix.Lead, 1.0f);
  master.AddBus(mix.Plucks, 1.0f);
  master.AddBus(room, 1.0f);
  return master;
}

// Gentle saturation, a fade at the very end, then the loudest sample to kPeak.
void Master(TBus& bus) {
  float peak = 1e-6f;
  size_t fadeFrom = size_t((kLength - 8.0) * kSampleRate);
  for (size_t i = 0; i < bus.Frames(); ++i) {
    float fade = i < fadeFrom ? 1.0f : 1.0f - float(i - fadeFrom) / float(bus.Frames() - fadeFrom);
    bus.L[i] = std::tanh(bus.L[i] * 0.9f) * fade;
    bus.R[i] = std::tanh(bus.R[i] * 0.9f) * fade;
    peak = std::max({peak, std::fabs(bus.L[i]), std::fabs(bus.R[i])});
  }
  for (size_t i = 0; i < bus.Frames(); ++i) {
    bus.L[i] *= kPeak / peak;
    bus.R[i] *= kPeak / peak;
  }
}

std::vector<uint8_t> EncodeMp3(const TBus& bus) {
  lame_t lame = lame_init();
  lame_set_in_samplerate(lame, kSampleRate);
  lame_set_out_samplerate(lame, kSampleRate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_VBR(lame, vbr_off);
  lame_set_brate(lame, 192);
  lame_set_quality(lame, 5);
  lame_set_bWriteVbrTag(lame, 1);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    throw std::runtime_error("The MP3 encoder refused its settings");
  }
  std::vector<uint8_t> out;
  const size_t chunk = 8192;
  std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
  for (size_t at = 0; at < bus.Frames(); at += chunk) {
    int count = int(std::min(chunk, bus.Frames() - at));
    int bytes = lame_encode_buffer_ieee_float(lame, &bus.L[at], &bus.R[at], count, buffer.data(), int(buffer.size()));
    if (bytes < 0) break;
    out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  }
  int bytes = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
  if (bytes > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  // The encoder left room for the Info frame at the start; it is complete only now.
  const size_t info = lame_get_lametag_frame(lame, buffer.data(), buffer.size());
  if (info > 0 && info <= out.size()) std::copy(buffer.begin(), buffer.begin() + long(info), out.begin());
  lame_close(lame);
  return out;
}

}  // namespace

void WriteMusic(const std::string& dir) {
  TBus track = RenderTrack();
  Master(track);
  WriteBytes(dir + "/abstract.mp3", EncodeMp3(track));
}
