// The demo's music: an electronic track synthesised here and encoded to MP3,
// its sections changing on the moments of the time-sync table.
#pragma once

#include <string>

// The track's beat: its tempo, and the first beat (bar 0) in seconds from the
// start of the music. Every note is placed from these.
constexpr double kMusicBpm = 120.0;
constexpr double kMusicFirstBeatSeconds = 1.0;

// Writes "abstract.mp3" into the folder `dir` (which exists).
void WriteMusic(const std::string& dir);
