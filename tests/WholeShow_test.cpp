// The whole show on the virtual clock at 30 ms per frame with the generated
// data: the loading labels, every part in order, a clean GL error state,
// the letterbox where it belongs, the late pictures, the locked operator
// keys of the finale, and an end by itself. One run serves every check.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <utility>

#include "Show2Support.h"
#include "tvCommon.h"
#include "tvHeadless.h"
#include "tvLoading.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TShowRecord {
  std::vector<std::pair<std::string, float>> Loading;
  std::vector<int32_t> Parts;
  std::map<int32_t, int> GlErrors;
  std::map<int32_t, int> DarkBandFrames, FramesProbed;
  std::map<int32_t, std::vector<double>> FrameMs, FrameCpuMs;
  int Part7WhiteClearFrames = 0, Part7Frames = 0;
  int CreditPixelsChanged = -1;
  std::vector<TRgb> CreditsBefore;
  std::string FinaleMessage;
  int FinaleFramesWithOtherMessage = 0, FinaleFramesUnlocked = 0;
  Clock::time_point LastFrame;
  double LastCpuMs = 0;
};

// Processor time of the whole process (the rasteriser's threads included),
// which a busy machine inflates less than the wall clock.
double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Both bands are black across the window (the picture laid over them is
// dark there).
bool BandsAreDark() {
  for (int x = 10; x < 800; x += 60) {
    for (int y : {20, 100, 500, 590}) {
      const TRgb p = ReadBackPixel(x, y);
      if (p.r + p.g + p.b > 90) return false;
    }
  }
  return true;
}

// The generated plane fills the view between the bands, so what part 7
// would show beside it is read from the clear colour.
bool ClearColourIsWhite() {
  GLfloat c[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, c);
  return c[0] == 1 && c[1] == 1 && c[2] == 1 && c[3] == 1;
}

// Points inside the second credits picture that the first does not cover.
std::vector<TRgb> CreditPixels() {
  std::vector<TRgb> pixels;
  for (int x = 300; x < 530; x += 23)
    for (int y = 90; y < 295; y += 21) pixels.push_back(ReadBackPixel(x, y));
  return pixels;
}

void SaveLook(int32_t part, const TGLWindow& window) {
  static std::map<int32_t, bool> saved;
  const char* folder = std::getenv("TAVIX_SHOW_FRAMES");
  if (!folder || saved[part] || PartTime < 4000) return;
  saved[part] = true;
  SaveBackBufferPpm(std::string(folder) + "/part" + std::to_string(part) + ".ppm", window.Width, window.Height);
}

void LookAtFrame(TShowRecord& rec, const TGLWindow& window) {
  const auto now = Clock::now();
  const double cpu = ProcessCpuMs();
  const int32_t part = CurrentPart;
  if (rec.Parts.empty() || rec.Parts.back() != part) {
    rec.Parts.push_back(part);
  } else {
    rec.FrameMs[part].push_back(std::chrono::duration<double, std::milli>(now - rec.LastFrame).count());
    rec.FrameCpuMs[part].push_back(cpu - rec.LastCpuMs);
  }
  if (const GLenum e = glGetError(); e != GL_NO_ERROR) ++rec.GlErrors[part];
  if (part >= 4 && PartTime > 500 && rec.FramesProbed[part] < 20) {
    ++rec.FramesProbed[part];
    if (BandsAreDark()) ++rec.DarkBandFrames[part];
  }
  if (part == 7 && PartTime > 500) {
    ++rec.Part7Frames;
    if (ClearColourIsWhite()) ++rec.Part7WhiteClearFrames;
  }
  if (part == 10 && PartTime < 200) rec.CreditsBefore = CreditPixels();
  if (part == 10 && PartTime > 400 && rec.CreditPixelsChanged < 0) {
    const std::vector<TRgb> after = CreditPixels();
    rec.CreditPixelsChanged = 0;
    for (size_t i = 0; i < after.size() && i < rec.CreditsBefore.size(); ++i) {
      const TRgb a = after[i], b = rec.CreditsBefore[i];
      if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 30) ++rec.CreditPixelsChanged;
    }
  }
  if (part >= 8) {
    if (rec.FinaleMessage.empty()) rec.FinaleMessage = OverlayText;
    if (OverlayText != rec.FinaleMessage) ++rec.FinaleFramesWithOtherMessage;
    if (SyncLock >= 500) ++rec.FinaleFramesUnlocked;
  }
  SaveLook(part, window);
  rec.LastFrame = Clock::now();
  rec.LastCpuMs = ProcessCpuMs();
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Space late in part 7 leaves a message; then every locked key is held from
// just after the start of part 8 to just before the end.
std::vector<TScriptedKey> FinaleKeys(const std::array<uint32_t, 201>& moments) {
  const int32_t start8 = int32_t(moments[8]), end = int32_t(moments[11]);
  std::vector<TScriptedKey> keys{{0x39, start8 - 600, start8 - 500}};
  for (const char* name : {"c", "p", "s", "Space", "Return"})
    keys.push_back({ScanCodeFromKeyName(name), start8 + 100, end - 100});
  return keys;
}

}  // namespace

TEST(WholeShow, PlaysEveryPartInOrderAndEndsByItself) {
  const std::string data = CopyDemoData();
  const std::string syncFile = data + "/timesync.dat";
  const auto moments = ReadTimeSyncMoments(syncFile);
  const auto syncWritten = std::filesystem::last_write_time(syncFile);
  ASSERT_GT(moments[8], 600u);

  TShowRecord rec;
  SetLoadingObserver([&rec](const std::string& text, float percent) { rec.Loading.emplace_back(text, percent); });
  THeadlessOptions options;
  options.DataDir = data;
  options.MsPerFrame = 30;
  options.Keys = FinaleKeys(moments);
  options.OnFrame = [&rec](const TGLWindow& window) { LookAtFrame(rec, window); };
  const THeadlessResult result = RunHeadless(options);
  SetLoadingObserver({});

  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_TRUE(result.Messages.empty()) << result.Messages.front().Caption << ": " << result.Messages.front().Text;

  const std::vector<std::pair<std::string, float>> setups{
      {"Particle System", 60}, {"Vegetables", 62},    {"Dynamic Objects", 65},        {"Deform", 70}, {"Wave", 75},
      {"NURB System", 79},     {"leet slimez0r", 80}, {"Uncompressing images...", 95}};
  const auto first = std::find(rec.Loading.begin(), rec.Loading.end(), setups.front());
  ASSERT_GE(rec.Loading.end() - first, std::ptrdiff_t(setups.size()));
  EXPECT_TRUE(std::equal(setups.begin(), setups.end(), first)) << "the set-ups in their order";

  // The frame that reaches part 11 is still presented, empty.
  EXPECT_EQ(rec.Parts, (std::vector<int32_t>{-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_TRUE(rec.GlErrors.empty()) << "GL errors first in part " << rec.GlErrors.begin()->first;

  for (int32_t part = 4; part <= 10; ++part) {
    const bool letterbox = part <= 8;
    EXPECT_GT(rec.FramesProbed[part], 0) << "part " << part;
    EXPECT_EQ(rec.DarkBandFrames[part], letterbox ? rec.FramesProbed[part] : 0) << "letterbox in part " << part;
  }
  EXPECT_GT(rec.Part7Frames, 0);
  EXPECT_EQ(rec.Part7WhiteClearFrames, rec.Part7Frames) << "the white clear colour of parts 4 to 6 stays";
  EXPECT_GT(rec.CreditPixelsChanged, 20) << "the second credits picture after 200 ms";

  EXPECT_EQ(rec.FinaleMessage.rfind("Ploted time: ", 0), 0u) << rec.FinaleMessage;
  EXPECT_EQ(rec.FinaleFramesWithOtherMessage, 0) << "the last message stays";
  EXPECT_EQ(rec.FinaleFramesUnlocked, 0);
  EXPECT_EQ(TimeSyncTable, moments) << "C, P and S did nothing";
  EXPECT_EQ(PlotIndex, 0);
  EXPECT_EQ(ShakeStart, 0u) << "Return did nothing";
  EXPECT_EQ(std::filesystem::last_write_time(syncFile), syncWritten);

  for (int32_t part = 4; part <= 10; ++part)
    std::printf("part %d: median frame %.1f ms (processor %.1f ms) over %zu frames\n", part, Median(rec.FrameMs[part]),
                Median(rec.FrameCpuMs[part]), rec.FrameMs[part].size());
  RemoveDemoData(data);
}
