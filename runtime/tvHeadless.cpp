// Plays the real program headless on a virtual clock (tests, capture tool).
//
// State: none between runs; during a run the tick, key, message and frame
// seams are installed and the working folder is the data folder. Both are
// put back before RunHeadless returns.
#include "tvHeadless.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "AINKeyboard.h"
#include "AmbInput.h"
#include "AmbSystem.h"
#include "Tavix.h"
#include "tvCommon.h"

namespace {

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

void HoldScriptedKeys(const THeadlessOptions& options, TKeyStates& states) {
  for (const TScriptedKey& key : options.Keys)
    if (DemoTime >= key.FromMs && DemoTime < key.ToMs) states[key.ScanCode] = 0x80;
  if (options.EndRequested && options.EndRequested()) states[DIK_ESCAPE] = 0x80;
}

void InstallSeams(const THeadlessOptions& options, THeadlessResult& result, uint32_t& tick) {
  SetTickSource([&tick] { return tick; });
  SetKeySource([&options](TKeyStates& states) { HoldScriptedKeys(options, states); });
  SetMessageSink([&result](const std::string& caption, const std::string& text) {
    result.Messages.push_back(TRecordedMessage{caption, text});
  });
  SetContextEndHook([&options] {
    if (options.OnContextEnd) options.OnContextEnd();
  });
  SetFrameSink([&options, &result, &tick](const TGLWindow& window) {
    ++result.FramesPresented;
    if (options.OnFrame) options.OnFrame(window);
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
  SetMessageSink({});
  SetFrameSink({});
  SetPresentedHook({});
}

}  // namespace

THeadlessResult RunHeadless(const TPartTable& parts, const THeadlessOptions& options) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  THeadlessResult result;
  uint32_t tick = options.FirstTick;
  const std::string startFolder = CurrentFolder();
  if (!options.DataDir.empty() && chdir(options.DataDir.c_str()) != 0) {
    result.ExitCode = 1;
    result.Messages.push_back(TRecordedMessage{"Error", "Cannot open folder " + options.DataDir});
    return result;
  }
  InstallSeams(options, result, tick);
  result.ExitCode = RunShow(parts);
  RemoveSeams();
  if (!startFolder.empty() && chdir(startFolder.c_str()) != 0) result.ExitCode = 1;
  return result;
}

uint8_t ScanCodeFromKeyName(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  if (lower == "escape" || lower == "esc") return DIK_ESCAPE;
  if (lower == "tab") return DIK_TAB;
  if (lower == "return" || lower == "enter") return DIK_RETURN;
  if (lower == "space") return DIK_SPACE;
  if (lower.size() == 1) return CharToScanCode(lower[0]);
  return 0;
}
