// The timeline on the real show, headless at 60 fps on the short table
// (part i at 8000 + 3000 i ms), driven by the capture tool's key scripts:
// edits saved to the byte, edits kept over an unsaved end and restored, a
// jump that starts its part as the schedule does, the pause, and the mouse.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "AmbBass.h"
#include "AmbMouse.h"
#include "CaptureImage.h"
#include "FrameGrab.h"
#include "KeyScript.h"
#include "ShortSchedule.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvParts.h"
#include "tvSoundSync.h"
#include "tvTimeline.h"
#include "tvTimelineSettings.h"
#include "tvTimelineView.h"

namespace {

// One key (or keys joined by +) after another, 50 ms apart on the script's clock.
std::string Presses(const std::vector<std::string>& keys) {
  std::string script;
  int moment = 5000;
  for (const std::string& key : keys) script += key + " " + std::to_string(moment += 50) + "\n";
  return script;
}

std::string ToText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<uint8_t> TableBytes(const std::vector<uint32_t>& moments) {
  TTimeSyncTable table{};
  std::copy(moments.begin(), moments.end(), table.begin());
  const auto bytes = EncodeTimeSync(table);
  return {bytes.begin(), bytes.end()};
}

struct TEditedShow {
  TEditedShow() {
    data.WriteTable(moments);
    const std::string settings = "tempo 120\nfirst-beat 0\n";
    data.Write(TimelineSettingsFile, {settings.begin(), settings.end()});
  }
  TShowRun Play(const std::string& script, const std::function<void(const TGLWindow&)>& onFrame = {}) const {
    THeadlessOptions options;
    options.DataDir = data.Folder();
    options.FramesPerSecond = 60;
    options.Keys = ParseKeyScript(script, "script", 1000.0 / 60);
    options.OnFrame = onFrame;
    options.Hooks = TimelineHooks(false);
    return PlayShow(options);
  }
  const TDemoData data;
  const std::vector<uint32_t> moments = ShortScheduleMoments(3000);
};

// Entry 3 five frames on (83 ms), then entry 10 a beat on, which is undone.
const std::vector<std::string> MoveEntry3 = {"F2", "Down", "Down", "Down", "Right", "Right", "Right", "Right", "Right"};
const std::vector<std::string> MoveEntry10 = {"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Ctrl+Right"};

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Timeline, AScriptMovesEntriesUndoesOneAndSavesTheTableToTheByte) {
  ASSERT_TRUE(HaveDemoData());
  const TEditedShow show;
  const TShowRun run = show.Play(Presses(MoveEntry3 + MoveEntry10 + std::vector<std::string>{"Ctrl+Z", "s", "Escape"}));
  EXPECT_EQ(run.Result.ExitCode, 0);
  std::vector<uint32_t> expected = show.moments;
  expected[3] += 83;
  EXPECT_EQ(ReadBytes(show.data.Path("timesync.dat")), TableBytes(expected));
  EXPECT_TRUE(ReadBytes(show.data.Path(TimelineRecoveryFile)).empty());
}

TEST(Timeline, EditsLeftUnsavedAreKeptAndRestoredWithOneKey) {
  ASSERT_TRUE(HaveDemoData());
  const TEditedShow show;
  show.Play(Presses(MoveEntry3 + MoveEntry10 + std::vector<std::string>{"Escape"}));
  std::vector<uint32_t> expected = show.moments;
  expected[3] += 83;
  expected[10] += 500;
  EXPECT_EQ(ReadBytes(show.data.Path("timesync.dat")), TableBytes(show.moments));
  EXPECT_EQ(ReadBytes(show.data.Path(TimelineRecoveryFile)), TableBytes(expected));

  show.Play(Presses({"F2", "r", "s", "Escape"}));
  EXPECT_EQ(ReadBytes(show.data.Path("timesync.dat")), TableBytes(expected));
  EXPECT_TRUE(ReadBytes(show.data.Path(TimelineRecoveryFile)).empty());
}

// An edit saved by the show's own S (the timeline closed, the keys unlocked
// 500 frames into the show) is saved for the timeline too: nothing is kept
// to recover.
TEST(Timeline, ASaveByTheShowsOwnSHoldsTheTimelinesEdits) {
  ASSERT_TRUE(HaveDemoData());
  const TEditedShow show;
  show.Play(Presses({"F2", "Down", "Right", "F2"}) + "s 13000\nEscape 13100\n");
  std::vector<uint32_t> expected = show.moments;
  expected[1] += 17;
  EXPECT_EQ(ReadBytes(show.data.Path("timesync.dat")), TableBytes(expected));
  EXPECT_TRUE(ReadBytes(show.data.Path(TimelineRecoveryFile)).empty());
}

// The grid's keys, a bookmark and a loop, kept in timeline.txt at the end
// and read by the next run, whose E (the grid found in the music) keeps all
// but the tempo; the loop (I at 5.5 s, O at 5.85 s) plays its range again.
TEST(Timeline, ItsSettingsAreKeptForTheNextRunAndItsLoopPlaysAgain) {
  ASSERT_TRUE(HaveDemoData());
  const TEditedShow show;
  int loops = 0;
  int32_t last = 0;
  show.Play(Presses({"F2", "-", "Shift+=", "[", "Shift+]", "m", "d", "d", "Shift+'", ";", "b", "i"}) +
                "o 5850\nEscape 7000\n",
            [&](const TGLWindow&) {
              loops += DemoTime < last;
              last = DemoTime;
            });
  const auto read = [&] { return ParseTimelineSettings(ToText(ReadBytes(show.data.Path(TimelineSettingsFile))), "t"); };
  const TSettingsParse first = read();
  const TTimelineSettings& s = first.Settings;
  EXPECT_TRUE(first.Problems.empty());
  EXPECT_NEAR(s.Bpm, 120.9, 1e-9);
  EXPECT_TRUE(s.FirstBeatMs == 9 && s.BeatsPerBar == 5 && s.Subdivision == 3 && s.Looping);
  EXPECT_EQ(s.AudioOffsetMs, 45);
  EXPECT_TRUE(std::abs(int(s.LoopFromMs) - 5600) <= 17 && std::abs(int(s.LoopToMs) - 5850) <= 17);
  ASSERT_EQ(s.Bookmarks.size(), 1u);
  EXPECT_NEAR(s.Bookmarks[0], 5550, 17);
  EXPECT_GE(loops, 2);

  SetAudioOffset(0);
  show.Play(Presses({"F2", "e"}) + "Escape 5500\n");
  TTimelineSettings found = s;
  found.Bpm = 0;
  EXPECT_TRUE(read().Settings == found);
  EXPECT_EQ(AudioOffset(), 45) << "the offset set by ear holds for the next run";
  SetAudioOffset(0);
}

// J on entry 1 plays from 2 s before it; closed again before the entry, the
// fountain's first frame is the uninterrupted show's.
TEST(Timeline, AJumpStartsThePartAtItsEntryAsTheSchedule) {
  ASSERT_TRUE(HaveDemoData());
  const TEditedShow show;
  TRgbImage first;
  uint32_t partTime = 1;
  int64_t scriptClock = 0;
  show.Play(Presses({"F2", "Down", "j", "F2"}) + "Escape 9000\n", [&](const TGLWindow& window) {
    if (CurrentPart != 1 || !first.Pixels.empty()) return;
    first = ReadFrame(window.Width, window.Height);
    partTime = PartTime;
    scriptClock = DemoTime + ScheduleMovedBy();
  });
  EXPECT_EQ(partTime, 0u);
  // J at 5150 jumped to 9000: the entry at 11000 came 2 s after the key.
  EXPECT_NEAR(scriptClock, 5150 + 2000, 50);
  const TRgbImage expected = ReadPng(std::string(TAVIX_SOURCE_DIR) + "/tests/pictures/first-part-1.png");
  ASSERT_EQ(first.Pixels.size(), expected.Pixels.size());
  EXPECT_EQ(ComparePictures(first.Pixels, expected.Pixels).Pixels, 0);
}

}  // namespace

// Space holds the picture and the clock and silences the music; the music
// comes back at the picture's moment, where it was on the demo clock before.
TEST(Timeline, SpacePausesPictureClockAndMusicTogether) {
  ASSERT_TRUE(HaveDemoData());
  const TEditedShow show;
  std::vector<TRgbImage> held;
  std::set<int32_t> pausedClocks;
  std::vector<int32_t> musicAt;
  std::set<bool> playingWhilePaused, playingAfter;
  show.Play(Presses({"F2", "Space"}) + "Space 6000\nEscape 6200\n", [&](const TGLWindow& window) {
    const int64_t script = DemoTime + ScheduleMovedBy();
    uint32_t tick = 0;
    // The start-up's frames (DemoTime left by an earlier run) have no music yet.
    if ((script < 5050 || script > 6050) && MusicStartTick(tick)) musicAt.push_back(int32_t(tick - StartTick));
    if (script > 6050 && MusicStartTick(tick)) playingAfter.insert(MusicPlaying());
    if (script < 5120 || script > 5950) return;
    pausedClocks.insert(DemoTime);
    playingWhilePaused.insert(MusicPlaying());
    held.push_back(ReadFrame(window.Width, window.Height));
  });
  EXPECT_EQ(pausedClocks.size(), 1u);
  ASSERT_GT(held.size(), 30u);
  EXPECT_EQ(ComparePictures(held.front().Pixels, held.back().Pixels).Pixels, 0);
  EXPECT_EQ(std::set<int32_t>(musicAt.begin(), musicAt.end()).size(), 1u);
  EXPECT_EQ(playingWhilePaused, std::set<bool>{false});
  EXPECT_EQ(playingAfter, std::set<bool>{true});
}

// Paused 2 s before entry 1, a press on its marker in the lane dragged 78
// pixels on (600 ms at 6 s a lane) moves it; a click at the overview's left
// end jumps to the start.
TEST(Timeline, TheMouseDragsAMarkerAndClicksTheOverviewToJump) {
  ASSERT_TRUE(HaveDemoData());
  const TEditedShow show;
  int32_t clockAfterClick = INT32_MAX;
  bool installed = false;
  show.Play(Presses({"F2", "Down", "j", "Space"}) + "s 5600\nEscape 5900\n", [&](const TGLWindow&) {
    if (!installed)
      SetMouseSource([&](TMouseState& mouse) {
        const int64_t script = DemoTime + ScheduleMovedBy();
        const int marker = int(std::lround(10 + 780 * ((11000.0 - DemoTime) / 6000 + 0.5)));
        mouse.Inside = true;
        mouse.Left = (script >= 5300 && script < 5500) || (script >= 5700 && script < 5720);
        mouse.X = script < 5400 ? marker : script < 5650 ? marker + 78 : 10;
        mouse.Y = script < 5650 ? 98 : 30;
      });
    installed = true;
    if (DemoTime + ScheduleMovedBy() > 5720) clockAfterClick = std::min(clockAfterClick, DemoTime);
  });
  std::vector<uint32_t> expected = show.moments;
  expected[1] += 600;
  EXPECT_EQ(ReadBytes(show.data.Path("timesync.dat")), TableBytes(expected));
  EXPECT_LT(clockAfterClick, 200);
}

// The band at its fullest fits the frame: the readout at the widest values
// it can show with every state on, a notice of any length cut to its row,
// and the labels of the generated show's markers, none touching the next of
// its row ("4 waves front" shrinks to "4" before "6 waves far"). Drawn over
// white, the band hides it.
TEST(TimelineBand, FitsTheFrameAtItsFullestAndItsLabelsNeverTouch) {
  OpenShowWindow();
  TTextureFont font = CreateTextureFont("Tahoma", 12, true);
  const TReadoutRows rows = ReadoutRows(
      {INT32_MIN, 10, "waves front", UINT32_MAX, 11, UINT32_MAX, -1500, 400, 7, 8, true, true, true, -2000});
  EXPECT_LE(TextWidth(font, rows.Position) + 6 + TextWidth(font, rows.States), 780) << rows.Position;
  EXPECT_LE(TextWidth(font, rows.Entry), 780) << rows.Entry;
  const std::string notice = "Cannot open file " + std::string(300, 'x') + "/timeline.txt";
  const std::string fitted = FitText(font, notice, 780);
  EXPECT_TRUE(TextWidth(font, fitted) <= 780 && fitted.rfind("Cannot open", 0) == 0 &&
              fitted.find("...") != std::string::npos && fitted.substr(fitted.size() - 12) == "timeline.txt")
      << fitted;

  TTimelineView view;
  const auto table = ReadTimeSyncMoments(TAVIX_DATA_DIR "/timesync.dat");
  std::copy_n(table.begin(), ScheduleEntries, view.Moments.begin());
  for (int i = 0; i < ScheduleEntries; ++i)
    view.Labels[size_t(i)] = i < EndPart ? ShowParts().Names[size_t(i + 1)] : "end";
  view.AxisEndMs = 198000;
  view.Playhead = view.Moments[4];
  view.LaneMs = 60000;
  std::map<float, std::vector<TPlacedLabel>> rowsOfLabels;
  for (const TPlacedLabel& label : PlaceLabels(view, font)) rowsOfLabels[label.Y].push_back(label);
  EXPECT_EQ(rowsOfLabels.size(), 3u);
  for (const auto& [y, labels] : rowsOfLabels)
    for (size_t i = 0; i < labels.size(); ++i) {
      const float end = labels[i].X + labels[i].Width;
      EXPECT_LE(end, 800) << labels[i].Text;
      if (i + 1 < labels.size()) {
        EXPECT_LT(end + 2, labels[i + 1].X) << labels[i].Text << " " << labels[i + 1].Text;
      }
    }

  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  TTimelineImages images;
  DrawTimelineView(view, font, images);
  uint8_t pixel[4] = {};
  glReadPixels(4, 186, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_TRUE(pixel[0] == 10 && pixel[1] == 13 && pixel[2] == 20) << int(pixel[0]) << " " << int(pixel[1]);
  FreeAlphaImage(images.Overview);
  FreeAlphaImage(images.Lane);
  FreeTextureFont(font);
}
