// The operator's timeline: keys and mouse into edits of the schedule's
// moments, pause, jumps and the loop, the files beside the table, and the
// view of it all drawn over the frame.
#include "tvTimeline.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "Amb2Bytes.h"
#include "Amb2_2D.h"
#include "AmbBass.h"
#include "AmbInput.h"
#include "AmbMouse.h"
#include "AmbSystem.h"
#include "Tavix.h"
#include "tvBeatGrid.h"
#include "tvCommon.h"
#include "tvTimelineEdits.h"
#include "tvTimelineSettings.h"
#include "tvTimelineView.h"

namespace {

constexpr double PeakSliceMs = 10;
constexpr uint32_t RepeatDelayMs = 400, RepeatEveryMs = 50;
constexpr int HeldSize = 1024;  // the texture the paused picture is kept in

struct TKeyMemory {
  std::array<bool, 256> Held{};
  std::array<uint32_t, 256> NextRepeat{};
};

struct TTimeline {
  bool AskedAtStart = false;
  bool Open = false;
  bool Prepared = false;
  bool F2Held = false;
  const TPartTable* Parts = nullptr;
  std::optional<TTimelineEdits> Edits;
  TTimelineSettings Settings;
  TBeatEstimate Estimate;
  std::vector<float> Peaks;  // music time, PeakSliceMs a slice
  bool HaveMusic = false;
  int32_t MusicAt = 0;  // the music's start on the demo clock
  bool MusicWaiting = false;
  bool Paused = false, HoldPending = false, HeldValid = false;
  GLuint Held = 0;
  uint32_t LastTick = 0;
  int64_t ClockShift = 0;
  TKeyMemory Keys;
  TMouseState Mouse;
  bool Dragging = false;
  double GrabOffset = 0;
  double LaneMs = 6000;
  std::string Notice;
  std::optional<TScheduleMoments> Recovered;
  TTextureFont Font;  // the overlay's face and size
  TTimelineImages Images;
};

TTimeline timeline;

// ---- the table and the files beside it ------------------------------------------

TScheduleMoments ScheduleFromTable() {
  TScheduleMoments moments{};
  std::copy_n(TimeSyncTable.begin(), ScheduleEntries, moments.begin());
  return moments;
}

void ApplyEdits() {
  const TScheduleMoments& moments = timeline.Edits->Moments();
  for (int i = 0; i < ScheduleEntries; ++i)
    if (TimeSyncTable[size_t(i)] != moments[size_t(i)]) SetTimeSyncEntry(i, moments[size_t(i)]);
}

bool FileExists(const std::string& name) { return std::ifstream(name).good(); }

// A fresh file that replaces the old one once complete.
bool WriteTextFile(const std::string& name, const std::string& text) {
  const std::string temporary = name + ".new";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!(file << text) || !file.flush()) return false;
  }
  return std::rename(temporary.c_str(), name.c_str()) == 0;
}

// A file beside the table that cannot be read is named in the notice line
// and left alone: the timeline opens all the same.
std::optional<std::string> ReadBeside(const std::string& name) {
  if (!FileExists(name)) return std::nullopt;
  try {
    return ReadWholeFile(name);
  } catch (const EFileError& error) {
    timeline.Notice = error.what();
    return std::nullopt;
  }
}

void LoadSettings() {
  const std::string name = UserFilePlace(TimelineSettingsFile).Read;
  const std::optional<std::string> text = ReadBeside(name);
  if (!text) return;
  const TSettingsParse parse = ParseTimelineSettings(*text, name);
  timeline.Settings = parse.Settings;
  for (const std::string& problem : parse.Problems) std::cerr << problem << "\n";
  if (!parse.Problems.empty()) timeline.Notice = parse.Problems.front() + " (ignored)";
}

void SaveSettings() {
  const std::string name = UserFilePlace(TimelineSettingsFile).Write;
  if (!WriteTextFile(name, WriteTimelineSettings(timeline.Settings))) std::cerr << "Cannot create file " << name << "\n";
}

// The first twelve moments of a kept table; nothing when it is not one.
std::optional<TScheduleMoments> ReadRecovery() {
  const std::string name = UserFilePlace(TimelineRecoveryFile).Read;
  const std::optional<std::string> kept = ReadBeside(name);
  if (!kept) return std::nullopt;
  const std::string& bytes = *kept;
  if (bytes.size() != TimeSyncEntries * 4) {
    timeline.Notice = name + " is not a table of 804 bytes: left alone";
    return std::nullopt;
  }
  const TByteReader reader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  TScheduleMoments moments{};
  for (size_t i = 0; i < moments.size(); ++i) moments[i] = reader.U32At(i * 4);
  return moments;
}

void ForgetRecovery() {
  const TUserFile place = UserFilePlace(TimelineRecoveryFile);
  std::remove(place.Write.c_str());
  std::remove(place.Read.c_str());
}

void Save() {
  SaveTimeSyncForUser();
  timeline.Edits->MarkSaved();
  ForgetRecovery();
  timeline.Recovered.reset();
  SaveSettings();
  timeline.Notice = "Timesync SAVED";
}

// ---- the music ----------------------------------------------------------------------

void StudyMusic() {
  const TMusicSamples music = MusicSamples(MusicSlot);
  uint32_t tick = 0;
  timeline.HaveMusic = music.Data && MusicStartTick(tick);
  if (!timeline.HaveMusic) return;
  timeline.MusicAt = int32_t(tick - StartTick);
  timeline.Peaks = WaveformPeaks(music.Data, music.Frames, music.Channels, music.Rate, PeakSliceMs);
  timeline.Estimate = EstimateBeat(music.Data, music.Frames, music.Channels, music.Rate);
}

// The music at the demo-clock moment; before it begins it waits for the clock.
void PlayMusicAt(int64_t demoMs) {
  if (!timeline.HaveMusic) return;
  timeline.MusicWaiting = demoMs < timeline.MusicAt;
  if (timeline.MusicWaiting)
    StopMusic();
  else
    PlayMusicFrom(MusicSlot, uint32_t(demoMs - timeline.MusicAt));
}

double MusicEndMs() { return timeline.MusicAt + double(timeline.Peaks.size()) * PeakSliceMs; }

// ---- the beat grid --------------------------------------------------------------------

// The operator's tempo when set, else the estimate, else 120.
double Bpm() {
  if (timeline.Settings.Bpm > 0) return timeline.Settings.Bpm;
  return timeline.Estimate.Bpm > 0 ? timeline.Estimate.Bpm : 120;
}

TBeatGrid Grid() {
  TBeatGrid grid;
  grid.BeatMs = 60000.0 / Bpm();
  const double first = timeline.Settings.Bpm > 0 ? timeline.Settings.FirstBeatMs : timeline.Estimate.FirstBeatMs;
  grid.FirstBeatMs = timeline.MusicAt + first;
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

template <size_t N>
int NextOf(const int (&choices)[N], int current) {
  for (size_t i = 0; i < N; ++i)
    if (choices[i] == current) return choices[(i + 1) % N];
  return choices[0];
}

// ---- pause and jumps --------------------------------------------------------------------

void SetPaused(bool paused) {
  if (paused == timeline.Paused) return;
  timeline.Paused = paused;
  timeline.HeldValid = false;
  timeline.HoldPending = paused;
  // The music comes back at the picture's moment, so the two stay in step.
  if (paused)
    StopMusic();
  else
    PlayMusicAt(DemoTime);
}

void JumpTo(int64_t moment, uint32_t preroll) {
  const auto target = uint32_t(std::clamp<int64_t>(moment - preroll, 0, INT32_MAX));
  timeline.ClockShift += int64_t(DemoTime) - int64_t(target);
  RestartScheduleAt(target);
  timeline.Paused = false;
  timeline.HeldValid = timeline.HoldPending = false;
  PlayMusicAt(target);
}

uint32_t Selected() { return timeline.Edits->Moments()[size_t(timeline.Edits->Selected())]; }

void ToggleBookmark() {
  std::vector<uint32_t>& marks = timeline.Settings.Bookmarks;
  const auto near = std::find_if(marks.begin(), marks.end(),
                                 [](uint32_t mark) { return std::abs(int64_t(mark) - int64_t(DemoTime)) < 250; });
  if (near != marks.end())
    marks.erase(near);
  else
    marks.insert(std::upper_bound(marks.begin(), marks.end(), uint32_t(DemoTime)), uint32_t(DemoTime));
}

void JumpToBookmark(int direction) {
  const std::vector<uint32_t>& marks = timeline.Settings.Bookmarks;
  // A little slack, so that a second press goes on past the bookmark just reached.
  const int64_t now = int64_t(DemoTime) + (direction > 0 ? 100 : -500);
  if (direction > 0) {
    const auto next = std::upper_bound(marks.begin(), marks.end(), now);
    if (next != marks.end()) JumpTo(*next, 0);
  } else {
    const auto next = std::lower_bound(marks.begin(), marks.end(), now);
    if (next != marks.begin()) JumpTo(*(next - 1), 0);
  }
}

void SetLoop(bool fromHere) {
  TTimelineSettings& s = timeline.Settings;
  if (fromHere)
    s.LoopFromMs = uint32_t(DemoTime);
  else
    s.LoopToMs = uint32_t(DemoTime);
  if (s.LoopToMs <= s.LoopFromMs) (fromHere ? s.LoopToMs = s.LoopFromMs + 4000 : s.LoopFromMs = s.LoopToMs - std::min(s.LoopToMs, 4000u));
  s.Looping = true;
}

// Without a range of its own, L loops around the selected entry.
void ToggleLoop() {
  TTimelineSettings& s = timeline.Settings;
  if (s.LoopToMs <= s.LoopFromMs) {
    s.LoopFromMs = Selected() - std::min(Selected(), s.PrerollMs);
    s.LoopToMs = Selected() + 2000;
  }
  s.Looping = !s.Looping;
}

// ---- keys --------------------------------------------------------------------------------

// A key that went down this frame, or, where it repeats, one held long enough.
bool Pressed(uint8_t code, bool repeats = false) {
  const bool down = KeyDown(code);
  const bool was = timeline.Keys.Held[code];
  timeline.Keys.Held[code] = down;
  const uint32_t now = TickCount();
  if (down && !was) {
    timeline.Keys.NextRepeat[code] = now + RepeatDelayMs;
    return true;
  }
  if (!down || !repeats || int32_t(now - timeline.Keys.NextRepeat[code]) < 0) return false;
  timeline.Keys.NextRepeat[code] = now + RepeatEveryMs;
  return true;
}

bool Shift() { return KeyDown(DIK_LSHIFT) || KeyDown(DIK_RSHIFT); }
bool Control() { return KeyDown(DIK_LCONTROL) || KeyDown(DIK_RCONTROL); }
uint8_t Letter(char c) { return CharToScanCode(c); }

void MoveKeys() {
  TTimelineEdits& edits = *timeline.Edits;
  if (Pressed(DIK_UP)) edits.SelectNext(-1);
  if (Pressed(DIK_DOWN)) edits.SelectNext(1);
  for (const auto& [code, direction] : {std::pair{DIK_LEFT, -1}, std::pair{DIK_RIGHT, 1}}) {
    if (!Pressed(code, true)) continue;
    if (Control())
      edits.MoveTo(uint32_t(std::clamp(std::round(Selected() + direction * GridStepMs(Grid())), 0.0, 4294967295.0)));
    else if (Shift())
      edits.NudgeMs(10 * direction);
    else
      edits.NudgeFrames(direction);
  }
  if (Pressed(Letter('g'))) edits.MoveTo(NearestGridLine(Grid(), Selected()));
  if (Pressed(DIK_RETURN)) edits.MoveTo(uint32_t(std::max(0, DemoTime)));
  const bool undo = Pressed(Letter('z')), redo = Pressed(Letter('y'));
  if (Control() && undo && !Shift()) edits.Undo();
  if (Control() && ((undo && Shift()) || redo)) edits.Redo();
}

void GridKeys() {
  const double bpmStep = Shift() ? 1.0 : 0.1, msStep = Shift() ? 10.0 : 1.0;
  if (Pressed(DIK_MINUS, true)) GridSettings().Bpm = std::max(20.0, Bpm() - bpmStep);
  if (Pressed(DIK_EQUALS, true)) GridSettings().Bpm = std::min(400.0, Bpm() + bpmStep);
  if (Pressed(DIK_LBRACKET, true)) GridSettings().FirstBeatMs -= msStep;
  if (Pressed(DIK_RBRACKET, true)) GridSettings().FirstBeatMs += msStep;
  static const int bars[] = {4, 5, 6, 7, 2, 3}, subdivisions[] = {1, 2, 3, 4, 6, 8};
  if (Pressed(Letter('m'))) timeline.Settings.BeatsPerBar = NextOf(bars, timeline.Settings.BeatsPerBar);
  if (Pressed(Letter('d'))) timeline.Settings.Subdivision = NextOf(subdivisions, timeline.Settings.Subdivision);
  if (Pressed(Letter('e'))) timeline.Settings.Bpm = 0;
}

void PlayKeys() {
  if (Pressed(DIK_SPACE)) SetPaused(!timeline.Paused);
  if (Pressed(Letter('j'))) JumpTo(Selected(), timeline.Settings.PrerollMs);
  if (Pressed(Letter('i'))) SetLoop(true);
  if (Pressed(Letter('o'))) SetLoop(false);
  if (Pressed(Letter('l'))) ToggleLoop();
  if (Pressed(Letter('b'))) ToggleBookmark();
  if (Pressed(DIK_COMMA)) JumpToBookmark(-1);
  if (Pressed(DIK_PERIOD)) JumpToBookmark(1);
}

void FileKeys() {
  if (Pressed(Letter('s')) && !Control()) Save();
  if (Pressed(Letter('r')) && timeline.Recovered) {
    timeline.Edits->Replace(*timeline.Recovered);
    timeline.Recovered.reset();
    timeline.Notice = "Restored the edits not saved last time (S saves them)";
  }
}

// ---- mouse ---------------------------------------------------------------------------------

TTimelineView View();

void MousePress(const TMouseState& mouse) {
  const TTimelineView view = View();
  if (OverviewBox.Holds(mouse.X, mouse.Y)) {
    const int entry = MarkerAt(view, OverviewBox, float(mouse.X));
    if (entry >= 0)
      timeline.Edits->Select(entry);
    else
      JumpTo(int64_t(std::max(0.0, OverviewMoment(view, float(mouse.X)))), timeline.Settings.PrerollMs);
  } else if (LaneBox.Holds(mouse.X, mouse.Y)) {
    const int entry = MarkerAt(view, LaneBox, float(mouse.X));
    if (entry < 0) return;
    timeline.Edits->Select(entry);
    timeline.Edits->BeginDrag();
    timeline.Dragging = true;
    timeline.GrabOffset = view.Moments[size_t(entry)] - LaneMoment(view, float(mouse.X));
  }
}

void MouseInput() {
  const TMouseState mouse = PollMouse();
  if (mouse.Left && !timeline.Mouse.Left && mouse.Inside) MousePress(mouse);
  if (timeline.Dragging) {
    const double moment = LaneMoment(View(), float(mouse.X)) + timeline.GrabOffset;
    timeline.Edits->DragTo(uint32_t(std::clamp(std::round(moment), 0.0, double(UINT32_MAX))));
    if (!mouse.Left) {
      timeline.Edits->EndDrag();
      timeline.Dragging = false;
    }
  }
  if (mouse.Wheel != 0 && mouse.Inside && LaneBox.Holds(mouse.X, mouse.Y))
    timeline.LaneMs = std::clamp(timeline.LaneMs * std::pow(0.8, mouse.Wheel), 1000.0, 60000.0);
  timeline.Mouse = mouse;
}

// ---- opening -------------------------------------------------------------------------------

void Prepare() {
  timeline.Font = CreateTextureFont("Tahoma", 12, true);
  timeline.Edits.emplace(ScheduleFromTable());
  LoadSettings();
  StudyMusic();
  timeline.Recovered = ReadRecovery();
  if (timeline.Recovered && *timeline.Recovered == timeline.Edits->Moments()) timeline.Recovered.reset();
  if (timeline.Recovered) timeline.Notice = "Edits not saved last time were kept: R restores them";
  timeline.Prepared = true;
}

void Open() {
  if (!timeline.Prepared) Prepare();
  // Plots and clears made while it was closed are edits too.
  if (timeline.Edits->Moments() != ScheduleFromTable()) timeline.Edits->Replace(ScheduleFromTable());
  timeline.LastTick = TickCount();
  timeline.Open = true;
  ShowPointer(true);
}

void Close() {
  timeline.Open = false;
  if (timeline.Dragging) timeline.Edits->EndDrag();
  timeline.Dragging = false;
  SetPaused(false);
  ShowPointer(false);
}

void EditorInput() {
  MoveKeys();
  GridKeys();
  PlayKeys();
  FileKeys();
  MouseInput();
  ApplyEdits();
  if (CurrentPart == 11) SetPaused(true);
  const TTimelineSettings& s = timeline.Settings;
  if (s.Looping && s.LoopToMs > s.LoopFromMs && DemoTime >= int32_t(s.LoopToMs)) JumpTo(s.LoopFromMs, 0);
}

// ---- the view --------------------------------------------------------------------------

std::string Seconds(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", ms / 1000.0);
  return text;
}

const char* PartLabel(int part) {
  if (part == 11) return "end";
  return timeline.Parts && part >= -1 && part <= 10 ? timeline.Parts->Names[size_t(part + 1)] : "";
}

std::string Readout(const TBeatGrid& grid) {
  const int entry = timeline.Edits->Selected();
  char text[256];
  std::snprintf(text, sizeof text, "%s  part %d %s +%.3f  entry %d %s %+.0f ms off beat  %.2f BPM %d/4 grid 1/%d%s%s%s",
                Seconds(DemoTime).c_str(), int(CurrentPart), PartLabel(CurrentPart), PartTime / 1000.0, entry,
                Seconds(Selected()).c_str(), DistanceToBeat(grid, Selected()), 60000.0 / grid.BeatMs,
                grid.BeatsPerBar, grid.Subdivision, timeline.Edits->Modified() ? "  UNSAVED" : "",
                timeline.Paused ? "  PAUSED" : "", timeline.Settings.Looping ? "  LOOP" : "");
  return text;
}

const char* KeyHelp() {
  return "Up/Down entry  Left/Right move (Shift 10 ms, Ctrl grid)  G snap  Return here  J jump  Space pause  "
         "S save";
}

TTimelineView View() {
  TTimelineView view;
  view.Peaks = &timeline.Peaks;
  view.PeakSliceMs = PeakSliceMs;
  view.MusicAt = timeline.MusicAt;
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

// ---- the held picture ------------------------------------------------------------------

void KeepPicture() {
  glPushAttrib(GL_TEXTURE_BIT);
  if (timeline.Held == 0) {
    glGenTextures(1, &timeline.Held);
    glBindTexture(GL_TEXTURE_2D, timeline.Held);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, HeldSize, HeldSize, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
  glBindTexture(GL_TEXTURE_2D, timeline.Held);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, MainWindow.Width, MainWindow.Height);
  glPopAttrib();
}

void DrawKeptPicture() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glDisable(GL_FOG);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBindTexture(GL_TEXTURE_2D, timeline.Held);
  const float u = float(MainWindow.Width) / HeldSize, v = float(MainWindow.Height) / HeldSize;
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(0, 0);
  glTexCoord2f(u, 0), glVertex2f(1, 0);
  glTexCoord2f(u, v), glVertex2f(1, 1);
  glTexCoord2f(0, v), glVertex2f(0, 1);
  glEnd();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

// Also on the way out after a fatal error (a failed save among them), so the
// recovery file's own failure is only reported.
void KeepUnsavedEdits() {
  const std::string name = UserFilePlace(TimelineRecoveryFile).Write;
  try {
    SaveTimeSync(name);
    std::cout << "Timeline edits not saved are kept in " << name << "\n";
  } catch (const EFileError& error) {
    std::cerr << "Timeline edits not saved are lost: " << error.what() << "\n";
  }
}

}  // namespace

void OpenTimelineAtShowStart(bool open) { timeline.AskedAtStart = open; }

void BeginTimeline(const TPartTable& parts) {
  timeline.Parts = &parts;
  if (timeline.AskedAtStart) Open();
}

void TimelineBeforeClock() {
  if (!timeline.Prepared) return;
  const uint32_t now = TickCount();
  if (timeline.Paused) {
    ShiftSchedule(now - timeline.LastTick);
    timeline.ClockShift += now - timeline.LastTick;
  }
  timeline.LastTick = now;
}

bool TimelineTakesInput() {
  const bool f2 = KeyDown(DIK_F2);
  const bool toggled = f2 && !timeline.F2Held;
  timeline.F2Held = f2;
  if (toggled) timeline.Open ? Close() : Open();
  if (timeline.MusicWaiting && DemoTime >= timeline.MusicAt) PlayMusicAt(DemoTime);
  if (!timeline.Open) return false;
  EditorInput();
  return true;
}

bool TimelineDrawsHeldPicture() {
  if (!timeline.Paused || !timeline.HeldValid) return false;
  DrawKeptPicture();
  return true;
}

void TimelineAfterPart() {
  if (!timeline.HoldPending) return;
  KeepPicture();
  timeline.HoldPending = false;
  timeline.HeldValid = true;
}

void DrawTimeline() {
  if (timeline.Open) DrawTimelineView(View(), timeline.Font, timeline.Images);
}

bool TimelineIsOpen() { return timeline.Open; }

int64_t TimelineClockShift() { return timeline.ClockShift; }

void EndTimeline() {
  if (timeline.Prepared && timeline.Edits->Modified()) KeepUnsavedEdits();
  if (timeline.Prepared) SaveSettings();
  if (timeline.Open) ShowPointer(false);
  if (timeline.Held != 0) glDeleteTextures(1, &timeline.Held);
  FreeTextureFont(timeline.Font);
  FreeAlphaImage(timeline.Images.Overview);
  FreeAlphaImage(timeline.Images.Lane);
  const bool asked = timeline.AskedAtStart;
  timeline = TTimeline{};
  timeline.AskedAtStart = asked;
}
