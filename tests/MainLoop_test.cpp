// The frame loop's logic without drawing: demo clock, part changes, operator
// keys and the sine clock, driven by a virtual clock and held keys.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>

#include "AmbInput.h"
#include "Ambrel2.h"
#include "SpineSupport.h"
#include "Tavix.h"
#include "tvCommon.h"

namespace {

using namespace spine;

class MainLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSpineState();
    CreateKeyboard(TGLWindow{});
    StartTick = 1000;
    BeginSchedule();
  }
  void TearDown() override { FreeKeyboard(); }

  // Steps 1-8 and 11 of a frame, then the tick moves on by ms.
  void Frame(uint32_t ms = 10) {
    StartFrame();
    UpdateFrameState();
    UpdateSineClock();
    clock.Tick += ms;
  }
  void Hold(char key) { keys.Held.insert(CharToScanCode(key)); }
  void Unlock() { SyncLock = 501; }

  TVirtualClock clock{1000};
  THeldKeys keys;
};

TEST_F(MainLoop, ClockStepIsTheThirdOfTheDeltaCappedAtTen) {
  TimeSyncTable.fill(0xFFFFFFFFu);
  clock.Tick = 3000;
  Frame(6);
  EXPECT_EQ(DemoTime, 2000);
  EXPECT_FLOAT_EQ(FrameStep, 10.0f);  // the first frame comes from a clock at 0
  Frame(31);
  EXPECT_EQ(FrameDelta, 6u);
  EXPECT_FLOAT_EQ(FrameStep, 2.0f);
  Frame();
  EXPECT_EQ(FrameDelta, 31u);
  EXPECT_FLOAT_EQ(FrameStep, 10.0f);
  EXPECT_FLOAT_EQ(SineClock, 22.0f);
  EXPECT_FLOAT_EQ(SineValue, std::sin(0.022f));
}

TEST_F(MainLoop, TabMovesOnlyTheCurrentFrameAheadButTheNextQuery) {
  TimeSyncTable.fill(0xFFFFFFFFu);
  TimeSyncTable[0] = 2050;
  clock.Tick = 3000;
  Frame();
  keys.Held.insert(DIK_TAB);
  Frame();
  EXPECT_EQ(DemoTime, 2110);
  keys.Held.clear();
  Frame();
  EXPECT_EQ(CurrentPart, 0);  // queried with last frame's 2110
  EXPECT_EQ(DemoTime, 2020);
  EXPECT_FLOAT_EQ(FrameStep, 10.0f);  // the clock went back 90 ms
  Frame();
  EXPECT_FLOAT_EQ(FrameStep, 10.0f / 3.0f);
}

TEST_F(MainLoop, KeyTwoSetsTheClockTo25SecondsAndPartsNeverGoBack) {
  TimeSyncTable.fill(0xFFFFFFFFu);
  for (int i = 0; i < 4; ++i) TimeSyncTable[size_t(i)] = uint32_t(i * 1000);
  clock.Tick = 41000;
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_EQ(CurrentPart, 3);
  Hold('2');
  Frame();
  keys.Held.clear();
  Frame();
  EXPECT_EQ(DemoTime, 25010);
  EXPECT_FLOAT_EQ(FrameStep, 10.0f);
  EXPECT_EQ(CurrentPart, 3);
}

TEST_F(MainLoop, LockedKeysWaitFor500FramesAfterStart) {
  clock.Tick = 2000;
  TimeSyncTable.fill(0xFFFFFFFFu);
  Hold('c');
  for (int i = 0; i < 501; ++i) Frame();
  EXPECT_TRUE(OverlayText.empty());
  Frame();
  EXPECT_EQ(OverlayText, "Timesync CLEARED");
  EXPECT_EQ(TimeSyncTable[5], 0u);
  EXPECT_EQ(SyncLock, 1);
}

TEST_F(MainLoop, PlotThenPlotWithin200FramesDoesNothing) {
  TimeSyncTable.fill(0xFFFFFFFFu);
  clock.Tick = 5000;
  Unlock();
  Hold('p');
  Frame();
  EXPECT_EQ(OverlayText, "Timesync PLOT[0]: 4000");
  EXPECT_EQ(SyncLock, 301);
  for (int i = 0; i < 200; ++i) Frame();
  EXPECT_EQ(PlotIndex, 1);
  Frame();
  EXPECT_EQ(PlotIndex, 2);
  EXPECT_EQ(OverlayText, "Timesync PLOT[1]: 6010");
}

TEST_F(MainLoop, PlotIntoAFullTableSaysSoAndKeepsTheTable) {
  TimeSyncTable.fill(0xFFFFFFFFu);
  PlotIndex = TimeSyncEntries;
  clock.Tick = 5000;
  Unlock();
  Hold('p');
  Frame();
  EXPECT_EQ(OverlayText, "Timesync FULL: plot dropped");
  EXPECT_EQ(PlotIndex, TimeSyncEntries);
  EXPECT_EQ(TimeSyncTable[200], 0xFFFFFFFFu);
  EXPECT_EQ(SyncLock, 301);
}

TEST_F(MainLoop, SpaceShowsPartTimeAndReturnStartsAShake) {
  TimeSyncTable.fill(0xFFFFFFFFu);
  clock.Tick = 1500;
  Frame(250);
  Unlock();
  keys.Held.insert(DIK_SPACE);
  Frame();
  EXPECT_EQ(OverlayText, "Ploted time: 750");
  keys.Held = {DIK_RETURN};
  Unlock();
  Frame();
  EXPECT_EQ(ShakeStart, 760u);
  EXPECT_EQ(SyncLock, 401);
  EXPECT_EQ(OverlayText, "Ploted time: 750");  // the old message shows again
}

TEST_F(MainLoop, SaveWritesTheTableIntoTheWorkingFolder) {
  TScratchFolder folder;
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(folder.Path().c_str()), 0);
  TimeSyncTable.fill(0x01020304u);
  Unlock();
  Hold('s');
  Frame();
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_EQ(OverlayText, "Timesync SAVED");
  EXPECT_EQ(SyncLock, 1);
  const std::string saved = ReadBytes(folder.File("timesync.dat"));
  ASSERT_EQ(saved.size(), 804u);
  EXPECT_EQ(saved.substr(0, 4), std::string("\x04\x03\x02\x01"));
}

TEST_F(MainLoop, KeysHeldTogetherAllActAndTheLastOneDecides) {
  clock.Tick = 3000;
  TimeSyncTable.fill(7);
  Unlock();
  Hold('c');
  Hold('p');
  Frame();
  EXPECT_EQ(TimeSyncTable[0], 2000u);
  EXPECT_EQ(TimeSyncTable[1], 0u);
  EXPECT_EQ(OverlayText, "Timesync PLOT[0]: 2000");
  EXPECT_EQ(SyncLock, 301);
}

TEST_F(MainLoop, EmptyTablePassesOnePartPerFrameAndEndsAtPart11) {
  clock.Tick = 1100;
  Frame();  // the first query sees the clock at 0
  EXPECT_EQ(CurrentPart, -1);
  for (int32_t part = 0; part <= 11; ++part) {
    EXPECT_FALSE(LoopShouldEnd());
    Frame();
    EXPECT_EQ(CurrentPart, part);
    EXPECT_EQ(PartTime, 0u);
  }
  EXPECT_TRUE(LoopShouldEnd());
}

TEST_F(MainLoop, EscapeEndsTheLoopAndPartTimeCountsFromThePartStart) {
  TimeSyncTable.fill(0xFFFFFFFFu);
  TimeSyncTable[0] = 100;
  clock.Tick = 1200;
  Frame(40);
  Frame(40);
  EXPECT_EQ(CurrentPart, 0);
  Frame(40);
  EXPECT_EQ(PartTime, 40u);
  EXPECT_FALSE(LoopShouldEnd());
  keys.Held.insert(DIK_ESCAPE);
  Frame();
  EXPECT_TRUE(LoopShouldEnd());
}

}  // namespace
