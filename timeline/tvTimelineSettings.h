// The timeline's own settings, kept in a small text file beside the
// time-sync table ("timeline.txt"), one "name value" per line, # comments:
// the beat grid (tempo, offset of the first beat into the music, beats per
// bar, subdivision), the preroll, the loop range, the bookmarks and the
// audio offset set by ear.
//
// State: none; parsing and writing are pure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline const std::string TimelineSettingsFile = "timeline.txt";
// The edited table kept when the demo ends with edits not saved.
inline const std::string TimelineRecoveryFile = "timesync-unsaved.dat";

struct TTimelineSettings {
  double Bpm = 0;          // 0: not set, the estimate from the music is used
  double FirstBeatMs = 0;  // into the music
  int BeatsPerBar = 4;
  int Subdivision = 1;
  uint32_t PrerollMs = 2000;
  bool Looping = false;
  uint32_t LoopFromMs = 0, LoopToMs = 0;  // demo clock
  std::vector<uint32_t> Bookmarks;        // demo clock, ascending
  int32_t AudioOffsetMs = 0;              // the sound heard this much later than the output says
};
bool operator==(const TTimelineSettings& a, const TTimelineSettings& b);

struct TSettingsParse {
  TTimelineSettings Settings;
  // One line per problem, "<file>:<line>: <what>"; the line is then ignored.
  std::vector<std::string> Problems;
};
TSettingsParse ParseTimelineSettings(const std::string& text, const std::string& fileName);
std::string WriteTimelineSettings(const TTimelineSettings& settings);
