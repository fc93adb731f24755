// The command line of tavix-capture: what to write, at which frame rate,
// from which data folder, with which scripted keys.
//
// State: none; parsing is a pure function of the arguments.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct TCaptureOptions {
  std::string DataDir;             // empty: looked for as tavix looks for it
  uint32_t Fps = 60;               // frames per second of the virtual clock
  std::string FramesDir;           // every frame as PNG
  std::vector<int32_t> AtMoments;  // demo-clock moments to capture, ascending
  std::string OutDir;              // where the --at frames go
  std::string PartsDir;            // one picture per part and the contact sheet
  uint32_t PartOffsetMs = 2500;    // offset into each part for --parts
  std::string VideoFile;           // .mp4 with the music
  std::string KeysFile;            // scripted keys
  bool Bench = false;              // frame-time report, no files
  uint32_t PartMs = 0;             // when not 0, every part lasts this long
  int PresentWidth = 0;            // --bench: the window the frame is scaled into;
  int PresentHeight = 0;           // 0 x 0 is the frame's own size
  int Width = 800, Height = 600;   // the frame's pixels
  bool Help = false;
  bool Version = false;
};

// A command line that cannot be run; the text says what is wrong.
class ECaptureUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses argv[1..]; throws ECaptureUsage for unknown options, missing or
// malformed values and combinations that make no sense.
TCaptureOptions ParseCaptureOptions(const std::vector<std::string>& args);
std::string CaptureHelpText();

// Milliseconds of virtual time per frame, possibly fractional.
double MsPerFrame(const TCaptureOptions& options);
