// The main program: program order, the frame loop with the demo clock, the
// part schedule and the operator keys, and the table of part drawers.
//
// State: the tick at which the current part began. The frame state itself
// lives in tvCommon.
#include "Tavix.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <exception>
#include <string>

#include "Amb2BasicDraw.h"
#include "Amb2_2D.h"
#include "AmbBass.h"
#include "AmbInput.h"
#include "AmbSystem.h"
#include "tvCommon.h"
#include "tvEffect1.h"
#include "tvEffect2.h"
#include "tvEffect3.h"
#include "tvEffect4.h"
#include "tvLoading.h"
#include "tvVectorSlime.h"

namespace {

uint32_t partStartTick = 0;

// ---- the intro pictures and the scene calls, one per part ---------------------

float WindowWidth() { return float(MainWindow.Width); }
float WindowHeight() { return float(MainWindow.Height); }

void DrawIntroPicture() {
  const float t = float(PartTime);
  const float alpha = t < 1500.0f ? 1.0f : 1.0f - (t - 1500.0f) / 2000.0f;
  Begin2D();
  DrawImageTinted(TexVelkrona, MakeColor(1, 1, 1, alpha), 0, 0, WindowWidth(), WindowHeight());
  End2D();
}

void DrawLogoPicture() {
  Begin2D();
  DrawImageTinted(TexLogo, MakeColor(1, 1, 1, 1), 0, 0, WindowWidth(), WindowHeight());
  if (PartTime < 2000)
    DrawRect(MakeColor(0, 0, 0, 1.0f - float(PartTime) / 2000.0f), 0, 0, WindowWidth(), WindowHeight());
  End2D();
}

void FlightFromFront() {
  Camera.Eye = MakeVector(0, 300, -300);
  RenderWaveFlight();
}

void FlightFromSide() {
  Camera.Eye = MakeVector(500, 400, 200);
  RenderWaveFlight();
}

void FlightFromFar() {
  Camera.Eye = MakeVector(0, 200, -900);
  RenderWaveFlight();
}

void SlimeOverPicture() {
  SlimeBackdrop = TexVelkrona;
  RenderSlime();
}

void SlimeWithCredits() {
  glEnable(GL_COLOR_MATERIAL);
  glColor4f(1, 1, 1, 1);
  glDisable(GL_COLOR_MATERIAL);
  SlimeBackdrop = TexVelkrona;
  SlimeTargetLock = true;
  SlimeLockedMove.x = 2000.0f;
  RenderSlime();
  Begin2D();
  DrawImageBlended(TexCr2, 100, 100, 179, 240);
  if (PartTime > 200) DrawImageBlended(TexCr1, 200, 80, 337, 220);
  End2D();
}

using TPartDrawer = void (*)();

// Parts -1 .. 10; part 11 ends the loop before anything is drawn.
const std::array<TPartDrawer, 12> PartDrawers = {
    DrawIntroPicture, DrawLogoPicture, RenderFountain, RenderAtom,      RenderBall,       FlightFromFront,
    FlightFromSide,   FlightFromFar,   RenderWaveTop,  RenderSlimeEcho, SlimeOverPicture, SlimeWithCredits,
};

void DrawCurrentPart() {
  if (CurrentPart >= -1 && CurrentPart <= 10) PartDrawers[size_t(CurrentPart + 1)]();
}

void DrawMessageOverlay() {
  if (SyncLock >= 500) return;
  Begin2D();
  SetFontBase(FontSmall);
  glDisable(GL_BLEND);
  PrintText(OverlayText.c_str(), 40, 40, MakeColor(1, 1, 1, 1));
  End2D();
}

void RunFrame() {
  StartFrame();
  ClearScreen();
  UpdateFrameState();
  glDisable(GL_LIGHTING);
  DrawCurrentPart();
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

void RunMainLoop() {
  while (!LoopShouldEnd()) RunFrame();
}

int RunShow() {
  const TStopSignals stopSignals;
  try {
    StartUp();
    BeginSchedule();
    RunMainLoop();
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

int RunTavix(const std::string& dataFolder) {
  if (!EnterDataFolder(dataFolder)) return 2;
  return RunShow();
}
