// A short schedule for a capture run: a private folder that links every file
// of the data folder but holds its own time-sync table, in which the title
// picture plays until 8 s and every later part lasts the same time. The
// demo then runs unchanged on it; the data folder is not touched.
//
// State: the private folder, removed with everything in it when the object
// goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The table's leading moments: part i begins at 8000 + i * partMs ms, and
// the moment of "part" 11 ends the show.
std::vector<uint32_t> ShortScheduleMoments(uint32_t partMs);

class TShortSchedule {
 public:
  // Throws ECaptureSetup when the folder cannot be made.
  TShortSchedule(const std::string& dataFolder, uint32_t partMs);
  ~TShortSchedule();
  TShortSchedule(const TShortSchedule&) = delete;
  TShortSchedule& operator=(const TShortSchedule&) = delete;

  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};
