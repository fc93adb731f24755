// Reading and writing the timeline's settings file. A line that cannot be
// used is named in a problem and skipped; the rest of the file still counts.
// Numbers are read and written without the locale, so the file means the
// same everywhere, and written in the shortest form that reads back exactly.
#include "tvTimelineSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <tuple>

namespace {

using TWords = std::vector<std::string_view>;

constexpr int64_t LastMoment = std::numeric_limits<uint32_t>::max();
constexpr size_t QuoteLimit = 40;

// The file's own bytes in a message: printable ones only, and not too many.
std::string Quoted(std::string_view text) {
  std::string out = "'";
  for (size_t i = 0; i < text.size() && i < QuoteLimit; ++i) out += text[i] >= ' ' && text[i] <= '~' ? text[i] : '?';
  return out + (text.size() > QuoteLimit ? "...'" : "'");
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The words of a line up to a '#', which starts a comment.
TWords WordsOf(std::string_view line) {
  line = line.substr(0, line.find('#'));
  TWords words;
  size_t at = 0;
  while (true) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at == line.size()) return words;
    const size_t start = at;
    while (at < line.size() && !IsBlank(line[at])) ++at;
    words.push_back(line.substr(start, at - start));
  }
}

std::string OutOfRange(std::string_view word, const std::string& range) {
  return Quoted(word) + " is out of range (" + range + ")";
}

// Each reader gives an empty string, or what is wrong with the value.
template <typename T>
std::string ReadWhole(std::string_view word, int64_t lo, int64_t hi, T& into) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  const bool whole = error == std::errc() && end == word.data() + word.size();
  if (!whole && error != std::errc::result_out_of_range) return Quoted(word) + " is not a whole number";
  if (!whole || value < lo || value > hi) return OutOfRange(word, std::to_string(lo) + " .. " + std::to_string(hi));
  into = T(value);
  return {};
}

std::string ReadReal(std::string_view word, double lo, double hi, const std::string& range, double& into) {
  double value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  const bool real = error == std::errc() && end == word.data() + word.size();
  if ((!real && error != std::errc::result_out_of_range) || std::isnan(value)) return Quoted(word) + " is not a number";
  if (!real || value < lo || value > hi) return OutOfRange(word, range);
  into = value;
  return {};
}

std::string ReadLoop(const TWords& values, TTimelineSettings& settings) {
  uint32_t from = 0, to = 0;
  std::string wrong = ReadWhole(values[0], 0, LastMoment, from);
  if (wrong.empty()) wrong = ReadWhole(values[1], 0, LastMoment, to);
  if (wrong.empty() && from >= to) wrong = "the start " + std::to_string(from) + " is not before the end";
  if (!wrong.empty()) return wrong;
  settings.LoopFromMs = from;
  settings.LoopToMs = to;
  return {};
}

std::string ReadLooping(const TWords& values, TTimelineSettings& settings) {
  if (values[0] != "on" && values[0] != "off") return Quoted(values[0]) + " is neither on nor off";
  settings.Looping = values[0] == "on";
  return {};
}

std::string ReadBookmark(const TWords& values, TTimelineSettings& settings) {
  uint32_t at = 0;
  std::string wrong = ReadWhole(values[0], 0, LastMoment, at);
  if (wrong.empty()) settings.Bookmarks.push_back(at);
  return wrong;
}

struct TSetting {
  std::string_view Name;
  size_t Values;
  std::string (*Read)(const TWords& values, TTimelineSettings& settings);
};

const TSetting Settings[] = {
    {"tempo", 1,
     [](const TWords& v, TTimelineSettings& s) {
       return ReadReal(v[0], std::numeric_limits<double>::denorm_min(), 1000, "above 0 .. 1000", s.Bpm);
     }},
    {"first-beat", 1,
     [](const TWords& v, TTimelineSettings& s) {
       return ReadReal(v[0], -double(LastMoment), double(LastMoment), "-4294967295 .. 4294967295", s.FirstBeatMs);
     }},
    {"beats-per-bar", 1, [](const TWords& v, TTimelineSettings& s) { return ReadWhole(v[0], 1, 16, s.BeatsPerBar); }},
    {"subdivision", 1, [](const TWords& v, TTimelineSettings& s) { return ReadWhole(v[0], 1, 16, s.Subdivision); }},
    {"preroll", 1, [](const TWords& v, TTimelineSettings& s) { return ReadWhole(v[0], 0, 60000, s.PrerollMs); }},
    {"looping", 1, ReadLooping},
    {"loop", 2, ReadLoop},
    {"bookmark", 1, ReadBookmark},
    {"audio-offset", 1,
     [](const TWords& v, TTimelineSettings& s) { return ReadWhole(v[0], -2000, 2000, s.AudioOffsetMs); }},
};

// What is wrong with one line's words; empty when they were taken.
std::string ReadLine(const TWords& words, TTimelineSettings& settings) {
  for (const TSetting& setting : Settings) {
    if (words[0] != setting.Name) continue;
    const std::string name(setting.Name);
    if (words.size() - 1 != setting.Values)
      return name + " takes " + std::to_string(setting.Values) + (setting.Values == 1 ? " value" : " values");
    const std::string wrong = setting.Read(TWords(words.begin() + 1, words.end()), settings);
    return wrong.empty() ? wrong : name + ": " + wrong;
  }
  return "unknown setting " + Quoted(words[0]);
}

std::string Number(double value) {
  char text[64];
  auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  // The tiniest fractions are too long for plain digits.
  if (written.ec != std::errc()) written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

}  // namespace

bool operator==(const TTimelineSettings& a, const TTimelineSettings& b) {
  const auto fields = [](const TTimelineSettings& s) {
    return std::tie(s.Bpm, s.FirstBeatMs, s.BeatsPerBar, s.Subdivision, s.PrerollMs, s.Looping, s.LoopFromMs,
                    s.LoopToMs, s.Bookmarks, s.AudioOffsetMs);
  };
  return fields(a) == fields(b);
}

TSettingsParse ParseTimelineSettings(const std::string& text, const std::string& fileName) {
  TSettingsParse parse;
  std::string_view all = text;
  // Some editors start a text file with the byte-order mark of UTF-8.
  if (all.substr(0, 3) == "\xEF\xBB\xBF") all.remove_prefix(3);
  size_t lineNumber = 0;
  for (size_t start = 0; start <= all.size();) {
    const size_t end = std::min(all.find('\n', start), all.size());
    ++lineNumber;
    const TWords words = WordsOf(all.substr(start, end - start));
    const std::string wrong = words.empty() ? "" : ReadLine(words, parse.Settings);
    if (!wrong.empty()) parse.Problems.push_back(fileName + ":" + std::to_string(lineNumber) + ": " + wrong);
    start = end + 1;
  }
  std::vector<uint32_t>& marks = parse.Settings.Bookmarks;
  std::sort(marks.begin(), marks.end());
  marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
  return parse;
}

std::string WriteTimelineSettings(const TTimelineSettings& settings) {
  std::string text =
      "# The timeline's settings: beat grid, preroll, loop range, bookmarks, audio offset (\"name value\" a line).\n";
  // No tempo line leaves the tempo to the estimate from the music.
  if (settings.Bpm > 0) text += "tempo " + Number(settings.Bpm) + "\n";
  text += "first-beat " + Number(settings.FirstBeatMs) + "\n";
  text += "beats-per-bar " + std::to_string(settings.BeatsPerBar) + "\n";
  text += "subdivision " + std::to_string(settings.Subdivision) + "\n";
  text += "preroll " + std::to_string(settings.PrerollMs) + "\n";
  text += std::string("looping ") + (settings.Looping ? "on" : "off") + "\n";
  if (settings.LoopFromMs < settings.LoopToMs)
    text += "loop " + std::to_string(settings.LoopFromMs) + " " + std::to_string(settings.LoopToMs) + "\n";
  for (uint32_t mark : settings.Bookmarks) text += "bookmark " + std::to_string(mark) + "\n";
  text += "audio-offset " + std::to_string(settings.AudioOffsetMs) + "\n";
  return text;
}
