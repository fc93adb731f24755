// The timeline's edits (order kept, nudge runs, drags, undo and redo), its
// beat grid's lines and its settings file, without a window.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <optional>
#include <tuple>

#include "tvTimelineEdits.h"
#include "tvTimelineInput.h"
#include "tvTimelineSettings.h"

namespace {

const TScheduleMoments Start = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 11000, 12000};

// The steps back to the start; the start must be where they lead.
int UndoAll(TTimelineEdits& edits) {
  int steps = 0;
  while (edits.Undo()) ++steps;
  EXPECT_EQ(edits.Moments(), Start);
  return steps;
}

// A script run with entry 3 selected; the moment is the selected entry's in the end.
using TEditCase = std::tuple<const char*, void (*)(TTimelineEdits&), uint32_t, int>;

TEST(TimelineEdits, MovesKeepTheOrderAndUndoInWholeRunsAndDrags) {
  // clang-format off
  const TEditCase cases[] = {
      {"five frames are 83 ms, one step", [](auto& e) { for (int i = 0; i < 5; ++i) e.NudgeFrames(1); }, 4083, 1},
      {"a selection ends the run", [](auto& e) { e.NudgeFrames(2); e.Select(3); e.NudgeFrames(1); }, 4050, 2},
      {"entry 0 stops at 0", [](auto& e) { e.Select(0); e.NudgeMs(-5000); }, 0, 1},
      {"entry 0 stops at entry 1", [](auto& e) { e.Select(0); e.MoveTo(99999); }, 2000, 1},
      {"entry 11 stops at entry 10", [](auto& e) { e.Select(11); e.NudgeFrames(-999); }, 11000, 1},
      {"entry 11 reaches the last ms, past it is no step",
       [](auto& e) { e.Select(11); e.MoveTo(UINT32_MAX); e.NudgeMs(10); }, UINT32_MAX, 1},
      {"pushed against a neighbour and back", [](auto& e) { e.NudgeMs(-3000); e.NudgeMs(10); }, 3010, 1},
      {"a move ends the run", [](auto& e) { e.NudgeMs(10); e.MoveTo(4500); e.NudgeMs(10); }, 4510, 3},
      {"a move to where it is is no step", [](auto& e) { e.MoveTo(4000); }, 4000, 0},
      {"a drag is one step", [](auto& e) { e.BeginDrag(); e.DragTo(4200); e.DragTo(9000); e.EndDrag(); }, 5000, 1},
      {"a drag back is none", [](auto& e) { e.BeginDrag(); e.DragTo(4200); e.DragTo(4000); e.EndDrag(); }, 4000, 0},
  };
  // clang-format on
  for (const auto& [name, edit, moment, steps] : cases) {
    TTimelineEdits edits(Start);
    edits.Select(3);
    edit(edits);
    EXPECT_EQ(edits.Moments()[size_t(edits.Selected())], moment) << name;
    EXPECT_EQ(UndoAll(edits), steps) << name;
  }
}

TEST(TimelineEdits, RedoIsClearedByANewChange) {
  TTimelineEdits edits(Start);
  EXPECT_FALSE(edits.Undo() || edits.Redo());
  edits.MoveTo(1500);
  EXPECT_TRUE(edits.Undo() && edits.Redo() && edits.Undo());
  edits.Replace(TScheduleMoments{});
  EXPECT_FALSE(edits.Redo());
  EXPECT_EQ(UndoAll(edits), 1);
  EXPECT_TRUE(edits.SceneTooShort(0, 1000.5) && !edits.SceneTooShort(0, 1000) && !edits.SceneTooShort(11, 1e9));
}

// Lines every 500 / 3 ms, the same whether the first beat is at -100 or at
// 900: they round to 67, 233, 400, 567 and the beats are at 400 and 900. A
// step keeps the distance to the grid (to the rounding of a whole ms).
TEST(BeatGrid, LinesRunBothWaysFromTheFirstBeatAndAreWholeMs) {
  for (const double first : {-100.0, 900.0}) {
    const TBeatGrid grid{500, first, 4, 3};
    EXPECT_EQ(NearestGridLine(grid, 240), 233u);
    EXPECT_EQ(NearestGridLine(grid, 0), 67u);
    const std::tuple<double, int, uint32_t> steps[] = {
        {233, 1, 400}, {250, 1, 417}, {250, -1, 83}, {67, -1, 0}, {UINT32_MAX, 1, UINT32_MAX}};
    for (const auto& [from, direction, to] : steps) EXPECT_EQ(GridStepFrom(grid, from, direction), to) << from;
    EXPECT_TRUE(DistanceToBeat(grid, 520) == 120 && DistanceToBeat(grid, 780) == -120);
  }
  for (const TBeatGrid& none : {TBeatGrid{0, 0, 4, 1}, TBeatGrid{500, 0, 4, 0}})
    EXPECT_TRUE(NearestGridLine(none, 123.4) == 123 && GridStepFrom(none, 500, 1) == 500 && !DistanceToBeat(none, 450));
}

TEST(TimelineSettings, WhatIsWrittenReadsBackTheSame) {
  for (const auto& settings : {TTimelineSettings{128.5, 312.25, 3, 6, 1500, true, 1000, 5000, {100, 2000}, -35}, {}}) {
    const TSettingsParse parse = ParseTimelineSettings(WriteTimelineSettings(settings), "t.txt");
    EXPECT_TRUE(parse.Problems.empty() && parse.Settings == settings) << WriteTimelineSettings(settings);
  }
}

TEST(TimelineSettings, EachBadLineIsAProblemNamingItsPlaceAndTheRestIsKept) {
  // clang-format off
  const std::pair<std::string, const char*> lines[] = {
      {"\xEF\xBB\xBF# after a mark", ""}, {"", ""}, {"tempo 128.5", ""}, {"tempo 0", "tempo: '0' is out of range"},
      {"tempo 1e999", "out of range"}, {"beats-per-bar 17", "out of range (1 .. 16)"},
      {"subdivision 3  # triplets", ""}, {"preroll 2,5", "not a whole number"}, {"preroll -1", "out of range"},
      {"loop 5000 1000", "not before the end"}, {"loop 1000", "takes 2 values"}, {"looping yes", "neither on nor"},
      {"bookmark 99999999999999999999", "out of range"}, {"bookmark 300", ""}, {"bookmark 20", ""},
      {"bookmark 300", ""}, {"volume 3", "unknown setting 'volume'"}, {std::string("te\0po 1", 7), "'te?po'"},
      {std::string(100000, 'x'), "'xxxxxxxx"}, {"first-beat nan", "not a number"}, {"first-beat -250.5", ""}};
  // clang-format on
  std::string text;
  for (const auto& line : lines) text += line.first + "\r\n";
  const TSettingsParse parse = ParseTimelineSettings(text, "t.txt");
  std::map<size_t, std::string> problems;
  for (const std::string& p : parse.Problems) problems[std::stoul(p.substr(6))] = p;
  for (size_t i = 0; i < std::size(lines); ++i) {
    const std::string expected = lines[i].second, found = problems[i + 1];
    EXPECT_TRUE(expected.empty() ? found.empty() : found.find(expected) != std::string::npos) << i + 1 << found;
  }
  const TTimelineSettings kept{128.5, -250.5, 4, 3, 2000, false, 0, 0, {20, 300}};
  EXPECT_TRUE(parse.Settings == kept) << WriteTimelineSettings(parse.Settings);
}

// The keys with their modifiers, and which of them repeat while held.
TEST(TimelineKeys, EachPressAsksForItsCommand) {
  using C = TTimelineCommand;
  constexpr uint8_t Left = 0xCB, G = 0x22, Z = 0x2C, S = 0x1F, Minus = 0x0C, Down = 0xD0;
  const std::tuple<TKeyPress, std::optional<TTimelineAction>> cases[] = {
      {{Left}, TTimelineAction{C::NudgeFrames, -1}},
      {{Left, true}, TTimelineAction{C::NudgeMs, -10}},
      {{Left, true, true}, TTimelineAction{C::GridStep, -1}},
      {{Left, false, false, true}, TTimelineAction{C::NudgeFrames, -1}},
      {{G}, TTimelineAction{C::Snap}},
      {{Z}, std::nullopt},
      {{Z, false, true}, TTimelineAction{C::Undo}},
      {{Z, true, true}, TTimelineAction{C::Redo}},
      {{S}, TTimelineAction{C::Save}},
      {{S, false, true}, std::nullopt},
      {{Minus, true, false, true}, TTimelineAction{C::Tempo, -1}},
      {{Down, false, false, true}, std::nullopt},
  };
  for (const auto& [press, action] : cases) EXPECT_EQ(KeyCommand(press), action) << int(press.Code);
}

}  // namespace
