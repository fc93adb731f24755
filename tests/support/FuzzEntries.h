// One entry point per file reader, shared by the libFuzzer targets in
// tests/fuzz and the regression suite that replays the files they found.
//
// An entry hands the bytes to the reader exactly as the loader does. A clean
// refusal (EFileError, or a failed decode with its message) is an expected
// outcome; a result that breaks the reader's promises (a face naming a vertex
// that does not exist, a pixel buffer of the wrong size) throws
// TReaderBroken, which the fuzzer turns into a crash and a test into a failure.
//
// State: none. Leaves nothing behind except the time-sync table, which the
// time-sync entry overwrites.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

enum class TReaderOutcome { Accepted, Refused };

class TReaderBroken : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

struct TFuzzEntry {
  std::string Name;                     // "3ds", "abr", "aab", "mat", "tga", "bmp", "jpg", "timesync"
  std::vector<std::string> Extensions;  // files of the data folder that seed it
  TReaderOutcome (*Run)(const uint8_t* data, size_t size);
};

const std::vector<TFuzzEntry>& FuzzEntries();
// The entry called `name`; throws std::out_of_range when there is none.
const TFuzzEntry& FuzzEntry(const std::string& name);
// The entry whose extension the file name ends with; nullptr when none.
const TFuzzEntry* FuzzEntryForFile(const std::string& fileName);
