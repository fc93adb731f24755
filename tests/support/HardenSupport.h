// Helpers for the missing-file and damaged-file matrices: a whole headless
// run of the program in a child process, so that every run starts from a
// fresh process (nothing cached from an earlier run) and a crash or a hang
// shows up as a failed run instead of taking the suite down.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tvHeadless.h"

struct TIsolatedRun {
  bool Finished = false;  // false: the child crashed, hung or could not report
  std::string Fault;      // why it did not finish
  int ExitCode = 0;
  std::vector<TRecordedMessage> Messages;
  std::set<int32_t> PartsDrawn;  // CurrentPart of every presented frame
  bool MusicStarted = false;
};

// Plays the program over `dataDir` in a child process, giving up after
// `limitSeconds` of real time.
TIsolatedRun PlayIsolated(const std::string& dataDir, unsigned limitSeconds = 300);

// A private copy of the generated data without `omit`, whose time-sync table
// is emptied (every part then passes in one frame, so a run is the start-up
// plus one frame of each scene) unless the table itself is omitted.
std::string ShortShowData(const std::string& omit = "");

// Bytes of a file, and writing them back.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName);
void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes);
