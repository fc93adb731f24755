// Data and output folder checks.
#include "CaptureSetup.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool IsDataFolder(const fs::path& folder) {
  std::error_code error;
  return fs::is_directory(folder, error) && fs::exists(folder / "timesync.dat", error);
}

std::string Absolute(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  return (error ? fs::path(path) : absolute).lexically_normal().string();
}

}  // namespace

std::string ResolveDataFolder(const std::string& given, const std::vector<std::string>& candidates) {
  if (!given.empty()) {
    std::error_code error;
    if (!fs::is_directory(given, error)) throw ECaptureSetup("Data folder " + given + " does not exist");
    if (!IsDataFolder(given))
      throw ECaptureSetup("Data folder " + given + " holds no timesync.dat: is it the demo's data folder?");
    return Absolute(given);
  }
  std::string looked;
  for (const std::string& folder : candidates) {
    if (IsDataFolder(folder)) return Absolute(folder);
    looked += (looked.empty() ? "" : ", ") + folder;
  }
  throw ECaptureSetup("No data folder: none of " + looked +
                      " holds the demo's files; build the data (make) or give --data DIR");
}

std::string PrepareOutputFolder(const std::string& folder) {
  const std::string absolute = Absolute(folder);
  std::error_code error;
  fs::create_directories(absolute, error);
  if (error || !fs::is_directory(absolute)) throw ECaptureSetup("Cannot create output folder " + folder);
  if (access(absolute.c_str(), W_OK | X_OK) != 0)
    throw ECaptureSetup("Cannot write into output folder " + folder + ": " + std::strerror(errno));
  return absolute;
}

TCaptureOptions PrepareCapture(TCaptureOptions options, const std::vector<std::string>& candidates) {
  options.DataDir = ResolveDataFolder(options.DataDir, candidates);
  if (!options.FramesDir.empty()) options.FramesDir = PrepareOutputFolder(options.FramesDir);
  if (!options.OutDir.empty()) options.OutDir = PrepareOutputFolder(options.OutDir);
  if (!options.PartsDir.empty()) options.PartsDir = PrepareOutputFolder(options.PartsDir);
  if (!options.VideoFile.empty()) {
    const fs::path video = Absolute(options.VideoFile);
    PrepareOutputFolder(video.parent_path().string());
    options.VideoFile = video.string();
  }
  if (!options.KeysFile.empty()) options.KeysFile = Absolute(options.KeysFile);
  return options;
}
