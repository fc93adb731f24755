// The demo's music: an electronic track synthesised here and encoded to MP3,
// its sections changing on the moments of the time-sync table.
#pragma once

#include <string>

// Writes "abstract.mp3" into the folder `dir` (which exists).
void WriteMusic(const std::string& dir);
