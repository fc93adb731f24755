// Helpers for the platform and main-loop suites: a scratch folder, a virtual
// clock, held keys and recorded message boxes, each removed again when the
// helper goes out of scope. Kept in their own namespace beside the other
// suites' helpers.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace spine {

// A fresh folder under /tmp, removed with everything in it at the end.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

// Installs a tick source that returns Tick.
class TVirtualClock {
 public:
  explicit TVirtualClock(uint32_t start);
  ~TVirtualClock();
  uint32_t Tick;
};

// Installs a key source that holds the scan codes in Held.
class THeldKeys {
 public:
  THeldKeys();
  ~THeldKeys();
  std::set<uint8_t> Held;
};

struct TShownMessage {
  std::string Caption, Text;
};

// Installs a message sink that records every box.
class TMessageLog {
 public:
  TMessageLog();
  ~TMessageLog();
  std::vector<TShownMessage> Shown;
};

// Caps the size of files this process may write (writes past it fail instead
// of raising SIGXFSZ); the old limit comes back at the end of the scope.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(uint64_t bytes);
  ~TFileSizeLimit();
  bool Active() const { return active_; }

 private:
  uint64_t saved_cur_ = 0;
  bool active_ = false;
};

std::string ReadBytes(const std::string& fileName);
void WriteBytes(const std::string& fileName, const std::string& bytes);

// Puts the frame state and the time-sync table back to their start values.
void ResetSpineState();

}  // namespace spine
