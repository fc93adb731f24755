// Byte builders for the model formats the engine reads (3DS chunk trees with
// the chunks a reader must skip, .abr and .aab brush files) for the tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Amb2Bytes.h"
#include "Amb2Classes.h"

// The tests build their files with the engine's byte writer.
using TByteBuilder = TByteWriter;

// One named object of a 3DS file; faces are (a, b, c, flags).
struct T3DSObjectBytes {
  std::string Name;
  std::vector<TVector> Vertices;
  std::vector<TTexCoord> Mapping;
  std::vector<std::array<uint16_t, 4>> Faces;
  bool IsCamera = false;  // written as a camera object instead of a mesh
};

// A whole file: root (0x4D4D unless given), version chunk, editor chunk with
// the objects, and a small keyframer chunk that the reader must skip.
std::vector<uint8_t> Build3DS(const std::vector<T3DSObjectBytes>& objects, uint16_t root = 0x4D4D);

// A grid mesh of w x h vertices (two faces per cell), gently curved.
T3DSObjectBytes GridObject(const std::string& name, int w, int h);
