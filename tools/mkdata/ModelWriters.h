// Encoders of the demo's model formats (3DS files are the engine's
// Encode3DS): the engine's brush (.abr) and animated brush (.aab) files,
// material files and the time-sync table. Each encoder builds a byte buffer;
// WriteBytes (ImageWriters.h) puts a buffer on disk.
//
// State: none.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "Amb2Classes.h"
#include "Amb2_3ds.h"

using TBytes = std::vector<uint8_t>;

// A model is its meshes in file order; T3DSMesh holds what every format
// here stores of a mesh (name, positions, one mapping coordinate per vertex,
// faces).
using TModel = std::vector<T3DSMesh>;

// The fields of a material file, in the order the file stores them. The
// stored texture handle is always 0 so that the engine loads the texture.
struct TMaterialRecord {
  bool Blend = false;
  bool SphereMap = false;
  uint32_t Mode = 0;
  TColorRGBA Color{1, 1, 1, 1};
  TColorRGBA BlendColor{1, 1, 1, 1};
  bool AlphaBlend = false;
  std::string TextureName;
};

constexpr int TimeSyncEntries = 201;
using TTimeSyncTable = std::array<uint32_t, TimeSyncEntries>;

// One material file name per mesh.
TBytes EncodeBrushFile(const TModel& model, const std::vector<std::string>& materialFiles);
// The record the engine reads back (Amb2Classes.h); each mesh's vertex count
// is that of its mapping coordinates.
TBytes EncodeAniBrushFile(const TAniFile& model);
TBytes EncodeMaterial(const TMaterialRecord& material);
TBytes EncodeTimeSync(const TTimeSyncTable& table);
