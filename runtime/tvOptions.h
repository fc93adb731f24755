// The command line of tavix: how the picture is shown and where the data is.
//
// State: none; parsing is a pure function of the arguments.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Ambrel2.h"

namespace CLI {
class App;
}

// CLI11's parse of argv[1..] in which a later option wins over an earlier
// one. Returns what is wrong, empty when nothing is: CLI11's message, or
// `unknown option "<arg>"` and unknownNote for an argument no option takes.
std::string ParseLastWins(CLI::App& app, const std::vector<std::string>& args, const std::string& unknownNote = "");

struct TTavixOptions {
  TScreenMode Screen = TScreenMode::AsAsked;  // nothing given: fullscreen, as the start-up asks
  TFrameSize Size;                            // nothing given: by the renderer
  std::string DataDir;                        // empty: looked for (DataFolderCandidates)
  bool Edit = false;                          // the timeline open from the show's start
  bool AudioOffsetGiven = false;
  int32_t AudioOffsetMs = 0;  // the sound heard this much later than the output says
  bool Help = false;
  bool Version = false;
};

// A command line that cannot be run; the text says what is wrong.
class ETavixUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses argv[1..]; throws ETavixUsage for unknown options and for --window
// together with --fullscreen.
TTavixOptions ParseTavixOptions(const std::vector<std::string>& args);
// The value of --size: "native" (when allowed) or a 4:3 WIDTHxHEIGHT from
// 320x240 up; throws ETavixUsage naming what is wrong.
TFrameSize ParseFrameSize(const std::string& text, bool nativeAllowed);
// The options, the data folders, the keys and the file S writes.
std::string TavixHelpText();
// The version of the build, "major.minor.patch".
std::string TavixVersion();
