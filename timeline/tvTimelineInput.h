// The timeline's keys and mouse: each key press (counted from the keyboard's
// events, so a tap within one frame counts) and the mouse's clicks, drags
// and wheel, turned into the editor's commands in the order they came.
//
// State: the mouse of the previous frame and the drag under way.
#pragma once

#include <optional>
#include <vector>

#include "AmbInput.h"
#include "AmbMouse.h"
#include "tvTimelineView.h"

enum class TTimelineCommand {
  Toggle,       // open or close (F2)
  SelectBy,     // Amount entries on (-1, +1)
  SelectEntry,  // Amount: the entry
  NudgeFrames,  // Amount frames of 1/60 s
  NudgeMs,
  GridStep,  // to the previous (-1) or next (+1) grid line
  Snap,
  ToPlayhead,
  Undo,
  Redo,
  Tempo,      // by Amount BPM
  GridShift,  // the first beat by Amount ms
  NextBeatsPerBar,
  NextSubdivision,
  FoundGrid,  // the tempo and first beat found in the music
  Pause,
  JumpToEntry,  // the selected entry, with the preroll
  JumpTo,       // Amount: a moment, with the preroll
  LoopFromHere,
  LoopToHere,
  Loop,
  Bookmark,
  BookmarkJump,  // to the previous (-1) or next (+1) bookmark
  Save,
  Restore,
  DragTo,  // the selected entry to Amount ms, as one undo step with the rest of the drag
  EndDrag,
  Zoom,         // the lane by Amount wheel notches
  AudioOffset,  // the sound by Amount ms later
};

struct TTimelineAction {
  TTimelineCommand Command;
  double Amount = 0;
  bool operator==(const TTimelineAction& other) const { return Command == other.Command && Amount == other.Amount; }
};

// What one key press asks for; nothing for a key the timeline does not take
// (or a repeat of a key that does not repeat).
std::optional<TTimelineAction> KeyCommand(const TKeyPress& press);
// What the mouse asks for this frame, given where the band shows what.
std::vector<TTimelineAction> MouseCommands(const TMouseState& mouse, const TTimelineView& view);
// Drops the drag and the mouse's last state (the timeline closes).
void ForgetMouse();
