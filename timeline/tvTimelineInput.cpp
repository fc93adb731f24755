// The timeline's keys and mouse: a table of keys, and the mouse read against
// the band (a click on a marker selects it, in the lane it also drags it; a
// click on the overview elsewhere jumps there; the wheel over the lane zooms).
#include "tvTimelineInput.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

using C = TTimelineCommand;

constexpr uint8_t KeyF2 = 0x3C, KeyUp = 0xC8, KeyDown = 0xD0, KeyLeft = 0xCB, KeyRight = 0xCD, KeyReturn = 0x1C,
                  KeySpace = 0x39, KeyMinus = 0x0C, KeyEquals = 0x0D, KeyLeftBracket = 0x1A, KeyRightBracket = 0x1B,
                  KeyComma = 0x33, KeyPeriod = 0x34, KeyB = 0x30, KeyD = 0x20, KeyE = 0x12, KeyG = 0x22, KeyI = 0x17,
                  KeyJ = 0x24, KeyL = 0x26, KeyM = 0x32, KeyO = 0x18, KeyR = 0x13, KeyS = 0x1F, KeyY = 0x15,
                  KeyZ = 0x2C, KeySemicolon = 0x27, KeyApostrophe = 0x28;

// The modifiers a row asks for; the first row of a key that matches wins.
enum class TWith { Any, Shift, Control, ControlShift, NoControl };

struct TKeyRow {
  uint8_t Code;
  TWith With;
  bool Repeats;
  TTimelineAction Action;
};

// clang-format off
constexpr TKeyRow KeyRows[] = {
    {KeyF2, TWith::Any, false, {C::Toggle}},
    {KeyUp, TWith::Any, false, {C::SelectBy, -1}}, {KeyDown, TWith::Any, false, {C::SelectBy, 1}},
    {KeyLeft, TWith::Control, true, {C::GridStep, -1}}, {KeyLeft, TWith::Shift, true, {C::NudgeMs, -10}},
    {KeyLeft, TWith::Any, true, {C::NudgeFrames, -1}},
    {KeyRight, TWith::Control, true, {C::GridStep, 1}}, {KeyRight, TWith::Shift, true, {C::NudgeMs, 10}},
    {KeyRight, TWith::Any, true, {C::NudgeFrames, 1}},
    {KeyG, TWith::Any, false, {C::Snap}}, {KeyReturn, TWith::Any, false, {C::ToPlayhead}},
    {KeyZ, TWith::ControlShift, false, {C::Redo}}, {KeyZ, TWith::Control, false, {C::Undo}},
    {KeyY, TWith::Control, false, {C::Redo}},
    {KeyMinus, TWith::Shift, true, {C::Tempo, -1}}, {KeyMinus, TWith::Any, true, {C::Tempo, -0.1}},
    {KeyEquals, TWith::Shift, true, {C::Tempo, 1}}, {KeyEquals, TWith::Any, true, {C::Tempo, 0.1}},
    {KeyLeftBracket, TWith::Shift, true, {C::GridShift, -10}}, {KeyLeftBracket, TWith::Any, true, {C::GridShift, -1}},
    {KeyRightBracket, TWith::Shift, true, {C::GridShift, 10}}, {KeyRightBracket, TWith::Any, true, {C::GridShift, 1}},
    {KeyM, TWith::Any, false, {C::NextBeatsPerBar}}, {KeyD, TWith::Any, false, {C::NextSubdivision}},
    {KeyE, TWith::Any, false, {C::FoundGrid}},
    {KeySpace, TWith::Any, false, {C::Pause}}, {KeyJ, TWith::Any, false, {C::JumpToEntry}},
    {KeyI, TWith::Any, false, {C::LoopFromHere}}, {KeyO, TWith::Any, false, {C::LoopToHere}},
    {KeyL, TWith::Any, false, {C::Loop}},
    {KeyB, TWith::Any, false, {C::Bookmark}},
    {KeyComma, TWith::Any, false, {C::BookmarkJump, -1}}, {KeyPeriod, TWith::Any, false, {C::BookmarkJump, 1}},
    {KeyS, TWith::NoControl, false, {C::Save}}, {KeyR, TWith::Any, false, {C::Restore}},
    {KeySemicolon, TWith::Shift, true, {C::AudioOffset, -50}}, {KeySemicolon, TWith::Any, true, {C::AudioOffset, -5}},
    {KeyApostrophe, TWith::Shift, true, {C::AudioOffset, 50}}, {KeyApostrophe, TWith::Any, true, {C::AudioOffset, 5}},
};
// clang-format on

bool Matches(TWith with, const TKeyPress& press) {
  switch (with) {
    case TWith::Shift:
      return press.Shift;
    case TWith::Control:
      return press.Control;
    case TWith::ControlShift:
      return press.Control && press.Shift;
    case TWith::NoControl:
      return !press.Control;
    case TWith::Any:
      break;
  }
  return true;
}

struct TMouseMemory {
  TMouseState Last;
  bool Dragging = false;
  double GrabOffset = 0;
} mouseMemory;

// A click: select (and in the lane take) a marker, or jump along the overview.
void Click(const TMouseState& mouse, const TTimelineView& view, std::vector<TTimelineAction>& actions) {
  if (OverviewBox.Holds(mouse.X, mouse.Y)) {
    const int entry = MarkerAt(view, OverviewBox, float(mouse.X));
    if (entry >= 0)
      actions.push_back({C::SelectEntry, double(entry)});
    else
      actions.push_back({C::JumpTo, std::max(0.0, OverviewMoment(view, float(mouse.X)))});
    return;
  }
  if (!LaneBox.Holds(mouse.X, mouse.Y)) return;
  const int entry = MarkerAt(view, LaneBox, float(mouse.X));
  if (entry < 0) return;
  actions.push_back({C::SelectEntry, double(entry)});
  mouseMemory.Dragging = true;
  mouseMemory.GrabOffset = view.Moments[size_t(entry)] - LaneMoment(view, float(mouse.X));
}

}  // namespace

std::optional<TTimelineAction> KeyCommand(const TKeyPress& press) {
  for (const TKeyRow& row : KeyRows) {
    if (row.Code != press.Code || !Matches(row.With, press)) continue;
    if (press.Repeat && !row.Repeats) return std::nullopt;
    return row.Action;
  }
  return std::nullopt;
}

std::vector<TTimelineAction> MouseCommands(const TMouseState& mouse, const TTimelineView& view) {
  std::vector<TTimelineAction> actions;
  if (mouse.Left && !mouseMemory.Last.Left && mouse.Inside) Click(mouse, view, actions);
  if (mouseMemory.Dragging) {
    const double moment =
        std::clamp(std::round(LaneMoment(view, float(mouse.X)) + mouseMemory.GrabOffset), 0.0, double(UINT32_MAX));
    actions.push_back({C::DragTo, moment});
    if (!mouse.Left) {
      actions.push_back({C::EndDrag});
      mouseMemory.Dragging = false;
    }
  }
  if (mouse.Wheel != 0 && mouse.Inside && LaneBox.Holds(mouse.X, mouse.Y))
    actions.push_back({C::Zoom, double(mouse.Wheel)});
  mouseMemory.Last = mouse;
  return actions;
}

void ForgetMouse() { mouseMemory = TMouseMemory{}; }
