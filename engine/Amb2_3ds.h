// 3DS files: a chunk reader over the bytes of a 3DS file, the brush made of
// its named triangle-mesh objects as TMeshDataNM meshes, and the writer of
// the same chunks.
//
// State: none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Amb2Classes.h"

// One mesh object of a 3DS file as stored: positions, mapping coordinates
// (one per vertex, (0, 0) where the file has none), faces and the name.
struct T3DSMesh {
  std::string Name;
  std::vector<TVector> Vertices;
  std::vector<TTexCoord> TexCoords;
  std::vector<TFace> Faces;
};

// The parsed file. A root that is neither 0x4D4D nor 0xC23D is remembered and
// reported when the first mesh is fetched; nothing past it is read.
struct T3DSFile {
  std::string FileName;
  bool WrongRoot = false;
  std::vector<T3DSMesh> Meshes;
};

// Pure parser; throws EFileError naming the file and the fault.
T3DSFile Parse3DS(const uint8_t* data, size_t size, const std::string& fileName);

// Parse3DS of a whole file on disk.
T3DSFile Load3DSFile(const std::string& fileName);
// Mesh `index` of the file; a file with the wrong root is refused here.
std::unique_ptr<TMeshDataNM> MeshFrom3DS(const T3DSFile& file, size_t index);
// Every mesh of the file in file order, with normals; a file of another kind
// is refused even when it holds no meshes.
std::unique_ptr<TAmbBrush> BrushFrom3DS(const T3DSFile& file);
// BrushFrom3DS(Load3DSFile(fileName)), the load every scene makes.
std::unique_ptr<TAmbBrush> Load3DSBrush(const std::string& fileName);

// The file the data generator writes: the chunks Parse3DS reads, an identity
// local matrix per mesh and every face edge visible. Throws
// std::runtime_error when a mesh exceeds the 16-bit counts of 3DS, lacks a
// mapping coordinate per vertex or has a face beyond its vertices.
std::vector<uint8_t> Encode3DS(const std::vector<T3DSMesh>& model);
