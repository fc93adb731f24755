// The capture tool: its command line, key scripts and pieces, and whole runs
// of tavix-capture on the built data.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "AmbInput.h"
#include "CaptureImage.h"
#include "CaptureOptions.h"
#include "CaptureSession.h"
#include "CaptureSetup.h"
#include "FrameTimes.h"
#include "KeyScript.h"
#include "ShowFrames.h"
#include "SpineSupport.h"
#include "VideoPipe.h"

namespace fs = std::filesystem;

namespace {

using spine::RunCommand;
using spine::WriteBytes;

spine::TCommandRun RunTool(const std::string& arguments) {
  return RunCommand(std::string(TAVIX_CAPTURE_EXE) + " " + arguments);
}

std::string Arg(const std::string& path) { return "'" + path + "'"; }

std::string FramePicture(const std::string& folder, size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06zu.png", index);
  return folder + name;
}

// One field of one stream of a media file, as ffprobe reports it.
std::string Probe(const std::string& stream, const std::string& field, const std::string& file) {
  return RunCommand("ffprobe -v error -count_frames -select_streams " + stream + " -show_entries stream=" + field +
                    " -of csv=p=0 " + Arg(file))
      .Output;
}

TRgbImage Crop(const TRgbImage& image, int x, int y, int width, int height) {
  TRgbImage part(width, height);
  Blit(part, image, -x, -y);
  return part;
}

}  // namespace

TEST(CaptureOptions, ParsesEveryOptionAndSortsMoments) {
  const TCaptureOptions o = ParseCaptureOptions(
      {"--data",   "d",  "--fps",   "25",    "--at",   "900,100,900", "--out",    "o", "--parts",   "p",
       "--offset", "40", "--video", "v.mp4", "--keys", "k.txt",       "--frames", "f", "--part-ms", "3000"});
  EXPECT_EQ(o.DataDir + o.OutDir + o.PartsDir + o.VideoFile + o.KeysFile + o.FramesDir, "dopv.mp4k.txtf");
  EXPECT_EQ(std::tuple(o.Fps, o.PartOffsetMs, o.PartMs), std::tuple(25u, 40u, 3000u));
  EXPECT_EQ(o.AtMoments, (std::vector<int32_t>{100, 900}));
  EXPECT_DOUBLE_EQ(MsPerFrame(ParseCaptureOptions({})), 1000.0 / 60.0);
  EXPECT_TRUE(ParseCaptureOptions({"--help"}).Help && ParseCaptureOptions({"-h"}).Help);
  EXPECT_EQ(ParseCaptureOptions({"--fps", "25", "--fps", "30"}).Fps, 30u);  // the last one counts
  const TCaptureOptions present = ParseCaptureOptions({"--bench", "--present", "1920x1080"});
  EXPECT_EQ(std::pair(present.PresentWidth, present.PresentHeight), std::pair(1920, 1080));
  EXPECT_NE(CaptureHelpText().find("--bench"), std::string::npos);
}

TEST(CaptureOptions, RejectsWhatCannotRunInItsOwnWords) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"--frobnicate"}, "unknown option \"--frobnicate\" (see --help)"},
      {{"frames"}, "unknown option \"frames\" (see --help)"},
      {{"--fps"}, "--fps needs a value"},
      {{"--fps", "0"}, "--fps expects a whole number from 1 to 1000, not \"0\""},
      {{"--fps", "12x"}, "--fps expects a whole number from 1 to 1000, not \"12x\""},
      {{"--at", "1,,2"}, "--at expects a whole number from 0 to 2147483647, not \"\""},
      {{"--at", "-5"}, "--at expects a whole number from 0 to 2147483647, not \"-5\""},
      {{"--at", "5,"}, "--at expects MS[,MS...], not \"5,\""},
      {{"--at", "100"}, "--at needs --out DIR"},
      {{"--out", "o"}, "--out is only used with --at"},
      {{"--offset", "3"}, "--offset is only used with --parts"},
      {{"--bench", "--frames", "f"}, "--bench measures rendering alone and writes no files"},
      {{"--bench", "--video", "v.mp4"}, "--bench measures rendering alone and writes no files"},
      {{"--part-ms", "0"}, "--part-ms expects a whole number from 1 to 600000, not \"0\""},
      {{"--bench", "--present", "1920"}, "--present expects WIDTHxHEIGHT, not \"1920\""},
      {{"--present", "800x600"}, "--present is only used with --bench"}};
  for (const auto& [args, message] : bad)
    EXPECT_EQ(ErrorOf<ECaptureUsage>([&, &args = args] { ParseCaptureOptions(args); }), message);
}

// A moment holds the key over the longest step of the clock (17 ms at 60 fps);
// keys joined by '+' share their line's span.
TEST(KeyScript, MomentsAndSpans) {
  std::vector<std::array<int32_t, 3>> keys;
  for (const TScriptedKey& k : ParseKeyScript(
           "# two parts\n\np 5000\nTab 100 250  # fast\nEscape 9000\nctrl+Shift+s 70 80\n", "k", 1000.0 / 60))
    keys.push_back({k.ScanCode, k.FromMs, k.ToMs});
  const std::vector<std::array<int32_t, 3>> want = {{DIK_P, 5000, 5017}, {DIK_TAB, 100, 250}, {DIK_ESCAPE, 9000, 9017},
                                                    {0x1D, 70, 80},      {0x2A, 70, 80},      {DIK_S, 70, 80}};
  EXPECT_EQ(keys, want);
}

TEST(KeyScript, ErrorsNameTheScriptAndLine) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"p 10\nwarp 10\n", "k.txt:2: unknown key \"warp\""},
      {"p 10\n\nCtrl+Warp 10\n", "k.txt:3: unknown key \"Warp\""},
      {"Ctrl+ 10\n", "k.txt:1: unknown key \"\""},
      {"p\n", "k.txt:1: expected"},
      {"p 10 20 30\n", "k.txt:1: expected"},
      {"p 20 20\n", "k.txt:1: the key is released before it is pressed"},
      {"\n\np soon\n", "k.txt:3: \"soon\" is not"}};
  for (const auto& [text, message] : bad) {
    const std::string error = ErrorOf<std::runtime_error>([&, &text = text] { ParseKeyScript(text, "k.txt", 50); });
    EXPECT_EQ(error.rfind(message, 0), 0u) << text << ": " << error;
  }
}

TEST(FrameTimes, NearestRankStatisticsWithoutTheFixedStartUpFrames) {
  std::vector<double> samples;
  for (int i = 100; i >= 1; --i) samples.push_back(i);
  const TFrameTimeSummary s = Summarise(samples);
  EXPECT_EQ(s.Frames, 100u);
  EXPECT_DOUBLE_EQ(s.MedianMs, 50);
  EXPECT_DOUBLE_EQ(s.P95Ms, 95);
  EXPECT_DOUBLE_EQ(s.WorstMs, 100);
  EXPECT_DOUBLE_EQ(Summarise({7}).P95Ms, 7);
  EXPECT_EQ(Summarise({}).Frames, 0u);
  // The bench leaves out the start-up's fixed frames. Window made in frame 0,
  // wait frames 1..300, the fade over at tick 5000.
  EXPECT_FALSE(IsFixedStartUpFrame(0, 1000, true, 5000));
  EXPECT_TRUE(IsFixedStartUpFrame(300, 1300, true, 5000));
  EXPECT_FALSE(IsFixedStartUpFrame(301, 1400, true, 5000));
  EXPECT_FALSE(IsFixedStartUpFrame(320, 3400, true, 5000));  // first fade frame: the last set-up's work
  EXPECT_TRUE(IsFixedStartUpFrame(321, 3401, true, 5000));
  EXPECT_FALSE(IsFixedStartUpFrame(340, 5000, true, 5000));  // after the fade: loading the table
  EXPECT_FALSE(IsFixedStartUpFrame(321, 3401, false, 0));
}

TEST(CapturePictures, ReadAndWriteErrorsThrow) {
  const TDemoData folder;
  WriteBytes(folder.Path("b.png"), "not a picture");
  EXPECT_THROW(ReadPng(folder.Path("b.png")), std::runtime_error);
  EXPECT_THROW(WritePng(folder.Path("none/c.png"), TRgbImage(3, 2)), std::runtime_error);
}

TEST(VideoPipe, PathsReachTheShellUnchanged) {
  const std::string path = "/tmp/it's a \"show\" $HOME `x`.mp4";
  EXPECT_EQ(RunCommand("printf %s " + ShellQuote(path)).Output, path);
  EXPECT_FALSE(FindProgram("sh").empty());
  EXPECT_TRUE(FindProgram("no-such-program-here").empty());
}

TEST(CaptureSetup, ClearErrorsForUnusableFolders) {
  const TDemoData withoutTable("timesync.dat");
  EXPECT_THROW(ResolveDataFolder(withoutTable.Path("missing"), {}), ECaptureSetup);
  EXPECT_THROW(ResolveDataFolder(withoutTable.Folder(), {}), ECaptureSetup);
  EXPECT_EQ(ResolveDataFolder(TAVIX_DATA_DIR, {}), fs::path(TAVIX_DATA_DIR).lexically_normal().string());
  EXPECT_THROW(PrepareOutputFolder(withoutTable.Path("logo.jpg/out")), ECaptureSetup);
  EXPECT_TRUE(fs::is_directory(PrepareOutputFolder(withoutTable.Path("new/out"))));
}

TEST(CaptureRun, AFailedOutputEndsTheRunWithItsNameAndReason) {
  // An encoder that dies after a few hundred kilobytes, during the wait
  // screen. Had the show played on, its keys would have cleared and saved
  // the time-sync table at 3.9 s.
  const TDemoData data;
  const std::vector<uint8_t> table = ReadBytes(data.Path("timesync.dat"));
  WriteBytes(data.Path("ffmpeg"), "#!/bin/sh\nhead -c 300000 >/dev/null\nexit 3\n");
  fs::permissions(data.Path("ffmpeg"), fs::perms::owner_all);
  WriteBytes(data.Path("keys.txt"), "c 3900\ns 3900\n");
  const std::string path = std::getenv("PATH");
  setenv("PATH", (data.Folder() + ":" + path).c_str(), 1);
  const spine::TCommandRun result = RunTool("--fps 250 --data " + Arg(data.Folder()) + " --keys " +
                                            Arg(data.Path("keys.txt")) + " --video " + Arg(data.Path("show.mp4")));
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(result.ExitStatus, 1) << result.Output;
  const std::string reason = "Cannot write the video " + data.Path("show.mp4") +
                             ": ffmpeg stopped taking frames (Broken pipe; ffmpeg exited with status 3)";
  EXPECT_NE(result.Output.find(reason), std::string::npos) << result.Output;
  EXPECT_TRUE(ReadBytes(data.Path("timesync.dat")) == table) << "the show played on";
}

// The read-back of --at (pixel buffers, BGRA to RGB, rows flipped, each
// frame paired with its moment) against the picture suite's references of
// the same moments on the same schedule: the title's fade and the fountain.
TEST(CaptureRun, MomentsMatchThePictureReferences) {
  const TDemoData folder;
  const spine::TCommandRun result = RunTool("--fps 60 --part-ms 3000 --at 4250,12000 --out " + Arg(folder.Path("at")));
  ASSERT_EQ(result.ExitStatus, 0) << result.Output;
  for (const char* moment : {"4250", "12000"}) {
    const TRgbImage frame = ReadPng(folder.Path("at/at-") + moment + ".png");
    const TRgbImage reference = ReadPng(std::string(TAVIX_SOURCE_DIR) + "/tests/pictures/at-" + moment + ".png");
    ASSERT_EQ(std::make_pair(frame.Width, frame.Height), std::make_pair(reference.Width, reference.Height));
    const TPictureDifference d = ComparePictures(frame.Pixels, reference.Pixels);
    EXPECT_EQ(d.Pixels, 0) << moment << ": worst difference " << d.Worst;
  }
}

// Tiles in rows of four, 8-pixel margins, a 26-pixel label under each: each
// tile is its part picture shrunk by four, the mean of each 4 x 4 block. The
// part pictures are the frames --at takes 500 ms into each part, which
// begins two 50 ms frames after its entry (the schedule reads the clock of
// the frame before).
TEST(CaptureRun, ContactSheetHoldsEveryPartInOrder) {
  const TDemoData folder;
  std::string moments;
  for (int part = 0; part <= 10; ++part) moments += (part ? "," : "") + std::to_string(8600 + 800 * part);
  const spine::TCommandRun result = RunTool("--fps 20 --part-ms 800 --parts " + Arg(folder.Path("parts")) +
                                            " --offset 500 --at " + moments + " --out " + Arg(folder.Path("at")));
  ASSERT_EQ(result.ExitStatus, 0) << result.Output;
  const TRgbImage sheet = ReadPng(folder.Path("parts/contact-sheet.png"));
  EXPECT_EQ(std::make_pair(sheet.Width, sheet.Height), std::make_pair(840, 536));
  for (int i = 0; i < 12; ++i) {
    const int x = std::array{8, 216, 424, 632}[i % 4], y = std::array{8, 184, 360}[i / 4];
    const TRgbImage picture = ReadPng(folder.Path("parts/part-" + std::to_string(i - 1) + ".png"));
    ASSERT_EQ(std::make_pair(picture.Width, picture.Height), std::make_pair(800, 600));
    TRgbImage shrunk(200, 150);
    for (size_t p = 0; p < shrunk.Pixels.size(); ++p) {
      const size_t c = p % 3, px = p / 3 % 200, py = p / 600;
      int sum = 0;
      for (size_t k = 0; k < 16; ++k) sum += picture.Row(int(4 * py + k / 4))[(4 * px + k % 4) * 3 + c];
      shrunk.Pixels[p] = uint8_t((sum + 8) / 16);
    }
    EXPECT_EQ(ComparePictures(Crop(sheet, x, y, 200, 150).Pixels, shrunk.Pixels).Pixels, 0) << "part " << i - 1;
    if (i > 0) {
      EXPECT_TRUE(ReadPng(folder.Path("at/at-" + std::to_string(8600 + 800 * (i - 1)) + ".png")).Pixels ==
                  picture.Pixels)
          << "part " << i - 1;
    }
    EXPECT_FALSE(IsUniform(Crop(sheet, x, y + 150, 200, 26))) << "label " << i - 1;
  }
}

// A bench of a short schedule: a row for every part in order with its
// frames and times, the presentation's column for the size asked, and the
// start-up's time.
TEST(CaptureRun, TheBenchTimesEveryPartOfAShortSchedule) {
  const spine::TCommandRun result = RunTool("--bench --part-ms 200 --present 1024x768");
  ASSERT_EQ(result.ExitStatus, 0) << result.Output;
  std::istringstream lines(result.Output.substr(result.Output.find("part   frames")));
  std::string header;
  std::getline(lines, header);
  EXPECT_NE(header.find("presented 1024x768"), std::string::npos) << header;
  for (int part = -1; part <= 10; ++part) {
    int number = 0, frames = 0;
    double median = 0, p95 = 0, worst = 0, presented = 0;
    lines >> number >> frames >> median >> p95 >> worst >> presented;
    EXPECT_TRUE(number == part && frames >= (part < 0 ? 100 : 12) && median > 0 && median <= p95 && p95 <= worst &&
                presented > 0)
        << part << ": " << frames << " " << median << " " << p95 << " " << worst;
    lines.ignore(1000, '\n');
  }
  std::string startUp;
  std::getline(lines, startUp);
  EXPECT_EQ(startUp.rfind("start-up (without wait frames and fade): ", 0), 0u) << startUp;
}

// The run ends with the frame of --at 2000, in which the music starts at
// its moment of the show's clock: the video's sound begins with its last
// frame.
TEST(CaptureRun, VideoHasEveryFrameAndTheMusicAtItsMoment) {
  if (FindProgram("ffmpeg").empty() || FindProgram("ffprobe").empty()) GTEST_SKIP() << "ffmpeg is not installed";
  const TDemoData folder;
  const spine::TCommandRun result = RunTool("--fps 60 --video " + Arg(folder.Path("show.mp4")) + " --frames " +
                                            Arg(folder.Path("f")) + " --at 2000 --out " + Arg(folder.Path("at")));
  ASSERT_EQ(result.ExitStatus, 0) << result.Output;
  size_t frames = 0;
  while (fs::exists(FramePicture(folder.Path("f"), frames))) ++frames;
  ASSERT_GT(frames, 301u);
  const std::string video = Probe("v:0", "nb_read_frames", folder.Path("show.mp4"));
  EXPECT_EQ(std::atol(video.c_str()), long(frames)) << video;
  const std::string audio = Probe("a:0", "start_time", folder.Path("show.mp4"));
  // The AAC stream begins with one priming frame (1024 samples, 23 ms at
  // 44.1 kHz) that players drop; a frame early or late would be 17 ms off.
  EXPECT_NEAR(std::atof(audio.c_str()), double(frames - 1) / 60.0 - 0.0232, 0.01) << audio;
}
