// 3DS import: a chunk reader over the bytes of a 3DS file and the importer
// that turns its named triangle-mesh objects into TMeshDataNM meshes.
//
// State: Loader3DS, the one importer, alive between Begin3DSImport and
// End3DSImport.
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

class T3DSLoader {
 public:
  std::unique_ptr<T3DSFile> File3DS;
  int32_t MeshCount = 0;

  void LoadFile(const std::string& fileName);
  std::unique_ptr<TMeshDataNM> GetMesh(int32_t index);
};

extern std::unique_ptr<T3DSLoader> Loader3DS;
void Begin3DSImport();
void End3DSImport();
