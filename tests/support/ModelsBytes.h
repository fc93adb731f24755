// Byte builders for the model formats the engine reads (3DS chunk trees, .abr
// and .aab brush files), shared by the model tests and the benchmarks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Amb2Classes.h"

class TByteBuilder {
 public:
  std::vector<uint8_t> Bytes;

  TByteBuilder& U16(uint16_t v);
  TByteBuilder& U32(uint32_t v);
  TByteBuilder& I32(int32_t v) { return U32(uint32_t(v)); }
  TByteBuilder& F32(float v);
  TByteBuilder& Text(const std::string& s);  // raw bytes, no terminator
  TByteBuilder& Vector(const TVector& v) { return F32(v.x).F32(v.y).F32(v.z); }
  TByteBuilder& TexCoord(const TTexCoord& t) { return F32(t.u).F32(t.v); }
  TByteBuilder& Face(const TFace& f) { return U32(f.a).U32(f.b).U32(f.c); }
  TByteBuilder& Name(const std::string& s) { return I32(int32_t(s.size())).Text(s); }

  // A 3DS chunk: BeginChunk writes the id and a length placeholder that
  // EndChunk fills in with the bytes written since; Chunk does both around
  // what `body` writes.
  size_t BeginChunk(uint16_t id);
  void EndChunk(size_t start);
  TByteBuilder& Chunk(uint16_t id, const std::function<void(TByteBuilder&)>& body);
};

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
