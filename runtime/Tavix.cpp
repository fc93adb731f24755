// The main program: program order, the frame loop with the demo clock, the
// part schedule and the operator keys, around the table of parts it is given.
//
// State: the tick at which the current part began. The frame state itself
// lives in tvCommon.
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

namespace {

uint32_t partStartTick = 0;

void DrawMessageOverlay() {
  if (SyncLock >= 500) return;
  Begin2D();
  SetFontBase(FontSmall);
  glDisable(GL_BLEND);
  PrintText(OverlayText.c_str(), 40, 40, MakeColor(1, 1, 1, 1));
  End2D();
}

// Parts -1 .. 10; part 11 ends the loop before anything is drawn.
void RunFrame(const TPartTable& parts) {
  StartFrame();
  ClearScreen();
  UpdateFrameState();
  glDisable(GL_LIGHTING);
  if (CurrentPart >= -1 && CurrentPart <= 10) parts.Drawers[size_t(CurrentPart + 1)]();
  UpdateSineClock();
  DrawMessageOverlay();
  PumpMessagesAndSwap(MainWindow);
}

}  // namespace

void BeginSchedule() {
  CurrentPart = -1;
  PartTime = 0;
  partStartTick = TickCount();
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
  if (KeyDown(CharToScanCode('2'))) StartTick = TickCount() - 25000u;
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
  AdvanceDemoClock(TickCount());
  UpdatePartTime(TickCount());
  PollKeyboard();
  HandleOperatorKeys();
  ++SyncLock;
}

void UpdateSineClock() {
  SineClock += FrameStep;
  SineValue = float(std::sin(double(SineClock) / 1000.0));
}

bool LoopShouldEnd() { return KeyDown(DIK_ESCAPE) || CurrentPart == 11; }

void RunMainLoop(const TPartTable& parts) {
  while (!LoopShouldEnd()) RunFrame(parts);
}

int RunShow(const TPartTable& parts) {
  const TStopSignals stopSignals;
  try {
    StartUp(parts);
    BeginSchedule();
    RunMainLoop(parts);
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
  // The music may still be decoding on a thread of its own: it finishes
  // before SDL goes.
  FreeMusic();
  RestoreDisplay();
  return 1;
}

int RunTavix(const TPartTable& parts, const std::string& dataFolder) {
  if (!EnterDataFolder(dataFolder)) return 2;
  return RunShow(parts);
}
