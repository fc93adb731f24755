// Encoders of the demo's model formats (3DS files are the engine's
// Encode3DS): the engine's brush (.abr) and animated brush (.aab) files,
// material files and the time-sync table. Each encoder builds a byte buffer;
// WriteBytes (ImageWriters.h) puts a buffer on disk.
//
// State: none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Amb2Classes.h"
#include "Amb2Materials.h"
#include "Amb2_3ds.h"

using TBytes = std::vector<uint8_t>;

// A model is its meshes in file order; T3DSMesh holds what every format
// here stores of a mesh (name, positions, one mapping coordinate per vertex,
// faces).
using TModel = std::vector<T3DSMesh>;

// A textured material (mode 1) in white, as the generated files all start.
Material TexturedMaterial(const std::string& textureName);

// One material file name per mesh.
TBytes EncodeBrushFile(const TModel& model, const std::vector<std::string>& materialFiles);
// The record the engine reads back (Amb2Classes.h); each mesh's vertex count
// is that of its mapping coordinates.
TBytes EncodeAniBrushFile(const TAniFile& model);
// The fields ParseMaterial reads, in file order; the stored texture handle
// is always 0 so that the engine loads the texture.
TBytes EncodeMaterial(const Material& material);
