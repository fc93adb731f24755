// The show's pictures against reference frames: the demo plays headless at
// 60 fps on a short table (part i begins at 8000 + 3000 i ms) and the frames
// at the moments below must match tests/pictures/<name>.png within 2% per
// channel, every pixel; the GL state each part hands on (read after its last
// frame) must match tests/pictures/gl-state.txt. The references were taken
// from the build before any change that was meant to keep the pictures;
// TAVIX_WRITE_PICTURES=1 writes them anew (only for a change that is meant
// to alter the show).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "CaptureImage.h"
#include "FrameGrab.h"
#include "ShortSchedule.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvHeadless.h"

namespace {

namespace fs = std::filesystem;

// Start-up frames by their index: the wait screen, two loading screens and
// the fade to black.
const std::vector<uint64_t> StartUpFrames = {150, 301, 312, 360};
// Two demo-clock moments in every part, -1 to 10.
const std::vector<int32_t> ShowMoments = {2500,  4250,  8500,  10500, 12000, 13800, 15000, 16800,
                                          18000, 19800, 21000, 22800, 24000, 25800, 27000, 28800,
                                          30000, 31800, 33000, 34800, 36000, 37800, 39000, 40800};
constexpr int Tolerance = 5;  // 2% of 255

std::string ReferenceFolder() { return std::string(TAVIX_SOURCE_DIR) + "/tests/pictures"; }

struct TShowRecord {
  std::map<std::string, TRgbImage> Frames;  // by moment name
  std::map<int32_t, std::string> GlState;   // after the last frame of each part
};

std::string GlStateText(const std::map<int32_t, std::string>& states) {
  std::string text;
  for (const auto& [part, line] : states) text += "part " + std::to_string(part) + ": " + line + "\n";
  return text;
}

// Plays the short show and keeps the frames at every moment, by name.
TShowRecord PlayAndCapture() {
  const TShortSchedule schedule(TAVIX_DATA_DIR, 3000);
  TShowRecord record;
  std::map<std::string, TRgbImage>& frames = record.Frames;
  uint64_t index = 0;
  size_t nextMoment = 0;
  THeadlessOptions options;
  options.DataDir = schedule.Folder();
  options.FramesPerSecond = 60;
  options.OnFrame = [&](const TGLWindow& window) {
    for (uint64_t wanted : StartUpFrames)
      if (index == wanted) frames["startup-" + std::to_string(index)] = ReadFrame(window.Width, window.Height);
    if (DemoTime != 0 && nextMoment < ShowMoments.size() && DemoTime >= ShowMoments[nextMoment])
      frames["at-" + std::to_string(ShowMoments[nextMoment++])] = ReadFrame(window.Width, window.Height);
    if (DemoTime != 0 && CurrentPart >= -1 && CurrentPart <= 10) record.GlState[CurrentPart] = GlStateLine();
    ++index;
  };
  const TShowRun run = PlayShow(options);
  EXPECT_EQ(run.Result.ExitCode, 0);
  EXPECT_TRUE(run.Result.Messages.empty());
  EXPECT_EQ(run.Parts, (std::vector<int32_t>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_TRUE(run.GlErrorFrames.empty()) << "GL errors first in part " << run.GlErrorFrames.begin()->first;
  return record;
}

struct TDifference {
  int64_t Pixels = 0;
  int Worst = 0;
};

TDifference Compare(const TRgbImage& frame, const TRgbImage& reference) {
  TDifference d;
  for (size_t i = 0; i < frame.Pixels.size(); i += 3) {
    int worst = 0;
    for (size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(frame.Pixels[i + c] - reference.Pixels[i + c]));
    d.Pixels += worst > Tolerance;
    d.Worst = std::max(d.Worst, worst);
  }
  return d;
}

TEST(Pictures, EveryMomentAndPartStateMatchItsReference) {
  const TShowRecord record = PlayAndCapture();
  ASSERT_EQ(record.Frames.size(), StartUpFrames.size() + ShowMoments.size());
  const bool write = std::getenv("TAVIX_WRITE_PICTURES") != nullptr;
  const std::string stateFile = ReferenceFolder() + "/gl-state.txt";
  if (write) std::ofstream(stateFile) << GlStateText(record.GlState);
  const std::vector<uint8_t> expectedState = ReadBytes(stateFile);
  EXPECT_EQ(GlStateText(record.GlState), std::string(expectedState.begin(), expectedState.end()));
  const fs::path failed = fs::current_path() / "pictures-failed";
  for (const auto& [name, frame] : record.Frames) {
    const std::string reference = ReferenceFolder() + "/" + name + ".png";
    if (write) {
      WritePng(reference, frame);
      continue;
    }
    const TRgbImage expected = ReadPng(reference);
    ASSERT_EQ(frame.Width, expected.Width) << name;
    ASSERT_EQ(frame.Height, expected.Height) << name;
    const TDifference d = Compare(frame, expected);
    EXPECT_EQ(d.Pixels, 0) << name << ": " << d.Pixels << " pixels differ by more than 2% (worst " << d.Worst
                           << "); the frame is in " << (failed / (name + ".png")).string();
    if (d.Pixels == 0) continue;
    fs::create_directories(failed);
    WritePng((failed / (name + ".png")).string(), frame);
  }
}

}  // namespace
