// The whole program: its command line (the display options, the usage for
// one that cannot be run) and, started from another folder, its data found
// beside it and SIGINT or SIGTERM ending the show as Escape does.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "SpineSupport.h"
#include "tvOptions.h"

namespace {

using namespace spine;

bool HaveData() { return std::filesystem::exists(std::string(TAVIX_DATA_DIR) + "/timesync.dat"); }

// What a command line asks for, or why it cannot be run.
std::string Parsed(const std::vector<std::string>& args) {
  try {
    const TTavixOptions options = ParseTavixOptions(args);
    return options.Help ? "help" : std::array{"as asked", "window", "fullscreen"}[int(options.Screen)];
  } catch (const ETavixUsage& e) {
    return e.what();
  }
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
      {{"--window", "--fullscreen"}, "--window and --fullscreen cannot be used together"}};
  for (const auto& [args, meaning] : cases) EXPECT_EQ(Parsed(args), meaning);
  for (const char* word : {"--window", "--fullscreen", "--help", "Alt+Enter", "Escape"})
    EXPECT_NE(TavixHelpText().find(word), std::string::npos) << word;
}

// A command line that cannot be run ends with the usage and status 2 before
// any window is tried (here one could not be made at all).
TEST(Program, RefusesUnknownOptionsWithTheUsage) {
  FILE* pipe = popen("SDL_VIDEODRIVER=no-such-driver " TAVIX_EXE " --bogus 2>&1", "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  EXPECT_EQ(WEXITSTATUS(pclose(pipe)), 2);
  EXPECT_EQ(output.rfind("tavix: unknown option \"--bogus\"\n\nUsage: tavix", 0), 0u) << output;
  EXPECT_EQ(output.find("Failed to register the window class!"), std::string::npos) << output;
}

bool CatchesSignal(pid_t pid, int number) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (number - 1)) & 1;
  return false;
}

// Started from a folder without "data", the program plays with the data
// beside it; either stop signal then ends it through the usual shutdown with
// status 0 (a stop asked for during the loading takes effect when the show
// begins).
TEST(Program, FindsTheDataBesideItselfAndEndsOnAStopSignal) {
  ASSERT_TRUE(HaveData()) << "the build generates " TAVIX_DATA_DIR;
  for (int stopSignal : {SIGINT, SIGTERM}) {
    TScratchFolder elsewhere;
    const std::string errors = elsewhere.File("stderr.txt");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (chdir(elsewhere.Path.c_str()) != 0 || !freopen(errors.c_str(), "w", stderr)) _exit(126);
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      execl(TAVIX_EXE, "tavix", "--window", static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    bool ended = false;
    // Bounded only so that a program that never gets that far cannot hang the suite.
    for (int wait = 0; wait < 6000 && !ended && !CatchesSignal(pid, stopSignal); ++wait) {
      ended = waitpid(pid, &status, WNOHANG) == pid;
      usleep(10000);
    }
    if (!ended) {
      kill(pid, stopSignal);
      waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(WIFEXITED(status)) << stopSignal;
    EXPECT_EQ(WEXITSTATUS(status), 0) << stopSignal;
    EXPECT_EQ(ReadBytes(errors).find("Error"), std::string::npos) << stopSignal << ": " << ReadBytes(errors);
  }
}

}  // namespace
