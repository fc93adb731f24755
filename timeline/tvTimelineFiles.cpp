// The settings and recovery files of the timeline.
#include "tvTimelineFiles.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "AmbSystem.h"
#include "tvCommon.h"

namespace {

bool FileExists(const std::string& name) { return std::ifstream(name).good(); }

// A file beside the table that cannot be read is named in the notice line
// and left alone: the timeline opens all the same.
std::optional<std::string> ReadBeside(const std::string& name, std::string& notice) {
  if (!FileExists(name)) return std::nullopt;
  try {
    return ReadWholeFile(name);
  } catch (const EFileError& error) {
    notice = error.what();
    return std::nullopt;
  }
}

}  // namespace

TTimelineSettings ReadSettingsFile(std::string& notice) {
  const std::string name = UserFilePlace(TimelineSettingsFile).Read;
  const std::optional<std::string> text = ReadBeside(name, notice);
  if (!text) return TTimelineSettings{};
  const TSettingsParse parse = ParseTimelineSettings(*text, name);
  for (const std::string& problem : parse.Problems) std::cerr << problem << "\n";
  if (!parse.Problems.empty()) notice = parse.Problems.front() + " (ignored)";
  return parse.Settings;
}

void WriteSettingsFile(const TTimelineSettings& settings) {
  const std::string text = WriteTimelineSettings(settings);
  try {
    ReplaceFile(UserFilePlace(TimelineSettingsFile).Write, text.data(), text.size());
  } catch (const EFileError& error) {
    std::cerr << error.what() << "\n";
  }
}

std::optional<TScheduleMoments> ReadRecoveryFile(std::string& notice) {
  const std::string name = UserFilePlace(TimelineRecoveryFile).Read;
  const std::optional<std::string> bytes = ReadBeside(name, notice);
  if (!bytes) return std::nullopt;
  if (bytes->size() != TimeSyncFileBytes) {
    notice = name + " is not a table of 804 bytes: left alone";
    return std::nullopt;
  }
  TTimeSyncTable table{};
  DecodeTimeSyncInto(table, reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
  TScheduleMoments moments{};
  std::copy_n(table.begin(), ScheduleEntries, moments.begin());
  return moments;
}

// Also on the way out after a fatal error (a failed save among them), so the
// recovery file's own failure is only reported.
void WriteRecoveryFile() {
  const std::string name = UserFilePlace(TimelineRecoveryFile).Write;
  try {
    SaveTimeSync(name);
    std::cout << "Timeline edits not saved are kept in " << name << "\n";
  } catch (const EFileError& error) {
    std::cerr << "Timeline edits not saved are lost: " << error.what() << "\n";
  }
}

void RemoveRecoveryFile() {
  const TUserFile place = UserFilePlace(TimelineRecoveryFile);
  std::remove(place.Write.c_str());
  std::remove(place.Read.c_str());
}
