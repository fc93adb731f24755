// Helpers for the suites of the program's spine, each undone when it goes
// out of scope: a scratch folder, a virtual clock, held keys, recorded
// message boxes, a data folder that tells when the show begins, bounded waits
// for child processes, commands' output and raw file bytes.
#pragma once

#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "AINKeyboard.h"
#include "AmbSystem.h"

namespace spine {

inline std::string ReadBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& fileName, const std::string& bytes) {
  std::ofstream(fileName, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

// A fresh folder under /tmp, removed with everything in it at the end.
struct TScratchFolder {
  TScratchFolder() {
    char pattern[] = "/tmp/tavix-spine-XXXXXX";
    Path = mkdtemp(pattern);
  }
  ~TScratchFolder() { std::filesystem::remove_all(Path); }
  TScratchFolder(const TScratchFolder&) = delete;
  std::string File(const std::string& name) const { return Path + "/" + name; }
  // Every file below the folder: its bytes by its relative path.
  std::map<std::string, std::string> Contents() const {
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Path))
      if (entry.is_regular_file()) contents[std::filesystem::relative(entry.path(), Path)] = ReadBytes(entry.path());
    return contents;
  }
  std::string Path;
};

struct TVirtualClock {
  explicit TVirtualClock(uint32_t start) : Tick(start) {
    SetTickSource([this] { return Tick; });
  }
  ~TVirtualClock() { SetTickSource({}); }
  uint32_t Tick;
};

struct THeldKeys {
  THeldKeys() {
    SetKeySource([this](TKeyStates& states) {
      for (uint8_t code : Held) states[code] = 0x80;
    });
  }
  ~THeldKeys() { SetKeySource({}); }
  std::set<uint8_t> Held;
};

// Records every message box as "caption: text".
struct TMessageLog {
  TMessageLog() {
    SetMessageSink(
        [this](const std::string& caption, const std::string& text) { Shown.push_back(caption + ": " + text); });
  }
  ~TMessageLog() { SetMessageSink({}); }
  std::vector<std::string> Shown;
};

// Polls every 10 ms, bounded: a fault must not hang the suite.
inline bool Eventually(const std::function<bool()>& done, int seconds = 120) {
  for (int look = 0; look < seconds * 100; ++look, usleep(10000))
    if (done()) return true;
  return false;
}

// How a child process ended within the bound; one still running is killed,
// and so is whatever it left running in its process group (a program
// started by StartProgram): a leftover holding the test's output open would
// keep the test from ending.
inline std::string Ending(pid_t pid, int seconds) {
  int status = 0;
  const bool ended = Eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; }, seconds);
  if (!ended) kill(pid, SIGKILL), waitpid(pid, &status, 0);
  kill(-pid, SIGKILL);
  if (!ended) return "still running";
  return WIFEXITED(status) ? "status " + std::to_string(WEXITSTATUS(status)) : strsignal(WTERMSIG(status));
}

struct TCommandRun {
  int ExitStatus = -1;
  std::string Output;  // stdout and stderr together
};

// A shell command run to its end.
inline TCommandRun RunCommand(const std::string& command) {
  TCommandRun run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Output.append(buffer, n);
  const int status = pclose(pipe);
  run.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The program started in `folder` with one option, its stderr kept in the
// folder's stderr.txt, in a process group of its own.
inline pid_t StartProgram(const std::string& folder, const std::string& program, const char* option) {
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    if (chdir(folder.c_str()) == 0 && freopen("stderr.txt", "w", stderr))
      execl(program.c_str(), "tavix", option, static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// A folder "data" of links to the generated files, with a copy of the
// time-sync table: its reading, the last step of the loading, tells that
// the show begins.
class TShowData {
 public:
  explicit TShowData(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::create_directory(folder + "/data");
    for (const auto& file : fs::directory_iterator(TAVIX_DATA_DIR))
      if (file.path().filename() != "timesync.dat")
        fs::create_symlink(file.path(), folder + "/data/" + file.path().filename().string());
    fs::copy_file(std::string(TAVIX_DATA_DIR) + "/timesync.dat", folder + "/data/timesync.dat");
    inotify_add_watch(watch, (folder + "/data/timesync.dat").c_str(), IN_CLOSE_NOWRITE);
  }
  ~TShowData() { close(watch); }
  TShowData(const TShowData&) = delete;
  TShowData& operator=(const TShowData&) = delete;
  // Waits two minutes at most.
  bool ShowBegins() const {
    pollfd ready{watch, POLLIN, 0};
    return poll(&ready, 1, 120000) == 1;
  }

 private:
  int watch = inotify_init1(IN_CLOEXEC);
};

}  // namespace spine
