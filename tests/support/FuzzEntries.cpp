// The readers' fuzz entry points and the checks of what they accept.
#include "FuzzEntries.h"

#include <algorithm>

#include "Amb2Classes.h"
#include "Amb2Materials.h"
#include "Amb2Textures.h"
#include "Amb2_3ds.h"
#include "AmbSystem.h"
#include "TGA.h"
#include "tvCommon.h"

namespace {

void Require(bool holds, const std::string& what) {
  if (!holds) throw TReaderBroken(what);
}

void CheckFaces(const std::vector<TFace>& faces, size_t vertexCount, const std::string& owner) {
  for (const TFace& f : faces)
    Require(f.a < vertexCount && f.b < vertexCount && f.c < vertexCount, owner + ": face index past the vertices");
}

TReaderOutcome Run3ds(const uint8_t* data, size_t size) {
  try {
    const T3DSFile file = Parse3DS(data, size, "fuzz.3ds");
    // The loader refuses a file of another kind when it fetches the first mesh.
    if (file.WrongRoot) return TReaderOutcome::Refused;
    for (const T3DSMesh& m : file.Meshes) {
      Require(m.TexCoords.size() == m.Vertices.size(), "3ds: mapping count differs from vertex count");
      CheckFaces(m.Faces, m.Vertices.size(), "3ds");
    }
    return TReaderOutcome::Accepted;
  } catch (const EFileError&) {
    return TReaderOutcome::Refused;
  }
}

TReaderOutcome RunAbr(const uint8_t* data, size_t size) {
  try {
    for (const TBrushFileMesh& m : ParseBrushFile(data, size, "fuzz.abr")) {
      Require(m.TexCoords.size() == m.Vertices.size(), "abr: mapping count differs from vertex count");
      CheckFaces(m.Faces, m.Vertices.size(), "abr");
    }
    return TReaderOutcome::Accepted;
  } catch (const EFileError&) {
    return TReaderOutcome::Refused;
  }
}

TReaderOutcome RunAab(const uint8_t* data, size_t size) {
  try {
    for (const TAniFileMesh& m : ParseAniBrushFile(data, size, "fuzz.aab").Meshes) {
      const size_t v = size_t(std::max(m.VertexCount, 0));
      Require(m.VertexFrames.size() == m.NormalFrames.size(), "aab: frames without normals");
      for (const TVertexFrame& f : m.VertexFrames) Require(f.size() == v, "aab: frame of the wrong length");
      for (const TVertexFrame& f : m.NormalFrames) Require(f.size() == v, "aab: normal frame of the wrong length");
      Require(m.TexCoords.size() == v, "aab: mapping count differs from vertex count");
      CheckFaces(m.Faces, v, "aab");
    }
    return TReaderOutcome::Accepted;
  } catch (const EFileError&) {
    return TReaderOutcome::Refused;
  }
}

TReaderOutcome RunMaterial(const uint8_t* data, size_t size) {
  try {
    Material m;
    ParseMaterial(m, data, size, "fuzz.mat");
    Require(m.TextureName.size() <= size, "mat: texture name longer than the file");
    return TReaderOutcome::Accepted;
  } catch (const EFileError&) {
    return TReaderOutcome::Refused;
  }
}

// Stands in for the GL upload: touches every byte the upload would read.
uint32_t ReadEveryUploadByte(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* pixels) {
  const size_t rowBytes = size_t(width) * (format == TPixelFormat::RGBA ? 4 : 3);
  const size_t stride = (rowBytes + 3) & ~size_t(3);
  uint32_t sum = 0;
  for (size_t row = 0; row < height; ++row)
    for (size_t i = 0; i < rowBytes; ++i) sum += pixels[row * stride + i];
  return sum | 1u;
}

// A decode is checked, then handed on as the loaders do, up to the upload.
TReaderOutcome FinishDecode(const TDecodeResult& decoded, const std::string& kind) {
  if (!decoded.Ok) {
    Require(!decoded.Caption.empty() && !decoded.Text.empty(), kind + ": refusal without a message");
    return TReaderOutcome::Refused;
  }
  const TPixelBuffer& image = decoded.Image;
  const size_t bpp = image.Format == TPixelFormat::RGBA ? 4 : 3;
  Require(SaneImageSize(image.Width, image.Height), kind + ": accepted an absurd size");
  Require(image.Pixels.size() == size_t(image.Width) * image.Height * bpp, kind + ": pixel buffer of the wrong size");
  uint32_t texture = 0;
  FinishImageLoad(decoded, texture, ReadEveryUploadByte);
  return TReaderOutcome::Accepted;
}

// A file shorter than the TGA header is the one fault that is thrown, not
// reported in a message box.
TReaderOutcome RunTga(const uint8_t* data, size_t size) {
  try {
    return FinishDecode(DecodeTga(data, size, "fuzz.tga", false), "tga");
  } catch (const EFileError&) {
    return TReaderOutcome::Refused;
  }
}

TReaderOutcome RunBmp(const uint8_t* data, size_t size) {
  return FinishDecode(DecodeBmp(data, size, "fuzz.bmp", false), "bmp");
}

TReaderOutcome RunJpg(const uint8_t* data, size_t size) {
  return FinishDecode(DecodeJpg(data, size, "fuzz.jpg", false), "jpg");
}

TReaderOutcome RunTimeSync(const uint8_t* data, size_t size) {
  TimeSyncTable.fill(0);
  LoadTimeSyncBytes(data, size);
  const size_t covered = std::min(size, TimeSyncTable.size() * 4);
  for (size_t i = 0; i < covered; ++i)
    Require(uint8_t(TimeSyncTable[i / 4] >> (8 * (i % 4))) == data[i], "timesync: entry differs from its bytes");
  return TReaderOutcome::Accepted;
}

}  // namespace

const std::vector<TFuzzEntry>& FuzzEntries() {
  static const std::vector<TFuzzEntry> entries = {
      {"3ds", {".3ds"}, Run3ds},          {"abr", {".abr"}, RunAbr},           {"aab", {".aab"}, RunAab},
      {"mat", {".mat"}, RunMaterial},     {"tga", {".tga"}, RunTga},           {"bmp", {".bmp"}, RunBmp},
      {"jpg", {".jpg", ".jpeg"}, RunJpg}, {"timesync", {".dat"}, RunTimeSync},
  };
  return entries;
}

const TFuzzEntry& FuzzEntry(const std::string& name) {
  for (const TFuzzEntry& e : FuzzEntries())
    if (e.Name == name) return e;
  throw std::out_of_range("no fuzz entry " + name);
}

const TFuzzEntry* FuzzEntryForFile(const std::string& fileName) {
  for (const TFuzzEntry& e : FuzzEntries())
    for (const std::string& ext : e.Extensions)
      if (fileName.size() >= ext.size() && fileName.compare(fileName.size() - ext.size(), ext.size(), ext) == 0)
        return &e;
  return nullptr;
}
