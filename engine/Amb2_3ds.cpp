// 3DS import. Parse3DS walks the chunk tree of a whole file held in memory
// and keeps, for every named object that holds a triangle mesh, its name,
// positions, mapping coordinates and faces; everything else is skipped by
// its length. Every length and count is checked against the bytes that hold
// it before anything is read or allocated, so a damaged or hostile file is
// refused with a reason instead of being read out of bounds.
//
// State: none.
#include "Amb2_3ds.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "Amb2Bytes.h"
#include "AmbSystem.h"

namespace {

constexpr uint16_t MainChunk = 0x4D4D;
constexpr uint16_t ProjectChunk = 0xC23D;
constexpr uint16_t EditorChunk = 0x3D3D;
constexpr uint16_t ObjectChunk = 0x4000;
constexpr uint16_t TriMeshChunk = 0x4100;
constexpr uint16_t VertexListChunk = 0x4110;
constexpr uint16_t FaceListChunk = 0x4120;
constexpr uint16_t MappingChunk = 0x4140;
constexpr int MaxNesting = 16;

const char* const WrongDatabaseText =
    "The database passed as an argument is the wrong kind of\rdatabase for this function.";

// A chunk's extent: [Start, End) in the file, own data from Data on.
struct TChunk {
  uint16_t Id = 0;
  size_t Start = 0, Data = 0, End = 0;
};

std::string Hex(uint32_t id) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", unsigned(id));
  return text;
}

class TChunkReader : public TByteReader {
 public:
  TChunkReader(const uint8_t* data, size_t size, const std::string& fileName)
      : TByteReader(data, size), FileName(fileName) {}

  [[noreturn]] void Fail(const std::string& fault, size_t offset) const {
    throw EFileError("Bad 3DS file " + FileName + ": " + fault + " (at byte " + std::to_string(offset) + ")");
  }

  // The chunk that starts at `at` and must end by `end`, its parent's end.
  TChunk ChunkAt(size_t at, size_t end) const {
    if (end - at < 6) Fail("chunk header cut off after " + std::to_string(end - at) + " bytes", at);
    const uint16_t id = U16At(at);
    const uint32_t length = U32At(at + 2);
    if (length < 6) Fail("chunk " + Hex(id) + " has length " + std::to_string(length) + ", less than its header", at);
    if (length > end - at) {
      Fail("chunk " + Hex(id) + " of length " + std::to_string(length) +
               " runs past the end of its parent chunk or of the file, " + std::to_string(end - at) + " bytes on",
           at);
    }
    return TChunk{id, at, at + 6, at + length};
  }

  // A counted list at the start of a chunk's data: a u16 count, then that
  // many entries that must fit inside the chunk. Returns the first entry.
  size_t ListStart(const TChunk& c, size_t entrySize, const std::string& what, uint16_t& count) const {
    if (c.End - c.Data < 2) Fail(what + " has no room for its count", c.Data);
    count = U16At(c.Data);
    const size_t room = c.End - c.Data - 2;
    if (count > room / entrySize) {
      Fail(what + " declares " + std::to_string(count) + " entries of " + std::to_string(entrySize) +
               " bytes but its chunk holds " + std::to_string(room),
           c.Data);
    }
    return c.Data + 2;
  }

 private:
  const std::string& FileName;
};

bool IsContainer(uint16_t id) { return id == MainChunk || id == ProjectChunk; }

// Depth-first through the root chunks (a project file wraps a main chunk);
// siblings are walked in a loop, only nesting recurses, and nesting is bounded.
bool FindEditor(const TChunkReader& in, const TChunk& parent, int depth, TChunk& found) {
  if (depth > MaxNesting) in.Fail("chunks nested deeper than " + std::to_string(MaxNesting) + " levels", parent.Start);
  for (size_t at = parent.Data; at < parent.End;) {
    const TChunk c = in.ChunkAt(at, parent.End);
    if (c.Id == EditorChunk) {
      found = c;
      return true;
    }
    if (IsContainer(c.Id) && FindEditor(in, c, depth + 1, found)) return true;
    at = c.End;
  }
  return false;
}

// A counted list of entrySize-byte entries, each read by `entry` from its
// offset; `what` names the list of object `name` in a refusal.
template <typename TEntry, typename TRead>
std::vector<TEntry> ReadList(const TChunkReader& in, const TChunk& c, size_t entrySize, const std::string& what,
                             const std::string& name, TRead entry) {
  uint16_t count = 0;
  const size_t first = in.ListStart(c, entrySize, what + " list of object \"" + name + "\"", count);
  std::vector<TEntry> list(count);
  for (size_t i = 0; i < count; ++i) list[i] = entry(first + entrySize * i);
  return list;
}

std::vector<TVector> ReadVertices(const TChunkReader& in, const TChunk& c, const std::string& name) {
  return ReadList<TVector>(in, c, 12, "vertex", name,
                           [&in](size_t at) { return MakeVector(in.F32At(at), in.F32At(at + 4), in.F32At(at + 8)); });
}

// The flags word of each face and the sub-chunks after the list are not used.
std::vector<TFace> ReadFaces(const TChunkReader& in, const TChunk& c, const std::string& name) {
  return ReadList<TFace>(in, c, 8, "face", name,
                         [&in](size_t at) { return MakeFace(in.U16At(at), in.U16At(at + 2), in.U16At(at + 4)); });
}

std::vector<TTexCoord> ReadMapping(const TChunkReader& in, const TChunk& c, const std::string& name) {
  return ReadList<TTexCoord>(in, c, 8, "mapping", name,
                             [&in](size_t at) { return MakeTexCoord(in.F32At(at), in.F32At(at + 4)); });
}

void CheckFaces(const TChunkReader& in, const TChunk& c, const T3DSMesh& mesh) {
  for (size_t i = 0; i < mesh.Faces.size(); ++i) {
    for (const uint32_t k : {mesh.Faces[i].a, mesh.Faces[i].b, mesh.Faces[i].c}) {
      if (k >= mesh.Vertices.size()) {
        in.Fail("face " + std::to_string(i) + " of object \"" + mesh.Name + "\" uses vertex " + std::to_string(k) +
                    " but the object has " + std::to_string(mesh.Vertices.size()) + " vertices",
                c.Start);
      }
    }
  }
}

// The vertex count comes from the vertex list alone; vertices the mapping list
// does not reach get (0, 0), extra mapping entries are dropped.
T3DSMesh ReadTriMesh(const TChunkReader& in, const TChunk& meshChunk, const std::string& name) {
  T3DSMesh mesh;
  mesh.Name = name;
  std::vector<TTexCoord> mapping;
  // Only the first list of each kind counts.
  bool haveVertices = false, haveFaces = false, haveMapping = false;
  for (size_t at = meshChunk.Data; at < meshChunk.End;) {
    const TChunk c = in.ChunkAt(at, meshChunk.End);
    if (c.Id == VertexListChunk && !haveVertices) {
      mesh.Vertices = ReadVertices(in, c, name);
      haveVertices = true;
    } else if (c.Id == FaceListChunk && !haveFaces) {
      mesh.Faces = ReadFaces(in, c, name);
      haveFaces = true;
    } else if (c.Id == MappingChunk && !haveMapping) {
      mapping = ReadMapping(in, c, name);
      haveMapping = true;
    }
    at = c.End;
  }
  CheckFaces(in, meshChunk, mesh);
  mapping.resize(mesh.Vertices.size());
  mesh.TexCoords = std::move(mapping);
  return mesh;
}

// A named object is a mesh when one of its sub-chunks is a triangle mesh;
// lights and cameras are passed over.
void ReadObject(const TChunkReader& in, const TChunk& object, std::vector<T3DSMesh>& meshes) {
  const size_t nameLength = object.End - object.Data;
  const void* zero = std::memchr(in.At(object.Data, nameLength), 0, nameLength);
  if (!zero) in.Fail("object name has no terminating zero inside its chunk", object.Data);
  const char* name = reinterpret_cast<const char*>(in.At(object.Data));
  const std::string objectName(name, static_cast<const char*>(zero));
  for (size_t at = object.Data + objectName.size() + 1; at < object.End;) {
    const TChunk c = in.ChunkAt(at, object.End);
    if (c.Id == TriMeshChunk) {
      meshes.push_back(ReadTriMesh(in, c, objectName));
      return;
    }
    at = c.End;
  }
}

// ---- writing ------------------------------------------------------------------

void CheckMeshFits3DS(const T3DSMesh& mesh) {
  if (mesh.Vertices.size() > 65535 || mesh.Faces.size() > 65535)
    throw std::runtime_error("mesh \"" + mesh.Name + "\" has more than 65535 vertices or faces");
  if (mesh.TexCoords.size() != mesh.Vertices.size())
    throw std::runtime_error("mesh \"" + mesh.Name + "\" needs one mapping coordinate per vertex");
  for (const TFace& f : mesh.Faces)
    if (f.a >= mesh.Vertices.size() || f.b >= mesh.Vertices.size() || f.c >= mesh.Vertices.size())
      throw std::runtime_error("mesh \"" + mesh.Name + "\" has a face index beyond its vertices");
}

void PutTriMesh(TByteWriter& out, const T3DSMesh& mesh) {
  const size_t meshChunk = out.BeginChunk(TriMeshChunk);
  size_t chunk = out.BeginChunk(VertexListChunk);
  out.U16(uint16_t(mesh.Vertices.size()));
  for (const TVector& v : mesh.Vertices) out.Vector(v);
  out.EndChunk(chunk);
  chunk = out.BeginChunk(MappingChunk);
  out.U16(uint16_t(mesh.TexCoords.size()));
  for (const TTexCoord& t : mesh.TexCoords) out.TexCoord(t);
  out.EndChunk(chunk);
  chunk = out.BeginChunk(0x4160);  // local axes: identity at the origin
  for (int i = 0; i < 12; ++i) out.F32((i % 4 == 0 && i < 9) ? 1.0f : 0.0f);
  out.EndChunk(chunk);
  chunk = out.BeginChunk(FaceListChunk);
  out.U16(uint16_t(mesh.Faces.size()));
  // The last word: all three edges visible.
  for (const TFace& f : mesh.Faces) out.U16(uint16_t(f.a)).U16(uint16_t(f.b)).U16(uint16_t(f.c)).U16(7);
  out.EndChunk(chunk);
  out.EndChunk(meshChunk);
}

void PutNamedObject(TByteWriter& out, const T3DSMesh& mesh) {
  CheckMeshFits3DS(mesh);
  const size_t chunk = out.BeginChunk(ObjectChunk);
  out.Text(mesh.Name).U8(0);
  PutTriMesh(out, mesh);
  out.EndChunk(chunk);
}

}  // namespace

T3DSFile Parse3DS(const uint8_t* data, size_t size, const std::string& fileName) {
  const TChunkReader in(data, size, fileName);
  T3DSFile file;
  file.FileName = fileName;
  // A file of another kind is told apart by its first two bytes before any
  // length is trusted; it is reported as such when its first mesh is fetched.
  if (size >= 2 && !IsContainer(in.U16At(0))) {
    file.WrongRoot = true;
    return file;
  }
  if (size < 6) in.Fail("the file is too short for a chunk (" + std::to_string(size) + " bytes)", 0);
  const TChunk root = in.ChunkAt(0, size);
  TChunk editor;
  if (!FindEditor(in, root, 1, editor)) return file;
  for (size_t at = editor.Data; at < editor.End;) {
    const TChunk c = in.ChunkAt(at, editor.End);
    if (c.Id == ObjectChunk) ReadObject(in, c, file.Meshes);
    at = c.End;
  }
  return file;
}

T3DSFile Load3DSFile(const std::string& fileName) {
  const std::string bytes = ReadWholeFile(fileName);
  return Parse3DS(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileName);
}

// Built through AddVertex/AddFace so that vertex i keeps index i; normals are
// left to the caller.
std::unique_ptr<TMeshDataNM> MeshFrom3DS(const T3DSFile& file, size_t index) {
  if (file.WrongRoot) throw EFileError(WrongDatabaseText);
  const T3DSMesh& source = file.Meshes.at(index);
  auto mesh = std::make_unique<TMeshDataNM>();
  for (size_t i = 0; i < source.Vertices.size(); ++i) mesh->AddVertex(source.Vertices[i], source.TexCoords[i]);
  for (const TFace& face : source.Faces) mesh->AddFace(face);
  mesh->Name = source.Name;
  return mesh;
}

std::unique_ptr<TAmbBrush> BrushFrom3DS(const T3DSFile& file) {
  if (file.WrongRoot) MeshFrom3DS(file, 0);
  auto brush = std::make_unique<TAmbBrush>();
  for (size_t i = 0; i < file.Meshes.size(); ++i) {
    brush->Meshes.push_back(MeshFrom3DS(file, i));
    brush->Meshes.back()->CalcNormals();
  }
  brush->MeshCount = int32_t(brush->Meshes.size());
  return brush;
}

std::unique_ptr<TAmbBrush> Load3DSBrush(const std::string& fileName) { return BrushFrom3DS(Load3DSFile(fileName)); }

std::vector<uint8_t> Encode3DS(const std::vector<T3DSMesh>& model) {
  TByteWriter out;
  const size_t root = out.BeginChunk(MainChunk);
  out.Chunk(0x0002, [](TByteWriter& version) { version.U32(3); });
  const size_t editor = out.BeginChunk(EditorChunk);
  out.Chunk(0x3D3E, [](TByteWriter& version) { version.U32(3); });
  out.Chunk(0x0100, [](TByteWriter& scale) { scale.F32(1.0f); });  // one unit per unit
  for (const T3DSMesh& mesh : model) PutNamedObject(out, mesh);
  out.EndChunk(editor);
  out.EndChunk(root);
  return out.Bytes;
}
