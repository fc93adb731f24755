// The generated data: every file the demo loads is there and within the
// size budget; each model holds the meshes its scene reaches for, sized for
// that scene's camera once the set-up has turned and scaled it; the brush,
// material and time-sync files read back as written; everything loads
// through the engine's own loaders without a message; and two runs of the
// generator write the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>
#include <unistd.h>

#include "Amb2Classes.h"
#include "Amb2Env.h"
#include "Amb2Materials.h"
#include "Amb2_3ds.h"
#include "AmbSystem.h"
#include "ModelsGL.h"

namespace fs = std::filesystem;

namespace {

std::string DataPath(const std::string& name) { return std::string(TAVIX_DATA_DIR) + "/" + name; }

T3DSFile Read3DS(const std::string& name) {
  const std::string bytes = ReadWholeFile(DataPath(name));
  return Parse3DS(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name);
}

std::vector<TBrushFileMesh> ReadBrush(const std::string& name) {
  const std::string bytes = ReadWholeFile(DataPath(name));
  return ParseBrushFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name);
}

Material ReadMaterial(const std::string& name) {
  const std::string bytes = ReadWholeFile(DataPath(name));
  Material m;
  ParseMaterial(m, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name);
  return m;
}

// The vertices as a set-up leaves them: turned by `angles`, then scaled.
std::vector<TVector> Placed(std::vector<TVector> vertices, const TVector& angles, float scale) {
  for (TVector& v : vertices) {
    RotateVector(v, angles);
    v = VectorScale(v, scale);
  }
  return vertices;
}

const TVector Upright{270, 0, 0};

struct TBox {
  TVector Lo{1e30f, 1e30f, 1e30f}, Hi{-1e30f, -1e30f, -1e30f};
  float Width() const { return Hi.x - Lo.x; }
  float Height() const { return Hi.y - Lo.y; }
  float Depth() const { return Hi.z - Lo.z; }
  TVector Centre() const { return TVector{(Lo.x + Hi.x) / 2, (Lo.y + Hi.y) / 2, (Lo.z + Hi.z) / 2}; }
};

TBox BoxOf(const std::vector<TVector>& vertices) {
  TBox b;
  for (const TVector& v : vertices) {
    b.Lo = TVector{std::min(b.Lo.x, v.x), std::min(b.Lo.y, v.y), std::min(b.Lo.z, v.z)};
    b.Hi = TVector{std::max(b.Hi.x, v.x), std::max(b.Hi.y, v.y), std::max(b.Hi.z, v.z)};
  }
  return b;
}

float Length(const TVector& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Faces counter-clockwise seen from outside of a body around the origin:
// (p1 - p0) x (p2 - p0) points away from the centre. Culled scenes rely on it.
size_t InwardFaces(const T3DSMesh& mesh) {
  size_t inward = 0;
  for (const TFace& f : mesh.Faces) {
    const TVector& p0 = mesh.Vertices[f.a];
    const TVector n = VectorCross(VectorSub(p0, mesh.Vertices[f.b]), VectorSub(p0, mesh.Vertices[f.c]));
    const TVector c = VectorScale(
        TVector{p0.x + mesh.Vertices[f.b].x + mesh.Vertices[f.c].x, p0.y + mesh.Vertices[f.b].y + mesh.Vertices[f.c].y,
                p0.z + mesh.Vertices[f.b].z + mesh.Vertices[f.c].z},
        1.0f / 3);
    if (n.x * c.x + n.y * c.y + n.z * c.z <= 0) ++inward;
  }
  return inward;
}

// Edges (by rounded position, so seam copies count as one) used by other
// than exactly two faces: 0 for a closed surface.
size_t OpenEdges(const T3DSMesh& mesh) {
  using TKey = std::tuple<long, long, long>;
  const auto key = [&](uint32_t i) {
    const TVector& v = mesh.Vertices[i];
    return TKey{std::lround(v.x * 100), std::lround(v.y * 100), std::lround(v.z * 100)};
  };
  std::map<std::pair<TKey, TKey>, int> uses;
  for (const TFace& f : mesh.Faces)
    for (const auto& [a, b] : {std::pair{f.a, f.b}, std::pair{f.b, f.c}, std::pair{f.c, f.a}}) {
      const TKey ka = key(a), kb = key(b);
      if (ka != kb) ++uses[std::minmax(ka, kb)];
    }
  return size_t(std::count_if(uses.begin(), uses.end(), [](const auto& u) { return u.second != 2; }));
}

const std::vector<std::string> ModelFiles = {"fontene.3ds", "mormi.3ds", "Atom.3ds",   "ball.3ds",   "slime.3ds",
                                             "funplane.3ds", "nurb.3ds", "kule.3ds",   "grass.3ds",  "tunnel.3ds",
                                             "helix.3ds",   "star.3ds",  "stranger.3ds"};

}  // namespace

TEST(DataFolder, HoldsEveryFileTheDemoLoadsWithinTheBudget) {
  const std::vector<std::string> others = {
      "abstract.mp3", "timesync.dat", "star.aab",     "env.abr",      "landskap.abr", "load.jpg",     "clouds2.tga",
      "chrome.jpg",   "logo.jpg",     "silver.jpg",   "litegrass.tga", "grass.tga",   "velkrona.jpg", "tavixm.jpg",
      "sol.jpg",      "sunset.jpg",   "sunset2.jpg",  "purep.tga",    "stjerne.jpg",  "galaxy.jpg",   "ws_tavix.jpg",
      "kulehore.jpg", "lyn.jpg",      "presents.jpg", "cr1.tga",      "cr2.tga",      "g1.tga",       "g2.tga",
      "g3.tga",       "g4.tga",       "particle.tga", "tavixm.bmp",   "marl.jpg",     "tavix.jpg",    "tesk.jpg"};
  for (const std::string& name : ModelFiles) EXPECT_TRUE(fs::is_regular_file(DataPath(name))) << name;
  for (const std::string& name : others) EXPECT_TRUE(fs::is_regular_file(DataPath(name))) << name;
  uintmax_t total = 0;
  for (const auto& entry : fs::directory_iterator(TAVIX_DATA_DIR))
    if (entry.is_regular_file()) total += entry.file_size();
  EXPECT_LT(total, 20u * 1024 * 1024);
}

TEST(DataModels, EveryMeshFitsTheFormatWithOneMappingPerVertex) {
  for (const std::string& name : ModelFiles) {
    const T3DSFile file = Read3DS(name);
    ASSERT_FALSE(file.Meshes.empty()) << name;
    for (const T3DSMesh& mesh : file.Meshes) {
      EXPECT_FALSE(mesh.Faces.empty()) << name << " " << mesh.Name;
      EXPECT_EQ(mesh.TexCoords.size(), mesh.Vertices.size()) << name << " " << mesh.Name;
      for (const TFace& f : mesh.Faces)
        ASSERT_TRUE(f.a < mesh.Vertices.size() && f.b < mesh.Vertices.size() && f.c < mesh.Vertices.size())
            << name << " " << mesh.Name;
    }
  }
}

TEST(DataModels, FountainStandsFromItsBasinToTheSpoutAtTheOrigin) {
  const T3DSFile file = Read3DS("fontene.3ds");
  ASSERT_GE(file.Meshes.size(), 10u);
  std::vector<TBox> boxes;
  for (const T3DSMesh& mesh : file.Meshes) boxes.push_back(BoxOf(Placed(mesh.Vertices, Upright, 0.6f)));
  EXPECT_NEAR(boxes[0].Lo.y, -125, 10);  // basin floor where the sprites bounce
  EXPECT_NEAR(boxes[0].Hi.y, -95, 10);   // basin rim
  EXPECT_GT(boxes[0].Width(), 300);      // wide enough to catch the spray
  EXPECT_NEAR(boxes[8].Hi.y, 0, 2);      // spout mouth at the origin
  EXPECT_LT(Length(boxes[8].Centre()), 10);
  for (const TBox& b : boxes) EXPECT_LE(b.Hi.y, 1) << "nothing rises above the spout";
  for (size_t tier = 3; tier < 5; ++tier) {  // tiers narrow upwards
    EXPECT_GT(boxes[tier].Width(), boxes[tier + 1].Width());
    EXPECT_LT(boxes[tier].Hi.y, boxes[tier + 1].Hi.y);
  }
  EXPECT_GT(boxes[2].Height(), 80);  // the column carries the tiers
}

TEST(DataModels, WaitingSpritesAtomAndSpringModelsHaveTheirShapes) {
  const T3DSMesh word = Read3DS("mormi.3ds").Meshes.at(0);
  EXPECT_GE(word.Vertices.size(), 2000u);
  EXPECT_LE(word.Vertices.size(), 4900u);  // one sprite per vertex but the last, of 5001
  const TBox wordBox = BoxOf(Placed(word.Vertices, Upright, 1));
  EXPECT_NEAR(wordBox.Width(), 250, 30);
  EXPECT_LT(wordBox.Height(), 120);  // fits between the letterbox bands
  EXPECT_LT(Length(wordBox.Centre()), 15);

  const T3DSFile atom = Read3DS("Atom.3ds");
  ASSERT_EQ(atom.Meshes.size(), 11u);
  EXPECT_NEAR(BoxOf(atom.Meshes[0].Vertices).Width() / 2, 60, 10);
  float previous = 0;
  for (size_t k = 1; k <= 5; ++k) {
    float radius = 0;
    for (const TVector& v : atom.Meshes[k].Vertices) radius = std::max(radius, Length(v));
    EXPECT_GT(radius, previous + 20) << "ring " << k;
    previous = radius;
    const TVector companion = BoxOf(atom.Meshes[k + 5].Vertices).Centre();
    float nearest = 1e30f;
    for (const TVector& v : atom.Meshes[k].Vertices) nearest = std::min(nearest, VectorDistance(v, companion));
    EXPECT_LT(nearest, 12) << "companion " << k + 5 << " sits on ring " << k;
  }
  EXPECT_GE(previous, 300);
  EXPECT_LE(previous, 370);

  const T3DSMesh ball = Read3DS("ball.3ds").Meshes.at(0);
  const T3DSMesh slime = Read3DS("slime.3ds").Meshes.at(0);
  EXPECT_GE(ball.Vertices.size(), 1000u);
  EXPECT_LE(ball.Vertices.size(), 3000u);
  EXPECT_NEAR(BoxOf(ball.Vertices).Width(), 300, 30);
  EXPECT_GE(slime.Vertices.size(), 1500u);
  EXPECT_LE(slime.Vertices.size(), 4000u);
  EXPECT_NEAR(BoxOf(slime.Vertices).Width(), 800, 150);
  for (const TVector& v : slime.Vertices) ASSERT_GT(Length(v), 1.0f) << "a vertex at the centre would never settle";
  for (const T3DSMesh* body : {&ball, &slime}) {
    EXPECT_EQ(OpenEdges(*body), 0u) << body->Name;
    EXPECT_EQ(InwardFaces(*body), 0u) << body->Name;
    float uMin = 1e30f, uMax = -1e30f;
    for (const TTexCoord& t : body->TexCoords) uMin = std::min(uMin, t.u), uMax = std::max(uMax, t.u);
    EXPECT_GT(uMax - uMin, 0.5f) << body->Name << " is mapped around";
  }
}

TEST(DataModels, PlaneTerrainAndSetUpModelsFitTheirScenes) {
  const T3DSMesh plane = Read3DS("funplane.3ds").Meshes.at(0);
  EXPECT_NEAR(double(plane.Vertices.size()), 61.0 * 61.0, 200);
  const TBox planeBox = BoxOf(plane.Vertices);
  EXPECT_FLOAT_EQ(planeBox.Lo.x, -100);
  EXPECT_FLOAT_EQ(planeBox.Hi.y, 100);
  EXPECT_FLOAT_EQ(planeBox.Depth(), 0);

  const std::vector<TBrushFileMesh> land = ReadBrush("landskap.abr");
  ASSERT_EQ(land.size(), 1u);
  EXPECT_LE(land[0].Faces.size(), 2000u);  // drawn ten times a frame
  const std::vector<TVector> ground = Placed(land[0].Vertices, Upright, 1.5f);
  const TBox landBox = BoxOf(ground);
  EXPECT_NEAR(landBox.Width(), 2000, 100);
  EXPECT_NEAR(landBox.Depth(), 2000, 100);
  EXPECT_LE(landBox.Hi.y, 160);
  EXPECT_GE(landBox.Hi.y, 100);
  float middle = -1e30f, rim = -1e30f;
  for (const TVector& v : ground) {
    float& highest = std::hypot(v.x, v.z) < 300 ? middle : rim;
    highest = std::max(highest, v.y);
  }
  EXPECT_LT(middle, rim - 50) << "the middle is lower than the hills around it";

  const T3DSFile nurb = Read3DS("nurb.3ds");
  ASSERT_GE(nurb.Meshes.size(), 4u);
  EXPECT_GE(nurb.Meshes[3].Vertices.size(), 2u);
  const T3DSMesh kule = Read3DS("kule.3ds").Meshes.at(0);
  EXPECT_EQ(InwardFaces(kule), 0u);
  EXPECT_EQ(OpenEdges(kule), 0u);
  EXPECT_NEAR(Length(kule.Vertices[0]), 100, 1);
}

TEST(DataBrushes, MaterialsNameDemoPicturesAndTheStarIsAnimated) {
  for (const auto& [brush, texture] : {std::pair{"landskap.abr", "grass.tga"}, std::pair{"env.abr", "silver.jpg"}}) {
    const std::vector<TBrushFileMesh> meshes = ReadBrush(brush);
    ASSERT_FALSE(meshes.empty()) << brush;
    const Material m = ReadMaterial(meshes[0].MaterialFile);
    EXPECT_EQ(m.Mode, 1u) << brush;
    EXPECT_EQ(m.TextureID, 0u) << brush;
    EXPECT_EQ(m.TextureName, texture) << brush;
    EXPECT_TRUE(fs::is_regular_file(DataPath(m.TextureName))) << brush;
  }

  const std::string bytes = ReadWholeFile(DataPath("star.aab"));
  const TAniFile star = ParseAniBrushFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "star.aab");
  ASSERT_EQ(star.Meshes.size(), 1u);
  const TAniFileMesh& mesh = star.Meshes[0];
  ASSERT_GE(mesh.VertexFrames.size(), 4u);
  EXPECT_EQ(ReadMaterial(mesh.MaterialFile).TextureName, "galaxy.jpg");
  for (size_t f = 0; f < mesh.VertexFrames.size(); ++f) {
    for (const TVector& n : mesh.NormalFrames[f]) ASSERT_NEAR(Length(n), 1, 1e-4) << "frame " << f;
    if (f > 0) {
      EXPECT_NE(mesh.VertexFrames[f][1].x, mesh.VertexFrames[0][1].x) << "frame " << f << " moves";
    }
  }
  std::set<uint32_t> durations;
  for (const TAnimation& a : star.Animations) {
    EXPECT_EQ(a.CurrentKey, 0u);
    ASSERT_GE(a.Reserved, 1u);  // keys in use
    for (uint32_t k = 0; k < a.Reserved; ++k) {
      EXPECT_LT(a.Keys[k].KeyWord0, mesh.VertexFrames.size());
      EXPECT_LT(a.Keys[k].KeyWord1, mesh.VertexFrames.size());
    }
    durations.insert(a.Keys[0].KeyWord2);
  }
  EXPECT_GT(durations.size(), 10u) << "21 distinct animations";
}

TEST(DataTimeSync, HoldsThePartMomentsAndZeroes) {
  const std::string bytes = ReadWholeFile(DataPath("timesync.dat"));
  ASSERT_EQ(bytes.size(), 804u);
  const uint32_t expected[12] = {4000, 9000, 39000, 59000, 79000, 91000, 103000, 115000, 135000, 155000, 170000, 185000};
  for (size_t i = 0; i < 201; ++i) {
    uint32_t entry = 0;
    for (int b = 3; b >= 0; --b) entry = (entry << 8) | uint8_t(bytes[4 * i + size_t(b)]);
    EXPECT_EQ(entry, i < 12 ? expected[i] : 0u) << "entry " << i;
  }
}

TEST(DataLoad, EveryModelAndBrushLoadsThroughTheEngineWithoutAMessage) {
  PrepareModelsGL();
  std::vector<std::string> messages;
  SetMessageSink([&](const std::string& caption, const std::string& text) { messages.push_back(caption + ": " + text); });
  const fs::path before = fs::current_path();
  fs::current_path(TAVIX_DATA_DIR);
  Begin3DSImport();
  for (const std::string& name : ModelFiles) {
    TAmbBrush brush;
    brush.LoadFrom3DS(name);
    EXPECT_GT(brush.MeshCount, 0) << name;
  }
  End3DSImport();
  TAmbBrush land;
  land.LoadFromFile("landskap.abr");
  TAmbEnv env;
  env.LoadFromFile("env.abr");
  TAmbAniBrush star;
  star.LoadFromFile("star.aab");
  star.Scale(0.001f);
  star.Rotate(Upright);
  star.SetAnimation(0);
  fs::current_path(before);
  SetMessageSink(nullptr);
  EXPECT_EQ(messages, std::vector<std::string>{});
  for (const Material* m : {land.Meshes.at(0)->Material.get(), env.Meshes.at(0)->Material.get(),
                            star.Meshes.at(0)->Material.get()}) {
    EXPECT_NE(m->TextureID, 0u) << m->TextureName;
    EXPECT_NE(m->TextureID, TextureNotFound) << m->TextureName;
  }
  EXPECT_NE(star.KeyWord2, 0u);
}

TEST(DataGenerator, TwoRunsWriteTheSameBytes) {
  const fs::path generator = fs::path(TAVIX_DATA_DIR).parent_path() / "tools" / "mkdata" / "mkdata";
  ASSERT_TRUE(fs::is_regular_file(generator)) << generator;
  const fs::path scratch = fs::temp_directory_path() / ("tavix-data-" + std::to_string(getpid()));
  fs::remove_all(scratch);
  // Both runs at once: the shell reports a failure of either.
  const std::string run = "\"" + generator.string() + "\" \"" + scratch.string();
  const std::string command = run + "/a\" & a=$!; " + run + "/b\"; b=$?; wait $a && exit $b";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::set<std::string> namesA, namesB;
  for (const auto& e : fs::directory_iterator(scratch / "a")) namesA.insert(e.path().filename().string());
  for (const auto& e : fs::directory_iterator(scratch / "b")) namesB.insert(e.path().filename().string());
  EXPECT_EQ(namesA, namesB);
  EXPECT_GE(namesA.size(), 50u);
  for (const std::string& name : namesA)
    EXPECT_TRUE(ReadWholeFile((scratch / "a" / name).string()) == ReadWholeFile((scratch / "b" / name).string()))
        << name << " differs between runs";
  fs::remove_all(scratch);
}
