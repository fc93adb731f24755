// Little-endian reading and writing byte by byte, so that neither depends on
// the machine it runs on.
#include "Amb2Bytes.h"

#include <cstring>
#include <stdexcept>

const uint8_t* TByteReader::At(size_t at, size_t count) const {
  if (!Fits(at, count)) {
    throw std::out_of_range("read of " + std::to_string(count) + " bytes at " + std::to_string(at) +
                            " past the end of " + std::to_string(Size));
  }
  return Data + at;
}

uint16_t TByteReader::U16At(size_t at) const {
  const uint8_t* p = At(at, 2);
  return uint16_t(p[0] | p[1] << 8);
}

uint32_t TByteReader::U32At(size_t at) const { return uint32_t(U16At(at)) | uint32_t(U16At(at + 2)) << 16; }

float TByteReader::F32At(size_t at) const {
  const uint32_t bits = U32At(at);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

size_t TByteReader::Skip(size_t count) {
  const size_t at = Position;
  At(at, count);
  Position += count;
  return at;
}

TByteWriter& TByteWriter::U8(uint8_t v) {
  Bytes.push_back(v);
  return *this;
}

TByteWriter& TByteWriter::U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }

TByteWriter& TByteWriter::U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }

TByteWriter& TByteWriter::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return U32(bits);
}

TByteWriter& TByteWriter::Text(const std::string& s) {
  Bytes.insert(Bytes.end(), s.begin(), s.end());
  return *this;
}

size_t TByteWriter::BeginChunk(uint16_t id) {
  const size_t start = Bytes.size();
  U16(id).U32(0);
  return start;
}

void TByteWriter::EndChunk(size_t start) {
  const uint32_t length = uint32_t(Bytes.size() - start);
  for (int i = 0; i < 4; ++i) Bytes[start + 2 + size_t(i)] = uint8_t(length >> (8 * i));
}

TByteWriter& TByteWriter::Chunk(uint16_t id, const std::function<void(TByteWriter&)>& body) {
  const size_t start = BeginChunk(id);
  body(*this);
  EndChunk(start);
  return *this;
}
