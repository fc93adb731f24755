// Helpers for the suites of the show's first half: whole frames read back
// from the window, the demo's own pictures decoded for comparison, a
// time-sync file written with chosen moments, and a record of the loading
// screens shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Amb2Textures.h"
#include "Ambrel2.h"

struct TShotPixel {
  int r = 0, g = 0, b = 0;
};

// The frame being drawn, bottom row first (frame coordinates).
struct TFrameShot {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;

  TShotPixel At(int x, int y) const;
  // Mean of r, g and b over the rectangle [x0, x1) x [y0, y1), 0 .. 255.
  double MeanBrightness(int x0, int y0, int x1, int y1) const;
  double MeanBrightness() const { return MeanBrightness(0, 0, Width, Height); }
};

// Reads the frame about to be presented (call from a frame sink).
TFrameShot ReadFrame(const TGLWindow& window);
void SaveFramePpm(const TFrameShot& frame, const std::string& fileName);

// A picture of the data folder decoded as the demo decodes it (bottom row
// first); a failed decode fails the calling test.
TPixelBuffer DecodeDataPicture(const std::string& folder, const std::string& fileName);
// The picture's pixel under window pixel (x, y) when it is stretched over a
// width x height window.
TShotPixel PictureAtWindowPixel(const TPixelBuffer& picture, int x, int y, int width, int height);

// Writes "timesync.dat" into the folder with the given leading moments; the
// rest of the 201 entries are 0.
void WriteTimeSyncFile(const std::string& folder, const std::vector<uint32_t>& moments);

struct TLoadingStep {
  std::string Text;
  float Percent = 0;
  bool operator==(const TLoadingStep& other) const { return Text == other.Text && Percent == other.Percent; }
};
