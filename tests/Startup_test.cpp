// The start-up on the virtual clock with the generated data: the loading
// screens in order, the demo clock, the fade and the music around the
// set-ups, the table loaded, and what the shutdown releases. What the
// screens look like (and when) is the picture suite's.
#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "AmbBass.h"
#include "AmbInput.h"
#include "AmbSystem.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvLoading.h"
#include "tvParts.h"

namespace {

// The loading screens' lines in order.
const std::string ExpectedLines =
    "Initializing... - 0%|Loading music - 5%|Loading 3D data - 30%|Loading 3D data - 33%|Loading 3D data - 35%|"
    "Loading texture data - 37%|Loading texture data - 40%|Loading texture data - 43%|Loading texture data - 48%|"
    "Loading texture data - 52%|Loading texture data - 55%|Loading texture data - 58%|Particle System - 60%|"
    "Vegetables - 62%|Dynamic Objects - 65%|Deform - 70%|Wave - 75%|NURB System - 79%|leet slimez0r - 80%|"
    "Uncompressing images... - 95%|Loading timesync - 99%|Ready - 100%|";

// What the observer saw at a loading screen.
struct TStepMoment {
  uint32_t Tick = 0;
  uint64_t FramesBefore = 0;  // the index of the screen's own frame
  bool MusicPlaying = false;
  uint32_t MusicTick = 0;  // when the music started, if it is playing
};

// The start-up's lines, each screen at its last showing, and the brightness
// of the frames after the last set-up's screen by their distance from it.
struct TStartUpWatch {
  std::string Lines, Last;
  std::map<std::string, TStepMoment> Screens;
  std::map<uint64_t, double> Fade;
  uint64_t Frames = 0;
  TStepMoment Music;  // once it started

  void OnStep(const std::string& text, float percent) {
    Lines += LoadingLine(text, percent) + "|";
    TStepMoment& moment = Screens[Last = text];
    moment = {TickCount(), Frames};
    moment.MusicPlaying = MusicStartTick(moment.MusicTick);
  }
  void OnFrame(const TGLWindow& window) {
    if (!Music.MusicPlaying) Music.MusicPlaying = MusicStartTick(Music.MusicTick), Music.Tick = TickCount();
    if (Last == "Uncompressing images...")
      Fade[Frames - Screens[Last].FramesBefore] = ReadFrame(window).MeanBrightness();
    ++Frames;
  }
};

}  // namespace

// Whole percentages are in the start-up's lines below.
TEST(LoadingLine, PrintsThePercentageInItsShortestForm) {
  EXPECT_EQ(LoadingLine("Half", 12.5f), "Half - 12.5%");
  EXPECT_EQ(LoadingLine("Third", 100.0f / 3), "Third - 33.333332%");
}

TEST(StartUp, ShowsItsScreensInOrderOnTheVirtualClockAndTheMusicStartsAtItsMoment) {
  TStartUpWatch watch;
  SetLoadingObserver([&watch](const std::string& text, float percent) { watch.OnStep(text, percent); });
  THeadlessOptions options;
  options.DataDir = TAVIX_DATA_DIR;
  options.Keys = {{DIK_ESCAPE, 2100, INT_MAX}};
  options.OnFrame = [&watch](const TGLWindow& window) { watch.OnFrame(window); };
  const THeadlessResult result = RunHeadless(ShowParts(), options);
  SetLoadingObserver({});
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_TRUE(result.Messages.empty()) << result.Messages.front().Text;
  ASSERT_EQ(watch.Lines, ExpectedLines);

  // The demo clock starts after the textures and before the first set-up.
  EXPECT_GE(StartTick, watch.Screens.at("Loading texture data").Tick);
  EXPECT_LE(StartTick, watch.Screens.at("Particle System").Tick);

  // The fade: 54 frames of 30 ms after the last set-up's screen, frame k
  // darkened by k * 3 %, black from the second second on.
  const TStepMoment &images = watch.Screens.at("Uncompressing images..."),
                    &timesync = watch.Screens.at("Loading timesync");
  EXPECT_EQ(timesync.FramesBefore - images.FramesBefore, 1u + 54u);
  const double first = watch.Fade[2] / (1 - 0.03);
  EXPECT_GT(first, 5.0);
  EXPECT_NEAR(watch.Fade[18] / (1 - 0.51), first, first * 0.03);
  EXPECT_EQ(watch.Fade[41], 0.0);

  // The start-up took less than the music's moment (2 s of the clock): the
  // music waits for it, and starts there; the table is loaded by the end.
  EXPECT_FALSE(images.MusicPlaying || timesync.MusicPlaying);
  ASSERT_TRUE(watch.Music.MusicPlaying);
  EXPECT_EQ(watch.Music.MusicTick - StartTick, uint32_t(MusicStartMs));
  EXPECT_EQ(TimeSyncTable, ReadTimeSyncMoments(std::string(TAVIX_DATA_DIR) + "/timesync.dat"));
  EXPECT_FALSE(TunnelBrush) << "the one brush the shutdown releases";
  EXPECT_TRUE(StarAniBrush && StarAniBrush->Enabled && EnvObject && HelixBrush && StarBrush);
}

// Set-ups slower than the music's moment (every frame of the start-up taking
// 150 ms of the clock instead of 30): the clock starts over when the music
// starts, so the music still starts at its moment and the table's cuts keep
// their place against it. The song plays from its start.
TEST(StartUp, TheMusicStartsAtItsMomentHoweverLongTheSetUpsTake) {
  for (const uint32_t msPerFrame : {30u, 150u}) {
    SCOPED_TRACE(msPerFrame);
    TStartUpWatch watch;
    SetLoadingObserver([&watch](const std::string& text, float percent) { watch.OnStep(text, percent); });
    THeadlessOptions options;
    options.DataDir = TAVIX_DATA_DIR;
    options.MsPerFrame = msPerFrame;
    options.Keys = {{DIK_ESCAPE, 2500, INT_MAX}};
    options.OnFrame = [&watch](const TGLWindow& window) { watch.OnFrame(window); };
    EXPECT_EQ(RunHeadless(ShowParts(), options).ExitCode, 0);
    SetLoadingObserver({});
    const uint32_t setUps = watch.Screens["Ready"].Tick - watch.Screens["Particle System"].Tick;
    EXPECT_EQ(setUps > uint32_t(MusicStartMs), msPerFrame > 30) << setUps << " ms of set-ups";
    ASSERT_TRUE(watch.Music.MusicPlaying);
    EXPECT_EQ(watch.Music.MusicTick - StartTick, uint32_t(MusicStartMs));
    EXPECT_LE(watch.Music.Tick - watch.Music.MusicTick, msPerFrame) << "the song's start was skipped";
  }
}
