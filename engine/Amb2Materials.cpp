// The texture registry by file name, the Material each mesh owns, and the
// render-state switches the overlay and the scenes call between draws.
//
// State: the registry, entries appended in order of registration and never
// removed; a failed load is recorded as TextureNotFound and tried again on
// the next request. The switches leave their state in OpenGL only.
#include "Amb2Materials.h"

#include <GL/gl.h>

#include "Amb2Bytes.h"
#include "Amb2Textures.h"
#include "AmbSystem.h"
#include "TGA.h"

namespace {

std::vector<TTexRegItem>& Entries() {
  static std::vector<TTexRegItem> entries;
  return entries;
}

using TRegistryLoader = void (*)(const std::string&, uint32_t&);

void LoadAnyImage(const std::string& fileName, uint32_t& texture) { LoadImageFile(fileName, texture, false); }

void LoadTgaTrilinear(const std::string& fileName, uint32_t& texture) { LoadTgaMipmapped(fileName, texture); }

uint32_t CachedLoad(const std::string& fileName, TRegistryLoader load) {
  uint32_t texture = FindTexture(fileName);
  if (texture == TextureNotFound) {
    load(fileName, texture);
    RegisterTexture(fileName, texture);
  }
  return texture;
}

void SetColor(const TColorRGBA& c) { glColor4f(c.r, c.g, c.b, c.a); }

// Sequential reads that stop taking values at the end of the data: fields
// past the end keep what they held.
class TFieldReader : public TByteReader {
 public:
  TFieldReader(const uint8_t* data, size_t size) : TByteReader(data, size) {}
  // Whether n more bytes are there; when not, the rest is passed over.
  bool Has(size_t n) {
    if (Left() >= n) return true;
    Skip(Left());
    return false;
  }
  void Read(uint32_t& field) { field = Has(4) ? U32() : field; }
  void Read(float& field) { field = Has(4) ? F32() : field; }
  void ReadBool(bool& field) { field = Has(1) ? U8() != 0 : field; }
  void ReadColor(TColorRGBA& c) {
    for (float* channel : {&c.r, &c.g, &c.b, &c.a}) Read(*channel);
  }
};

}  // namespace

// ---- registry -------------------------------------------------------------------

uint32_t FindTexture(const std::string& fileName) {
  uint32_t texture = TextureNotFound;
  for (const TTexRegItem& item : Entries())
    if (item.Name == fileName) texture = item.Texture;
  return texture;
}

void RegisterTexture(const std::string& fileName, uint32_t texture) { Entries().push_back({fileName, texture}); }

uint32_t LoadTexture(const std::string& fileName) { return CachedLoad(fileName, LoadAnyImage); }

uint32_t LoadTgaTexture(const std::string& fileName) { return CachedLoad(fileName, LoadTgaTrilinear); }

const std::vector<TTexRegItem>& TextureRegistry() { return Entries(); }

// ---- render-state switches ---------------------------------------------------

void UseTexture(uint32_t texture) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glColor4f(1, 1, 1, 1);
}

void EnableSphereMap() {
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
}

void DisableSphereMap() {
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
}

void ResetMaterialState() {
  DisableSphereMap();
  glColor4f(1, 1, 1, 1);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
}

void EnableAlphaTest() {
  glAlphaFunc(GL_GREATER, 0.5f);
  glEnable(GL_ALPHA_TEST);
}

void DisableAlphaTest() { glDisable(GL_ALPHA_TEST); }

// ---- Material ---------------------------------------------------------------------

void ParseMaterial(Material& m, const uint8_t* data, size_t size, const std::string& fileName) {
  TFieldReader in(data, size);
  in.Read(m.TextureID);
  in.ReadBool(m.Blend);
  in.ReadBool(m.SphereMap);
  in.Read(m.Mode);
  in.ReadColor(m.Color);
  in.ReadColor(m.BlendColor);
  in.ReadBool(m.AlphaBlend);
  if (in.Left() < sizeof(int32_t)) return;
  const int32_t nameLength = int32_t(in.U32());
  if (nameLength < 0 || size_t(nameLength) > in.Left())
    throw EFileError("Bad texture name length " + std::to_string(nameLength) + " in material file " + fileName);
  m.TextureName = in.Text(size_t(nameLength));
}

void Material::LoadFromFile(const std::string& fileName) {
  const std::string bytes = ReadWholeFile(fileName);
  ParseMaterial(*this, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileName);
  FileName = fileName;
}

void Material::PrepareTexture() {
  if (TextureID != 0 || TextureName.empty()) return;
  TextureID = TextureName.back() == 'a' ? LoadTgaTexture(TextureName) : LoadTexture(TextureName);
}

void Material::Apply() const {
  if (Mode == 0) ApplyColour();
  if (Mode == 1) ApplyTextured();
}

void Material::ApplyColour() const {
  ResetMaterialState();
  SetColor(Color);
  if (!Blend) {
    glDisable(GL_BLEND);
    return;
  }
  glEnable(GL_BLEND);
  SetColor(BlendColor);
  glBlendFunc(GL_ONE, GL_ONE);
}

void Material::ApplyTextured() const {
  ResetMaterialState();
  UseTexture(TextureID);
  glDisable(GL_COLOR_MATERIAL);
  if (SphereMap) EnableSphereMap();
  if (!Blend) return;
  SetColor(BlendColor);
  if (AlphaBlend)
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  else
    glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
  glEnable(GL_BLEND);
}
