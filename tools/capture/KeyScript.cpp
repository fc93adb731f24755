// Key script parsing.
#include "KeyScript.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>

namespace {

[[noreturn]] void Fail(const std::string& scriptName, int line, const std::string& what) {
  throw std::runtime_error(scriptName + ":" + std::to_string(line) + ": " + what);
}

int32_t ParseMoment(const std::string& text, const std::string& scriptName, int line) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || value < 0 || value > std::numeric_limits<int32_t>::max())
    Fail(scriptName, line, "\"" + text + "\" is not a demo-clock moment in ms");
  return int32_t(value);
}

TScriptedKey ParseLine(std::istringstream& words, const std::string& scriptName, int line, double msPerFrame) {
  std::string name, from, to, extra;
  words >> name >> from >> to >> extra;
  if (from.empty() || !extra.empty()) Fail(scriptName, line, "expected \"KEY MS\" or \"KEY FROM TO\"");
  TScriptedKey key;
  key.ScanCode = ScanCodeFromKeyName(name);
  if (key.ScanCode == 0) Fail(scriptName, line, "unknown key \"" + name + "\"");
  key.FromMs = ParseMoment(from, scriptName, line);
  // One frame: long enough to cover the longest step of the clock.
  const int64_t end =
      to.empty() ? int64_t(key.FromMs) + int64_t(std::ceil(msPerFrame)) : int64_t(ParseMoment(to, scriptName, line));
  if (end <= key.FromMs) Fail(scriptName, line, "the key is released before it is pressed");
  key.ToMs = int32_t(std::min<int64_t>(end, std::numeric_limits<int32_t>::max()));
  return key;
}

}  // namespace

std::vector<TScriptedKey> ParseKeyScript(const std::string& text, const std::string& scriptName, double msPerFrame) {
  std::vector<TScriptedKey> keys;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string first;
    if (!(words >> first)) continue;
    std::istringstream whole(line);
    keys.push_back(ParseLine(whole, scriptName, number, msPerFrame));
  }
  return keys;
}

std::vector<TScriptedKey> LoadKeyScript(const std::string& fileName, double msPerFrame) {
  std::ifstream file(fileName, std::ios::binary);
  if (!file) throw std::runtime_error("Cannot open key script " + fileName);
  std::ostringstream text;
  text << file.rdbuf();
  return ParseKeyScript(text.str(), fileName, msPerFrame);
}
