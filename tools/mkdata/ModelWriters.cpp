// Encoders of the demo's model formats; see ModelWriters.h. Everything is
// written little-endian byte by byte, so the output does not depend on the
// machine that runs the generator.
#include "ModelWriters.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {

// ---- little-endian output ----------------------------------------------------

void PutU16(TBytes& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void PutU32(TBytes& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
}

void PutF32(TBytes& out, float f) {
  uint32_t bits = 0;
  std::memcpy(&bits, &f, 4);
  PutU32(out, bits);
}

void PutVector(TBytes& out, const TVector& v) {
  PutF32(out, v.x);
  PutF32(out, v.y);
  PutF32(out, v.z);
}

void PutTexCoord(TBytes& out, const TTexCoord& t) {
  PutF32(out, t.u);
  PutF32(out, t.v);
}

void PutFace(TBytes& out, const TFace& f) {
  PutU32(out, f.a);
  PutU32(out, f.b);
  PutU32(out, f.c);
}

void PutColor(TBytes& out, const TColorRGBA& c) {
  PutF32(out, c.r);
  PutF32(out, c.g);
  PutF32(out, c.b);
  PutF32(out, c.a);
}

// A length-prefixed name without terminator, as the brush and material files
// store it.
void PutName(TBytes& out, const std::string& name) {
  PutU32(out, uint32_t(name.size()));
  out.insert(out.end(), name.begin(), name.end());
}

// ---- 3DS chunks --------------------------------------------------------------

// Opens chunks with a placeholder length and patches it when the chunk
// closes, so every length counts its header, data and sub-chunks.
class TChunkWriter {
 public:
  explicit TChunkWriter(TBytes& out) : out_(out) {}
  void Begin(uint16_t id) {
    open_.push_back(out_.size());
    PutU16(out_, id);
    PutU32(out_, 0);
  }
  void End() {
    const size_t start = open_.back();
    open_.pop_back();
    const uint32_t length = uint32_t(out_.size() - start);
    for (int i = 0; i < 4; ++i) out_[start + 2 + i] = uint8_t(length >> (8 * i));
  }

 private:
  TBytes& out_;
  std::vector<size_t> open_;
};

void CheckMeshFits3DS(const T3DSMesh& mesh) {
  if (mesh.Vertices.size() > 65535 || mesh.Faces.size() > 65535)
    throw std::runtime_error("mesh \"" + mesh.Name + "\" has more than 65535 vertices or faces");
  if (mesh.TexCoords.size() != mesh.Vertices.size())
    throw std::runtime_error("mesh \"" + mesh.Name + "\" needs one mapping coordinate per vertex");
  for (const TFace& f : mesh.Faces)
    if (f.a >= mesh.Vertices.size() || f.b >= mesh.Vertices.size() || f.c >= mesh.Vertices.size())
      throw std::runtime_error("mesh \"" + mesh.Name + "\" has a face index beyond its vertices");
}

void PutTriMesh(TChunkWriter& chunks, TBytes& out, const T3DSMesh& mesh) {
  chunks.Begin(0x4100);
  chunks.Begin(0x4110);
  PutU16(out, uint32_t(mesh.Vertices.size()));
  for (const TVector& v : mesh.Vertices) PutVector(out, v);
  chunks.End();
  chunks.Begin(0x4140);
  PutU16(out, uint32_t(mesh.TexCoords.size()));
  for (const TTexCoord& t : mesh.TexCoords) PutTexCoord(out, t);
  chunks.End();
  chunks.Begin(0x4160);  // local axes: identity at the origin
  for (int i = 0; i < 12; ++i) PutF32(out, (i % 4 == 0 && i < 9) ? 1.0f : 0.0f);
  chunks.End();
  chunks.Begin(0x4120);
  PutU16(out, uint32_t(mesh.Faces.size()));
  for (const TFace& f : mesh.Faces) {
    PutU16(out, f.a);
    PutU16(out, f.b);
    PutU16(out, f.c);
    PutU16(out, 7);  // all three edges visible
  }
  chunks.End();
  chunks.End();
}

void PutNamedObject(TChunkWriter& chunks, TBytes& out, const T3DSMesh& mesh) {
  CheckMeshFits3DS(mesh);
  chunks.Begin(0x4000);
  out.insert(out.end(), mesh.Name.begin(), mesh.Name.end());
  out.push_back(0);
  PutTriMesh(chunks, out, mesh);
  chunks.End();
}

}  // namespace

TBytes Encode3DS(const TModel& model) {
  TBytes out;
  TChunkWriter chunks(out);
  chunks.Begin(0x4D4D);
  chunks.Begin(0x0002);  // file version
  PutU32(out, 3);
  chunks.End();
  chunks.Begin(0x3D3D);
  chunks.Begin(0x3D3E);  // editor version
  PutU32(out, 3);
  chunks.End();
  chunks.Begin(0x0100);  // one unit per unit
  PutF32(out, 1.0f);
  chunks.End();
  for (const T3DSMesh& mesh : model) PutNamedObject(chunks, out, mesh);
  chunks.End();
  chunks.End();
  return out;
}

TBytes EncodeBrushFile(const TModel& model, const std::vector<std::string>& materialFiles) {
  if (materialFiles.size() != model.size()) throw std::runtime_error("a brush needs one material file per mesh");
  TBytes out;
  PutU32(out, uint32_t(model.size()));
  for (size_t i = 0; i < model.size(); ++i) {
    const T3DSMesh& mesh = model[i];
    PutU32(out, uint32_t(mesh.Vertices.size()));
    PutU32(out, uint32_t(mesh.Faces.size()));
    PutName(out, materialFiles[i]);
    for (size_t j = 0; j < mesh.Vertices.size(); ++j) {
      PutVector(out, mesh.Vertices[j]);
      PutTexCoord(out, mesh.TexCoords.at(j));
    }
    for (const TFace& f : mesh.Faces) PutFace(out, f);
  }
  return out;
}

namespace {

void PutAniMesh(TBytes& out, const TAniModelMesh& mesh) {
  const size_t vertexCount = mesh.TexCoords.size();
  PutU32(out, uint32_t(vertexCount));
  PutU32(out, uint32_t(mesh.Frames.size()));
  PutU32(out, uint32_t(mesh.Faces.size()));
  for (size_t f = 0; f < mesh.Frames.size(); ++f) {
    if (mesh.Frames[f].size() != vertexCount || mesh.NormalFrames.at(f).size() != vertexCount)
      throw std::runtime_error("an animated mesh frame needs one position and normal per vertex");
    for (size_t j = 0; j < vertexCount; ++j) {
      PutVector(out, mesh.Frames[f][j]);
      PutVector(out, mesh.NormalFrames[f][j]);
    }
  }
  for (const TTexCoord& t : mesh.TexCoords) PutTexCoord(out, t);
  for (const TFace& f : mesh.Faces) PutFace(out, f);
  PutName(out, mesh.MaterialFile);
}

void PutAnimation(TBytes& out, const TAnimation& animation) {
  for (const TAniKey& key : animation.Keys) {
    PutU32(out, key.KeyWord0);
    PutU32(out, key.KeyWord1);
    PutU32(out, key.KeyWord2);
  }
  PutU32(out, animation.CurrentKey);
  PutU32(out, animation.Reserved);
}

}  // namespace

TBytes EncodeAniBrushFile(const TAniModel& model) {
  TBytes out;
  PutU32(out, uint32_t(model.Meshes.size()));
  for (const TAniModelMesh& mesh : model.Meshes) PutAniMesh(out, mesh);
  for (const TAnimation& animation : model.Animations) PutAnimation(out, animation);
  return out;
}

TBytes EncodeMaterial(const TMaterialRecord& material) {
  TBytes out;
  PutU32(out, 0);
  out.push_back(material.Blend ? 1 : 0);
  out.push_back(material.SphereMap ? 1 : 0);
  PutU32(out, material.Mode);
  PutColor(out, material.Color);
  PutColor(out, material.BlendColor);
  out.push_back(material.AlphaBlend ? 1 : 0);
  PutName(out, material.TextureName);
  return out;
}

TBytes EncodeTimeSync(const TTimeSyncTable& table) {
  TBytes out;
  for (uint32_t entry : table) PutU32(out, entry);
  return out;
}

void WriteFileBytes(const std::string& path, const TBytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!file) throw std::runtime_error("Cannot create file " + path);
}
