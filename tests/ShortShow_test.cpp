// Dozens of frames of every part on a short table: the whole show cheap
// enough for the sanitizer build.
#include <gtest/gtest.h>

#include "ShowFrames.h"

namespace {

TEST(ShortShow, EveryPartPlaysDozensOfFramesCleanly) {
  ASSERT_TRUE(HaveDemoData()) << "the build generates " TAVIX_DATA_DIR;
  // Each part starts 1500 ms after the one before, the first past the start-up's set-ups and fade.
  const TDemoData data;
  std::vector<uint32_t> table;
  for (uint32_t i = 0; i < 12; ++i) table.push_back(4000 + 1500 * i);
  data.WriteTable(table);
  THeadlessOptions options;
  options.DataDir = data.Folder();
  options.MsPerFrame = 20;
  const TShowRun run = PlayShow(options);

  EXPECT_EQ(run.Result.ExitCode, 0);
  EXPECT_TRUE(run.Result.Messages.empty());
  EXPECT_EQ(run.Parts, (std::vector<int32_t>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  for (int32_t part = -1; part <= 10; ++part) EXPECT_GE(run.Frames.at(part), 50) << "part " << part;
  EXPECT_TRUE(run.GlErrorFrames.empty());
}

}  // namespace
