// The timeline's editing of the schedule's twelve moments: a selected entry,
// moves that keep the entries in order, undo and redo with runs of nudges
// merged into one step, and the beat grid the moves can follow.
//
// State: the entries as edited, the selection, the undo and redo steps, the
// open nudge run and drag. Pure: the caller puts the entries back into the table.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Amb2TimeSync.h"

// The beat grid on the demo clock: beats of BeatMs from FirstBeatMs (which
// may lie anywhere; the grid runs both ways), each split into Subdivision
// steps (1, 2, 3, 4, 6 ...), BeatsPerBar beats a bar.
struct TBeatGrid {
  double BeatMs = 500;
  double FirstBeatMs = 0;
  int BeatsPerBar = 4;
  int Subdivision = 1;
};
double GridStepMs(const TBeatGrid& grid);
// The grid line nearest to `ms` (a whole ms), and the moment one grid step
// after (direction +1) or before (-1) it, its offset from the grid kept.
// Without a grid (no tempo or no subdivision) both give `ms` itself.
uint32_t NearestGridLine(const TBeatGrid& grid, double ms);
uint32_t GridStepFrom(const TBeatGrid& grid, double ms, int direction);
// Signed distance from `ms` to its nearest beat (not subdivision), in ms:
// positive when `ms` comes after the beat; 0 without a grid.
double DistanceToBeat(const TBeatGrid& grid, double ms);

class TTimelineEdits {
 public:
  explicit TTimelineEdits(const TScheduleMoments& moments);

  const TScheduleMoments& Moments() const { return moments_; }
  int Selected() const { return selected_; }
  // Selecting ends a nudge run.
  void Select(int entry);
  void SelectNext(int direction);

  // Nudges of the selected entry: one frame is 1/60 s, accumulated exactly
  // over a run, so that five frames are 83 ms; a run of nudges of one entry
  // is one undo step.
  void NudgeFrames(int frames);
  void NudgeMs(int ms);
  // One undo step each: to a moment (set to the playhead, snap, a grid step).
  void MoveTo(uint32_t moment);
  // A drag: Begin opens one undo step, every DragTo moves, End closes it.
  void BeginDrag();
  void DragTo(uint32_t moment);
  void EndDrag();

  bool Undo();
  bool Redo();
  // Replaces every entry (a recovered table) as one undo step.
  void Replace(const TScheduleMoments& moments);

  // The scene entry `entry` starts lasts less than `beatMs` (the last entry's never does).
  bool SceneTooShort(int entry, double beatMs) const;

 private:
  uint32_t Clamped(int entry, int64_t moment) const;
  void Nudge(double deltaMs);
  void PushStep(const TScheduleMoments& before);
  bool StepBack(std::vector<TScheduleMoments>& from, std::vector<TScheduleMoments>& to);
  // Ends the nudge run and closes an open drag.
  void Settle();

  TScheduleMoments moments_;
  int selected_ = 0;
  std::vector<TScheduleMoments> undo_, redo_;
  bool runOpen_ = false;
  double runOriginMs_ = 0, runOffsetMs_ = 0;
  bool dragging_ = false;
  TScheduleMoments dragStart_{};
};
