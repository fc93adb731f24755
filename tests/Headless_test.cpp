// The whole program: its command line, where it looks for its data, and
// the stop signals.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "SpineSupport.h"
#include "tvOptions.h"

namespace {

using namespace spine;

// What a command line asks for, or why it cannot be run.
std::string Parsed(const std::vector<std::string>& args) {
  try {
    const TTavixOptions o = ParseTavixOptions(args);
    const std::string size = o.Size.Mode == TFrameSizeMode::Native ? " native"
                             : o.Size.Mode == TFrameSizeMode::Fixed
                                 ? " " + std::to_string(o.Size.Width) + "x" + std::to_string(o.Size.Height)
                                 : "";
    const std::string offset = o.AudioOffsetGiven ? " audio " + std::to_string(o.AudioOffsetMs) : "";
    return o.Help ? "help" : std::array{"as asked", "window", "fullscreen"}[int(o.Screen)] + o.DataDir + size + offset;
  } catch (const ETavixUsage& e) {
    return e.what();
  }
}

std::string BadOffset(const std::string& ms) {
  return "--audio-offset expects a whole number of ms from -2000 to 2000, not \"" + ms + "\"";
}

std::string BadSize(const std::string& size) {
  return "--size expects native or a 4:3 WIDTHxHEIGHT from 320x240 (800x600 is the classic frame), not \"" + size +
         "\"";
}

TEST(DisplayOptions, ParseAndRefuse) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "as asked"},
      {{"--window"}, "window"},
      {{"--fullscreen"}, "fullscreen"},
      {{"--help"}, "help"},
      {{"-h"}, "help"},
      {{"--windowed"}, "unknown option \"--windowed\""},
      {{"data"}, "unknown option \"data\""},
      {{"--window", "--data", "/opt/demo"}, "window/opt/demo"},
      {{"--data"}, "--data: 1 required DIR missing"},
      {{"--data", ""}, "--data needs a folder"},
      {{"--window", "--fullscreen"}, "--window and --fullscreen cannot be used together"},
      {{"--size", "native"}, "as asked native"},
      {{"--window", "--size", "1600x1200"}, "window 1600x1200"},
      {{"--size", "320x240"}, "as asked 320x240"},
      {{"--size", "800x601"}, BadSize("800x601")},
      {{"--size", "316x237"}, BadSize("316x237")},
      {{"--size", "1600x1200x"}, BadSize("1600x1200x")},
      {{"--size", "-800x-600"}, BadSize("-800x-600")},
      {{"--audio-offset", "-2000"}, "as asked audio -2000"},
      {{"--audio-offset", "+35"}, "as asked audio 35"},
      {{"--audio-offset", "2001"}, BadOffset("2001")},
      {{"--audio-offset", "40ms"}, BadOffset("40ms")},
      {{"--audio-offset", "4 0"}, BadOffset("4 0")}};
  for (const auto& [args, meaning] : cases) EXPECT_EQ(Parsed(args), meaning);
  for (const char* word : {"--window", "--fullscreen", "--size", "--audio-offset", "--help", "Alt+Enter", "Escape"})
    EXPECT_NE(TavixHelpText().find(word), std::string::npos) << word;
}

// A command line that cannot be run ends with status 2 before any window is
// tried (here one could not be made at all): the error and one line that
// points to --help, so that the error stays in sight.
TEST(Program, RefusesUnknownOptionsWithAPointerToHelp) {
  const auto [status, output] = RunCommand("SDL_VIDEODRIVER=no-such-driver " TAVIX_EXE " --bogus");
  EXPECT_EQ(status, 2);
  EXPECT_EQ(output, "tavix: unknown option \"--bogus\"\nTry 'tavix --help' for the options and keys.\n");
}

bool CatchesSignal(pid_t pid, int number) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (number - 1)) & 1;
  return false;
}

// Started from a folder with a "data" of its own, the program plays that
// data. A stop signal as the show begins ends it through the usual shutdown
// with status 0 within 20 s (the show lasts three minutes); a second signal
// during the loading ends it at once.
TEST(Program, EndsOnAStopSignal) {
  ASSERT_TRUE(std::filesystem::exists(TAVIX_DATA_DIR "/timesync.dat")) << "the build generates " TAVIX_DATA_DIR;
  const struct {
    int First, Second;
    std::string Ending;
  } cases[] = {{SIGINT, 0, "status 0"}, {SIGTERM, 0, "status 0"}, {SIGTERM, SIGINT, strsignal(SIGINT)}};
  for (const auto& stop : cases) {
    const int first = stop.First, second = stop.Second;
    TScratchFolder folder;
    const TShowData data(folder.Path);
    const pid_t pid = StartProgram(folder.Path, TAVIX_EXE, "--window");
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(second ? Eventually([&] { return CatchesSignal(pid, first); }) : data.ShowBegins()) << first;
    kill(pid, first);
    // The first signal taken: the default action is back for the second.
    if (second && Eventually([&] { return !CatchesSignal(pid, second); })) kill(pid, second);
    EXPECT_EQ(Ending(pid, 20), stop.Ending) << first << " " << second;
    // Nothing on stderr but the line on the frame's size chosen for the renderer.
    if (!second) {
      const std::string err = ReadBytes(folder.File("stderr.txt"));
      EXPECT_TRUE(err.rfind("tavix: drawing at 800 x 600 on the software renderer ", 0) == 0 &&
                  std::count(err.begin(), err.end(), '\n') == 1)
          << first << ": " << err;
    }
  }
}

// "data" in the current folder comes first once it holds a table; with none
// there nor beside the program the files are looked for where it was started,
// after a line saying where it looked. Either way the first missing file ends it.
TEST(Program, LooksForItsDataInTheCurrentFolderFirst) {
  for (const bool dataHere : {true, false}) {
    TScratchFolder folder;
    std::string program = TAVIX_EXE;
    if (dataHere) {
      std::filesystem::create_directory(folder.File("data"));
      WriteBytes(folder.File("data/timesync.dat"), std::string(804, '\0'));
    } else {
      program = folder.File("bin/tavix");
      std::filesystem::create_directory(folder.File("bin"));
      std::filesystem::copy_file(TAVIX_EXE, program);
    }
    const pid_t pid = StartProgram(folder.Path, program, "--window");
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Ending(pid, 120), "status 1") << dataHere;
    const std::string messages = "BMP Unit: Couldn't load JPG - \"load.jpg\"\nError: Cannot open file star.aab\n";
    const std::string lookedIn = dataHere ? "" : "tavix: no data folder found; looked in: ";
    const std::string err = ReadBytes(folder.File("stderr.txt"));
    EXPECT_EQ(err.substr(0, lookedIn.size()), lookedIn) << err;
    EXPECT_TRUE(err.size() >= messages.size() &&
                err.compare(err.size() - messages.size(), messages.size(), messages) == 0)
        << err;
  }
}

// A "data" below the current folder without its table is passed over, and
// stderr says so and which folder plays (here the build's, beside the
// program), before anything else (here a window that cannot be made).
TEST(Program, NamesTheDataFolderItPassesOverAndTheOneThatPlays) {
  const TScratchFolder folder;
  std::filesystem::create_directory(folder.File("data"));
  const auto [status, output] =
      RunCommand("cd " + folder.Path + " && SDL_VIDEODRIVER=no-such-driver " TAVIX_EXE " --window");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(output.rfind("tavix: passed over the folder data: it holds no timesync.dat\n"
                         "tavix: playing the data in " TAVIX_DATA_DIR "\n",
                         0),
            0u)
      << output;
}

}  // namespace
