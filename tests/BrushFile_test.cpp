// The engine's own brush files: the byte layouts of .abr and .aab read field
// by field, loading into brushes with their materials, refusal of damaged
// files, and what animated meshes and brushes do with what they loaded.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "Amb2Classes.h"
#include "Amb2Materials.h"
#include "AmbSystem.h"
#include "ModelsBytes.h"
#include "ModelsGL.h"

namespace {

const std::vector<TVector> Corners = {MakeVector(1, 2, 3), MakeVector(4, 5, 6), MakeVector(7, 8, 9)};
const std::vector<TTexCoord> Mapping = {MakeTexCoord(0.1f, 0.2f), MakeTexCoord(0.3f, 0.4f), MakeTexCoord(0.5f, 0.6f)};

void AbrMesh(TByteBuilder& out, const std::string& material, const std::vector<TVector>& vertices,
             const std::vector<TFace>& faces) {
  out.I32(int32_t(vertices.size())).I32(int32_t(faces.size())).Name(material);
  for (size_t j = 0; j < vertices.size(); ++j) out.Vector(vertices[j]).TexCoord(Mapping[j % 3]);
  for (const TFace& f : faces) out.Face(f);
}

// One mesh, V = 3, F = 1, a 9-byte material name: 4 + 93 bytes.
std::vector<uint8_t> SmallAbr() {
  TByteBuilder out;
  out.I32(1);
  AbrMesh(out, "white.mat", Corners, {MakeFace(2, 0, 1)});
  return out.Bytes;
}

TVector FramePosition(int f, int j) { return MakeVector(float(100 * f + j), 1, 2); }
TVector FrameNormal(int f, int j) { return MakeVector(0, float(f), float(j)); }

void AnimationTable(TByteBuilder& out) {
  for (int i = 0; i < 2940; ++i) out.Bytes.push_back(uint8_t(i * 7 + 3));
}

// One mesh, V = 3, K = 2, F = 1, a 9-byte name (205 bytes), then the table.
std::vector<uint8_t> SmallAab() {
  TByteBuilder out;
  out.I32(1).I32(3).I32(2).I32(1);
  for (int f = 0; f < 2; ++f) {
    for (int j = 0; j < 3; ++j) out.Vector(FramePosition(f, j)).Vector(FrameNormal(f, j));
  }
  for (const TTexCoord& t : Mapping) out.TexCoord(t);
  out.Face(MakeFace(1, 2, 0)).Name("stars.mat");
  AnimationTable(out);
  return out.Bytes;
}

// A copy of `bytes` with 32-bit words replaced at the given offsets.
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, std::initializer_list<std::pair<size_t, int32_t>> words) {
  for (const auto& [offset, value] : words) {
    for (size_t i = 0; i < 4; ++i) bytes.at(offset + i) = uint8_t(uint32_t(value) >> (8 * i));
  }
  return bytes;
}

std::string AbrError(const std::vector<uint8_t>& bytes) {
  return FileErrorOf([&] { ParseBrushFile(bytes.data(), bytes.size(), "brush.abr"); });
}
std::string AabError(const std::vector<uint8_t>& bytes) {
  return FileErrorOf([&] { ParseAniBrushFile(bytes.data(), bytes.size(), "brush.aab"); });
}

// A colour-only material file: 47 bytes and the texture name.
std::vector<uint8_t> MaterialFile(const TColorRGBA& color) {
  TByteBuilder out;
  out.U32(0).Bytes.insert(out.Bytes.end(), {0, 0});
  out.U32(0).F32(color.r).F32(color.g).F32(color.b).F32(color.a);
  out.F32(0).F32(0).F32(0).F32(0).Bytes.push_back(0);
  out.Name("");
  return out.Bytes;
}

}  // namespace

TEST(BrushFile, AbrMeshRecordHoldsNameThenInterleavedVerticesThenFaces) {
  const std::vector<uint8_t> bytes = SmallAbr();
  ASSERT_EQ(bytes.size(), 4u + 93u);
  const std::vector<TBrushFileMesh> meshes = ParseBrushFile(bytes.data(), bytes.size(), "brush.abr");
  ASSERT_EQ(meshes.size(), 1u);
  EXPECT_EQ(meshes[0].MaterialFile, "white.mat");
  ASSERT_EQ(meshes[0].Vertices.size(), 3u);
  EXPECT_EQ(meshes[0].Vertices[1].y, 5.0f);
  EXPECT_EQ(meshes[0].TexCoords[1].u, 0.3f);
  EXPECT_EQ(meshes[0].TexCoords[2].v, 0.6f);
  ASSERT_EQ(meshes[0].Faces.size(), 1u);
  EXPECT_EQ(meshes[0].Faces[0].a, 2u);
  EXPECT_EQ(meshes[0].Faces[0].c, 1u);
}

TEST(BrushFile, AabMeshRecordHoldsFramesThenMappingThenFacesThenName) {
  const std::vector<uint8_t> bytes = SmallAab();
  ASSERT_EQ(bytes.size(), 4u + 205u + 2940u);
  const TAniFile file = ParseAniBrushFile(bytes.data(), bytes.size(), "brush.aab");
  ASSERT_EQ(file.Meshes.size(), 1u);
  const TAniFileMesh& mesh = file.Meshes[0];
  EXPECT_EQ(mesh.VertexCount, 3);
  ASSERT_EQ(mesh.VertexFrames.size(), 2u);
  EXPECT_EQ(mesh.VertexFrames[1][2].x, FramePosition(1, 2).x);
  EXPECT_EQ(mesh.NormalFrames[1][2].z, FrameNormal(1, 2).z);
  EXPECT_EQ(mesh.NormalFrames[0][1].z, 1.0f);
  EXPECT_EQ(mesh.TexCoords[2].u, 0.5f);
  EXPECT_EQ(mesh.Faces.at(0).a, 1u);
  EXPECT_EQ(mesh.MaterialFile, "stars.mat");
  EXPECT_EQ(std::memcmp(file.Animations.data(), bytes.data() + 4 + 205, 2940), 0);
}

TEST(BrushFile, FilesWithoutMeshes) {
  const std::vector<uint8_t> abr = {0, 0, 0, 0};
  EXPECT_TRUE(ParseBrushFile(abr.data(), abr.size(), "empty.abr").empty());
  TByteBuilder aab;
  aab.I32(0);
  AnimationTable(aab);
  const TAniFile file = ParseAniBrushFile(aab.data(), aab.size(), "empty.aab");
  EXPECT_TRUE(file.Meshes.empty());
  EXPECT_EQ(std::memcmp(file.Animations.data(), aab.data() + 4, 2940), 0);
}

TEST(BrushFile, DamagedAbrFilesAreRefusedWithTheFileAndTheFault) {
  const std::vector<uint8_t> valid = SmallAbr();
  for (size_t length = 0; length < valid.size(); ++length) {
    const std::string error = AbrError(std::vector<uint8_t>(valid.begin(), valid.begin() + std::ptrdiff_t(length)));
    EXPECT_TRUE(Contains(error, "Bad brush file brush.abr: ")) << length << ": " << error;
  }
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {Patched(valid, {{0, -1}}), "mesh count is negative (-1)"},
      {Patched(valid, {{0, 0x7FFFFFFF}}), "mesh count 2147483647 needs"},
      {Patched(valid, {{4, -3}}), "mesh 0 vertex count is negative (-3)"},
      {Patched(valid, {{4, 0x7FFFFFFF}}), "mesh 0 vertices needs 2147483647 x 20 bytes"},
      {Patched(valid, {{8, 0x10000000}}), "mesh 0 faces needs 268435456 x 12 bytes"},
      {Patched(valid, {{12, -9}}), "mesh 0 material name length is negative"},
      {Patched(valid, {{12, 1000}}), "mesh 0 material name needs 1000 x 1 bytes"},
      {Patched(valid, {{89, 3}}), "mesh 0 face 0 uses vertex 3 but the mesh has 3 vertices"},
  };
  for (const auto& [bytes, fault] : cases) EXPECT_TRUE(Contains(AbrError(bytes), fault)) << AbrError(bytes);
}

TEST(BrushFile, DamagedAabFilesAreRefusedWithTheFileAndTheFault) {
  const std::vector<uint8_t> valid = SmallAab();
  for (size_t length = 0; length < valid.size(); length += (length < 220 ? 1 : 97)) {
    const std::string error = AabError(std::vector<uint8_t>(valid.begin(), valid.begin() + std::ptrdiff_t(length)));
    EXPECT_TRUE(Contains(error, "Bad brush file brush.aab: ")) << length << ": " << error;
  }
  std::vector<uint8_t> emptyFrames = Patched(valid, {{4, 0}, {8, 0x7FFFFFFF}});
  emptyFrames.resize(20);  // the count, the mesh header and room for a name length
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {Patched(valid, {{8, -2}}), "mesh 0 frame count is negative (-2)"},
      {Patched(valid, {{12, -1}}), "mesh 0 face count is negative (-1)"},
      {Patched(valid, {{4, 0x10000}}), "mesh 0 frames needs 131072 x 24 bytes"},
      {Patched(valid, {{4, 0x7FFFFFFF}, {8, 1000}}), "mesh 0 frames needs 2147483647000 x 24 bytes"},
      {emptyFrames, "mesh 0 frame count 2147483647 needs"},
      {Patched(valid, {{184, 3}}), "mesh 0 face 0 uses vertex 3 but the mesh has 3 vertices"},
      {Patched(valid, {{196, 0x7FFFFFF0}}), "mesh 0 material name needs"},
  };
  for (const auto& [bytes, fault] : cases) EXPECT_TRUE(Contains(AabError(bytes), fault)) << AabError(bytes);
}

TEST(BrushLoading, AbrLoadsMaterialsInMeshOrderComputesNormalsAndCompilesAList) {
  PrepareModelsGL();
  const std::string red = WriteScratchFile("red.mat", MaterialFile(MakeColor(1, 0, 0, 1)));
  const std::string green = WriteScratchFile("green.mat", MaterialFile(MakeColor(0, 1, 0, 1)));
  TByteBuilder out;
  out.I32(2);
  AbrMesh(out, red, {MakeVector(10, 10, 0), MakeVector(30, 10, 0), MakeVector(10, 30, 0)}, {MakeFace(0, 1, 2)});
  AbrMesh(out, green, {MakeVector(40, 10, 0), MakeVector(60, 10, 0), MakeVector(40, 30, 0)}, {MakeFace(0, 1, 2)});
  TAmbBrush brush;
  brush.LoadFromFile(WriteScratchFile("two.abr", out.Bytes));
  ASSERT_EQ(brush.MeshCount, 2);
  EXPECT_EQ(brush.Meshes[0]->Material->FileName, red);
  EXPECT_EQ(brush.Meshes[1]->Material->Color.g, 1.0f);
  EXPECT_EQ(brush.Meshes[1]->Name, "");
  EXPECT_EQ(brush.Meshes[1]->Normals.size(), 3u);
  EXPECT_EQ(brush.Meshes[1]->Normals[2].z, 1.0f);
  ASSERT_TRUE(glIsList(brush.ListID));
  const std::vector<TFedTriangle> sent = CaptureTriangles([&] { glCallList(brush.ListID); });
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0][0].r, 1.0f);
  EXPECT_EQ(sent[1][0].g, 1.0f);
}

TEST(BrushLoading, EmptyAbrStillCompilesAListAndMissingFilesEndTheLoad) {
  PrepareModelsGL();
  TAmbBrush brush;
  brush.LoadFromFile(WriteScratchFile("empty.abr", {0, 0, 0, 0}));
  EXPECT_EQ(brush.MeshCount, 0);
  EXPECT_TRUE(glIsList(brush.ListID));
  EXPECT_EQ(FileErrorOf([] { TAmbBrush().LoadFromFile("no-such.abr"); }), "Cannot open file no-such.abr");
  const std::string lost = WriteScratchFile("lost-material.abr", SmallAbr());
  brush.Meshes.push_back(std::make_unique<TMeshDataNM>());
  brush.MeshCount = 1;
  EXPECT_EQ(FileErrorOf([&] { brush.LoadFromFile(lost); }), "Cannot open file white.mat");
  EXPECT_EQ(brush.MeshCount, 1);  // a refused load leaves the brush as it was
  ASSERT_EQ(brush.Meshes.size(), 1u);
  EXPECT_NE(brush.Meshes[0], nullptr);
}

TEST(BrushLoading, AabLoadsMeshesMaterialsAndTheTable) {
  PrepareModelsGL();
  std::vector<uint8_t> bytes = SmallAab();
  const std::string material = WriteScratchFile("stars.mat", MaterialFile(MakeColor(0, 0, 1, 1)));
  TByteBuilder out;
  out.Bytes.assign(bytes.begin(), bytes.begin() + 4 + 192);
  out.Name(material);
  AnimationTable(out);
  TAmbAniBrush brush;
  brush.LoadFromFile(WriteScratchFile("star.aab", out.Bytes));
  ASSERT_EQ(brush.MeshCount, 1);
  const TAmbAniMesh& mesh = *brush.Meshes[0];
  EXPECT_EQ(mesh.VertexCount, 3);
  EXPECT_EQ(mesh.FrameCount, 2);
  EXPECT_EQ(mesh.FaceCount, 1);
  EXPECT_EQ(mesh.NormalFrames[1][2].y, 1.0f);
  EXPECT_EQ(mesh.Material->FileName, material);
  EXPECT_EQ(mesh.Material->Color.b, 1.0f);
  EXPECT_EQ(std::memcmp(brush.Animations.data(), out.data() + out.size() - 2940, 2940), 0);
}

TEST(AnimatedBrush, ScaleMovesPositionsOfEveryFrameAndRotateAlsoTurnsNormals) {
  TAmbAniMesh mesh;
  mesh.SetSize(2, 1, 3);
  ASSERT_EQ(mesh.VertexFrames.size(), 3u);
  ASSERT_EQ(mesh.NormalFrames[2].size(), 2u);
  for (int f = 0; f < 3; ++f) {
    mesh.VertexFrames[f][1] = MakeVector(1000, -2000, 500);
    mesh.NormalFrames[f][1] = MakeVector(0, 0, 1);
  }
  mesh.Scale(0.001f);
  mesh.Rotate(MakeVector(270, 0, 0));
  for (int f = 0; f < 3; ++f) {
    EXPECT_NEAR(mesh.VertexFrames[f][1].x, 1, 1e-6);
    EXPECT_NEAR(mesh.VertexFrames[f][1].y, 0.5, 1e-6);  // (1, -2, 0.5) turned by 270 degrees about X
    EXPECT_NEAR(mesh.VertexFrames[f][1].z, 2, 1e-6);
    EXPECT_NEAR(mesh.NormalFrames[f][1].y, 1, 1e-6);
    EXPECT_NEAR(mesh.NormalFrames[f][1].z, 0, 1e-6);
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
  EXPECT_EQ(brush.Animations[3].CurrentKey, 0u);
  EXPECT_EQ(brush.Animations[2].CurrentKey, 5u);
  EXPECT_EQ(brush.Animations[4].CurrentKey, 5u);
  EXPECT_EQ(brush.KeyWord0, 11u);
  EXPECT_EQ(brush.KeyWord1, 12u);
  EXPECT_EQ(brush.KeyWord2, 13u);
  EXPECT_EQ(brush.KeyCounter, 0u);
  EXPECT_THROW(brush.SetAnimation(21), std::out_of_range);
  EXPECT_THROW(brush.SetAnimation(-1), std::out_of_range);
  EXPECT_EQ(brush.CurrentAnimation, 3);
}
