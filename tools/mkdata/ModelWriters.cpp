// Encoders of the demo's model formats; see ModelWriters.h. Everything is
// written through the engine's little-endian byte writer, so the output does
// not depend on the machine that runs the generator.
#include "ModelWriters.h"

#include <stdexcept>

#include "Amb2Bytes.h"

TBytes EncodeBrushFile(const TModel& model, const std::vector<std::string>& materialFiles) {
  if (materialFiles.size() != model.size()) throw std::runtime_error("a brush needs one material file per mesh");
  TByteWriter out;
  out.U32(uint32_t(model.size()));
  for (size_t i = 0; i < model.size(); ++i) {
    const T3DSMesh& mesh = model[i];
    out.U32(uint32_t(mesh.Vertices.size())).U32(uint32_t(mesh.Faces.size())).Name(materialFiles[i]);
    for (size_t j = 0; j < mesh.Vertices.size(); ++j) out.Vector(mesh.Vertices[j]).TexCoord(mesh.TexCoords.at(j));
    for (const TFace& f : mesh.Faces) out.Face(f);
  }
  return out.Bytes;
}

namespace {

// The vertex count written is that of the mapping coordinates.
void PutAniMesh(TByteWriter& out, const TAniFileMesh& mesh) {
  const size_t vertexCount = mesh.TexCoords.size();
  out.U32(uint32_t(vertexCount)).U32(uint32_t(mesh.VertexFrames.size())).U32(uint32_t(mesh.Faces.size()));
  for (size_t f = 0; f < mesh.VertexFrames.size(); ++f) {
    if (mesh.VertexFrames[f].size() != vertexCount || mesh.NormalFrames.at(f).size() != vertexCount)
      throw std::runtime_error("an animated mesh frame needs one position and normal per vertex");
    for (size_t j = 0; j < vertexCount; ++j) out.Vector(mesh.VertexFrames[f][j]).Vector(mesh.NormalFrames[f][j]);
  }
  for (const TTexCoord& t : mesh.TexCoords) out.TexCoord(t);
  for (const TFace& f : mesh.Faces) out.Face(f);
  out.Name(mesh.MaterialFile);
}

void PutAnimation(TByteWriter& out, const TAnimation& animation) {
  for (const TAniKey& key : animation.Keys) out.U32(key.KeyWord0).U32(key.KeyWord1).U32(key.KeyWord2);
  out.U32(animation.CurrentKey).U32(animation.Reserved);
}

}  // namespace

TBytes EncodeAniBrushFile(const TAniFile& model) {
  TByteWriter out;
  out.U32(uint32_t(model.Meshes.size()));
  for (const TAniFileMesh& mesh : model.Meshes) PutAniMesh(out, mesh);
  for (const TAnimation& animation : model.Animations) PutAnimation(out, animation);
  return out.Bytes;
}

Material TexturedMaterial(const std::string& textureName) {
  Material material;
  material.Mode = 1;
  material.Color = material.BlendColor = TColorRGBA{1, 1, 1, 1};
  material.TextureName = textureName;
  return material;
}

TBytes EncodeMaterial(const Material& material) {
  TByteWriter out;
  out.U32(0).U8(material.Blend ? 1 : 0).U8(material.SphereMap ? 1 : 0).U32(material.Mode);
  out.Color(material.Color).Color(material.BlendColor).U8(material.AlphaBlend ? 1 : 0).Name(material.TextureName);
  return out.Bytes;
}
