// Plays the real program headless on a virtual clock (tests, capture tool)
// or on the real one (the sound tests).
//
// State: none between runs; during a run the tick, key, mouse, message and
// frame seams are installed and the working folder is the data folder. Both are
// put back before RunHeadless returns.
#include "tvHeadless.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "AINKeyboard.h"
#include "AmbInput.h"
#include "AmbMouse.h"
#include "AmbSystem.h"
#include "Tavix.h"
#include "tvCommon.h"
#include "tvSoundSync.h"

namespace {

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

struct TKeyName {
  const char* Name;  // lower case
  uint8_t Code;
};

// Named keys and the characters CharToScanCode does not know, in set-1
// codes; a lone letter, digit, '.', ',' or '-' names its own key. Shift,
// Ctrl and Alt are the left-hand keys.
// clang-format off
constexpr TKeyName KeyNames[] = {
    {"escape", DIK_ESCAPE}, {"esc", DIK_ESCAPE}, {"tab", DIK_TAB}, {"return", DIK_RETURN}, {"enter", DIK_RETURN},
    {"space", DIK_SPACE}, {"backspace", 0x0E}, {"f1", 0x3B}, {"f2", 0x3C}, {"f3", 0x3D}, {"f4", 0x3E},
    {"f5", 0x3F}, {"f6", 0x40}, {"f7", 0x41}, {"f8", 0x42}, {"f9", 0x43}, {"f10", 0x44}, {"f11", 0x57},
    {"f12", 0x58}, {"up", 0xC8}, {"down", 0xD0}, {"left", 0xCB}, {"right", 0xCD}, {"home", 0xC7}, {"end", 0xCF},
    {"pageup", 0xC9}, {"pagedown", 0xD1}, {"insert", 0xD2}, {"delete", 0xD3}, {"shift", 0x2A}, {"lshift", 0x2A},
    {"rshift", 0x36}, {"ctrl", 0x1D}, {"lctrl", 0x1D}, {"rctrl", 0x9D}, {"alt", 0x38}, {"lalt", 0x38},
    {"ralt", 0xB8}, {"[", 0x1A}, {"]", 0x1B}, {"=", 0x0D}, {"/", 0x35}, {";", 0x27}, {"'", 0x28},
};
// clang-format on

// Scripts run on the demo clock as it would be without the timeline's pauses and jumps.
void HoldScriptedKeys(const THeadlessOptions& options, TKeyStates& states) {
  const int64_t now = int64_t(DemoTime) + ScheduleMovedBy();
  for (const TScriptedKey& key : options.Keys)
    if (now >= key.FromMs && now < key.ToMs) states[key.ScanCode] = 0x80;
  if (options.EndRequested && options.EndRequested()) states[DIK_ESCAPE] = 0x80;
}

void InstallSeams(const THeadlessOptions& options, THeadlessResult& result, uint32_t& tick) {
  if (!options.RealClock) SetTickSource([&tick] { return tick; });
  SetKeySource([&options](TKeyStates& states) { HoldScriptedKeys(options, states); });
  // No pointer over the picture: a headless run never reads the real mouse.
  SetMouseSource([](TMouseState&) {});
  SetMessageSink([&result](const std::string& caption, const std::string& text) {
    result.Messages.push_back(TRecordedMessage{caption, text});
  });
  SetContextEndHook([&options] {
    if (options.OnContextEnd) options.OnContextEnd();
  });
  SetFrameSink([&options, &result, &tick](const TGLWindow& window) {
    ++result.FramesPresented;
    if (options.OnFrame) options.OnFrame(window);
    if (options.RealClock) return;
    if (options.FramesPerSecond == 0)
      tick += options.MsPerFrame;
    else
      tick = options.FirstTick + uint32_t(result.FramesPresented * 1000 / options.FramesPerSecond);
  });
  SetPresentedHook([&options] {
    if (options.OnPresented) options.OnPresented();
  });
}

void RemoveSeams() {
  SetContextEndHook({});
  SetTickSource({});
  SetKeySource({});
  SetMouseSource({});
  SetMessageSink({});
  SetFrameSink({});
  SetPresentedHook({});
}

}  // namespace

THeadlessResult RunHeadless(const TPartTable& parts, const THeadlessOptions& options) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (!options.RealClock) setenv("SDL_AUDIODRIVER", "dummy", 0);
  THeadlessResult result;
  uint32_t tick = options.FirstTick;
  const std::string startFolder = CurrentFolder();
  if (!options.DataDir.empty() && chdir(options.DataDir.c_str()) != 0) {
    result.ExitCode = 1;
    result.Messages.push_back(TRecordedMessage{"Error", "Cannot open folder " + options.DataDir});
    return result;
  }
  InstallSeams(options, result, tick);
  // On a virtual clock the output's rounds run on another clock than the show.
  SetClockFollowsSound(options.RealClock);
  result.ExitCode = RunShow(parts, options.Hooks);
  SetClockFollowsSound(true);
  RemoveSeams();
  if (!startFolder.empty() && chdir(startFolder.c_str()) != 0) result.ExitCode = 1;
  return result;
}

uint8_t ScanCodeFromKeyName(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  for (const TKeyName& key : KeyNames)
    if (lower == key.Name) return key.Code;
  if (lower.size() == 1) return CharToScanCode(lower[0]);
  return 0;
}
