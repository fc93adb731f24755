// The timeline's view of the music: waveform peaks of a known buffer, and the
// beat estimated on click tracks and on the generated song as it is decoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "AmbBass.h"
#include "Music.h"
#include "tvBeatGrid.h"

namespace {

// How far the nearest estimated beat is from `ms`.
double MissMs(const TBeatEstimate& estimate, double ms) {
  return std::fabs(std::remainder(ms - estimate.FirstBeatMs, 60000 / estimate.Bpm));
}

// `count` decaying 1 kHz blips, one a beat from `offsetMs` on.
std::vector<int16_t> Clicks(double bpm, double offsetMs, int count, int channels, int rate) {
  const size_t width = size_t(channels), frames = size_t((offsetMs / 1000 + count * 60 / bpm) * rate);
  std::vector<int16_t> sound(frames * width, 0);
  for (int n = 0; n < count; ++n)
    for (size_t at = size_t(std::lround((offsetMs / 1000 + n * 60 / bpm) * rate)), i = 0; i < size_t(rate / 20); ++i)
      std::fill_n(&sound[(at + i) * width], width,
                  int16_t(2e4 * std::sin(6283.2 * i / rate) * std::exp(-80.0 * i / rate)));
  return sound;
}

}  // namespace

TEST(WaveformPeaks, LoudestSampleOfEachSliceOverAllChannels) {
  // 1000 frames a second in 2-ms slices: two frames each, the last one short.
  const int16_t stereo[] = {0, 0, 100, -32768, 16384, 0, 0, -8192, 0, 3};
  EXPECT_EQ(WaveformPeaks(stereo, 5, 2, 1000, 2.0), (std::vector<float>{1.0f, 0.5f, 3 / 32768.0f}));
  EXPECT_EQ(WaveformPeaks(stereo, 5, 1, 1000, 4.0), (std::vector<float>{1.0f, 0.5f}));
  EXPECT_TRUE(WaveformPeaks(stereo, 5, 2, 1000, std::nan("")).empty());
}

TEST(BeatEstimate, ClickTracksGiveTheirTempoAndPhaseAndSteadyOrShortSoundNone) {
  struct {
    double Bpm, OffsetMs;
    int Count, Channels, Rate;
  } const cases[] = {{99.37, 123, 50, 1, 44100}, {151.4, 77, 50, 2, 48000}, {72.61, 610, 48, 2, 22050}};
  for (const auto& c : cases) {
    const std::vector<int16_t> sound = Clicks(c.Bpm, c.OffsetMs, c.Count, c.Channels, c.Rate);
    const TBeatEstimate estimate = EstimateBeat(sound.data(), sound.size() / size_t(c.Channels), c.Channels, c.Rate);
    EXPECT_NEAR(estimate.Bpm, c.Bpm, 0.05);
    for (double click : {c.OffsetMs, c.OffsetMs + (c.Count - 1) * 60000 / c.Bpm})
      EXPECT_LT(MissMs(estimate, click), 1.5) << c.Bpm << " at " << click;
  }
  std::vector<int16_t> silence(44100 * 20, 0), noise(silence.size());
  std::mt19937 random(7);
  for (int16_t& s : noise) s = int16_t(std::uniform_int_distribution<int>(-8000, 8000)(random));
  for (const auto& none : {Clicks(100, 123, 5, 1, 44100), silence, noise, {}})
    EXPECT_EQ(EstimateBeat(none.data(), none.size(), 1, 44100).Bpm, 0) << none.size() << " frames";
}

// The song as it plays, so the grid lies where the music is heard.
TEST(BeatEstimate, TheSongsTempoAndBeatsAreTheGeneratorsFromStartToEnd) {
  ASSERT_TRUE(InitMusic(nullptr));
  const TMusicSamples song = MusicSamples(LoadMusic(TAVIX_DATA_DIR "/abstract.mp3"));
  ASSERT_NE(song.Data, nullptr);
  const TBeatEstimate estimate = EstimateBeat(song.Data, song.Frames, song.Channels, song.Rate);
  FreeMusic();
  EXPECT_NEAR(estimate.Bpm, kMusicBpm, 0.5);
  const double beatMs = 60000.0 / kMusicBpm, firstMs = kMusicFirstBeatSeconds * 1000;
  const double lastMs = firstMs + (std::ceil((song.Frames * 1000.0 / song.Rate - firstMs) / beatMs) - 1) * beatMs;
  for (double beat : {firstMs, lastMs}) EXPECT_LT(MissMs(estimate, beat), 10.0) << "the beat at " << beat << " ms";
}
