// Replays tests/regressions (each file named after its fault) through the
// fuzz targets' reader entry points: read or refused cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "FuzzEntries.h"
#include "ShowFrames.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  if (fs::is_directory(folder))
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

TReaderOutcome Replay(const fs::path& file) {
  const TFuzzEntry* entry = FuzzEntryForFile(file.filename().string());
  if (!entry) throw std::runtime_error("no reader for " + file.string());
  const std::vector<uint8_t> bytes = ReadBytes(file);
  return entry->Run(bytes.data(), bytes.size());
}

// A regression file is refused unless its fault is one the reader absorbs;
// the demo's own files, the fuzzers' seeds, are accepted.
TEST(Regressions, FilesAreRefusedUnlessTheirFaultIsAbsorbedAndTheDataIsAccepted) {
  const std::set<std::string> absorbed = {"rle_packet_past_image.tga", "overlong.dat", "partial_last_entry.dat",
                                          "zero_width.bmp"};
  std::set<std::string> readers;
  for (const fs::path& file : FilesIn(fs::path(TAVIX_SOURCE_DIR) / "tests" / "regressions")) {
    const std::string name = file.filename().string();
    EXPECT_EQ(Replay(file), absorbed.count(name) ? TReaderOutcome::Accepted : TReaderOutcome::Refused) << name;
    readers.insert(FuzzEntryForFile(name)->Name);
  }
  EXPECT_EQ(readers.size(), FuzzEntries().size()) << "every reader has regression files";
  int accepted = 0;
  for (const fs::path& file : FilesIn(TAVIX_DATA_DIR)) {
    if (!FuzzEntryForFile(file.filename().string())) continue;
    EXPECT_EQ(Replay(file), TReaderOutcome::Accepted) << file.filename();
    ++accepted;
  }
  EXPECT_GE(accepted, 45) << "the build generates " TAVIX_DATA_DIR;
}

// The fuzz targets' own cap is not the decoders' limit: they pass over each
// reader's large pictures, but not one the reader refuses by itself.
TEST(Regressions, FuzzTargetsPassOverOnlyLargePicturesTheReaderWouldDecode) {
  ASSERT_TRUE(HaveDemoData()) << "the build generates " TAVIX_DATA_DIR;
  const fs::path data = TAVIX_DATA_DIR, huge = fs::path(TAVIX_SOURCE_DIR) / "tests/regressions/huge_dimensions.bmp";
  const std::pair<fs::path, bool> cases[] = {
      {data / "tavixm.bmp", true}, {data / "logo.jpg", true}, {data / "clouds2.tga", true}, {huge, false}};
  for (const auto& [file, above] : cases) {
    const std::vector<uint8_t> bytes = ReadBytes(file);
    EXPECT_EQ(AboveFuzzCap(*FuzzEntryForFile(file.filename().string()), bytes.data(), bytes.size()), above) << file;
  }
}

}  // namespace
