// Font files through fontconfig.
#include "Amb2Fonts.h"

#include <fontconfig/fontconfig.h>

// A configuration of its own for each lookup, destroyed afterwards: the
// library's default one would live until the process ends and show up as a
// leak in the sanitizer builds.
TFontFile MatchFontFile(const std::string& pattern) {
  TFontFile found;
  FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
  if (!wanted) return found;
  FcConfig* config = FcInitLoadConfigAndFonts();
  FcConfigSubstitute(config, wanted, FcMatchPattern);
  FcDefaultSubstitute(wanted);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, wanted, &result);
  FcChar8* file = nullptr;
  if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    found.Path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &found.Index);
  }
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(wanted);
  FcConfigDestroy(config);
  return found;
}

std::string FontPattern(const std::string& family, bool bold) {
  std::string pattern;
  for (const char c : family) {
    if (c == '\\' || c == '-' || c == ':' || c == ',') pattern += '\\';
    pattern += c;
  }
  return pattern + (bold ? ":bold" : ":regular") + ":roman:scalable=True";
}
