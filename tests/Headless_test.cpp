// The whole program through the headless runner: the fatal-error path of a
// missing table, and a save that cannot complete stopping the program with
// the old table kept.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "AmbInput.h"
#include "SpineSupport.h"
#include "tvHeadless.h"

namespace {

using namespace spine;

std::string WorkingFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? buffer : "";
}

// A private copy of the generated data, so the run may write its table.
bool CopyData(const TScratchFolder& folder) {
  if (!std::filesystem::exists(std::string(TAVIX_DATA_DIR) + "/timesync.dat")) return false;
  std::filesystem::copy(TAVIX_DATA_DIR, folder.Path(), std::filesystem::copy_options::recursive);
  return true;
}

TEST(Headless, MissingTableStopsWithItsNameAndRestoresTheWorkingFolder) {
  TScratchFolder folder;
  if (!CopyData(folder)) GTEST_SKIP() << "no generated data";
  std::filesystem::remove(folder.File("timesync.dat"));
  const std::string before = WorkingFolder();
  THeadlessOptions options;
  options.DataDir = folder.Path();
  const THeadlessResult result = RunHeadless(options);
  EXPECT_EQ(result.ExitCode, 1);
  ASSERT_FALSE(result.Messages.empty());
  EXPECT_EQ(result.Messages.back().Caption, "Error");
  EXPECT_EQ(result.Messages.back().Text, "Cannot open file timesync.dat");
  EXPECT_GT(result.FramesPresented, 0u);
  EXPECT_EQ(WorkingFolder(), before);
}

TEST(Headless, SaveCutShortStopsTheProgramAndKeepsTheOldTable) {
  TScratchFolder folder;
  if (!CopyData(folder)) GTEST_SKIP() << "no generated data";
  // Every moment far away: the run stays on the first picture, which is cheap
  // to draw for the 500 frames until the keys unlock.
  const std::string old(804, '\xFF');
  WriteBytes(folder.File("timesync.dat"), old);
  THeadlessOptions options;
  options.DataDir = folder.Path();
  options.Keys = {{CharToScanCode('s'), 0, INT_MAX}};
  THeadlessResult result;
  {
    const TFileSizeLimit limit(100);
    ASSERT_TRUE(limit.Active());
    result = RunHeadless(options);
  }
  EXPECT_EQ(result.ExitCode, 1);
  ASSERT_FALSE(result.Messages.empty());
  EXPECT_EQ(result.Messages.back().Caption, "Error");
  EXPECT_EQ(result.Messages.back().Text.rfind("Cannot write file timesync.dat", 0), 0u) << result.Messages.back().Text;
  EXPECT_EQ(ReadBytes(folder.File("timesync.dat")), old);
}

TEST(Headless, KeyNamesBecomeScanCodes) {
  EXPECT_EQ(ScanCodeFromKeyName("Escape"), 0x01);
  EXPECT_EQ(ScanCodeFromKeyName("tab"), 0x0F);
  EXPECT_EQ(ScanCodeFromKeyName("Return"), 0x1C);
  EXPECT_EQ(ScanCodeFromKeyName("Space"), 0x39);
  EXPECT_EQ(ScanCodeFromKeyName("2"), 0x03);
  EXPECT_EQ(ScanCodeFromKeyName("C"), 0x2E);
  EXPECT_EQ(ScanCodeFromKeyName("F13"), 0);
}

}  // namespace
