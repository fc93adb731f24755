// The texture registry by file name, the Material every mesh owns (read from
// a small binary file), and the render-state switches built on them.
//
// State: the registry (entries in order of registration). The switches keep
// no state of their own: it is all OpenGL's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Amb2Records.h"

constexpr uint32_t TextureNotFound = 0xFFFFFFFFu;

struct TTexRegItem {
  std::string Name;
  uint32_t Texture = 0;
};

uint32_t FindTexture(const std::string& fileName);
void RegisterTexture(const std::string& fileName, uint32_t texture);
uint32_t LoadTexture(const std::string& fileName);
uint32_t LoadTgaTexture(const std::string& fileName);
// The registry's entries, in order (for tests and diagnostics).
const std::vector<TTexRegItem>& TextureRegistry();

void UseTexture(uint32_t texture);
void EnableSphereMap();
void DisableSphereMap();
void ResetMaterialState();
void EnableAlphaTest();
void DisableAlphaTest();

class Material {
 public:
  uint32_t TextureID = 0;
  std::string TextureName;
  bool Blend = false;
  bool SphereMap = false;
  uint32_t Mode = 0;
  TColorRGBA Color;
  TColorRGBA BlendColor;
  bool AlphaBlend = false;
  std::string FileName;

  void LoadFromFile(const std::string& fileName);
  void PrepareTexture();
  void Apply() const;

 private:
  void ApplyColour() const;
  void ApplyTextured() const;
};

// Pure reader of a material file's bytes into the fields it covers (a short
// file leaves the later fields as they were). Throws EFileError on a bad
// name length.
void ParseMaterial(Material& m, const uint8_t* data, size_t size, const std::string& fileName);

class TTextureLib {
 public:
  std::vector<int32_t> Items;
  int32_t Reserved = 0;
};
