// The missing-file matrix: for every file the demo reads, a private copy of
// the data without that file, played headless, must end the way the user was
// promised: a picture's message box with its exact text and the show playing
// on, a model, brush, material, grass map or time-sync file stopping the
// program with
// "Cannot open file <name>", and no music giving a silent run.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "HardenSupport.h"
#include "Show2Support.h"

namespace {

namespace fs = std::filesystem;

enum class TPromise { PictureMessage, StopsWithOpenError, SilentRun };

struct TMissingCase {
  std::string File;
  TPromise Promise;
  std::string Caption, Text;  // the one message the user sees
};

TMissingCase Picture(const std::string& file) {
  const std::string ext = file.substr(file.rfind('.'));
  if (ext == ".jpg") return {file, TPromise::PictureMessage, "BMP Unit", "Couldn't load JPG - \"" + file + "\""};
  return {file, TPromise::PictureMessage, "TGA Texture", "File not found  - " + file};
}

TMissingCase Stopping(const std::string& file) {
  return {file, TPromise::StopsWithOpenError, "Error", "Cannot open file " + file};
}

// Every file the demo reads, by what its absence does.
std::vector<TMissingCase> Matrix() {
  std::vector<TMissingCase> cases;
  for (const char* file :
       {"load.jpg",     "clouds2.tga",  "chrome.jpg", "logo.jpg",     "silver.jpg",   "litegrass.tga",
        "grass.tga",    "velkrona.jpg", "tavixm.jpg", "sol.jpg",      "sunset.jpg",   "sunset2.jpg",
        "purep.tga",    "stjerne.jpg",  "galaxy.jpg", "ws_tavix.jpg", "kulehore.jpg", "lyn.jpg",
        "presents.jpg", "cr1.tga",      "cr2.tga",    "g1.tga",       "g2.tga",       "g3.tga",
        "g4.tga",       "particle.tga", "marl.jpg",   "tavix.jpg",    "tesk.jpg"})
    cases.push_back(Picture(file));
  for (const char* file :
       {"star.aab",     "star.mat",  "tunnel.3ds", "env.abr",  "env.mat",      "helix.3ds",    "star.3ds",
        "fontene.3ds",  "mormi.3ds", "grass.3ds",  "kule.3ds", "landskap.abr", "landskap.mat", "funplane.3ds",
        "stranger.3ds", "nurb.3ds",  "slime.3ds",  "Atom.3ds", "ball.3ds",     "tavixm.bmp",   "timesync.dat"})
    cases.push_back(Stopping(file));
  cases.push_back({"abstract.mp3", TPromise::SilentRun, "", ""});
  return cases;
}

TIsolatedRun PlayWithout(const std::string& file) {
  const std::string data = ShortShowData(file);
  TIsolatedRun run = PlayIsolated(data);
  RemoveDemoData(data);
  return run;
}

bool HaveData() { return fs::exists(fs::path(TAVIX_DATA_DIR) / "timesync.dat"); }

TEST(MissingFiles, TheMatrixCoversEveryFileOfTheDataFolder) {
  if (!HaveData()) GTEST_SKIP() << "no generated data";
  std::set<std::string> covered, present;
  for (const TMissingCase& c : Matrix()) covered.insert(c.File);
  // Hidden files are the generator's own bookkeeping, not the demo's.
  for (const auto& entry : fs::directory_iterator(TAVIX_DATA_DIR))
    if (entry.path().filename().string()[0] != '.') present.insert(entry.path().filename().string());
  EXPECT_EQ(covered, present);
}

TEST(MissingFiles, WithEveryFilePresentTheShowPlaysThroughWithMusicAndNoMessage) {
  if (!HaveData()) GTEST_SKIP() << "no generated data";
  const TIsolatedRun run = PlayWithout("");
  ASSERT_TRUE(run.Finished) << run.Fault;
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_TRUE(run.Messages.empty());
  EXPECT_TRUE(run.MusicStarted);
  EXPECT_TRUE(run.PartsDrawn.count(10));
}

class MissingFile : public ::testing::TestWithParam<TMissingCase> {};

TEST_P(MissingFile, EndsAsPromised) {
  if (!HaveData()) GTEST_SKIP() << "no generated data";
  const TMissingCase& expected = GetParam();
  const TIsolatedRun run = PlayWithout(expected.File);
  ASSERT_TRUE(run.Finished) << run.Fault;
  const std::vector<TRecordedMessage>& messages = run.Messages;
  switch (expected.Promise) {
    case TPromise::PictureMessage:
      EXPECT_EQ(run.ExitCode, 0);
      ASSERT_FALSE(messages.empty());
      for (const TRecordedMessage& m : messages) {
        EXPECT_EQ(m.Caption, expected.Caption);
        EXPECT_EQ(m.Text, expected.Text);
      }
      EXPECT_TRUE(run.PartsDrawn.count(10)) << "the show stopped before its last part";
      break;
    case TPromise::StopsWithOpenError:
      EXPECT_NE(run.ExitCode, 0);
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].Caption, expected.Caption);
      EXPECT_EQ(messages[0].Text, expected.Text);
      EXPECT_FALSE(run.PartsDrawn.count(0)) << "the show started";
      break;
    case TPromise::SilentRun:
      EXPECT_EQ(run.ExitCode, 0);
      EXPECT_TRUE(messages.empty());
      EXPECT_FALSE(run.MusicStarted);
      EXPECT_TRUE(run.PartsDrawn.count(10));
      break;
  }
}

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TMissingCase& c, std::ostream* out) { *out << c.File; }

std::string CaseName(const ::testing::TestParamInfo<TMissingCase>& info) {
  std::string name = info.param.File;
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryFile, MissingFile, ::testing::ValuesIn(Matrix()), CaseName);

}  // namespace
