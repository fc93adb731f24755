// The scene model: the value-record functions, the triangle meshes, brushes
// and animated brushes, and the pure readers of the .abr and .aab brush files
// (declarations and field layouts in Amb2Classes.h).
//
// State: none of its own; brushes own their meshes, meshes their materials.
// Leaves behind: the display list each loaded .abr brush compiles.
#include "Amb2Classes.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>

#include "Amb2Bytes.h"
#include "Amb2Materials.h"
#include "AmbSystem.h"

// ---- meshes ----------------------------------------------------------------

int32_t TMeshData::AddVertex(const TVector& v, const TTexCoord& uv) {
  const int32_t index = VertexCount;
  Vertices.resize(size_t(index) + 1);
  TexCoords.resize(size_t(index) + 1);
  Vertices[index] = v;
  TexCoords[index] = uv;
  VertexCount = index + 1;
  return index;
}

std::unique_ptr<TMeshData> TMeshData::Create() const { return std::make_unique<TMeshData>(); }

TMeshData::~TMeshData() { Clear(); }

void TMeshData::Draw() {
  glBegin(GL_TRIANGLES);
  for (int32_t f = 0; f < FaceCount; ++f) {
    for (const uint32_t k : {Faces[f].a, Faces[f].b, Faces[f].c}) {
      glTexCoord2f(TexCoords[k].u, TexCoords[k].v);
      glVertex3f(Vertices[k].x, Vertices[k].y, Vertices[k].z);
    }
  }
  glEnd();
}

void TMeshData::SetSize(int32_t vertexCount, int32_t faceCount) {
  // A negative count would turn into a giant allocation; it means "none".
  vertexCount = std::max(vertexCount, 0);
  faceCount = std::max(faceCount, 0);
  Vertices.resize(size_t(vertexCount));
  TexCoords.resize(size_t(vertexCount));
  Faces.resize(size_t(faceCount));
  VertexCount = vertexCount;
  FaceCount = faceCount;
}

void TMeshData::AddFace(const TFace& f) {
  Faces.resize(size_t(FaceCount) + 1);
  Faces[FaceCount] = f;
  ++FaceCount;
}

void TMeshData::Clear() {
  Vertices.clear();
  Faces.clear();
  TexCoords.clear();
  VertexCount = 0;
  FaceCount = 0;
}

// A face whose corners are not all in the vertex list (a mesh sized before
// its faces are filled in) is left out of the normals instead of being read
// out of bounds.
bool TMeshData::FaceInRange(int32_t i) const {
  const TFace& f = Faces[i];
  const uint32_t n = uint32_t(VertexCount);
  return f.a < n && f.b < n && f.c < n;
}

TTriangle TMeshData::GetTriangle(int32_t i) const {
  const TFace& f = Faces[i];
  return MakeTriangle(Vertices[f.a], Vertices[f.b], Vertices[f.c]);
}

void TMeshData::Rotate(const TVector& angles) {
  for (int32_t i = 0; i < VertexCount; ++i) RotateVector(Vertices[i], angles);
}

void TMeshData::Scale(const TVector& factors) {
  for (int32_t i = 0; i < VertexCount; ++i) {
    Vertices[i].x *= factors.x;
    Vertices[i].y *= factors.y;
    Vertices[i].z *= factors.z;
  }
}

int32_t TMeshDataN::AddVertex(const TVector& v, const TTexCoord& uv) {
  const int32_t index = TMeshData::AddVertex(v, uv);
  Normals.resize(size_t(VertexCount));
  return index;
}

std::unique_ptr<TMeshData> TMeshDataN::Create() const { return std::make_unique<TMeshDataN>(); }

TMeshDataN::~TMeshDataN() { Normals.clear(); }

void TMeshDataN::Draw() { Render(); }

void TMeshDataN::SetSize(int32_t vertexCount, int32_t faceCount) {
  TMeshData::SetSize(vertexCount, faceCount);
  Normals.resize(size_t(VertexCount));
  CalcNormals();
}

// Every vertex's sum is gathered in one pass over the faces, in face order,
// which gives exactly VertexNormal(i) for each vertex in linear time.
void TMeshDataN::CalcNormals() { UpdateNormals(); }

// Face normals are left unnormalised so that large faces weigh more; a face
// that uses the vertex at two corners counts twice.
TVector TMeshDataN::VertexNormal(int32_t i) const {
  TVector sum;
  for (int32_t f = 0; f < FaceCount; ++f) {
    if (!FaceInRange(f)) continue;
    const TVector n = TriangleNormal(GetTriangle(f));
    for (const uint32_t k : {Faces[f].a, Faces[f].b, Faces[f].c}) {
      if (k == uint32_t(i)) sum = TVector{sum.x + n.x, sum.y + n.y, sum.z + n.z};
    }
  }
  Normalize(sum);
  return sum;
}

static void AddTo(TVector& target, const TVector& n) {
  target.x += n.x;
  target.y += n.y;
  target.z += n.z;
}

// The same sums as VertexNormal, gathered in one pass over the faces; faces are
// visited in the same order so the float results match exactly.
void TMeshDataN::UpdateNormals() {
  for (int32_t i = 0; i < VertexCount; ++i) Normals[i] = TVector{};
  for (int32_t f = 0; f < FaceCount; ++f) {
    if (!FaceInRange(f)) continue;
    const TVector n = TriangleNormal(GetTriangle(f));
    AddTo(Normals[Faces[f].a], n);
    AddTo(Normals[Faces[f].b], n);
    AddTo(Normals[Faces[f].c], n);
  }
  for (int32_t i = 0; i < VertexCount; ++i) Normalize(Normals[i]);
}

// The number of corners that have a vertex, a texture coordinate and a normal.
static uint32_t DrawableCorners(const TMeshDataN& mesh) {
  return uint32_t(std::min(
      {size_t(std::max(mesh.VertexCount, 0)), mesh.Vertices.size(), mesh.TexCoords.size(), mesh.Normals.size()}));
}

// The first faceCount faces, leaving out any that reach past the corners
// instead of reading out of bounds; a copy only when one must be left out.
static const TFace* DrawableFaces(const TMeshDataN& mesh, int32_t faceCount, std::vector<TFace>& kept, size_t& count) {
  const uint32_t corners = DrawableCorners(mesh);
  auto fits = [corners](const TFace& f) { return f.a < corners && f.b < corners && f.c < corners; };
  const TFace* first = mesh.Faces.data();
  count = size_t(faceCount);
  if (std::all_of(first, first + count, fits)) return first;
  std::copy_if(first, first + count, std::back_inserter(kept), fits);
  count = kept.size();
  return kept.data();
}

// Every face in one indexed draw from the mesh's own arrays: the same corners
// in the same order as a glBegin/glEnd per face, without three calls per
// corner. Drawn corner by corner, the last corner would be left as the
// current texture coordinate and normal; the draw leaves them as they were,
// so they are set afterwards.
void TMeshDataN::Render() const {
  const int32_t faceCount = std::min(FaceCount, int32_t(Faces.size()));
  if (faceCount <= 0) return;
  std::vector<TFace> kept;
  size_t count = 0;
  const TFace* faces = DrawableFaces(*this, faceCount, kept, count);
  if (count == 0) return;
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, Vertices.data());
  glNormalPointer(GL_FLOAT, 0, Normals.data());
  glTexCoordPointer(2, GL_FLOAT, 0, TexCoords.data());
  glDrawElements(GL_TRIANGLES, GLsizei(count * 3), GL_UNSIGNED_INT, faces);
  glPopClientAttrib();
  const uint32_t last = faces[count - 1].c;
  glTexCoord2fv(&TexCoords[last].u);
  glNormal3fv(&Normals[last].x);
}

std::unique_ptr<TMeshDataN> WorkingMeshLike(const TMeshData& source, int32_t vertexCount) {
  auto working = std::make_unique<TMeshDataN>();
  working->SetSize(vertexCount, std::min(source.FaceCount, int32_t(source.Faces.size())));
  std::copy_n(source.Faces.begin(), working->FaceCount, working->Faces.begin());
  const size_t uvs = std::min(size_t(working->VertexCount), source.TexCoords.size());
  std::copy_n(source.TexCoords.begin(), uvs, working->TexCoords.begin());
  return working;
}

TMeshDataNM::TMeshDataNM() : Material(std::make_unique<::Material>()) {}

std::unique_ptr<TMeshData> TMeshDataNM::Create() const { return std::make_unique<TMeshDataNM>(); }

TMeshDataNM::~TMeshDataNM() { Material.reset(); }

void TMeshDataNM::Draw() {
  Material->Apply();
  TMeshDataN::Draw();
}

// ---- brushes ---------------------------------------------------------------

TAmbBrush::~TAmbBrush() = default;

static std::unique_ptr<TMeshDataNM> MeshFromBrushFile(TBrushFileMesh& source) {
  auto mesh = std::make_unique<TMeshDataNM>();
  mesh->Material->LoadFromFile(source.MaterialFile);
  mesh->VertexCount = int32_t(source.Vertices.size());
  mesh->FaceCount = int32_t(source.Faces.size());
  mesh->Vertices = std::move(source.Vertices);
  mesh->TexCoords = std::move(source.TexCoords);
  mesh->Faces = std::move(source.Faces);
  mesh->Normals.resize(mesh->Vertices.size());
  mesh->CalcNormals();
  return mesh;
}

void TAmbBrush::LoadFromFile(const std::string& fileName) {
  const std::string bytes = ReadWholeFile(fileName);
  std::vector<TBrushFileMesh> parsed =
      ParseBrushFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileName);
  std::vector<std::unique_ptr<TMeshDataNM>> meshes;
  for (TBrushFileMesh& source : parsed) meshes.push_back(MeshFromBrushFile(source));
  Meshes = std::move(meshes);
  MeshCount = int32_t(Meshes.size());
  LoadTextures();
  CompileList();
}

void TAmbBrush::Rotate(const TVector& angles) {
  for (int32_t i = 0; i < MeshCount; ++i) Meshes[i]->Rotate(angles);
}

void TAmbBrush::Scale(const TVector& factors) {
  for (int32_t i = 0; i < MeshCount; ++i) Meshes[i]->Scale(factors);
}

void TAmbBrush::DrawMeshes() {
  for (int32_t i = 0; i < MeshCount; ++i) {
    Meshes[i]->Material->Apply();
    Meshes[i]->Render();
  }
}

void TAmbBrush::CompileList() {
  ListID = glGenLists(1);
  glNewList(ListID, GL_COMPILE);
  DrawMeshes();
  glEndList();
}

void TAmbBrush::LoadTextures() {
  for (int32_t i = 0; i < MeshCount; ++i) Meshes[i]->Material->PrepareTexture();
}

// ---- animated meshes and brushes -------------------------------------------

TAmbAniMesh::TAmbAniMesh() : Material(std::make_unique<::Material>()) {}

TAmbAniMesh::~TAmbAniMesh() = default;

void TAmbAniMesh::SetSize(int32_t vertexCount, int32_t faceCount, int32_t frameCount) {
  vertexCount = std::max(vertexCount, 0);
  faceCount = std::max(faceCount, 0);
  frameCount = std::max(frameCount, 0);
  VertexFrames.resize(size_t(frameCount));
  NormalFrames.resize(size_t(frameCount));
  TexCoords.resize(size_t(vertexCount));
  FrameCount = frameCount;
  for (int32_t f = 0; f < frameCount; ++f) {
    VertexFrames[f].resize(size_t(vertexCount));
    NormalFrames[f].resize(size_t(vertexCount));
  }
  Faces.resize(size_t(faceCount));
  FaceCount = faceCount;
  VertexCount = vertexCount;
}

// Unlike the static meshes, the stored normals turn with the positions.
void TAmbAniMesh::Rotate(const TVector& angles) {
  for (int32_t j = 0; j < VertexCount; ++j) {
    for (int32_t f = 0; f < FrameCount; ++f) RotateVector(VertexFrames[f][j], angles);
    for (int32_t f = 0; f < FrameCount; ++f) RotateVector(NormalFrames[f][j], angles);
  }
}

void TAmbAniMesh::Scale(float factor) {
  for (int32_t f = 0; f < FrameCount; ++f) {
    for (int32_t j = 0; j < VertexCount; ++j) VertexFrames[f][j] = VectorScale(VertexFrames[f][j], factor);
  }
}

static std::unique_ptr<TAmbAniMesh> MeshFromAniFile(TAniFileMesh& source) {
  auto mesh = std::make_unique<TAmbAniMesh>();
  mesh->SetSize(source.VertexCount, int32_t(source.Faces.size()), int32_t(source.VertexFrames.size()));
  mesh->VertexFrames = std::move(source.VertexFrames);
  mesh->NormalFrames = std::move(source.NormalFrames);
  mesh->TexCoords = std::move(source.TexCoords);
  mesh->Faces = std::move(source.Faces);
  mesh->Material->FileName = source.MaterialFile;
  mesh->Material->LoadFromFile(source.MaterialFile);
  mesh->Material->PrepareTexture();
  return mesh;
}

void TAmbAniBrush::LoadFromFile(const std::string& fileName) {
  const std::string bytes = ReadWholeFile(fileName);
  TAniFile parsed = ParseAniBrushFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileName);
  std::vector<std::unique_ptr<TAmbAniMesh>> meshes;
  for (TAniFileMesh& source : parsed.Meshes) meshes.push_back(MeshFromAniFile(source));
  Meshes = std::move(meshes);
  MeshCount = int32_t(Meshes.size());
  Animations = parsed.Animations;
}

void TAmbAniBrush::Rotate(const TVector& angles) {
  for (int32_t i = 0; i < MeshCount; ++i) Meshes[i]->Rotate(angles);
}

void TAmbAniBrush::Scale(float factor) {
  for (int32_t i = 0; i < MeshCount; ++i) Meshes[i]->Scale(factor);
}

// Only animations 0..20 exist; any other index is refused rather than
// written past the table.
void TAmbAniBrush::SetAnimation(int32_t index) {
  TAnimation& animation = Animations.at(size_t(index));
  CurrentAnimation = index;
  animation.CurrentKey = 0;
  KeyCounter = 0;
  const TAniKey& key = animation.Keys[animation.CurrentKey];
  KeyWord2 = key.KeyWord2;
  KeyWord0 = key.KeyWord0;
  KeyWord1 = key.KeyWord1;
}

// ---- brush file readers ----------------------------------------------------

namespace {

// Reads the fields front to back and refuses, naming the file, anything that
// would read past the end.
class TBrushReader : public TByteReader {
 public:
  TBrushReader(const uint8_t* data, size_t size, const std::string& fileName)
      : TByteReader(data, size), FileName(fileName) {}

  [[noreturn]] void Fail(const std::string& fault) const {
    throw EFileError("Bad brush file " + FileName + ": " + fault);
  }

  void Need(uint64_t count, uint64_t elementSize, const std::string& what) const {
    if (count > Left() / elementSize) {
      Fail(what + " needs " + std::to_string(count) + " x " + std::to_string(elementSize) + " bytes at offset " +
           std::to_string(Pos()) + " but only " + std::to_string(Left()) + " are left");
    }
  }

  int32_t Count(const std::string& what) {
    Need(1, 4, what);
    const int32_t value = int32_t(U32());
    if (value < 0) Fail(what + " is negative (" + std::to_string(value) + ")");
    return value;
  }

  std::string Name(const std::string& what) {
    const int32_t length = Count(what + " length");
    Need(uint64_t(length), 1, what);
    return Text(size_t(length));
  }

  std::vector<TFace> Faces(int32_t count, int32_t vertexCount, const std::string& mesh) {
    Need(uint64_t(count), 12, mesh + " faces");
    std::vector<TFace> faces(static_cast<size_t>(count));
    for (int32_t j = 0; j < count; ++j) {
      faces[j].a = U32();
      faces[j].b = U32();
      faces[j].c = U32();
      for (const uint32_t k : {faces[j].a, faces[j].b, faces[j].c}) {
        if (k >= uint32_t(vertexCount)) {
          Fail(mesh + " face " + std::to_string(j) + " uses vertex " + std::to_string(k) + " but the mesh has " +
               std::to_string(vertexCount) + " vertices");
        }
      }
    }
    return faces;
  }

  void Bytes(void* out, size_t n, const std::string& what) {
    Need(n, 1, what);
    std::memcpy(out, At(Skip(n), n), n);
  }

 private:
  const std::string& FileName;
};

std::string MeshLabel(size_t i) { return "mesh " + std::to_string(i); }

// Every mesh record takes at least 12 bytes, so a count the rest of the file
// cannot hold is refused before anything is allocated for it.
int32_t MeshCountOf(TBrushReader& in, uint64_t smallestRecord) {
  const int32_t count = in.Count("mesh count");
  in.Need(uint64_t(count), smallestRecord, "mesh count " + std::to_string(count));
  return count;
}

TBrushFileMesh ReadBrushMesh(TBrushReader& in, size_t index) {
  const std::string label = MeshLabel(index);
  in.Need(1, 12, label + " header");
  const int32_t vertexCount = in.Count(label + " vertex count");
  const int32_t faceCount = in.Count(label + " face count");
  TBrushFileMesh mesh;
  mesh.MaterialFile = in.Name(label + " material name");
  in.Need(uint64_t(vertexCount), 20, label + " vertices");
  mesh.Vertices.resize(size_t(vertexCount));
  mesh.TexCoords.resize(size_t(vertexCount));
  for (int32_t j = 0; j < vertexCount; ++j) {
    mesh.Vertices[j] = in.Vector<TVector>();
    mesh.TexCoords[j] = in.TexCoord<TTexCoord>();
  }
  mesh.Faces = in.Faces(faceCount, vertexCount, label);
  return mesh;
}

void ReadFrames(TBrushReader& in, TAniFileMesh& mesh, int32_t frameCount, const std::string& label) {
  // Frames of a mesh without vertices take no bytes; they are still bounded by
  // the bytes left so that a wild count cannot ask for billions of them.
  in.Need(uint64_t(frameCount), 1, label + " frame count " + std::to_string(frameCount));
  // Without frames the vertex count is not bounded yet (the texture
  // coordinates check it next), so no frame of that length is built.
  if (frameCount == 0) return;
  const uint64_t entries = uint64_t(mesh.VertexCount) * uint64_t(frameCount);
  in.Need(entries, 24, label + " frames");
  mesh.VertexFrames.assign(size_t(frameCount), TVertexFrame(size_t(mesh.VertexCount)));
  mesh.NormalFrames.assign(size_t(frameCount), TVertexFrame(size_t(mesh.VertexCount)));
  for (int32_t f = 0; f < frameCount; ++f) {
    for (int32_t j = 0; j < mesh.VertexCount; ++j) {
      mesh.VertexFrames[f][j] = in.Vector<TVector>();
      mesh.NormalFrames[f][j] = in.Vector<TVector>();
    }
  }
}

TAniFileMesh ReadAniMesh(TBrushReader& in, size_t index) {
  const std::string label = MeshLabel(index);
  in.Need(1, 12, label + " header");
  TAniFileMesh mesh;
  mesh.VertexCount = in.Count(label + " vertex count");
  const int32_t frameCount = in.Count(label + " frame count");
  const int32_t faceCount = in.Count(label + " face count");
  ReadFrames(in, mesh, frameCount, label);
  in.Need(uint64_t(mesh.VertexCount), 8, label + " texture coordinates");
  mesh.TexCoords.resize(size_t(mesh.VertexCount));
  for (int32_t j = 0; j < mesh.VertexCount; ++j) mesh.TexCoords[j] = in.TexCoord<TTexCoord>();
  mesh.Faces = in.Faces(faceCount, mesh.VertexCount, label);
  mesh.MaterialFile = in.Name(label + " material name");
  return mesh;
}

}  // namespace

// Layout: mesh count, then per mesh: vertex count, face count, material name
// (length + bytes), vertices (position + texture coordinate), faces.
std::vector<TBrushFileMesh> ParseBrushFile(const uint8_t* data, size_t size, const std::string& fileName) {
  TBrushReader in(data, size, fileName);
  const int32_t count = MeshCountOf(in, 12);
  std::vector<TBrushFileMesh> meshes;
  meshes.reserve(size_t(count));
  for (int32_t i = 0; i < count; ++i) meshes.push_back(ReadBrushMesh(in, size_t(i)));
  return meshes;
}

// Layout: mesh count, then per mesh: vertex, frame and face counts, all
// frames (position + normal per vertex), texture coordinates, faces, material
// name; then the animation table.
TAniFile ParseAniBrushFile(const uint8_t* data, size_t size, const std::string& fileName) {
  TBrushReader in(data, size, fileName);
  const int32_t count = MeshCountOf(in, 16);
  TAniFile file;
  file.Meshes.reserve(size_t(count));
  for (int32_t i = 0; i < count; ++i) file.Meshes.push_back(ReadAniMesh(in, size_t(i)));
  static_assert(sizeof(file.Animations) == 2940);
  in.Bytes(file.Animations.data(), sizeof(file.Animations), "animation table");
  return file;
}
