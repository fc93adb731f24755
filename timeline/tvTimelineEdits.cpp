// The timeline's edits of the schedule's moments and the beat grid they
// follow. Moments are whole ms on the demo clock; every result stays within
// the uint32 range.
#include "tvTimelineEdits.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double LastMoment = std::numeric_limits<uint32_t>::max();
constexpr double FrameMs = 1000.0 / 60;
// A long session keeps the newest steps; the oldest are forgotten.
constexpr size_t UndoLimit = 1000;

uint32_t WholeMoment(double ms) {
  if (std::isnan(ms)) return 0;
  return uint32_t(std::round(std::clamp(ms, 0.0, LastMoment)));
}

// A grid that cannot step (no tempo, no subdivision) is no grid at all.
bool HasGrid(const TBeatGrid& grid) {
  return std::isfinite(grid.BeatMs) && grid.BeatMs > 0 && grid.Subdivision >= 1 && std::isfinite(grid.FirstBeatMs);
}

// Line k of a grid of `step` from `first`, or `ms` itself where the grid has
// no line (too fine for a double).
uint32_t LineOrMoment(double first, double step, double k, double ms) {
  const double line = first + k * step;
  return WholeMoment(std::isfinite(line) ? line : ms);
}

}  // namespace

double GridStepMs(const TBeatGrid& grid) { return HasGrid(grid) ? grid.BeatMs / grid.Subdivision : 0; }

uint32_t NearestGridLine(const TBeatGrid& grid, double ms) {
  if (!HasGrid(grid)) return WholeMoment(ms);
  const double step = GridStepMs(grid);
  return LineOrMoment(grid.FirstBeatMs, step, std::round((ms - grid.FirstBeatMs) / step), ms);
}

uint32_t GridStepFrom(const TBeatGrid& grid, double ms, int direction) {
  return WholeMoment(ms + direction * GridStepMs(grid));
}

double DistanceToBeat(const TBeatGrid& grid, double ms) {
  if (!HasGrid(grid)) return 0;
  const double beat = grid.FirstBeatMs + std::round((ms - grid.FirstBeatMs) / grid.BeatMs) * grid.BeatMs;
  return std::isfinite(beat) ? ms - beat : 0;
}

TTimelineEdits::TTimelineEdits(const TScheduleMoments& moments) : moments_(moments) {}

void TTimelineEdits::Select(int entry) {
  Settle();
  selected_ = std::clamp(entry, 0, ScheduleEntries - 1);
}

void TTimelineEdits::SelectNext(int direction) { Select(selected_ + (direction > 0) - (direction < 0)); }

void TTimelineEdits::NudgeFrames(int frames) { Nudge(frames * FrameMs); }

void TTimelineEdits::NudgeMs(int ms) { Nudge(ms); }

// The run keeps its exact offset from where it began, so frames add up to
// whole ms only once; against a neighbour the offset stops where the entry does.
void TTimelineEdits::Nudge(double deltaMs) {
  EndDrag();
  const uint32_t now = moments_[size_t(selected_)];
  const double origin = runOpen_ ? runOriginMs_ : now;
  double offset = (runOpen_ ? runOffsetMs_ : 0) + deltaMs;
  const int64_t wanted = int64_t(origin) + std::llround(offset);
  const uint32_t moment = Clamped(selected_, wanted);
  if (moment != wanted) offset = double(moment) - origin;
  if (!runOpen_) {
    if (moment == now) return;
    PushStep(moments_);
    runOpen_ = true;
    runOriginMs_ = origin;
  }
  runOffsetMs_ = offset;
  moments_[size_t(selected_)] = moment;
}

void TTimelineEdits::MoveTo(uint32_t moment) {
  Settle();
  const uint32_t clamped = Clamped(selected_, moment);
  if (clamped == moments_[size_t(selected_)]) return;
  PushStep(moments_);
  moments_[size_t(selected_)] = clamped;
}

void TTimelineEdits::BeginDrag() {
  Settle();
  dragging_ = true;
  dragStart_ = moments_;
}

void TTimelineEdits::DragTo(uint32_t moment) {
  if (!dragging_) BeginDrag();
  moments_[size_t(selected_)] = Clamped(selected_, moment);
}

void TTimelineEdits::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  if (moments_ != dragStart_) PushStep(dragStart_);
}

// Undo and redo are one move: the last step of one list becomes the moments,
// the moments the last step of the other.
bool TTimelineEdits::StepBack(std::vector<TScheduleMoments>& from, std::vector<TScheduleMoments>& to) {
  Settle();
  if (from.empty()) return false;
  to.push_back(moments_);
  moments_ = from.back();
  from.pop_back();
  return true;
}

bool TTimelineEdits::Undo() { return StepBack(undo_, redo_); }

bool TTimelineEdits::Redo() { return StepBack(redo_, undo_); }

void TTimelineEdits::Replace(const TScheduleMoments& moments) {
  Settle();
  if (moments == moments_) return;
  PushStep(moments_);
  moments_ = moments;
}

bool TTimelineEdits::SceneTooShort(int entry, double beatMs) const {
  if (entry < 0 || entry >= ScheduleEntries - 1) return false;
  return double(moments_[size_t(entry) + 1]) - double(moments_[size_t(entry)]) < beatMs;
}

// Between the neighbours, both included; a table recorded out of order
// still lets the entry move between the two.
uint32_t TTimelineEdits::Clamped(int entry, int64_t moment) const {
  const int64_t before = entry > 0 ? moments_[size_t(entry) - 1] : 0;
  const int64_t after = entry < ScheduleEntries - 1 ? moments_[size_t(entry) + 1] : int64_t(LastMoment);
  return uint32_t(std::clamp(moment, std::min(before, after), std::max(before, after)));
}

void TTimelineEdits::PushStep(const TScheduleMoments& before) {
  undo_.push_back(before);
  if (undo_.size() > UndoLimit) undo_.erase(undo_.begin());
  redo_.clear();
}

void TTimelineEdits::Settle() {
  runOpen_ = false;
  EndDrag();
}
