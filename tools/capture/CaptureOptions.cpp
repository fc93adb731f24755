// Command-line parsing for tavix-capture: CLI11 finds the options and their
// values; the values are checked here, in our own words.
#include "CaptureOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <limits>
#include <sstream>

#include "tvOptions.h"

namespace {

int64_t ParseNumber(const std::string& option, const std::string& text, int64_t lowest, int64_t highest) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < lowest || value > highest) {
    std::ostringstream message;
    message << option << " expects a whole number from " << lowest << " to " << highest << ", not \"" << text << "\"";
    throw ECaptureUsage(message.str());
  }
  return value;
}

std::vector<int32_t> ParseMoments(const std::string& text) {
  std::vector<int32_t> moments;
  std::istringstream list(text);
  std::string item;
  while (std::getline(list, item, ','))
    moments.push_back(int32_t(ParseNumber("--at", item, 0, std::numeric_limits<int32_t>::max())));
  if (moments.empty() || text.back() == ',') throw ECaptureUsage("--at expects MS[,MS...], not \"" + text + "\"");
  std::sort(moments.begin(), moments.end());
  moments.erase(std::unique(moments.begin(), moments.end()), moments.end());
  return moments;
}

// WIDTHxHEIGHT, each side a whole number of pixels.
void ParseWindowSize(const std::string& text, TCaptureOptions& o) {
  const size_t x = text.find('x');
  if (x == std::string::npos) throw ECaptureUsage("--present expects WIDTHxHEIGHT, not \"" + text + "\"");
  o.PresentWidth = int(ParseNumber("--present", text.substr(0, x), 1, 16384));
  o.PresentHeight = int(ParseNumber("--present", text.substr(x + 1), 1, 16384));
}

// A 4:3 size as tavix takes it; a video's sides must be even besides.
void ParseFrame(const std::string& text, TCaptureOptions& o) {
  try {
    const TFrameSize size = ParseFrameSize(text, false);
    o.Width = size.Width;
    o.Height = size.Height;
  } catch (const ETavixUsage& error) {
    throw ECaptureUsage(error.what());
  }
}

void CheckCombination(const TCaptureOptions& o, bool offsetGiven) {
  if (!o.VideoFile.empty() && (o.Width % 2 != 0 || o.Height % 2 != 0))
    throw ECaptureUsage("--video needs even sides, not " + std::to_string(o.Width) + "x" + std::to_string(o.Height));
  if (!o.AtMoments.empty() && o.OutDir.empty()) throw ECaptureUsage("--at needs --out DIR");
  if (o.AtMoments.empty() && !o.OutDir.empty()) throw ECaptureUsage("--out is only used with --at");
  if (offsetGiven && o.PartsDir.empty()) throw ECaptureUsage("--offset is only used with --parts");
  const bool writesFiles = !o.FramesDir.empty() || !o.OutDir.empty() || !o.PartsDir.empty() || !o.VideoFile.empty();
  if (o.Bench && writesFiles) throw ECaptureUsage("--bench measures rendering alone and writes no files");
  if (o.PresentWidth > 0 && !o.Bench) throw ECaptureUsage("--present is only used with --bench");
}

struct TValueOption {
  const char* Name;
  std::function<void(const std::string& value)> Take;
};

// The value given last; an option without one is an error.
std::string LastValue(const TValueOption& option, const CLI::Option& parsed) {
  if (parsed.results().empty() || parsed.results().back().empty())
    throw ECaptureUsage(std::string(option.Name) + " needs a value");
  return parsed.results().back();
}

}  // namespace

TCaptureOptions ParseCaptureOptions(const std::vector<std::string>& args) {
  TCaptureOptions o;
  bool offsetGiven = false;
  const TValueOption valueOptions[] = {
      {"--data", [&](const std::string& v) { o.DataDir = v; }},
      {"--fps", [&](const std::string& v) { o.Fps = uint32_t(ParseNumber("--fps", v, 1, 1000)); }},
      {"--frames", [&](const std::string& v) { o.FramesDir = v; }},
      {"--at", [&](const std::string& v) { o.AtMoments = ParseMoments(v); }},
      {"--out", [&](const std::string& v) { o.OutDir = v; }},
      {"--parts", [&](const std::string& v) { o.PartsDir = v; }},
      {"--offset",
       [&](const std::string& v) {
         o.PartOffsetMs = uint32_t(ParseNumber("--offset", v, 0, 3600000)), offsetGiven = true;
       }},
      {"--video", [&](const std::string& v) { o.VideoFile = v; }},
      {"--keys", [&](const std::string& v) { o.KeysFile = v; }},
      {"--part-ms", [&](const std::string& v) { o.PartMs = uint32_t(ParseNumber("--part-ms", v, 1, 600000)); }},
      {"--present", [&](const std::string& v) { ParseWindowSize(v, o); }},
      {"--size", [&](const std::string& v) { ParseFrame(v, o); }},
  };
  CLI::App app;
  app.set_help_flag();
  // Left-over arguments are reported by name, the same way for every kind.
  app.allow_extras();
  // As given more than once, the last value counts.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_flag("--help,-h", o.Help);
  app.add_flag("--bench", o.Bench);
  app.add_flag("--version", o.Version);
  std::vector<CLI::Option*> parsed;
  for (const TValueOption& option : valueOptions) parsed.push_back(app.add_option(option.Name)->expected(0, 1));
  const std::string fault = ParseLastWins(app, args, " (see --help)");
  if (!fault.empty()) throw ECaptureUsage(fault);
  for (size_t i = 0; i < parsed.size(); ++i)
    if (parsed[i]->count() > 0) valueOptions[i].Take(LastValue(valueOptions[i], *parsed[i]));
  if (!o.Help && !o.Version) CheckCombination(o, offsetGiven);
  return o;
}

double MsPerFrame(const TCaptureOptions& options) { return 1000.0 / options.Fps; }

std::string CaptureHelpText() {
  return R"(Usage: tavix-capture [options]

Plays the Tavix demo unchanged (start-up, every part, shutdown) on a virtual
clock, at 800 x 600 unless --size says otherwise, without a display (SDL's
offscreen video driver and a silent
sound device unless SDL_VIDEODRIVER / SDL_AUDIODRIVER say otherwise), and
writes what it shows. Every frame advances the clock by exactly 1000/fps ms,
so the result does not depend on how fast the machine renders.

  --data DIR          the demo's data folder (default: the first that holds
                      timesync.dat of "data" below the current folder, "data"
                      beside the program, and the installed data folder)
  --fps N             frames per second of the virtual clock, 1..1000 (default 60)
  --size WxH          the frame's size in pixels, any 4:3 size from 320x240
                      up (default 800x600, the classic frame); every output
                      is written at it (the contact sheet keeps its tiles),
                      a video needs even sides
  --frames DIR        write every presented frame, start-up included, as
                      DIR/frame-NNNNNN.png
  --at MS[,MS...]     capture only the first frame whose demo clock (DemoTime)
                      is at or past each moment, as DIR/at-MS.png in the
                      folder of --out; the run ends soon after the last moment
  --out DIR           the folder for the pictures of --at
  --parts DIR         one picture per part, OFFSET ms into the part (or the
                      part's last frame when it is shorter), as
                      DIR/part-N.png, and DIR/contact-sheet.png with all parts
                      and their numbers
  --offset MS         the offset into each part for --parts (default 2500)
  --video FILE.mp4    pipe every frame into ffmpeg (H.264) and add
                      "abstract.mp3" from the data folder, starting at the
                      virtual moment the demo started its music
  --keys SCRIPT       press keys on the demo clock; one press per line:
                        KEY MS        held for one frame at MS (two at most
                                      when 1000/fps is not a whole number)
                        KEY FROM TO   held while FROM <= DemoTime < TO
                      KEY is a letter or digit (p plots, s saves, c clears
                      the time-sync table, 2 jumps to 25 s), Escape, Tab,
                      Return, Space, Backspace, F1..F12, Up, Down, Left,
                      Right, Home, End, PageUp, PageDown, Insert, Delete,
                      Shift, Ctrl, Alt (or LShift, RShift, LCtrl, RCtrl,
                      LAlt, RAlt), or one of [ ] - = , . / ; ' ; keys joined
                      by '+' are held together (Ctrl+Z 5000); '#' starts a
                      comment. The timeline (F2) holds the end of the show
                      while open: close it (F2) or end with Escape. Its
                      pauses and jumps do not move the script's clock
  --bench             no read-back and no files: print, for each part, the
                      frames rendered and the median, 95th percentile and
                      worst real frame time, beside them the median and 95th
                      percentile of the frame and its presentation into the
                      window, and the start-up time without the fixed wait
                      frames and the 1.6 s fade
  --present WxH       for --bench: present into a window of W x H pixels
                      (the frame scaled as in fullscreen on such a screen)
                      instead of one of the frame's size
  --part-ms MS        a short schedule: the title picture until 8 s, then
                      every part MS ms long (the data folder's timesync.dat is
                      neither read nor changed); --bench --part-ms 3000 takes
                      about a minute
  --version           print the version and end
  --help              this text

A progress line (part, frames, frames per second, the time left) is written
to stderr.
The exit status is 0 on success, 1 when the demo or an output failed,
2 for a command line that cannot be run.
)";
}
