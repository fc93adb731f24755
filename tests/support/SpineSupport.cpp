// See SpineSupport.h.
#include "SpineSupport.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "AINKeyboard.h"
#include "AmbSystem.h"
#include "tvCommon.h"

namespace spine {

TScratchFolder::TScratchFolder() {
  char pattern[] = "/tmp/tavix-spine-XXXXXX";
  path_ = mkdtemp(pattern);
}

TScratchFolder::~TScratchFolder() { std::filesystem::remove_all(path_); }

std::vector<std::string> TScratchFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
  return names;
}

TVirtualClock::TVirtualClock(uint32_t start) : Tick(start) {
  SetTickSource([this] { return Tick; });
}

TVirtualClock::~TVirtualClock() { SetTickSource({}); }

THeldKeys::THeldKeys() {
  SetKeySource([this](TKeyStates& states) {
    for (uint8_t code : Held) states[code] = 0x80;
  });
}

THeldKeys::~THeldKeys() { SetKeySource({}); }

TMessageLog::TMessageLog() {
  SetMessageSink([this](const std::string& caption, const std::string& text) {
    Shown.push_back(TShownMessage{caption, text});
  });
}

TMessageLog::~TMessageLog() { SetMessageSink({}); }

TFileSizeLimit::TFileSizeLimit(uint64_t bytes) {
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  saved_cur_ = limit.rlim_cur;
  limit.rlim_cur = rlim_t(bytes);
  active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

TFileSizeLimit::~TFileSizeLimit() {
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = rlim_t(saved_cur_);
  setrlimit(RLIMIT_FSIZE, &limit);
}

std::string ReadBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

void ResetSpineState() {
  CurrentPart = -1;
  DemoTime = 0;
  StartTick = 0;
  FrameDelta = 0;
  FrameStep = 1.0f;
  PartTime = 0;
  SyncLock = 0;
  OverlayText.clear();
  ShakeStart = 0;
  SineClock = 0.0f;
  SineValue = 0.0f;
  ClearTimeSync();
  ResetTimeSync();
}

}  // namespace spine
