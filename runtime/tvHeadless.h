// Plays the real program (StartUp, RunMainLoop, ShutDown) without a display,
// by default on a virtual clock: the tick source advances a fixed number of
// milliseconds per presented frame, keys come from a script on the demo
// clock, message boxes are recorded, and every presented frame can be
// looked at before it is shown. Used by the tests and the capture tool.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Ambrel2.h"
#include "Tavix.h"
#include "tvLoading.h"

struct TScriptedKey {
  uint8_t ScanCode = 0;
  int32_t FromMs = 0;  // held while FromMs <= DemoTime < ToMs
  int32_t ToMs = 0;
};

struct THeadlessOptions {
  std::string DataDir;       // folder holding the demo's files; empty: the current one
  uint32_t MsPerFrame = 30;  // virtual time per presented frame
  // When not 0, replaces MsPerFrame for rates whose frame is not a whole
  // number of ms: frame n is presented at FirstTick + n * 1000 / FramesPerSecond
  // (rounded down), so the clock never drifts from the frame count.
  uint32_t FramesPerSecond = 0;
  uint32_t FirstTick = 1000;  // virtual tick count at start
  std::vector<TScriptedKey> Keys;
  // The frame loop's companion (the timeline), none by default.
  TFrameHooks Hooks;
  // Called for every presented frame (wait screen and loading frames too).
  std::function<void(const TGLWindow& window)> OnFrame;
  // Called once each of those frames is presented into the window.
  std::function<void()> OnPresented;
  // Called once while the context still exists, just before it goes.
  std::function<void()> OnContextEnd;
  // Asked at every keyboard poll; once it says true, Escape is held, so the
  // show ends at the main loop's next turn through its usual shutdown.
  std::function<bool()> EndRequested;
  // On the real tick count and the sound output SDL_AUDIODRIVER names (or
  // SDL's own choice), the clock following the sound as in the program: for
  // the tests on a real sound server. MsPerFrame and the rest of the
  // virtual clock are then unused.
  bool RealClock = false;
};

struct TRecordedMessage {
  std::string Caption;
  std::string Text;
};

struct THeadlessResult {
  int ExitCode = 0;
  uint64_t FramesPresented = 0;
  std::vector<TRecordedMessage> Messages;
};

// Sets SDL's offscreen video and dummy audio drivers unless already set,
// installs the seams, runs the program with the given parts, and removes the
// seams again.
THeadlessResult RunHeadless(const TPartTable& parts, const THeadlessOptions& options);

// Parses a key name into its scan code, case aside: "Escape", "Tab",
// "Return", "Space", "Backspace", "F1".."F12", the arrows "Up", "Down",
// "Left", "Right", "Home", "End", "PageUp", "PageDown", "Insert", "Delete",
// the modifiers "Shift", "Ctrl", "Alt" (left) and "LShift", "RShift",
// "LCtrl", "RCtrl", "LAlt", "RAlt", a letter, a digit, or one of
// [ ] - = , . / ; ' ; 0 when unknown.
uint8_t ScanCodeFromKeyName(const std::string& name);
