// Helpers for the suites of the program's spine (main loop, time-sync table,
// window, keyboard, music, the program itself), each undone when it goes out
// of scope: a scratch folder, a virtual clock, held keys and recorded message
// boxes; and raw file bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
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

}  // namespace spine
