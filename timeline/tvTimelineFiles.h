// The timeline's files beside the time-sync table: its settings
// ("timeline.txt") and the recovery copy of a table left with edits that no
// file holds ("timesync-unsaved.dat"), read and written where UserFilePlace
// says, every write through the one safe replacement.
//
// State: none. A file that cannot be read or written is named in the notice
// given, or on stderr, and the timeline goes on without it.
#pragma once

#include <optional>
#include <string>

#include "Amb2TimeSync.h"
#include "tvTimelineSettings.h"

// The settings file's settings (the defaults when there is none); its first
// problem, or why it cannot be read, goes into `notice`, all of them to stderr.
TTimelineSettings ReadSettingsFile(std::string& notice);
void WriteSettingsFile(const TTimelineSettings& settings);

// The schedule's moments of a kept table; nothing when there is none or it is
// not a table (the notice says so).
std::optional<TScheduleMoments> ReadRecoveryFile(std::string& notice);
// The whole table as it stands, kept; says where on stdout, or on stderr why not.
void WriteRecoveryFile();
void RemoveRecoveryFile();
