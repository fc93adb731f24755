// The show's pictures: played headless at 60 fps on a short table (part i at
// 8000 + 3000 i ms), the frames at the moments below must match
// tests/pictures/<name>.png within 2% per channel and the GL state each part
// hands on tests/pictures/gl-state.txt. TAVIX_WRITE_PICTURES=1 (that value
// only) writes them anew for a change meant to alter the show, and fails the
// run so that a forgotten setting cannot pass.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "AmbInput.h"
#include "CaptureImage.h"
#include "FrameGrab.h"
#include "ShortSchedule.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvHeadless.h"
#include "tvTimeline.h"

namespace {

namespace fs = std::filesystem;

// Start-up frames: the wait screen, two loading screens, the fade.
const std::vector<uint64_t> StartUpFrames = {150, 301, 312, 360};
// Two demo-clock moments in every part, -1 to 10, and one later in the last
// part than the other parts last: the slime eased for 6 s on its way out.
constexpr uint32_t LastPartEndMs = 44100;
const std::vector<int32_t> ShowMoments = {2500,  4250,  8500,  10500, 12000, 13800, 15000, 16800, 18000,
                                          19800, 21000, 22800, 24000, 25800, 27000, 28800, 30000, 31800,
                                          33000, 34800, 36000, 37800, 39000, 40800, 44000};
// First frames of parts that begin from what the part before left.
const std::vector<int32_t> FirstFrameParts = {1, 4, 7, 8};
// The timeline, opened (F2) after the last moment above and closed before
// the end: its band over the slime, and the state it hands on.
constexpr int32_t TimelineOpenMs = 44020, TimelineShotMs = 44050, TimelineClosedMs = 44070;

std::string ReferenceFolder() { return std::string(TAVIX_SOURCE_DIR) + "/tests/pictures"; }

std::set<std::string> ReferenceFiles() {
  std::set<std::string> files = {"gl-state.txt"};
  for (uint64_t index : StartUpFrames) files.insert("startup-" + std::to_string(index) + ".png");
  for (int32_t moment : ShowMoments) files.insert("at-" + std::to_string(moment) + ".png");
  for (int32_t part : FirstFrameParts) files.insert("first-part-" + std::to_string(part) + ".png");
  files.insert("timeline-open.png");
  return files;
}

struct TShowRecord {
  std::map<std::string, TRgbImage> Frames;  // by moment name
  std::map<int32_t, std::string> GlState;   // after the last frame of each part
};

std::string GlStateText(const std::map<int32_t, std::string>& states) {
  std::string text;
  for (const auto& [part, line] : states) text += "part " + std::to_string(part) + ": " + line + "\n";
  return text;
}

TShowRecord PlayAndCapture() {
  const TDemoData data;
  std::vector<uint32_t> table = ShortScheduleMoments(3000);
  table.back() = LastPartEndMs;
  data.WriteTable(table);
  TShowRecord record;
  std::map<std::string, TRgbImage>& frames = record.Frames;
  uint64_t index = 0;
  size_t nextMoment = 0;
  int32_t lastPart = -2;
  THeadlessOptions options;
  options.DataDir = data.Folder();
  options.FramesPerSecond = 60;
  options.Keys = {{DIK_F2, TimelineOpenMs, TimelineOpenMs + 17}, {DIK_F2, TimelineClosedMs, TimelineClosedMs + 17}};
  options.Hooks = TimelineHooks(false);
  options.OnFrame = [&](const TGLWindow& window) {
    const auto keep = [&](const std::string& name) { frames[name] = ReadFrame(window.Width, window.Height); };
    for (uint64_t wanted : StartUpFrames)
      if (index == wanted) keep("startup-" + std::to_string(index));
    if (DemoTime != 0 && nextMoment < ShowMoments.size() && DemoTime >= ShowMoments[nextMoment])
      keep("at-" + std::to_string(ShowMoments[nextMoment++]));
    if (DemoTime != 0 && CurrentPart != lastPart)
      for (int32_t part : FirstFrameParts)
        if (CurrentPart == part) keep("first-part-" + std::to_string(part));
    if (DemoTime >= TimelineShotMs && !frames.count("timeline-open")) keep("timeline-open");
    if (DemoTime != 0) lastPart = CurrentPart;
    if (DemoTime != 0 && CurrentPart >= FirstPart && CurrentPart <= LastPart)
      record.GlState[CurrentPart] = GlStateLine();
    ++index;
  };
  const TShowRun run = PlayShow(options);
  EXPECT_EQ(run.Result.ExitCode, 0);
  EXPECT_TRUE(run.Result.Messages.empty());
  EXPECT_EQ(run.Parts, (std::vector<int32_t>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_TRUE(run.GlErrorFrames.empty()) << "GL errors first in part " << run.GlErrorFrames.begin()->first;
  return record;
}

// Writes every reference and the GL state anew and fails, naming them.
void WriteReferences(const TShowRecord& record) {
  std::ofstream(ReferenceFolder() + "/gl-state.txt") << GlStateText(record.GlState);
  std::string written = "gl-state.txt";
  for (const auto& [name, frame] : record.Frames) {
    WritePng(ReferenceFolder() + "/" + name + ".png", frame);
    written += " " + name + ".png";
  }
  ADD_FAILURE() << "TAVIX_WRITE_PICTURES=1: wrote " << written << " in " << ReferenceFolder()
                << "; a run that writes references proves nothing, run again without it";
}

TEST(Pictures, EveryMomentAndPartStateMatchItsReference) {
  const TShowRecord record = PlayAndCapture();
  ASSERT_EQ(record.Frames.size() + 1, ReferenceFiles().size());
  const char* write = std::getenv("TAVIX_WRITE_PICTURES");
  if (write && std::string(write) == "1") return WriteReferences(record);
  const std::vector<uint8_t> expectedState = ReadBytes(ReferenceFolder() + "/gl-state.txt");
  EXPECT_EQ(GlStateText(record.GlState), std::string(expectedState.begin(), expectedState.end()));
  const fs::path failed = fs::current_path() / "pictures-failed";
  for (const auto& [name, frame] : record.Frames) {
    const TRgbImage expected = ReadPng(ReferenceFolder() + "/" + name + ".png");
    ASSERT_EQ(std::make_pair(frame.Width, frame.Height), std::make_pair(expected.Width, expected.Height)) << name;
    const TPictureDifference d = ComparePictures(frame.Pixels, expected.Pixels);
    EXPECT_EQ(d.Pixels, 0) << name << ": " << d.Pixels << " pixels differ by more than 2% (worst " << d.Worst
                           << "); the frame is in " << (failed / (name + ".png")).string();
    if (d.Pixels == 0) continue;
    fs::create_directories(failed);
    WritePng((failed / (name + ".png")).string(), frame);
  }
}

// A reference that no moment reads any more would go unnoticed.
TEST(Pictures, EveryReferenceFileBelongsToAMoment) {
  const std::set<std::string> used = ReferenceFiles();
  for (const auto& entry : fs::directory_iterator(ReferenceFolder()))
    EXPECT_EQ(used.count(entry.path().filename().string()), 1u) << entry.path() << " belongs to no moment";
}

}  // namespace
