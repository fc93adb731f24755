// The missing-file and damaged-file matrices: the data without one file, or
// with one file of each reader cut short or holding no mesh, played headless
// on an empty table (CTest runs each case in a fresh process, so a crash or a
// hang fails only its case). A missing or damaged model, brush, material,
// grass map or table stops the program with an error naming the file; a
// picture gives its loader's message and the music's absence silence, and
// the show plays on. Never a crash, a hang or a GL error. Files
// announcing absurd counts or sizes are the regression replay's: their
// refusal travels the same way as a cut file's.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>

#include "AmbBass.h"
#include "ModelsBytes.h"
#include "ShowFrames.h"

namespace {

namespace fs = std::filesystem;

using TBytes = std::vector<uint8_t>;

struct TFileCase {
  std::string Name;
  std::string File;                     // empty: every file present
  std::function<void(TBytes&)> Damage;  // none: the file is missing
  // The one message the user sees, none for a silent run; "Error" when the
  // program stops, and then for a damaged file the text need only name it.
  std::string Caption, Text;
};

TFileCase Missing(const std::string& file) {
  std::string name = file;
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  const std::string ext = fs::path(file).extension().string();
  if (ext == ".jpg") return {name, file, {}, "BMP Unit", "Couldn't load JPG - \"" + file + "\""};
  if (ext == ".tga") return {name, file, {}, "TGA Texture", "File not found  - " + file};
  if (ext == ".mp3") return {name, file, {}, "", ""};
  return {name, file, {}, "Error", "Cannot open file " + file};
}

// Every file of the data folder but the generator's hidden ones, and none.
std::vector<TFileCase> MissingCases() {
  std::vector<TFileCase> cases{{"Nothing", "", {}, "", ""}};
  if (!HaveDemoData()) return cases;
  for (const auto& entry : fs::directory_iterator(TAVIX_DATA_DIR))
    if (entry.path().filename().string()[0] != '.') cases.push_back(Missing(entry.path().filename().string()));
  return cases;
}

void Halve(TBytes& b) { b.resize(b.size() / 2); }

void NoMeshes(TBytes& b) { b = {0x4D, 0x4D, 6, 0, 0, 0}; }

std::vector<TFileCase> DamagedCases() {
  return {
      {"Truncated3ds", "tunnel.3ds", Halve, "Error", ""},
      {"NoMeshesFunplane3ds", "funplane.3ds", NoMeshes, "Error", ""},
      {"NoMeshesGrass3ds", "grass.3ds", NoMeshes, "Error", ""},
      {"NoMeshesKule3ds", "kule.3ds", NoMeshes, "Error", ""},
      {"NoVerticesKule3ds", "kule.3ds",
       [](TBytes& b) {
         b = Build3DS({{"Ball", {}, {}, {}}});
       },
       "Error", "kule.3ds: its first mesh has no vertices to deform"},
      {"NoMeshesNurb3ds", "nurb.3ds", NoMeshes, "Error", ""},
      {"TruncatedAbr", "env.abr", Halve, "Error", ""},
      {"TruncatedAab", "star.aab", Halve, "Error", ""},
      {"TruncatedMaterial", "env.mat", [](TBytes& b) { b.pop_back(); }, "Error", ""},
      {"TruncatedBmp", "tavixm.bmp", Halve, "Error", ""},
      {"TruncatedTga", "clouds2.tga", Halve, "TGA File Error", "Couldn't read file \"clouds2.tga\"."},
      {"TruncatedJpg", "logo.jpg", Halve, "BMP Unit", "Couldn't load JPG - \"logo.jpg\""},
  };
}

class BrokenFile : public ::testing::TestWithParam<TFileCase> {};

TEST_P(BrokenFile, EndsAsPromised) {
  ASSERT_TRUE(HaveDemoData()) << "the build generates " TAVIX_DATA_DIR;
  const TFileCase& c = GetParam();
  const TDemoData data(c.Damage ? "" : c.File);
  if (c.File != "timesync.dat") data.WriteTable({});
  if (c.Damage) {
    TBytes bytes = ReadBytes(data.Path(c.File));
    c.Damage(bytes);
    data.Write(c.File, bytes);
  }
  bool music = false;
  THeadlessOptions options;
  options.DataDir = data.Folder();
  options.MsPerFrame = 100;  // the fade passes in a few frames
  options.OnFrame = [&music](const TGLWindow&) {
    uint32_t tick = 0;
    music = music || MusicStartTick(tick);
  };
  const TShowRun show = PlayShow(options);
  const THeadlessResult& run = show.Result;
  if (c.Caption == "Error") {
    EXPECT_NE(run.ExitCode, 0);
    ASSERT_EQ(run.Messages.size(), 1u);
    EXPECT_EQ(run.Messages[0].Caption, c.Caption);
    const std::string& text = run.Messages[0].Text;
    if (c.Text.empty()) {
      EXPECT_NE(text.find(c.File), std::string::npos) << text;
      EXPECT_EQ(text.find("Cannot open"), std::string::npos) << text;
    } else {
      EXPECT_EQ(text, c.Text);
    }
    EXPECT_FALSE(show.Frames.count(0)) << "the show started";
    return;
  }
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_TRUE(show.Frames.count(10)) << "the show stopped before its last part";
  EXPECT_TRUE(show.GlErrorFrames.empty());
  EXPECT_EQ(music, c.File != "abstract.mp3");
  EXPECT_EQ(run.Messages.empty(), c.Caption.empty());
  for (const TRecordedMessage& m : run.Messages) {
    EXPECT_EQ(m.Caption, c.Caption);
    EXPECT_EQ(m.Text, c.Text);
  }
}

void PrintTo(const TFileCase& c, std::ostream* out) { *out << c.Name; }

std::string Name(const ::testing::TestParamInfo<TFileCase>& info) { return info.param.Name; }

INSTANTIATE_TEST_SUITE_P(Missing, BrokenFile, ::testing::ValuesIn(MissingCases()), Name);
INSTANTIATE_TEST_SUITE_P(Damaged, BrokenFile, ::testing::ValuesIn(DamagedCases()), Name);

}  // namespace
