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

// One line's keys, all held over the line's span: "KEY" may be several
// names joined by '+'.
std::vector<TScriptedKey> ParseLine(std::istringstream& words, const std::string& scriptName, int line,
                                    double msPerFrame) {
  std::string names, from, to, extra;
  words >> names >> from >> to >> extra;
  if (from.empty() || !extra.empty()) Fail(scriptName, line, "expected \"KEY MS\" or \"KEY FROM TO\"");
  TScriptedKey span;
  span.FromMs = ParseMoment(from, scriptName, line);
  // One frame: long enough to cover the longest step of the clock.
  const int64_t end =
      to.empty() ? int64_t(span.FromMs) + int64_t(std::ceil(msPerFrame)) : int64_t(ParseMoment(to, scriptName, line));
  if (end <= span.FromMs) Fail(scriptName, line, "the key is released before it is pressed");
  span.ToMs = int32_t(std::min<int64_t>(end, std::numeric_limits<int32_t>::max()));
  std::vector<TScriptedKey> keys;
  std::istringstream parts(names + "+");
  for (std::string name; std::getline(parts, name, '+');) {
    span.ScanCode = ScanCodeFromKeyName(name);
    if (span.ScanCode == 0) Fail(scriptName, line, "unknown key \"" + name + "\"");
    keys.push_back(span);
  }
  return keys;
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
    const std::vector<TScriptedKey> lineKeys = ParseLine(whole, scriptName, number, msPerFrame);
    keys.insert(keys.end(), lineKeys.begin(), lineKeys.end());
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
