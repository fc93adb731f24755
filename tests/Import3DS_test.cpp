// 3DS import: which chunks become meshes and how their data comes through,
// the wrong-root report, a file written by another program's exporter, and
// damaged or hostile files, each refused with the file's name and the fault.
//
// Fixture models/pyramid.3ds was written by Debian's assimp-utils from the
// pyramid.obj beside it: `assimp export pyramid.obj pyramid.3ds`. It holds a
// 5-vertex, 6-face pyramid and a 4-vertex, 2-face square.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Amb2_3ds.h"
#include "AmbSystem.h"
#include "ModelsBytes.h"

namespace {

T3DSFile Parse(const std::vector<uint8_t>& bytes) { return Parse3DS(bytes.data(), bytes.size(), "model.3ds"); }

std::string ParseError(const std::vector<uint8_t>& bytes) {
  return FileErrorOf([&] { Parse(bytes); });
}

T3DSObjectBytes Triangle(const std::string& name) {
  T3DSObjectBytes object;
  object.Name = name;
  object.Vertices = {MakeVector(1, 2, 3), MakeVector(4, 2, 3), MakeVector(1, 6, 3)};
  object.Mapping = {MakeTexCoord(0.25f, 0.75f), MakeTexCoord(0, 1), MakeTexCoord(1, 0)};
  object.Faces = {{2, 0, 1, 7}};
  return object;
}

T3DSObjectBytes Camera(const std::string& name) {
  T3DSObjectBytes object;
  object.Name = name;
  object.IsCamera = true;
  return object;
}

struct Import3DS : testing::Test {
  void SetUp() override { Begin3DSImport(); }
  void TearDown() override { End3DSImport(); }
};

}  // namespace

TEST_F(Import3DS, CameraIsSkippedAndMeshDataComesThroughAsStored) {
  const std::string path = WriteScratchFile("camera-then-mesh.3ds", Build3DS({Camera("Camera01"), Triangle("Tri")}));
  Loader3DS->LoadFile(path);
  ASSERT_EQ(Loader3DS->MeshCount, 1);
  const std::unique_ptr<TMeshDataNM> mesh = Loader3DS->GetMesh(0);
  EXPECT_EQ(mesh->Name, "Tri");
  ASSERT_EQ(mesh->VertexCount, 3);
  EXPECT_EQ(mesh->Vertices[0].x, 1.0f);
  EXPECT_EQ(mesh->Vertices[0].y, 2.0f);
  EXPECT_EQ(mesh->Vertices[0].z, 3.0f);
  EXPECT_EQ(mesh->TexCoords[0].u, 0.25f);
  EXPECT_EQ(mesh->TexCoords[0].v, 0.75f);
  ASSERT_EQ(mesh->FaceCount, 1);
  EXPECT_EQ(mesh->Faces[0].a, 2u);
  EXPECT_EQ(mesh->Faces[0].b, 0u);
  EXPECT_EQ(mesh->Faces[0].c, 1u);
  EXPECT_NE(mesh->Material, nullptr);
}

TEST_F(Import3DS, ThreeObjectsLoadIntoABrushInFileOrderWithNormals) {
  const std::string path =
      WriteScratchFile("three.3ds", Build3DS({Triangle("First"), GridObject("Second", 3, 3), Triangle("Third")}));
  TAmbBrush brush;
  brush.LoadFrom3DS(path);
  ASSERT_EQ(brush.MeshCount, 3);
  EXPECT_EQ(brush.Meshes[0]->Name, "First");
  EXPECT_EQ(brush.Meshes[1]->Name, "Second");
  EXPECT_EQ(brush.Meshes[1]->VertexCount, 9);
  EXPECT_EQ(brush.Meshes[2]->Name, "Third");
  EXPECT_FLOAT_EQ(brush.Meshes[2]->Normals[0].z, 1.0f);
  EXPECT_EQ(Loader3DS->File3DS, nullptr);
  EXPECT_EQ(brush.ListID, 0u);
}

TEST_F(Import3DS, MappingListOnlyFillsTheVerticesItReaches) {
  T3DSObjectBytes shortMap = Triangle("Short");
  shortMap.Mapping.resize(1);
  T3DSObjectBytes longMap = Triangle("Long");
  longMap.Mapping.push_back(MakeTexCoord(9, 9));
  T3DSObjectBytes noMap = Triangle("None");
  noMap.Mapping.clear();
  const T3DSFile file = Parse(Build3DS({shortMap, longMap, noMap}));
  ASSERT_EQ(file.Meshes.size(), 3u);
  EXPECT_EQ(file.Meshes[0].TexCoords.size(), 3u);
  EXPECT_EQ(file.Meshes[0].TexCoords[0].v, 0.75f);
  EXPECT_EQ(file.Meshes[0].TexCoords[2].u, 0.0f);
  EXPECT_EQ(file.Meshes[1].TexCoords.size(), 3u);
  EXPECT_EQ(file.Meshes[2].TexCoords[1].v, 0.0f);
}

TEST_F(Import3DS, ProjectRootIsAcceptedAndOtherRootsReportTheWrongDatabase) {
  TByteBuilder project;
  const size_t outer = project.BeginChunk(0xC23D);
  const std::vector<uint8_t> inner = Build3DS({Triangle("Inner")});
  project.Bytes.insert(project.Bytes.end(), inner.begin(), inner.end());
  project.EndChunk(outer);
  EXPECT_EQ(Parse(project.Bytes).Meshes.at(0).Name, "Inner");

  const std::string text = "The database passed as an argument is the wrong kind of\rdatabase for this function.";
  Loader3DS->LoadFile(WriteScratchFile("wrong-root.3ds", Build3DS({Triangle("A")}, 0x3DAA)));
  EXPECT_EQ(FileErrorOf([] { Loader3DS->GetMesh(0); }), text);
  // Without any mesh the brush would otherwise load empty and say nothing; a
  // picture or a 3-byte file is no chunk file at all, whatever its lengths say.
  for (const std::string& wrong : {WriteScratchFile("wrong-root-empty.3ds", Build3DS({}, 0x3DAA)),
                                   std::string(TAVIX_FIXTURE_DIR) + "/images/halves.jpg",
                                   WriteScratchFile("three-bytes.3ds", std::vector<uint8_t>{'a', 'b', 'c'})})
    EXPECT_EQ(FileErrorOf([&] { TAmbBrush().LoadFrom3DS(wrong); }), text) << wrong;
}

TEST_F(Import3DS, FileWrittenByAnotherExporterLoads) {
  TAmbBrush brush;
  brush.LoadFrom3DS(std::string(TAVIX_FIXTURE_DIR) + "/models/pyramid.3ds");
  ASSERT_EQ(brush.MeshCount, 2);
  EXPECT_EQ(brush.Meshes[0]->VertexCount, 5);
  EXPECT_EQ(brush.Meshes[0]->FaceCount, 6);
  EXPECT_EQ(brush.Meshes[1]->VertexCount, 4);
  EXPECT_EQ(brush.Meshes[1]->FaceCount, 2);
  EXPECT_TRUE(Contains(brush.Meshes[0]->Name, "Pyramid")) << brush.Meshes[0]->Name;
}

TEST(Import3DSErrors, MissingFileAndMissingImporter) {
  End3DSImport();
  EXPECT_THROW(TAmbBrush().LoadFrom3DS("nowhere.3ds"), std::logic_error);
  Begin3DSImport();
  EXPECT_EQ(FileErrorOf([] { Loader3DS->LoadFile("nowhere.3ds"); }), "Cannot open file nowhere.3ds");
  End3DSImport();
}

namespace {

// A minimal file with one mesh chunk whose body the case writes.
std::vector<uint8_t> WithMeshBody(const std::function<void(TByteBuilder&)>& body) {
  TByteBuilder out;
  const size_t root = out.BeginChunk(0x4D4D);
  const size_t editor = out.BeginChunk(0x3D3D);
  const size_t object = out.BeginChunk(0x4000);
  out.Text("Obj").Bytes.push_back(0);
  const size_t mesh = out.BeginChunk(0x4100);
  body(out);
  out.EndChunk(mesh);
  out.EndChunk(object);
  out.EndChunk(editor);
  out.EndChunk(root);
  return out.Bytes;
}

void Vertices(TByteBuilder& out, uint16_t count, size_t stored) {
  const size_t c = out.BeginChunk(0x4110);
  out.U16(count);
  for (size_t i = 0; i < stored; ++i) out.Vector(MakeVector(float(i), 0, 0));
  out.EndChunk(c);
}

}  // namespace

TEST(Import3DSErrors, DamagedFilesAreRefusedWithTheFileAndTheFault) {
  std::vector<uint8_t> tooShort = {0x4D, 0x4D, 3};
  std::vector<uint8_t> rootPastEnd = Build3DS({Triangle("T")});
  rootPastEnd.resize(rootPastEnd.size() - 1);
  std::vector<uint8_t> lengthBelowHeader = WithMeshBody([](TByteBuilder& out) { out.U16(0x4110).U32(5); });
  std::vector<uint8_t> childPastParent = WithMeshBody([](TByteBuilder& out) { out.U16(0x4110).U32(4000); });
  std::vector<uint8_t> cutHeader = WithMeshBody([](TByteBuilder& out) { out.U16(0x4110).U16(0); });
  std::vector<uint8_t> vertexCount = WithMeshBody([](TByteBuilder& out) { Vertices(out, 40000, 2); });
  std::vector<uint8_t> faceCount = WithMeshBody([](TByteBuilder& out) {
    Vertices(out, 3, 3);
    const size_t c = out.BeginChunk(0x4120);
    out.U16(9).U16(0).U16(1).U16(2).U16(0);
    out.EndChunk(c);
  });
  std::vector<uint8_t> faceIndex = WithMeshBody([](TByteBuilder& out) {
    Vertices(out, 3, 3);
    const size_t c = out.BeginChunk(0x4120);
    out.U16(1).U16(0).U16(3).U16(2).U16(0);
    out.EndChunk(c);
  });
  std::vector<uint8_t> mapCount = WithMeshBody([](TByteBuilder& out) {
    Vertices(out, 1, 1);
    const size_t c = out.BeginChunk(0x4140);
    out.U16(2).F32(0).F32(0);
    out.EndChunk(c);
  });
  TByteBuilder unnamed;
  const size_t root = unnamed.BeginChunk(0x4D4D), editor = unnamed.BeginChunk(0x3D3D);
  const size_t object = unnamed.BeginChunk(0x4000);
  unnamed.Text("NoZero");
  unnamed.EndChunk(object);
  unnamed.EndChunk(editor);
  unnamed.EndChunk(root);
  TByteBuilder nested;
  std::vector<size_t> starts;
  for (int i = 0; i < 200; ++i) starts.push_back(nested.BeginChunk(i % 2 ? 0x4D4D : 0xC23D));
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) nested.EndChunk(*it);

  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {tooShort, "too short"},
      {rootPastEnd, "runs past the end"},
      {lengthBelowHeader, "less than its header"},
      {childPastParent, "runs past the end"},
      {cutHeader, "header cut off"},
      {vertexCount, "vertex list of object \"Obj\" declares 40000 entries"},
      {faceCount, "face list of object \"Obj\" declares 9 entries"},
      {faceIndex, "uses vertex 3 but the object has 3 vertices"},
      {mapCount, "mapping list of object \"Obj\" declares 2 entries"},
      {unnamed.Bytes, "no terminating zero"},
      {nested.Bytes, "nested deeper"},
  };
  for (const auto& [bytes, fault] : cases) {
    const std::string error = ParseError(bytes);
    EXPECT_TRUE(Contains(error, "Bad 3DS file model.3ds: ")) << error;
    EXPECT_TRUE(Contains(error, fault)) << error;
  }
}

// Every prefix and a few thousand single-byte changes of a valid file either
// parse or are refused; none may read outside the buffer (run under the
// sanitiser build to make that visible).
TEST(Import3DSErrors, TruncatedAndScrambledFilesNeverEscapeTheBuffer) {
  const std::vector<uint8_t> valid = Build3DS({Camera("Cam"), Triangle("A"), GridObject("B", 3, 2)});
  for (size_t length = 0; length < valid.size(); ++length) {
    const std::vector<uint8_t> prefix(valid.begin(), valid.begin() + std::ptrdiff_t(length));
    EXPECT_NE(ParseError(prefix), "(no error)") << length;
  }
  std::mt19937 random(7);
  for (int i = 0; i < 4000; ++i) {
    std::vector<uint8_t> changed = valid;
    changed[random() % changed.size()] = uint8_t(random());
    try {
      const T3DSFile file = Parse(changed);
      for (const T3DSMesh& mesh : file.Meshes) {
        EXPECT_EQ(mesh.TexCoords.size(), mesh.Vertices.size());
        for (const TFace& f : mesh.Faces) EXPECT_LT(std::max({f.a, f.b, f.c}), mesh.Vertices.size());
      }
    } catch (const EFileError&) {
    }
  }
}
