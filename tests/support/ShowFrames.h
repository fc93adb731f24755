// The harness of the suites that play the demo headless to a moment and look
// at it: a private copy of the generated data with a chosen time-sync table,
// runs that record the part and GL errors of every presented frame, frames,
// pixels and GL state read back, and the demo's window for scenes.
//
// State: a data copy lives until its TDemoData goes; OpenShowWindow leaves
// its window, and the data folder as the working folder, to the process.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Ambrel2.h"
#include "EngineSupport.h"
#include "SpineSupport.h"
#include "tvHeadless.h"

// A private copy of every file of the generated data folder but `omit`.
class TDemoData {
 public:
  explicit TDemoData(const std::string& omit = "");

  const std::string& Folder() const { return folder_.Path; }
  std::string Path(const std::string& name) const { return folder_.File(name); }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  // A table with these leading moments, the rest 0; with none every part
  // passes in one frame.
  void WriteTable(const std::vector<uint32_t>& moments) const;

 private:
  spine::TScratchFolder folder_;
};

bool HaveDemoData();
// The bytes of a file; none when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::string& fileName);
std::array<uint32_t, 201> ReadTimeSyncMoments(const std::string& fileName);

struct TShowRun {
  THeadlessResult Result;
  std::vector<int32_t> Parts;            // CurrentPart of the presented frames, repeats left out
  std::map<int32_t, int> Frames;         // presented frames per part
  std::map<int32_t, int> GlErrorFrames;  // frames per part that ended with a GL error
};
// RunHeadless, recording every presented frame before options.OnFrame sees it.
TShowRun PlayShow(THeadlessOptions options);

struct TShotPixel {
  int r = 0, g = 0, b = 0;
};
// A frame read back, bottom row first.
struct TFrameShot {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Rgb;

  TShotPixel At(int x, int y) const;
  // Mean of r, g and b over the rectangle [x0, x1) x [y0, y1), 0 .. 255.
  double MeanBrightness(int x0, int y0, int x1, int y1) const;
  double MeanBrightness() const { return MeanBrightness(0, 0, Width, Height); }
};
// The frame about to be presented (call from a frame sink).
TFrameShot ReadFrame(const TGLWindow& window);
// The state later parts and the operator overlay rely on, one line.
std::string GlStateLine();

// Two RGB pictures of one size: the pixels whose worst channel differs by
// more than 2% (5 of 255), and the worst difference.
struct TPictureDifference {
  int64_t Pixels = 0;
  int Worst = 0;
};
TPictureDifference ComparePictures(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& reference);

// Opens the demo's 800 x 600 window once per process as MainWindow, with the
// light and the pictures the fountain's model uses, and changes into the
// generated data folder.
void OpenShowWindow();
