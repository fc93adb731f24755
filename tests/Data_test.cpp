// The generated data read back through the engine's own readers, where the
// code relies on it: models sized and placed for what their scenes compute
// once the set-up has turned and scaled them, the part moments, pictures with
// sides that are powers of two, the music long enough for the show, and two
// runs of the generator writing the same bytes within the size budget. What
// the data looks like is the picture test's; that every file is there and
// reads cleanly, the missing-file and regression suites'.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>

#include "Amb2Bytes.h"
#include "Amb2Classes.h"
#include "Amb2Textures.h"
#include "Amb2_3ds.h"
#include "AmbSystem.h"
#include "SpineSupport.h"

namespace fs = std::filesystem;

namespace {

std::string DataPath(const std::string& name) { return std::string(TAVIX_DATA_DIR) + "/" + name; }

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// The meshes of a 3DS file, turned upright and scaled as the set-ups do.
std::vector<T3DSMesh> Placed(const std::string& name, bool upright, float scale) {
  const std::string bytes = ReadWholeFile(DataPath(name));
  std::vector<T3DSMesh> meshes = Parse3DS(Bytes(bytes), bytes.size(), name).Meshes;
  for (T3DSMesh& mesh : meshes)
    for (TVector& v : mesh.Vertices) {
      if (upright) RotateVector(v, MakeVector(270, 0, 0));
      v = VectorScale(v, scale);
    }
  return meshes;
}

// Over the vertices: the lowest and highest y, and the distance from the origin.
float Lowest(const T3DSMesh& m) {
  return std::min_element(m.Vertices.begin(), m.Vertices.end(), [](auto& a, auto& b) { return a.y < b.y; })->y;
}
float Highest(const T3DSMesh& m) {
  return std::max_element(m.Vertices.begin(), m.Vertices.end(), [](auto& a, auto& b) { return a.y < b.y; })->y;
}
float Nearest(const T3DSMesh& m) {
  float r = 1e30f;
  for (const TVector& v : m.Vertices) r = std::min(r, VectorDistance(v, TVector{}));
  return r;
}
float Vertices(const T3DSMesh& m) { return float(m.Vertices.size()); }

}  // namespace

// What the scenes compute from the models once their set-ups have turned and
// scaled them.
TEST(DataModels, EachModelFitsWhatItsSceneComputes) {
  constexpr float Any = 1e30f;
  const std::tuple<const char*, const char*, size_t, bool, float, float (*)(const T3DSMesh&), float, float> fits[] = {
      {"basin floor where the sprites bounce", "fontene.3ds", 0, true, 0.6f, Lowest, -135, -115},
      {"spout mouth where the sprites start", "fontene.3ds", 8, true, 0.6f, Highest, -2, 2},
      {"one sprite per vertex but the last, of 5001", "mormi.3ds", 0, true, 1, Vertices, 2000, 4900},
      {"nucleus, five rings and five companions", "Atom.3ds", 10, false, 1, Vertices, 1, Any},
      {"no slime vertex at the centre, where it would never settle", "slime.3ds", 0, false, 1, Nearest, 1, Any},
      {"wave plane of 61 x 61", "funplane.3ds", 0, false, 1, Vertices, 3521, 3921},
      {"the deform ball's radius", "kule.3ds", 0, false, 1, Nearest, 99, 101},
  };
  for (const auto& [why, file, mesh, upright, scale, measure, low, high] : fits) {
    const std::vector<T3DSMesh> meshes = Placed(file, upright, scale);
    ASSERT_LT(mesh, meshes.size()) << why;
    const float value = measure(meshes[mesh]);
    EXPECT_TRUE(value >= low && value <= high) << why << ": " << file << " gives " << value;
  }
  const std::string land = ReadWholeFile(DataPath("landskap.abr"));
  EXPECT_LE(ParseBrushFile(Bytes(land), land.size(), "landskap.abr").at(0).Faces.size(), 2000u)
      << "drawn ten times a frame";
}

TEST(DataTimeSync, HoldsThePartMomentsAndZeroes) {
  const std::string bytes = ReadWholeFile(DataPath("timesync.dat"));
  ASSERT_EQ(bytes.size(), 804u);
  const uint32_t expected[12] = {4000,   9000,   39000,  59000,  79000,  91000,
                                 103000, 115000, 135000, 155000, 170000, 185000};
  const TByteReader in(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  for (size_t i = 0; i < 201; ++i) EXPECT_EQ(in.U32At(4 * i), i < 12 ? expected[i] : 0u) << "entry " << i;
}

// Every picture decodes with sides that are powers of two (uploaded as they
// are, without scaling); of the targa pictures some are run-length encoded
// and some raw, so the show reads both.
TEST(DataPictures, EveryPictureDecodesWithSidesThatArePowersOfTwo) {
  std::map<int, int> tgaTypes;  // image type byte: 2 raw, 10 run-length
  for (const auto& entry : fs::directory_iterator(TAVIX_DATA_DIR)) {
    const std::string name = entry.path().filename().string(), ext = entry.path().extension().string();
    const auto decode = ext == ".jpg" ? DecodeJpg : ext == ".bmp" ? DecodeBmp : ext == ".tga" ? DecodeTga : nullptr;
    if (!decode) continue;
    const std::string bytes = ReadWholeFile(entry.path().string());
    const TDecodeResult result = decode(Bytes(bytes), bytes.size(), name, false);
    ASSERT_TRUE(result.Ok) << name << ": " << result.Text;
    for (const uint32_t side : {result.Image.Width, result.Image.Height})
      EXPECT_TRUE(side >= 64 && (side & (side - 1)) == 0) << name << ": " << side;
    if (ext == ".tga") ++tgaTypes[bytes[2]];
  }
  EXPECT_GE(tgaTypes[10], 2) << "run-length pictures";
  EXPECT_GE(tgaTypes[2], 1) << "raw pictures";
}

// Walks the frame headers from the first byte to the last: every frame
// MPEG-1 Layer III, 44100 Hz, stereo, at least 160 kbit/s.
TEST(DataMusic, TrackIsStereoLayer3AtFullRateLongEnoughForTheShow) {
  static const uint32_t kbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  const std::string bytes = ReadWholeFile(DataPath("abstract.mp3"));
  size_t at = 0, frames = 0;
  for (; at + 4 <= bytes.size(); ++frames) {
    const uint8_t* h = Bytes(bytes) + at;
    ASSERT_TRUE(h[0] == 0xFF && (h[1] & 0xFE) == 0xFA && (h[2] & 0x0C) == 0 && kbps[h[2] >> 4] >= 160 && h[3] >> 6 != 3)
        << "frame " << frames << " at byte " << at;
    at += 144 * kbps[h[2] >> 4] * 1000 / 44100 + (h[2] >> 1 & 1);
  }
  EXPECT_EQ(at, bytes.size());
  EXPECT_TRUE(frames * 1152 >= 185 * 44100 && frames * 1152 <= 200 * 44100) << frames << " frames";
}

TEST(DataGenerator, TwoRunsWriteTheSameBytesWithinTheBudget) {
  const fs::path generator = fs::path(TAVIX_DATA_DIR).parent_path() / "tools" / "mkdata" / "mkdata";
  ASSERT_TRUE(fs::is_regular_file(generator)) << generator;
  const spine::TScratchFolder a, b;
  // Both runs at once: the shell reports a failure of either.
  const std::string run = "\"" + generator.string() + "\" ";
  const std::string command = run + a.File("data") + " & a=$!; " + run + b.File("data") + "; b=$?; wait $a && exit $b";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::map<std::string, std::string> files = a.Contents();
  EXPECT_TRUE(files == b.Contents()) << "the runs write different files";
  EXPECT_GE(files.size(), 50u);
  size_t total = 0;
  for (const auto& file : files) total += file.second.size();
  EXPECT_LT(total, 20u * 1024 * 1024);
}
