// Texture registry and materials (placeholder bodies).
#include "Amb2Materials.h"

uint32_t FindTexture(const std::string&) { return TextureNotFound; }
void RegisterTexture(const std::string&, uint32_t) {}
uint32_t LoadTexture(const std::string&) { return TextureNotFound; }
uint32_t LoadTgaTexture(const std::string&) { return TextureNotFound; }
const std::vector<TTexRegItem>& TextureRegistry() {
  static std::vector<TTexRegItem> none;
  return none;
}
void UseTexture(uint32_t) {}
void EnableSphereMap() {}
void DisableSphereMap() {}
void ResetMaterialState() {}
void EnableAlphaTest() {}
void DisableAlphaTest() {}
void Material::LoadFromFile(const std::string&) {}
void Material::PrepareTexture() {}
void Material::Apply() const {}
void ParseMaterial(Material&, const uint8_t*, size_t, const std::string&) {}
