// Start-up with the wait screen, the loading screen and the asset manifest,
// and the shutdown.
//
// State: LoadingPicture, the background of the loading screen, and the
// optional observer of the loading steps.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Amb2TimeSync.h"

extern uint32_t LoadingPicture;

// The parts as the program is given them: the scene set-ups under their
// loading labels and shares of the bar, in loading order, the drawers of
// parts -1 .. 10, and their names (the timeline labels its markers with them).
struct TSetupStep {
  float Percent;
  const char* Label;
  void (*Setup)();
};
using TPartDrawer = void (*)();
struct TPartTable {
  std::vector<TSetupStep> Setups;
  std::array<TPartDrawer, PartCount> Drawers;  // parts FirstPart .. LastPart
  std::array<const char*, PartCount> Names;
};

void StartUp(const TPartTable& parts);
void ShutDown();
void ShowLoadingProgress(const std::string& text, float percent);
void DrawLoadingScreen(const std::string& text, float percent);
// The text of the loading line: "<text> - <percent>%" with the percentage in its shortest form.
std::string LoadingLine(const std::string& text, float percent);

// A message in the program's own window, for a display that cannot show a
// message box: the caption and the text on a dark screen until the user
// dismisses it (Return or a click); the GL state is left as it was, the
// frame's picture is not.
void ShowMessageScreen(const std::string& caption, const std::string& text);

// Told of every ShowLoadingProgress (tests and the capture tool watch the
// start-up through it); an empty function removes the observer.
using LoadingObserver = std::function<void(const std::string& text, float percent)>;
void SetLoadingObserver(LoadingObserver observer);
