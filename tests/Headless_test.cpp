// The whole program through the headless runner: the fatal-error path of a
// missing table, a save that cannot complete stopping the program with the
// old table kept, and the stop signals. The program itself: its command line
// and its data found from another folder.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "AINKeyboard.h"
#include "AmbInput.h"
#include "Ambrel2.h"
#include "SpineSupport.h"
#include "tvCommon.h"
#include "tvHeadless.h"

namespace {

using namespace spine;

std::string WorkingFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? buffer : "";
}

// A private copy of the generated data, so the run may write its table.
bool CopyData(const TScratchFolder& folder) {
  if (!std::filesystem::exists(std::string(TAVIX_DATA_DIR) + "/timesync.dat")) return false;
  std::filesystem::copy(TAVIX_DATA_DIR, folder.Path(), std::filesystem::copy_options::recursive);
  return true;
}

TEST(Headless, MissingTableStopsWithItsNameAndRestoresTheWorkingFolder) {
  TScratchFolder folder;
  if (!CopyData(folder)) GTEST_SKIP() << "no generated data";
  std::filesystem::remove(folder.File("timesync.dat"));
  const std::string before = WorkingFolder();
  THeadlessOptions options;
  options.DataDir = folder.Path();
  const THeadlessResult result = RunHeadless(options);
  EXPECT_EQ(result.ExitCode, 1);
  ASSERT_FALSE(result.Messages.empty());
  EXPECT_EQ(result.Messages.back().Caption, "Error");
  EXPECT_EQ(result.Messages.back().Text, "Cannot open file timesync.dat");
  EXPECT_GT(result.FramesPresented, 0u);
  EXPECT_EQ(WorkingFolder(), before);
}

TEST(Headless, SaveCutShortStopsTheProgramAndKeepsTheOldTable) {
  TScratchFolder folder;
  if (!CopyData(folder)) GTEST_SKIP() << "no generated data";
  // Every moment far away: the run stays on the first picture, which is cheap
  // to draw for the 500 frames until the keys unlock.
  const std::string old(804, '\xFF');
  WriteBytes(folder.File("timesync.dat"), old);
  THeadlessOptions options;
  options.DataDir = folder.Path();
  options.Keys = {{CharToScanCode('s'), 0, INT_MAX}};
  THeadlessResult result;
  {
    const TFileSizeLimit limit(100);
    ASSERT_TRUE(limit.Active());
    result = RunHeadless(options);
  }
  EXPECT_EQ(result.ExitCode, 1);
  ASSERT_FALSE(result.Messages.empty());
  EXPECT_EQ(result.Messages.back().Caption, "Error");
  EXPECT_EQ(result.Messages.back().Text.rfind("Cannot write file timesync.dat", 0), 0u) << result.Messages.back().Text;
  EXPECT_EQ(ReadBytes(folder.File("timesync.dat")), old);
}

// Ctrl+C and SIGTERM end the show as Escape does: one more frame, then the
// usual shutdown and exit status 0.
TEST(Headless, StopSignalsEndTheShowLikeEscape) {
  TScratchFolder folder;
  if (!CopyData(folder)) GTEST_SKIP() << "no generated data";
  for (int stopSignal : {SIGINT, SIGTERM}) {
    ResetSpineState();
    THeadlessOptions options;
    options.DataDir = folder.Path();
    uint64_t frames = 0, signalled = 0;
    options.OnFrame = [&](const TGLWindow&) {
      ++frames;
      if (signalled == 0 && DemoTime > 0) {
        signalled = frames;
        std::raise(stopSignal);
      }
    };
    const THeadlessResult result = RunHeadless(options);
    EXPECT_EQ(result.ExitCode, 0) << stopSignal;
    EXPECT_TRUE(result.Messages.empty()) << stopSignal;
    EXPECT_EQ(result.FramesPresented, signalled + 1) << stopSignal;
    EXPECT_EQ(CurrentPart, -1);
    EXPECT_FALSE(HasCurrentGLContext());
    EXPECT_EQ(Keyboard, nullptr);
  }
}

// A command line that cannot be run ends before any window is tried (here
// one could not be made at all).
TEST(Program, RefusesUnknownOptionsWithTheUsage) {
  FILE* pipe = popen("SDL_VIDEODRIVER=no-such-driver " TAVIX_EXE " --bogus 2>&1", "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_EQ(WEXITSTATUS(status), 2);
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
// beside it; SIGTERM then ends it cleanly (a stop asked for during the
// loading takes effect when the show begins).
TEST(Program, FindsTheDataBesideItselfAndEndsOnSigterm) {
  if (!std::filesystem::exists(std::string(TAVIX_DATA_DIR) + "/timesync.dat")) GTEST_SKIP() << "no generated data";
  TScratchFolder elsewhere;
  const std::string errors = elsewhere.File("stderr.txt");
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(elsewhere.Path().c_str()) != 0 || !freopen(errors.c_str(), "w", stderr)) _exit(126);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(TAVIX_EXE, "tavix", "--window", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  bool ended = false;
  // Bounded only so that a program that never gets that far cannot hang the suite.
  for (int wait = 0; wait < 6000 && !ended && !CatchesSignal(pid, SIGTERM); ++wait) {
    ended = waitpid(pid, &status, WNOHANG) == pid;
    usleep(10000);
  }
  if (!ended) {
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string written = ReadBytes(errors);
  EXPECT_EQ(written.find("Error"), std::string::npos) << written;
}

TEST(Headless, KeyNamesBecomeScanCodes) {
  EXPECT_EQ(ScanCodeFromKeyName("Escape"), 0x01);
  EXPECT_EQ(ScanCodeFromKeyName("tab"), 0x0F);
  EXPECT_EQ(ScanCodeFromKeyName("Return"), 0x1C);
  EXPECT_EQ(ScanCodeFromKeyName("Space"), 0x39);
  EXPECT_EQ(ScanCodeFromKeyName("2"), 0x03);
  EXPECT_EQ(ScanCodeFromKeyName("C"), 0x2E);
  EXPECT_EQ(ScanCodeFromKeyName("F13"), 0);
}

}  // namespace
