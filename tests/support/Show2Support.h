// Helpers for the suites of the show's second half: a private copy of the
// demo's data, the moments of its time-sync table, and reading back the
// frame being presented.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Copies every file of the generated data folder into a new folder under
// the system's temporary folder, leaving out `omit` (if given). Returns the
// new folder's path.
std::string CopyDemoData(const std::string& omit = "");
// Removes a folder made by CopyDemoData with everything in it.
void RemoveDemoData(const std::string& folder);

// The 201 moments stored in a time-sync file (zero beyond its end).
std::array<uint32_t, 201> ReadTimeSyncMoments(const std::string& fileName);

struct TRgb {
  int r = 0, g = 0, b = 0;
};
// Opens the demo's 800 x 600 window once per process, makes it MainWindow,
// changes into the generated data folder and loads the pictures, the render
// target and the light the late scenes use, as the start-up does.
void OpenShowWindow();

// One pixel of the frame being drawn, from its lower-left corner.
TRgb ReadBackPixel(int x, int y);
// The whole frame being drawn as a binary PPM (for looking at it).
void SaveBackBufferPpm(const std::string& fileName, int width, int height);
