// The short schedule's folder: links to the data files and a new table.
#include "ShortSchedule.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CaptureSetup.h"
#include "tvCommon.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t TitleUntilMs = 8000;

void WriteTable(const fs::path& fileName, const std::vector<uint32_t>& moments) {
  TTimeSyncTable table{};
  std::copy_n(moments.begin(), std::min(moments.size(), table.size()), table.begin());
  const auto bytes = EncodeTimeSync(table);
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())) || !out.flush())
    throw ECaptureSetup("Cannot write the short schedule's table " + fileName.string());
}

}  // namespace

std::vector<uint32_t> ShortScheduleMoments(uint32_t partMs) {
  std::vector<uint32_t> moments;
  for (uint32_t part = 0; part <= uint32_t(EndPart); ++part) moments.push_back(TitleUntilMs + part * partMs);
  return moments;
}

TShortSchedule::TShortSchedule(const std::string& dataFolder, uint32_t partMs) {
  std::string pattern = (fs::temp_directory_path() / "tavix-schedule-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw ECaptureSetup("Cannot make a folder for the short schedule in /tmp");
  folder_ = pattern;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(dataFolder, error)) {
    if (entry.path().filename() == "timesync.dat") continue;
    fs::create_symlink(fs::absolute(entry.path()), fs::path(folder_) / entry.path().filename(), error);
    if (error) break;
  }
  if (error) {
    fs::remove_all(folder_, error);
    throw ECaptureSetup("Cannot link the data files into the short schedule's folder: " + error.message());
  }
  WriteTable(fs::path(folder_) / "timesync.dat", ShortScheduleMoments(partMs));
}

TShortSchedule::~TShortSchedule() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}
