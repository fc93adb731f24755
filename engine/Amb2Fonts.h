// The one font lookup: the installed font file fontconfig matches to a
// pattern, for the overlay's bitmap fonts and the tools' labels alike.
//
// State: none; each lookup loads and drops its own configuration.
#pragma once

#include <string>

struct TFontFile {
  std::string Path;  // empty when nothing matches
  int Index = 0;     // the face within the file
};

// A fontconfig pattern such as "DejaVu Sans:bold".
TFontFile MatchFontFile(const std::string& pattern);
// The pattern of a family with the weight asked for, upright and scalable;
// the family's own special characters are escaped.
std::string FontPattern(const std::string& family, bool bold);
