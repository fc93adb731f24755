// One entry point per file reader, shared by the fuzz targets and the
// regression suite, handing the bytes to the reader as the loader does. A
// clean refusal is expected; a result that breaks the reader's promises
// throws TReaderBroken, a crash to the fuzzer.
//
// State: none; the time-sync entry overwrites the time-sync table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

enum class TReaderOutcome { Accepted, Refused };

struct TAnnouncedSize {
  uint64_t Width = 0, Height = 0;
};

class TReaderBroken : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

struct TFuzzEntry {
  std::string Name;                     // "3ds", "abr", "aab", "mat", "tga", "bmp", "jpg", "timesync", "timeline"
  std::vector<std::string> Extensions;  // files of the data folder that seed it
  TReaderOutcome (*Run)(const uint8_t* data, size_t size);
  // For the picture readers: the size the header announces (0 x 0 when
  // there is no readable header). Null for the other readers.
  TAnnouncedSize (*AnnouncedSize)(const uint8_t* data, size_t size) = nullptr;
};

// The largest picture a reader may accept, written out here rather than
// taken from the readers, so that a loosened limit in a reader is a finding
// and not a new normal.
struct TPictureLimit {
  uint64_t Side, Pixels;
  bool Admits(uint64_t w, uint64_t h) const { return w <= Side && h <= Side && w * h <= Pixels; }
};
constexpr TPictureLimit LargestPicture{16384, 4096 * 4096};

// The fuzz targets pass over pictures within LargestPicture but announced
// larger than FuzzPixelCap, whose instrumented decode would slow the run
// tenfold; a small picture reaches the same code.
constexpr uint64_t FuzzPixelCap = 128 * 128;
bool AboveFuzzCap(const TFuzzEntry& entry, const uint8_t* data, size_t size);

const std::vector<TFuzzEntry>& FuzzEntries();
// The entry called `name`; throws std::out_of_range when there is none.
const TFuzzEntry& FuzzEntry(const std::string& name);
// The entry whose extension the file name ends with; nullptr when none.
const TFuzzEntry* FuzzEntryForFile(const std::string& fileName);
