// The main program: program order, the frame loop with the demo clock, the
// part schedule and the operator keys, around the table of parts it is given.
//
// State: the tick at which the current part began, the demo-clock moment
// the schedule began at, the hooks of the run and how far they moved the
// clock back. The frame state itself lives in tvCommon.
#include "Tavix.h"

#include <GL/gl.h>

#include <cmath>
#include <exception>
#include <string>

#include "Amb2BasicDraw.h"
#include "Amb2_2D.h"
#include "AmbBass.h"
#include "AmbInput.h"
#include "AmbSystem.h"
#include "tvCommon.h"
#include "tvSoundSync.h"

namespace {

uint32_t partStartTick = 0;
uint32_t scheduleBeganAt = 0;
int64_t scheduleMovedBy = 0;
TFrameHooks hooks;

bool Asked(const std::function<bool()>& hook) { return hook && hook(); }

void Tell(const std::function<void()>& hook) {
  if (hook) hook();
}

void DrawMessageOverlay() {
  if (SyncLock >= 500) return;
  Begin2D();
  SetFontBase(FontSmall);
  glDisable(GL_BLEND);
  PrintText(OverlayText.c_str(), 40, 40, MakeColor(1, 1, 1, 1));
  End2D();
}

// Parts -1 .. 10; part 11 ends the loop before anything is drawn (unless
// the hooks hold it).
void RunFrame(const TPartTable& parts) {
  StartFrame();
  ClearScreen();
  UpdateFrameState();
  glDisable(GL_LIGHTING);
  if (CurrentPart >= FirstPart && CurrentPart <= LastPart && !Asked(hooks.DrawsInsteadOfPart)) {
    parts.Drawers[size_t(CurrentPart - FirstPart)]();
    Tell(hooks.PartDrawn);
  }
  UpdateSineClock();
  DrawMessageOverlay();
  Tell(hooks.DrawsOverFrame);
  PumpMessagesAndSwap(MainWindow);
}

}  // namespace

void BeginSchedule() {
  CurrentPart = FirstPart;
  PartTime = 0;
  partStartTick = TickCount();
  scheduleBeganAt = partStartTick - StartTick;
  scheduleMovedBy = 0;
}

void StartFrame() {
  PollKeyboard();
  const int32_t due = NextPartDue();
  if (due == -1) return;
  CurrentPart = due;
  PartTime = 0;
  partStartTick = TickCount();
}

void AdvanceDemoClock(uint32_t tick) {
  const int32_t previous = DemoTime;
  DemoTime = int32_t(tick - StartTick);
  FrameDelta = uint32_t(DemoTime) - uint32_t(previous);
  FrameStep = float(FrameDelta / 3.0);
  if (FrameStep > 10.0f) FrameStep = 10.0f;
}

void UpdatePartTime(uint32_t tick) { PartTime = tick - partStartTick; }

void HandleOperatorKeys() {
  if (KeyDown(DIK_TAB)) DemoTime += 100;
  if (KeyDown(CharToScanCode('2'))) {
    const uint32_t before = StartTick;
    StartTick = TickCount() - 25000u;
    ShiftMusicMoment(int32_t(before - StartTick));
  }
  // The lock is looked at once: keys held together all act in this frame.
  if (SyncLock <= 500) return;
  if (KeyDown(CharToScanCode('c'))) {
    ClearTimeSync();
    SyncLock = 0;
    OverlayText = "Timesync CLEARED";
  }
  if (KeyDown(CharToScanCode('p'))) {
    // A dropped plot locks the keys too: the lock is what shows the message.
    SyncLock = 300;
    OverlayText = PlotTimeSync() ? "Timesync PLOT[" + std::to_string(PlotIndex - 1) + "]: " + std::to_string(DemoTime)
                                 : "Timesync FULL: plot dropped";
  }
  if (KeyDown(CharToScanCode('s'))) {
    SaveTimeSyncForUser();
    SyncLock = 0;
    OverlayText = "Timesync SAVED";
  }
  if (KeyDown(DIK_SPACE)) {
    OverlayText = "Ploted time: " + std::to_string(PartTime);
    SyncLock = 0;
  }
  if (KeyDown(DIK_RETURN)) {
    ShakeStart = PartTime;
    SyncLock = 400;
  }
}

void UpdateFrameState() {
  Tell(hooks.FrameBegins);
  FollowSound();
  AdvanceDemoClock(TickCount());
  StartMusicWhenDue();
  UpdatePartTime(TickCount());
  PollKeyboard();
  if (!Asked(hooks.TakesKeys)) HandleOperatorKeys();
  ++SyncLock;
}

void ShiftSchedule(uint32_t ms) {
  StartTick += ms;
  partStartTick += ms;
  scheduleMovedBy += ms;
}

int64_t ScheduleMovedBy() { return scheduleMovedBy; }

void RestartScheduleAt(uint32_t demoMs) {
  const uint32_t tick = TickCount();
  scheduleMovedBy += int64_t(DemoTime) - int64_t(demoMs);
  StartTick = tick - demoMs;
  DemoTime = int32_t(demoMs);
  // An entry is due once the clock is past it, as NextPartDue has it.
  int32_t next = 0;
  while (next < ScheduleEntries && TimeSyncTable[size_t(next)] < demoMs) ++next;
  NextIndex = next;
  CurrentPart = next - 1;
  const uint32_t partBegan = next == 0 ? scheduleBeganAt : TimeSyncTable[size_t(next - 1)];
  PartTime = demoMs > partBegan ? demoMs - partBegan : 0;
  partStartTick = tick - PartTime;
}

void UpdateSineClock() {
  SineClock += FrameStep;
  SineValue = float(std::sin(double(SineClock) / 1000.0));
}

bool LoopShouldEnd() { return KeyDown(DIK_ESCAPE) || (CurrentPart == EndPart && !Asked(hooks.HoldsEnd)); }

void RunMainLoop(const TPartTable& parts) {
  while (!LoopShouldEnd()) RunFrame(parts);
}

int RunShow(const TPartTable& parts, const TFrameHooks& frameHooks) {
  const TStopSignals stopSignals;
  SetMessageScreen(ShowMessageScreen);
  hooks = frameHooks;
  scheduleMovedBy = 0;
  try {
    StartUp(parts);
    BeginSchedule();
    if (hooks.ShowBegins) hooks.ShowBegins(parts);
    RunMainLoop(parts);
    Tell(hooks.ProgramExits);
    hooks = {};
    ShutDown();
    return 0;
  } catch (const EFileError& error) {
    ShowMessage("Error", error.what());
  } catch (const EProgramStop&) {
    // Already shown where it happened.
  } catch (const std::exception& error) {
    // Anything else a loader lets through still ends with a message, not an abort.
    ShowMessage("Error", error.what());
  }
  Tell(hooks.ProgramExits);
  hooks = {};
  // The music may still be decoding on a thread of its own: it finishes
  // before SDL goes.
  FreeMusic();
  RestoreDisplay();
  return 1;
}

int RunTavix(const TPartTable& parts, const TFrameHooks& hooks, const std::string& dataFolder) {
  if (!EnterDataFolder(dataFolder)) return 2;
  return RunShow(parts, hooks);
}
