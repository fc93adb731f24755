// Checks made before a capture run starts, so that a wrong folder fails at
// once with a clear message instead of after minutes of rendering: the data
// folder, and output folders that exist and take files.
//
// State: none.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "CaptureOptions.h"

// A folder that cannot be used; the text names it and says why.
class ECaptureSetup : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The data folder as an absolute path: the one given, else the first of the
// candidates (DataFolderCandidates) that holds the demo's time-sync table.
// Throws ECaptureSetup when there is none, or the one given is missing or
// holds no table.
std::string ResolveDataFolder(const std::string& given, const std::vector<std::string>& candidates);
// Creates the folder when needed and checks that a file can be made in it;
// returns its absolute path. Throws ECaptureSetup.
std::string PrepareOutputFolder(const std::string& folder);
// Resolves the data folder and every output path of the options to absolute
// paths (the run itself works inside the data folder), creating folders.
TCaptureOptions PrepareCapture(TCaptureOptions options, const std::vector<std::string>& candidates);
