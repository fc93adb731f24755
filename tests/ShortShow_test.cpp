// The whole program on a short time-sync table: a couple of hundred frames
// of every part. Cheap enough to run under the address and undefined-
// behaviour sanitizers, where the full-length show would take too long.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "HardenSupport.h"
#include "Show2Support.h"
#include "tvCommon.h"
#include "tvHeadless.h"

namespace {

TEST(ShortShow, EveryPartPlaysHundredsOfFramesCleanly) {
  if (!std::filesystem::exists(std::string(TAVIX_DATA_DIR) + "/timesync.dat")) GTEST_SKIP() << "no generated data";
  const std::string data = CopyDemoData();
  // Part i begins 2 s after part i - 1; the first moment lies past the
  // start-up on the demo clock (set-ups and the 1.6 s fade, 10 ms a frame).
  std::vector<uint8_t> table(804, 0);
  for (uint32_t i = 0; i < 12; ++i) {
    const uint32_t moment = 8000 + 2000 * i;
    for (int b = 0; b < 4; ++b) table[4 * i + b] = uint8_t(moment >> (8 * b));
  }
  WriteFileBytes(data + "/timesync.dat", table);

  std::map<int32_t, int> frames;
  std::vector<int32_t> order;
  int glErrors = 0;
  THeadlessOptions options;
  options.DataDir = data;
  options.MsPerFrame = 10;
  options.OnFrame = [&](const TGLWindow&) {
    if (order.empty() || order.back() != CurrentPart) order.push_back(CurrentPart);
    ++frames[CurrentPart];
    glErrors += glGetError() != GL_NO_ERROR;
  };
  const THeadlessResult result = RunHeadless(options);
  RemoveDemoData(data);

  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_TRUE(result.Messages.empty());
  EXPECT_EQ(order, (std::vector<int32_t>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  for (int32_t part = 1; part <= 10; ++part) EXPECT_GE(frames[part], 150) << "part " << part;
  EXPECT_EQ(glErrors, 0);
}

}  // namespace
