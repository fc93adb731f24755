// The time-sync table: its file (load, save, odd sizes, failed saves) and
// the schedule queries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "AmbSystem.h"
#include "SpineSupport.h"
#include "tvCommon.h"

namespace {

using namespace spine;

class TimeSync : public ::testing::Test {
 protected:
  void SetUp() override { ResetSpineState(); }
  TScratchFolder folder;
};

std::string PatternBytes(size_t size, uint8_t seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = char(uint8_t(seed + i * 7));
  return bytes;
}

TEST_F(TimeSync, LoadedFileIsSavedBackByteForByte) {
  const std::string original = PatternBytes(804, 3);
  WriteBytes(folder.File("in.dat"), original);
  LoadTimeSync(folder.File("in.dat"));
  EXPECT_EQ(TimeSyncTable[1], uint32_t(0x342D261F));  // little-endian bytes 1F 26 2D 34
  SaveTimeSync(folder.File("out.dat"));
  EXPECT_EQ(ReadBytes(folder.File("out.dat")), original);
}

TEST_F(TimeSync, ShortEmptyAndOverlongFilesFillOnlyWhatTheyCover) {
  TimeSyncTable.fill(0xFFFFFFFFu);
  WriteBytes(folder.File("empty.dat"), "");
  LoadTimeSync(folder.File("empty.dat"));
  EXPECT_EQ(TimeSyncTable[0], 0xFFFFFFFFu);

  WriteBytes(folder.File("short.dat"), std::string("\x01\x02\x03\x04\x05\x06", 6));
  LoadTimeSync(folder.File("short.dat"));
  EXPECT_EQ(TimeSyncTable[0], 0x04030201u);
  EXPECT_EQ(TimeSyncTable[1], 0xFFFF0605u);  // a partial entry keeps its upper bytes
  EXPECT_EQ(TimeSyncTable[2], 0xFFFFFFFFu);

  const std::string longer = PatternBytes(900, 9);
  WriteBytes(folder.File("long.dat"), longer);
  LoadTimeSync(folder.File("long.dat"));
  SaveTimeSync(folder.File("back.dat"));
  EXPECT_EQ(ReadBytes(folder.File("back.dat")), longer.substr(0, 804));
}

TEST_F(TimeSync, MissingFileEndsTheProgramWithItsName) {
  try {
    LoadTimeSync(folder.File("nothing.dat"));
    FAIL() << "no error";
  } catch (const EFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file " + folder.File("nothing.dat"));
  }
}

TEST_F(TimeSync, AnEntryFiresOnlyOnceTheClockIsStrictlyPastIt) {
  TimeSyncTable[0] = 1000;
  TimeSyncTable[1] = 1000;
  TimeSyncTable[2] = 0xFFFFFFFFu;
  DemoTime = 1000;
  EXPECT_EQ(NextPartDue(), -1);
  DemoTime = 1001;
  EXPECT_EQ(NextPartDue(), 0);
  EXPECT_EQ(NextPartDue(), 1);  // one entry per query
  DemoTime = INT32_MAX;
  EXPECT_EQ(NextPartDue(), -1);  // the largest entry is never passed
  ResetTimeSync();
  TimeSyncTable[0] = 0;
  DemoTime = -5;
  EXPECT_EQ(NextPartDue(), -1);  // a clock before zero is not past 0
}

TEST_F(TimeSync, PlotAfterClearWritesEntryZeroAgain) {
  DemoTime = 500;
  PlotTimeSync();
  PlotTimeSync();
  NextIndex = 5;
  TimeSyncTable[7] = 77;
  ClearTimeSync();
  EXPECT_EQ(TimeSyncTable[7], 0u);
  EXPECT_EQ(NextIndex, 5);
  DemoTime = 1234;
  PlotTimeSync();
  EXPECT_EQ(TimeSyncTable[0], 1234u);
  EXPECT_EQ(PlotIndex, 1);
}

TEST_F(TimeSync, PlotsPastTheLastEntryAreDropped) {
  for (int32_t i = 0; i < 202; ++i) {
    DemoTime = 10 + i;
    EXPECT_EQ(PlotTimeSync(), i < 201) << i;
  }
  EXPECT_EQ(TimeSyncTable[200], 210u);
  EXPECT_EQ(PlotIndex, 201);
  EXPECT_EQ(NextIndex, 0);
}

TEST_F(TimeSync, SaveReplacesTheFileAndLeavesNoTemporaryBehind) {
  WriteBytes(folder.File("timesync.dat"), "old");
  TimeSyncTable[0] = 42;
  SaveTimeSync(folder.File("timesync.dat"));
  EXPECT_EQ(ReadBytes(folder.File("timesync.dat")).size(), 804u);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"timesync.dat"});
  struct stat info {};
  ASSERT_EQ(stat(folder.File("timesync.dat").c_str(), &info), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST_F(TimeSync, SaveCutShortBySizeLimitKeepsOldFileAndIsAnError) {
  const std::string old = PatternBytes(804, 1);
  WriteBytes(folder.File("timesync.dat"), old);
  TimeSyncTable.fill(0x55555555u);
  {
    const TFileSizeLimit limit(100);
    ASSERT_TRUE(limit.Active());
    EXPECT_THROW(SaveTimeSync(folder.File("timesync.dat")), EFileError);
  }
  EXPECT_EQ(ReadBytes(folder.File("timesync.dat")), old);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"timesync.dat"});
}

TEST_F(TimeSync, SaveIntoAFolderThatIsAFileIsAnError) {
  WriteBytes(folder.File("plain"), "x");
  try {
    SaveTimeSync(folder.File("plain/timesync.dat"));
    FAIL() << "no error";
  } catch (const EFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot create file " + folder.File("plain/timesync.dat"));
  }
}

}  // namespace
