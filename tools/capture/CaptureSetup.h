// Checks made before a capture run starts, so that a wrong folder fails at
// once with a clear message instead of after minutes of rendering: the data
// folder, and output folders that exist and take files.
//
// State: none.
#pragma once

#include <stdexcept>
#include <string>

#include "CaptureOptions.h"

// A folder that cannot be used; the text names it and says why.
class ECaptureSetup : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The data folder as an absolute path: the one given, else ./data, else the
// build's data folder. Throws ECaptureSetup when it is missing or does not
// hold the demo's time-sync table.
std::string ResolveDataFolder(const std::string& given, const std::string& buildDataFolder);
// Creates the folder when needed and checks that a file can be made in it;
// returns its absolute path. Throws ECaptureSetup.
std::string PrepareOutputFolder(const std::string& folder);
// Resolves the data folder and every output path of the options to absolute
// paths (the run itself works inside the data folder), creating folders.
TCaptureOptions PrepareCapture(TCaptureOptions options, const std::string& buildDataFolder);
