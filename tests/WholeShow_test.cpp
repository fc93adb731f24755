// The whole show once on its full-length table at 50 ms a frame: every part
// in order without GL errors, the credits' second picture, the operator keys
// locked through the finale, and an end by itself.
#include <gtest/gtest.h>

#include <filesystem>

#include "ShowFrames.h"
#include "tvCommon.h"

namespace {

// Space late in part 7 leaves a message; then every locked key is held from
// just after the start of part 8 to just before the end.
std::vector<TScriptedKey> FinaleKeys(const std::array<uint32_t, 201>& moments) {
  const int32_t start8 = int32_t(moments[8]), end = int32_t(moments[11]);
  std::vector<TScriptedKey> keys{{ScanCodeFromKeyName("Space"), start8 - 600, start8 - 400}};
  for (const char* name : {"c", "p", "s", "Space", "Return"})
    keys.push_back({ScanCodeFromKeyName(name), start8 + 100, end - 100});
  return keys;
}

struct TFinale {
  std::string Message;
  int FramesWithOtherMessage = 0, FramesUnlocked = 0;
  double CreditsBefore = -1, CreditsAfter = -1;  // brightness where only the second picture lies
};

void LookAtFinale(TFinale& finale, const TGLWindow& window) {
  if (CurrentPart < 8) return;
  if (finale.Message.empty()) finale.Message = OverlayText;
  finale.FramesWithOtherMessage += OverlayText != finale.Message;
  finale.FramesUnlocked += SyncLock >= 500;
  if (CurrentPart != 10) return;
  double& credits = PartTime < 200 ? finale.CreditsBefore : finale.CreditsAfter;
  if (credits < 0 && (PartTime < 200 || PartTime > 400)) credits = ReadFrame(window).MeanBrightness(300, 90, 530, 295);
}

TEST(WholeShow, PlaysEveryPartInOrderAndEndsByItself) {
  const TDemoData data;
  const auto moments = ReadTimeSyncMoments(data.Path("timesync.dat"));
  const auto tableWritten = std::filesystem::last_write_time(data.Path("timesync.dat"));
  TFinale finale;
  THeadlessOptions options;
  options.DataDir = data.Folder();
  options.MsPerFrame = 50;
  options.Keys = FinaleKeys(moments);
  options.OnFrame = [&finale](const TGLWindow& window) { LookAtFinale(finale, window); };
  const TShowRun run = PlayShow(options);

  EXPECT_EQ(run.Result.ExitCode, 0);
  EXPECT_TRUE(run.Result.Messages.empty()) << run.Result.Messages.front().Text;
  // The frame that reaches part 11 is still presented, empty.
  EXPECT_EQ(run.Parts, (std::vector<int32_t>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_TRUE(run.GlErrorFrames.empty()) << "GL errors first in part " << run.GlErrorFrames.begin()->first;
  EXPECT_GT(std::abs(finale.CreditsAfter - finale.CreditsBefore), 10.0) << "the second credits picture after 200 ms";

  // The finale's scenes keep the keys locked, so more than 500 frames later
  // the message still shows and no key has acted.
  EXPECT_GT(run.Frames.at(8) + run.Frames.at(9) + run.Frames.at(10), 500);
  EXPECT_EQ(finale.Message.rfind("Ploted time: ", 0), 0u) << finale.Message;
  EXPECT_EQ(finale.FramesWithOtherMessage, 0) << "the last message stays";
  EXPECT_EQ(finale.FramesUnlocked, 0);
  EXPECT_EQ(TimeSyncTable, moments) << "C, P and S did nothing";
  EXPECT_EQ(PlotIndex, 0);
  EXPECT_EQ(ShakeStart, 0u) << "Return did nothing";
  EXPECT_EQ(std::filesystem::last_write_time(data.Path("timesync.dat")), tableWritten);
}

}  // namespace
