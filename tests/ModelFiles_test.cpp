// The model files: the .abr and .aab brush layouts read field by field, 3DS
// import (which chunks become meshes, the project and wrong roots, a file
// from another program's exporter), loading into brushes with materials and
// a refused load leaving the brush as it was, every damaged file refused with
// its name and fault, and the animation table's choice of animation.
//
// Fixture models/pyramid.3ds was written by Debian's assimp-utils from the
// pyramid.obj beside it: `assimp export pyramid.obj pyramid.3ds`. It holds a
// 5-vertex, 6-face pyramid and a 4-vertex, 2-face square.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "Amb2Bytes.h"
#include "Amb2Classes.h"
#include "Amb2Materials.h"
#include "Amb2_3ds.h"
#include "AmbSystem.h"
#include "EngineSupport.h"
#include "ModelsBytes.h"

namespace {

const std::vector<TVector> Corners = {MakeVector(1, 2, 3), MakeVector(4, 5, 6), MakeVector(7, 8, 9)};
const std::vector<TTexCoord> Mapping = {MakeTexCoord(0.1f, 0.2f), MakeTexCoord(0.3f, 0.4f), MakeTexCoord(0.5f, 0.6f)};

void AbrMesh(TByteBuilder& out, const std::string& material, const std::vector<TVector>& vertices) {
  out.I32(int32_t(vertices.size())).I32(1).Name(material);
  for (size_t j = 0; j < vertices.size(); ++j) out.Vector(vertices[j]).TexCoord(Mapping[j % 3]);
  out.Face(MakeFace(2, 0, 1));
}

// One mesh, V = 3, F = 1, a 9-byte material name: 4 + 93 bytes.
std::vector<uint8_t> SmallAbr() {
  TByteBuilder out;
  AbrMesh(out.I32(1), "white.mat", Corners);
  return out.Bytes;
}

TVector FramePosition(int f, int j) { return MakeVector(float(100 * f + j), 1, 2); }
TVector FrameNormal(int f, int j) { return MakeVector(0, float(f), float(j)); }

// One mesh, V = 3, K = 2, F = 1, a 9-byte name (205 bytes), then the 2940-byte table.
std::vector<uint8_t> SmallAab() {
  TByteBuilder out;
  out.I32(1).I32(3).I32(2).I32(1);
  for (int f = 0; f < 2; ++f)
    for (int j = 0; j < 3; ++j) out.Vector(FramePosition(f, j)).Vector(FrameNormal(f, j));
  for (const TTexCoord& t : Mapping) out.TexCoord(t);
  out.Face(MakeFace(1, 2, 0)).Name("stars.mat");
  for (int i = 0; i < 2940; ++i) out.Bytes.push_back(uint8_t(i * 7 + 3));
  return out.Bytes;
}

// A colour-only material file: 47 bytes and an empty texture name.
std::vector<uint8_t> MaterialFile(const TColorRGBA& color) {
  TByteBuilder out;
  out.U32(0).U16(0).U32(0).F32(color.r).F32(color.g).F32(color.b).F32(color.a);
  out.F32(0).F32(0).F32(0).F32(0).Bytes.push_back(0);
  return out.I32(0).Bytes;
}

T3DSObjectBytes Triangle(const std::string& name) {
  return {name, {{1, 2, 3}, {4, 2, 3}, {1, 6, 3}}, {{0.25f, 0.75f}, {0, 1}, {1, 0}}, {{2, 0, 1, 7}}};
}

const T3DSObjectBytes Camera{"Camera01", {}, {}, {}, true};

}  // namespace

// Every reader stands on these checks: a field reaching past the end, even by
// an offset so large that offset + size wraps around, is refused and the
// position stays where it was.
TEST(ByteReader, ReadsLittleEndianAndRefusesFieldsPastTheEnd) {
  const std::vector<uint8_t> bytes = TByteWriter().U16(0xBEEF).F32(1.5f).U8(7).Bytes;
  TByteReader in(bytes.data(), bytes.size());
  EXPECT_EQ(std::vector<float>({float(in.U16()), in.F32()}), std::vector<float>({0xBEEF, 1.5f}));
  EXPECT_THROW(in.U16(), std::out_of_range);
  EXPECT_EQ(in.U8(), 7);
  for (const size_t at : {size_t(6), size_t(7), SIZE_MAX - 1}) EXPECT_THROW(in.U16At(at), std::out_of_range) << at;
}

TEST(BrushFile, RecordsHoldTheirFieldsInFileOrder) {
  std::vector<uint8_t> bytes = SmallAbr();
  const TBrushFileMesh abr = ParseBrushFile(bytes.data(), bytes.size(), "brush.abr").at(0);
  EXPECT_EQ(abr.MaterialFile, "white.mat");
  ASSERT_TRUE(abr.Vertices.size() == 3u && abr.TexCoords.size() == 3u && abr.Faces.size() == 1u);
  EXPECT_EQ(std::vector<float>({abr.Vertices[1].y, abr.TexCoords[1].u, abr.TexCoords[2].v}),
            std::vector<float>({5, 0.3f, 0.6f}));
  EXPECT_EQ(std::vector<uint32_t>({abr.Faces[0].a, abr.Faces[0].c}), std::vector<uint32_t>({2, 1}));

  bytes = SmallAab();
  const TAniFile file = ParseAniBrushFile(bytes.data(), bytes.size(), "brush.aab");
  ASSERT_EQ(file.Meshes.size(), 1u);
  const TAniFileMesh& aab = file.Meshes[0];
  ASSERT_TRUE(aab.VertexCount == 3 && aab.VertexFrames.size() == 2u && aab.NormalFrames.size() == 2u);
  EXPECT_EQ(std::vector<float>(
                {aab.VertexFrames[1][2].x, aab.NormalFrames[1][2].z, aab.NormalFrames[0][1].z, aab.TexCoords.at(2).u}),
            std::vector<float>({FramePosition(1, 2).x, FrameNormal(1, 2).z, 1, 0.5f}));
  EXPECT_EQ(aab.Faces.at(0).a, 1u);
  EXPECT_EQ(aab.MaterialFile, "stars.mat");
  EXPECT_EQ(std::memcmp(file.Animations.data(), bytes.data() + 4 + 205, 2940), 0);

  // Without meshes the table alone.
  std::vector<uint8_t> tableOnly = {0, 0, 0, 0};
  tableOnly.insert(tableOnly.end(), bytes.end() - 2940, bytes.end());
  const TAniFile empty = ParseAniBrushFile(tableOnly.data(), tableOnly.size(), "empty.aab");
  EXPECT_TRUE(empty.Meshes.empty());
  EXPECT_EQ(std::memcmp(empty.Animations.data(), bytes.data() + 4 + 205, 2940), 0);
}

TEST(Import3DS, MeshObjectsLoadIntoABrushInFileOrderAsStored) {
  // A mapping list fills only the vertices it reaches; the rest stay (0, 0).
  T3DSObjectBytes shortMap = Triangle("Short"), longMap = Triangle("Long");
  shortMap.Mapping.resize(1);
  longMap.Mapping.push_back(MakeTexCoord(9, 9));
  std::unique_ptr<TAmbBrush> brush = Load3DSBrush(WriteScratchFile(
      "models.3ds", Build3DS({Camera, Triangle("First"), GridObject("Grid", 3, 3), shortMap, longMap})));
  ASSERT_EQ(brush->MeshCount, 4);
  const TMeshDataNM &first = *brush->Meshes[0], &partial = *brush->Meshes[2];
  EXPECT_EQ(first.Name + brush->Meshes[1]->Name + partial.Name, "FirstGridShort");
  ASSERT_TRUE(first.VertexCount == 3 && first.FaceCount == 1 && partial.TexCoords.size() == 3u);
  EXPECT_EQ(
      std::vector<float>({first.Vertices[0].x, first.Vertices[0].y, first.Vertices[0].z, first.TexCoords[0].u,
                          first.TexCoords[0].v, first.Normals[0].z, partial.TexCoords[0].v, partial.TexCoords[2].u}),
      std::vector<float>({1, 2, 3, 0.25f, 0.75f, 1, 0.75f, 0}));
  EXPECT_EQ(std::vector<uint32_t>({first.Faces[0].a, first.Faces[0].b, first.Faces[0].c}),
            std::vector<uint32_t>({2, 0, 1}));
  EXPECT_EQ(brush->Meshes[1]->VertexCount, 9);
  EXPECT_EQ(brush->Meshes[3]->TexCoords.size(), 3u);
  EXPECT_EQ(brush->ListID, 0u);

  brush = Load3DSBrush(std::string(TAVIX_FIXTURE_DIR) + "/models/pyramid.3ds");  // another program's exporter
  ASSERT_EQ(brush->MeshCount, 2);
  EXPECT_EQ(std::vector<int>({brush->Meshes[0]->VertexCount, brush->Meshes[0]->FaceCount, brush->Meshes[1]->VertexCount,
                              brush->Meshes[1]->FaceCount}),
            std::vector<int>({5, 6, 4, 2}));
  EXPECT_TRUE(Contains(brush->Meshes[0]->Name, "Pyramid")) << brush->Meshes[0]->Name;
}

TEST(Import3DS, ProjectRootIsAcceptedAndOtherRootsReportTheWrongDatabase) {
  const std::vector<uint8_t> inner = Build3DS({Triangle("Inner")});
  const TByteBuilder project = TByteBuilder().Chunk(
      0xC23D, [&](TByteBuilder& out) { out.Bytes.insert(out.Bytes.end(), inner.begin(), inner.end()); });
  EXPECT_EQ(Parse3DS(project.Bytes.data(), project.Bytes.size(), "p.3ds").Meshes.at(0).Name, "Inner");
  const TByteBuilder keyframesOnly =
      TByteBuilder().Chunk(0x4D4D, [](TByteBuilder& out) { out.Chunk(0xB000, [](TByteBuilder&) {}); });
  EXPECT_TRUE(Parse3DS(keyframesOnly.Bytes.data(), keyframesOnly.Bytes.size(), "k.3ds").Meshes.empty());

  const std::string text = "The database passed as an argument is the wrong kind of\rdatabase for this function.";
  const T3DSFile wrongRoot = Load3DSFile(WriteScratchFile("wrong-root.3ds", Build3DS({Triangle("A")}, 0x3DAA)));
  EXPECT_EQ(ErrorOf<EFileError>([&] { MeshFrom3DS(wrongRoot, 0); }), text);
  // Without any mesh the brush would otherwise load empty and say nothing; a
  // picture or a 3-byte file is no chunk file at all, whatever its lengths say.
  for (const std::string& wrong :
       {WriteScratchFile("wrong-root-empty.3ds", Build3DS({}, 0x3DAA)), PictureFixture("halves.jpg"),
        WriteScratchFile("three-bytes.3ds", std::vector<uint8_t>{'a', 'b', 'c'})})
    EXPECT_EQ(ErrorOf<EFileError>([&] { Load3DSBrush(wrong); }), text) << wrong;
}

TEST(BrushLoading, MeshesGetTheirMaterialsInOrderAndARefusedLoadChangesNothing) {
  PrepareGL();
  const std::string red = WriteScratchFile("red.mat", MaterialFile(MakeColor(1, 0, 0, 1)));
  const std::string green = WriteScratchFile("green.mat", MaterialFile(MakeColor(0, 1, 0, 1)));
  TByteBuilder out;
  AbrMesh(out.I32(2), red, Corners);
  AbrMesh(out, green, {MakeVector(40, 10, 0), MakeVector(60, 10, 0), MakeVector(40, 30, 0)});
  TAmbBrush brush;
  brush.LoadFromFile(WriteScratchFile("two.abr", out.Bytes));
  ASSERT_EQ(brush.MeshCount, 2);
  EXPECT_EQ(brush.Meshes[0]->Material->FileName, red);
  EXPECT_EQ(brush.Meshes[1]->Material->Color.g, 1.0f);
  EXPECT_EQ(brush.Meshes[1]->Normals.at(0).z, 1.0f);
  EXPECT_TRUE(glIsList(brush.ListID));
  EXPECT_EQ(ErrorOf<EFileError>([&] { brush.LoadFromFile(WriteScratchFile("lost.abr", SmallAbr())); }),
            "Cannot open file white.mat");
  ASSERT_EQ(brush.MeshCount, 2);
  EXPECT_EQ(brush.Meshes[0]->Material->FileName, red);
  TAmbBrush empty;
  empty.LoadFromFile(WriteScratchFile("empty.abr", {0, 0, 0, 0}));
  EXPECT_TRUE(empty.MeshCount == 0 && glIsList(empty.ListID));
}

namespace {

// A minimal 3DS file: one object chunk, written by `body`, in the editor chunk.
std::vector<uint8_t> WithObject(const std::function<void(TByteBuilder&)>& body) {
  const auto editor = [&](TByteBuilder& root) { root.Chunk(0x3D3D, [&](TByteBuilder& e) { e.Chunk(0x4000, body); }); };
  return TByteBuilder().Chunk(0x4D4D, editor).Bytes;
}

// An object "Obj" whose mesh chunk `body` writes.
std::vector<uint8_t> WithMeshBody(const std::function<void(TByteBuilder&)>& body) {
  return WithObject([&](TByteBuilder& object) { object.Text(std::string("Obj", 4)).Chunk(0x4100, body); });
}

// A list chunk: the count, then `stored` entries of `entryBytes` bytes.
void List(TByteBuilder& out, uint16_t id, uint16_t count, size_t stored, size_t entryBytes) {
  out.Chunk(id, [&](TByteBuilder& list) { list.U16(count).Bytes.resize(list.Bytes.size() + stored * entryBytes); });
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, std::initializer_list<std::pair<size_t, int32_t>> words) {
  for (const auto& [offset, value] : words)
    for (size_t i = 0; i < 4; ++i) bytes.at(offset + i) = uint8_t(uint32_t(value) >> (8 * i));
  return bytes;
}

struct TDamaged {
  const char* Format;
  std::vector<uint8_t> Bytes;
  const char* Fault;
};

// The error reading `bytes` as a file of `format` gives, after the prefix
// naming the file; "(no error)" when accepted, "(wrong prefix) ..." without it.
std::string ReadError(const std::string& format, const std::vector<uint8_t>& b) {
  const std::string name = format == "3ds" ? "model.3ds" : "brush." + format;
  const std::string prefix = format == "3ds" ? "Bad 3DS file model.3ds: " : "Bad brush file " + name + ": ";
  const std::string error = ErrorOf<EFileError>([&] {
    if (format == "abr") ParseBrushFile(b.data(), b.size(), name);
    if (format == "aab") ParseAniBrushFile(b.data(), b.size(), name);
    if (format == "3ds") Parse3DS(b.data(), b.size(), name);
  });
  if (error.empty()) return "(no error)";
  return error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : "(wrong prefix) " + error;
}

}  // namespace

TEST(ModelFiles, DamagedFilesAreRefusedWithTheFileAndTheFault) {
  const std::vector<uint8_t> abr = SmallAbr(), aab = SmallAab();
  const std::vector<uint8_t> model = Build3DS({Camera, Triangle("A"), GridObject("B", 3, 2)});
  for (const auto& [format, valid] : {std::pair{"abr", abr}, {"aab", aab}, {"3ds", model}})
    for (size_t length = 0; length < valid.size(); length += (length < 220 ? 1 : 97)) {
      const std::string error = ReadError(format, std::vector<uint8_t>(valid.begin(), valid.begin() + long(length)));
      EXPECT_NE(error.rfind('(', 0), 0u) << format << " cut to " << length << ": " << error;
    }
  std::vector<uint8_t> aabEmptyFrames = Patched(aab, {{4, 0}, {8, 0x7FFFFFFF}});
  aabEmptyFrames.resize(20);  // the count, the mesh header and room for a name length
  std::vector<uint8_t> rootPastEnd = model;
  rootPastEnd.pop_back();
  TByteBuilder nested;
  std::vector<size_t> starts;
  for (int i = 0; i < 200; ++i) starts.push_back(nested.BeginChunk(i % 2 ? 0x4D4D : 0xC23D));
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) nested.EndChunk(*it);
  const auto faces = [](uint16_t count, uint16_t index) {
    return WithMeshBody([=](TByteBuilder& out) {
      List(out, 0x4110, 3, 3, 12);
      out.Chunk(0x4120, [=](TByteBuilder& list) { list.U16(count).U16(0).U16(index).U16(2).U16(0); });
    });
  };
  const TDamaged cases[] = {
      {"abr", Patched(abr, {{0, -1}}), "mesh count is negative (-1)"},
      {"abr", Patched(abr, {{0, 0x7FFFFFFF}}), "mesh count 2147483647 needs"},
      {"abr", Patched(abr, {{4, 0x7FFFFFFF}}), "mesh 0 vertices needs 2147483647 x 20 bytes"},
      {"abr", Patched(abr, {{8, 0x10000000}}), "mesh 0 faces needs 268435456 x 12 bytes"},
      {"abr", Patched(abr, {{12, 1000}}), "mesh 0 material name needs 1000 x 1 bytes"},
      {"abr", Patched(abr, {{89, 3}}), "mesh 0 face 0 uses vertex 3 but the mesh has 3 vertices"},
      {"aab", Patched(aab, {{8, -2}}), "mesh 0 frame count is negative (-2)"},
      {"aab", Patched(aab, {{4, 0x10000}}), "mesh 0 frames needs 131072 x 24 bytes"},
      {"aab", Patched(aab, {{4, 0x7FFFFFFF}, {8, 1000}}), "mesh 0 frames needs 2147483647000 x 24 bytes"},
      {"aab", aabEmptyFrames, "mesh 0 frame count 2147483647 needs"},
      {"aab", Patched(aab, {{196, 0x7FFFFFF0}}), "mesh 0 material name needs"},
      {"3ds", {0x4D, 0x4D, 3}, "too short"},
      {"3ds", rootPastEnd, "runs past the end"},
      {"3ds", WithMeshBody([](TByteBuilder& out) { out.U16(0x4110).U32(5); }), "less than its header"},
      {"3ds", WithMeshBody([](TByteBuilder& out) { out.U16(0x4110).U32(4000); }), "runs past the end"},
      {"3ds", WithMeshBody([](TByteBuilder& out) { out.U16(0x4110).U16(0); }), "header cut off"},
      {"3ds", WithMeshBody([](TByteBuilder& out) { List(out, 0x4110, 40000, 2, 12); }),
       "vertex list of object \"Obj\" declares 40000 entries"},
      {"3ds", faces(9, 1), "face list of object \"Obj\" declares 9 entries"},
      {"3ds", faces(1, 3), "uses vertex 3 but the object has 3 vertices"},
      {"3ds", WithMeshBody([](TByteBuilder& out) {
         List(out, 0x4110, 1, 1, 12);
         List(out, 0x4140, 2, 1, 8);
       }),
       "mapping list of object \"Obj\" declares 2 entries"},
      {"3ds", WithObject([](TByteBuilder& object) { object.Text("NoZero"); }), "no terminating zero"},
      {"3ds", nested.Bytes, "nested deeper"},
  };
  for (const TDamaged& c : cases) {
    const std::string error = ReadError(c.Format, c.Bytes);
    EXPECT_TRUE(error.rfind('(', 0) != 0 && Contains(error, c.Fault)) << c.Fault << " / " << error;
  }
}

TEST(AnimatedBrush, SetAnimationResetsOnlyTheChosenAnimationAndCopiesKeyZero) {
  TAmbAniBrush brush;  // no meshes: the table still works
  for (int a = 0; a < AnimationCount; ++a) brush.Animations[a].CurrentKey = 5;
  brush.Animations[3].Keys[0] = TAniKey{11, 12, 13};
  brush.Animations[3].Keys[5] = TAniKey{51, 52, 53};
  brush.KeyCounter = 9;
  brush.SetAnimation(3);
  EXPECT_EQ(brush.CurrentAnimation, 3);
  EXPECT_EQ(std::vector<uint32_t>({brush.Animations[2].CurrentKey, brush.Animations[3].CurrentKey,
                                   brush.Animations[4].CurrentKey, brush.KeyWord0, brush.KeyWord1, brush.KeyWord2,
                                   brush.KeyCounter}),
            std::vector<uint32_t>({5, 0, 5, 11, 12, 13, 0}));
  EXPECT_THROW(brush.SetAnimation(21), std::out_of_range);
  EXPECT_THROW(brush.SetAnimation(-1), std::out_of_range);
  EXPECT_EQ(brush.CurrentAnimation, 3);
}
