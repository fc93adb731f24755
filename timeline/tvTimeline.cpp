// The operator's timeline: the session of edits beside the frame loop, its
// commands applied, the beat grid it follows and what its band shows.
#include "tvTimeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <optional>

#include "Amb2_2D.h"
#include "AmbBass.h"
#include "AmbInput.h"
#include "AmbMouse.h"
#include "tvBeatGrid.h"
#include "tvCommon.h"
#include "tvSoundSync.h"
#include "tvTimelineEdits.h"
#include "tvTimelineFiles.h"
#include "tvTimelineInput.h"
#include "tvTimelinePlayback.h"
#include "tvTimelineView.h"

namespace {

constexpr double PeakSliceMs = 10;
constexpr uint8_t KeyF2 = 0x3C;

struct TTimeline {
  bool AskedAtStart = false;
  bool Open = false;
  bool Prepared = false;
  const TPartTable* Parts = nullptr;
  std::optional<TTimelineEdits> Edits;
  TTimelineSettings Settings;
  TBeatEstimate Estimate;
  std::vector<float> Peaks;  // music time, PeakSliceMs a slice
  uint32_t SavesSeen = 0;    // of the table, by either S
  double LaneMs = 6000;
  std::string Notice;
  std::optional<TScheduleMoments> Recovered;
  TTextureFont Font;  // the overlay's face and size
  TTimelineImages Images;
};

TTimeline timeline;

// ---- the table ------------------------------------------------------------------------

TScheduleMoments ScheduleOf(const TTimeSyncTable& table) {
  TScheduleMoments moments{};
  std::copy_n(table.begin(), ScheduleEntries, moments.begin());
  return moments;
}

void ApplyEdits() {
  const TScheduleMoments& moments = timeline.Edits->Moments();
  for (int i = 0; i < ScheduleEntries; ++i)
    if (TimeSyncTable[size_t(i)] != moments[size_t(i)]) SetTimeSyncEntry(i, moments[size_t(i)]);
}

// Edits that no file holds: the table's schedule is not what its file has.
bool Unsaved() { return ScheduleOf(TimeSyncTable) != ScheduleOf(TimeSyncInFile); }

// A save by either S holds every edit so far: nothing is left to recover.
void NoteSaves() {
  if (TimeSyncSaveCount == timeline.SavesSeen) return;
  timeline.SavesSeen = TimeSyncSaveCount;
  RemoveRecoveryFile();
  timeline.Recovered.reset();
}

void Save() {
  SaveTimeSyncForUser();
  NoteSaves();
  WriteSettingsFile(timeline.Settings);
  timeline.Notice = "Timesync SAVED";
}

void Restore() {
  if (!timeline.Recovered) return;
  timeline.Edits->Replace(*timeline.Recovered);
  timeline.Recovered.reset();
  timeline.Notice = "Restored the edits not saved last time (S saves them)";
}

uint32_t SelectedMoment() { return timeline.Edits->Moments()[size_t(timeline.Edits->Selected())]; }

// ---- the music and its beat grid --------------------------------------------------

void StudyMusic() {
  const TMusicSamples music = MusicSamples(MusicSlot);
  const bool haveMusic = music.Data != nullptr;
  BeginPlayback(haveMusic);
  if (!haveMusic) return;
  timeline.Peaks = WaveformPeaks(music.Data, music.Frames, music.Channels, music.Rate, PeakSliceMs);
  timeline.Estimate = EstimateBeat(music.Data, music.Frames, music.Channels, music.Rate);
}

double MusicEndMs() { return double(MusicMoment()) + double(timeline.Peaks.size()) * PeakSliceMs; }

// The operator's tempo when set, else the estimate, else 120.
double Bpm() {
  if (timeline.Settings.Bpm > 0) return timeline.Settings.Bpm;
  return timeline.Estimate.Bpm > 0 ? timeline.Estimate.Bpm : 120;
}

TBeatGrid Grid() {
  TBeatGrid grid;
  grid.BeatMs = 60000.0 / Bpm();
  const double first = timeline.Settings.Bpm > 0 ? timeline.Settings.FirstBeatMs : timeline.Estimate.FirstBeatMs;
  grid.FirstBeatMs = double(MusicMoment()) + first;
  grid.BeatsPerBar = timeline.Settings.BeatsPerBar;
  grid.Subdivision = timeline.Settings.Subdivision;
  return grid;
}

// A correction starts from what the grid shows.
TTimelineSettings& GridSettings() {
  if (timeline.Settings.Bpm <= 0) {
    timeline.Settings.Bpm = Bpm();
    timeline.Settings.FirstBeatMs = timeline.Estimate.FirstBeatMs;
  }
  return timeline.Settings;
}

int NextOf(std::initializer_list<int> choices, int current) {
  const auto at = std::find(choices.begin(), choices.end(), current);
  return at == choices.end() || at + 1 == choices.end() ? *choices.begin() : *(at + 1);
}

// ---- the commands -------------------------------------------------------------------

TTimelineEdits& Edits() { return *timeline.Edits; }
TTimelineSettings& Settings() { return timeline.Settings; }

void JumpToBookmark(int direction) {
  if (const std::optional<uint32_t> mark = BookmarkFrom(timeline.Settings, DemoTime, direction)) JumpTo(*mark, 0);
}

struct TCommandRow {
  TTimelineCommand Command;
  void (*Apply)(double amount);
};

// What each command does; F2 (Toggle) is taken before these.
using C = TTimelineCommand;
// clang-format off
const TCommandRow CommandRows[] = {
    {C::SelectBy, [](double a) { Edits().SelectNext(int(a)); }},
    {C::SelectEntry, [](double a) { Edits().Select(int(a)); }},
    {C::NudgeFrames, [](double a) { Edits().NudgeFrames(int(a)); }},
    {C::NudgeMs, [](double a) { Edits().NudgeMs(int(a)); }},
    {C::GridStep, [](double a) { Edits().MoveTo(GridStepFrom(Grid(), SelectedMoment(), int(a))); }},
    {C::Snap, [](double) { Edits().MoveTo(NearestGridLine(Grid(), SelectedMoment())); }},
    {C::ToPlayhead, [](double) { Edits().MoveTo(uint32_t(std::max(0, DemoTime))); }},
    {C::Undo, [](double) { Edits().Undo(); }},
    {C::Redo, [](double) { Edits().Redo(); }},
    {C::DragTo, [](double a) { Edits().DragTo(uint32_t(a)); }},
    {C::EndDrag, [](double) { Edits().EndDrag(); }},
    {C::Tempo, [](double a) { GridSettings().Bpm = std::clamp(Bpm() + a, 20.0, 400.0); }},
    {C::GridShift, [](double a) { GridSettings().FirstBeatMs += a; }},
    {C::NextBeatsPerBar, [](double) { Settings().BeatsPerBar = NextOf({4, 5, 6, 7, 2, 3}, Settings().BeatsPerBar); }},
    {C::NextSubdivision, [](double) { Settings().Subdivision = NextOf({1, 2, 3, 4, 6, 8}, Settings().Subdivision); }},
    {C::FoundGrid, [](double) { Settings().Bpm = 0; }},
    {C::Pause, [](double) { SetPaused(!Paused()); }},
    {C::JumpToEntry, [](double) { JumpTo(SelectedMoment(), Settings().PrerollMs); }},
    {C::JumpTo, [](double a) { JumpTo(int64_t(a), Settings().PrerollMs); }},
    {C::LoopFromHere, [](double) { SetLoopEnd(Settings(), uint32_t(DemoTime), true); }},
    {C::LoopToHere, [](double) { SetLoopEnd(Settings(), uint32_t(DemoTime), false); }},
    {C::Loop, [](double) { ToggleLoop(Settings(), SelectedMoment()); }},
    {C::Bookmark, [](double) { ToggleBookmark(Settings(), uint32_t(DemoTime)); }},
    {C::BookmarkJump, [](double a) { JumpToBookmark(int(a)); }},
    {C::Save, [](double) { Save(); }},
    {C::Restore, [](double) { Restore(); }},
    {C::Zoom, [](double a) { timeline.LaneMs = std::clamp(timeline.LaneMs * std::pow(0.8, a), 1000.0, 60000.0); }},
    {C::AudioOffset, [](double a) { SetAudioOffset(Settings().AudioOffsetMs = std::clamp(AudioOffset() + int(a), -2000, 2000)); }},
};
// clang-format on

// The table follows every command at once: a save or a jump in the same
// frame as a move sees the move.
void Apply(const TTimelineAction& action) {
  for (const TCommandRow& row : CommandRows)
    if (row.Command == action.Command) row.Apply(action.Amount);
  ApplyEdits();
}

// ---- opening ---------------------------------------------------------------------------

void Prepare() {
  timeline.Font = CreateTextureFont("Tahoma", 12, true);
  timeline.Edits.emplace(ScheduleOf(TimeSyncTable));
  timeline.Settings = ReadSettingsFile(timeline.Notice);
  // The offset in force (read at the start, or given on the command line).
  timeline.Settings.AudioOffsetMs = AudioOffset();
  timeline.SavesSeen = TimeSyncSaveCount;
  StudyMusic();
  timeline.Recovered = ReadRecoveryFile(timeline.Notice);
  if (timeline.Recovered && *timeline.Recovered == timeline.Edits->Moments()) timeline.Recovered.reset();
  if (timeline.Recovered) timeline.Notice = "Edits not saved last time were kept: R restores them";
  timeline.Prepared = true;
}

void Open() {
  if (!timeline.Prepared) Prepare();
  // Plots and clears made while it was closed are edits too.
  if (timeline.Edits->Moments() != ScheduleOf(TimeSyncTable)) timeline.Edits->Replace(ScheduleOf(TimeSyncTable));
  timeline.Open = true;
  ShowPointer(true);
}

void Close() {
  timeline.Open = false;
  timeline.Edits->EndDrag();
  ForgetMouse();
  SetPaused(false);
  ShowPointer(false);
}

// ---- the view --------------------------------------------------------------------------

const char* PartLabel(int part) {
  if (part == EndPart) return "end";
  return timeline.Parts && part >= FirstPart && part <= LastPart ? timeline.Parts->Names[size_t(part - FirstPart)] : "";
}

TTimelineReadout Readout(const TBeatGrid& grid) {
  TTimelineReadout readout;
  readout.DemoMs = DemoTime;
  readout.Part = CurrentPart;
  readout.PartLabel = PartLabel(CurrentPart);
  readout.PartMs = PartTime;
  readout.Entry = timeline.Edits->Selected();
  readout.EntryMs = SelectedMoment();
  readout.OffBeatMs = DistanceToBeat(grid, SelectedMoment());
  readout.Bpm = 60000.0 / grid.BeatMs;
  readout.BeatsPerBar = grid.BeatsPerBar;
  readout.Subdivision = grid.Subdivision;
  readout.Unsaved = Unsaved();
  readout.Paused = Paused();
  readout.Looping = timeline.Settings.Looping;
  readout.AudioOffsetMs = AudioOffset();
  return readout;
}

const char* KeyHelp() {
  return "Up/Down entry  Left/Right move (Shift 10 ms, Ctrl grid)  G snap  Return here  J jump  Space pause  "
         "S save";
}

TTimelineView View() {
  TTimelineView view;
  view.Peaks = &timeline.Peaks;
  view.PeakSliceMs = PeakSliceMs;
  view.MusicAt = double(MusicMoment());
  view.Moments = timeline.Edits->Moments();
  view.Selected = timeline.Edits->Selected();
  view.Grid = Grid();
  for (int i = 0; i < ScheduleEntries; ++i) {
    view.TooShort[size_t(i)] = timeline.Edits->SceneTooShort(i, view.Grid.BeatMs);
    view.Labels[size_t(i)] = PartLabel(i);
  }
  view.Playhead = DemoTime;
  view.LaneMs = timeline.LaneMs;
  view.AxisEndMs = std::max({MusicEndMs(), double(view.Moments.back()) + 1000.0, double(DemoTime) + 1000.0});
  view.Looping = timeline.Settings.Looping;
  view.LoopFrom = timeline.Settings.LoopFromMs;
  view.LoopTo = timeline.Settings.LoopToMs;
  view.Bookmarks = timeline.Settings.Bookmarks;
  view.Readout = Readout(view.Grid);
  view.Notice = timeline.Notice.empty() ? KeyHelp() : timeline.Notice;
  return view;
}

// ---- beside the frame loop ---------------------------------------------------------

void TakePress(const TKeyPress& press) {
  if (press.Code == KeyF2 && !press.Repeat) {
    timeline.Open ? Close() : Open();
    return;
  }
  if (!timeline.Open) return;
  if (const std::optional<TTimelineAction> action = KeyCommand(press)) Apply(*action);
}

bool TakesKeys() {
  if (timeline.Prepared) NoteSaves();
  for (const TKeyPress& press : TakeKeyPresses()) TakePress(press);
  if (!timeline.Open) return false;
  for (const TTimelineAction& action : MouseCommands(PollMouse(), View())) Apply(action);
  if (CurrentPart == EndPart) SetPaused(true);
  if (const std::optional<uint32_t> from = LoopRestart(timeline.Settings, DemoTime)) JumpTo(*from, 0);
  return true;
}

void EndTimeline() {
  if (timeline.Prepared) NoteSaves();
  if (timeline.Prepared && Unsaved()) WriteRecoveryFile();
  if (timeline.Prepared) WriteSettingsFile(timeline.Settings);
  if (timeline.Open) ShowPointer(false);
  EndPlayback();
  ForgetMouse();
  FreeTextureFont(timeline.Font);
  FreeAlphaImage(timeline.Images.Overview);
  FreeAlphaImage(timeline.Images.Lane);
  const bool asked = timeline.AskedAtStart;
  timeline = TTimeline{};
  timeline.AskedAtStart = asked;
}

}  // namespace

TFrameHooks TimelineHooks(bool openAtStart, bool audioOffsetGiven) {
  timeline.AskedAtStart = openAtStart;
  TFrameHooks hooks;
  hooks.ShowBegins = [audioOffsetGiven](const TPartTable& parts) {
    timeline.Parts = &parts;
    // The offset set by ear last time holds unless the command line gives one.
    std::string ignored;
    if (!audioOffsetGiven) SetAudioOffset(ReadSettingsFile(ignored).AudioOffsetMs);
    if (timeline.AskedAtStart) Open();
  };
  hooks.FrameBegins = [] {
    if (timeline.Prepared) PlaybackBeforeClock();
  };
  hooks.TakesKeys = TakesKeys;
  hooks.DrawsInsteadOfPart = DrawHeldPicture;
  hooks.PartDrawn = HoldPictureIfAsked;
  hooks.DrawsOverFrame = [] {
    if (!timeline.Open) return;
    KeepTextureFontAtFrameScale(timeline.Font);
    DrawTimelineView(View(), timeline.Font, timeline.Images);
  };
  hooks.HoldsEnd = [] { return timeline.Open; };
  hooks.ProgramExits = EndTimeline;
  return hooks;
}
