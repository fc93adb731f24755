// Little-endian bytes, the order of every file the demo reads and writes:
// TByteReader reads fields from a buffer, each read checked against its end,
// and TByteWriter builds a buffer field by field (the data generator and the
// tests' file builders write with it). Records with x/y/z, u/v, a/b/c or
// r/g/b/a members go as their floats or words in that order.
//
// State: none beyond each object's buffer and position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TByteReader {
 public:
  TByteReader(const uint8_t* data, size_t size) : Data(data), Size(size) {}

  size_t FileSize() const { return Size; }
  size_t Pos() const { return Position; }
  size_t Left() const { return Size - Position; }
  // Whether count bytes from `at` lie inside the buffer.
  bool Fits(size_t at, size_t count) const { return at <= Size && count <= Size - at; }

  // Reads at an offset; each throws std::out_of_range for a field that is not
  // wholly inside, a fault of the caller, which checks its lengths first.
  const uint8_t* At(size_t at, size_t count = 0) const;
  uint16_t U16At(size_t at) const;
  uint32_t U32At(size_t at) const;
  float F32At(size_t at) const;

  // The same reads from the position on, which they move past the field.
  uint8_t U8() { return *Take(1); }
  uint16_t U16() { return U16At(Skip(2)); }
  uint32_t U32() { return U32At(Skip(4)); }
  float F32() { return F32At(Skip(4)); }
  std::string Text(size_t count) { return std::string(reinterpret_cast<const char*>(Take(count)), count); }
  template <typename TVec>
  TVec Vector() {
    const float x = F32(), y = F32();
    return TVec{x, y, F32()};
  }
  template <typename TUv>
  TUv TexCoord() {
    const float u = F32();
    return TUv{u, F32()};
  }
  // Moves past count bytes; returns where they start.
  size_t Skip(size_t count);

 private:
  const uint8_t* Take(size_t count) { return At(Skip(count), count); }

  const uint8_t* Data;
  size_t Size;
  size_t Position = 0;
};

class TByteWriter {
 public:
  std::vector<uint8_t> Bytes;

  TByteWriter& U8(uint8_t v);
  TByteWriter& U16(uint16_t v);
  TByteWriter& U32(uint32_t v);
  TByteWriter& I32(int32_t v) { return U32(uint32_t(v)); }
  TByteWriter& F32(float v);
  TByteWriter& Text(const std::string& s);  // raw bytes, no terminator
  // A length-prefixed name without terminator, as brush and material files store it.
  TByteWriter& Name(const std::string& s) { return I32(int32_t(s.size())).Text(s); }
  template <typename TVec>
  TByteWriter& Vector(const TVec& v) {
    return F32(v.x).F32(v.y).F32(v.z);
  }
  template <typename TUv>
  TByteWriter& TexCoord(const TUv& t) {
    return F32(t.u).F32(t.v);
  }
  template <typename TTri>
  TByteWriter& Face(const TTri& f) {
    return U32(f.a).U32(f.b).U32(f.c);
  }
  template <typename TRgba>
  TByteWriter& Color(const TRgba& c) {
    return F32(c.r).F32(c.g).F32(c.b).F32(c.a);
  }

  // A chunk as 3DS stores it: BeginChunk writes the id and a length
  // placeholder that EndChunk fills in with the bytes written since, so a
  // length counts its header, data and sub-chunks; Chunk does both around
  // what `body` writes.
  size_t BeginChunk(uint16_t id);
  void EndChunk(size_t start);
  TByteWriter& Chunk(uint16_t id, const std::function<void(TByteWriter&)>& body);
};
