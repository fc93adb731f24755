// The readers' fuzz entry points and the checks of what they accept.
#include "FuzzEntries.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>

#include "Amb2Classes.h"
#include "Amb2Materials.h"
#include "Amb2Textures.h"
#include "Amb2_3ds.h"
#include "AmbSystem.h"
#include "TGA.h"
#include "tvCommon.h"
#include "tvTimelineSettings.h"

namespace {

// A plain text: building a string per vertex would cost more than the reading.
void Require(bool holds, const char* what) {
  if (!holds) throw TReaderBroken(what);
}

void Require(bool holds, const std::string& what) { Require(holds, what.c_str()); }

void CheckFaces(const std::vector<TFace>& faces, size_t vertexCount, const char* what) {
  for (const TFace& f : faces) Require(f.a < vertexCount && f.b < vertexCount && f.c < vertexCount, what);
}

// A reader's file error is a clean refusal.
template <typename Read>
TReaderOutcome RefusedOnFileError(const Read& read) {
  try {
    return read();
  } catch (const EFileError&) {
    return TReaderOutcome::Refused;
  }
}

TReaderOutcome Run3ds(const uint8_t* data, size_t size) {
  return RefusedOnFileError([&] {
    const T3DSFile file = Parse3DS(data, size, "fuzz.3ds");
    // The loader refuses a file of another kind when it fetches the first mesh.
    if (file.WrongRoot) return TReaderOutcome::Refused;
    for (const T3DSMesh& m : file.Meshes) {
      Require(m.TexCoords.size() == m.Vertices.size(), "3ds: mapping count differs from vertex count");
      CheckFaces(m.Faces, m.Vertices.size(), "3ds: face index past the vertices");
    }
    return TReaderOutcome::Accepted;
  });
}

TReaderOutcome RunAbr(const uint8_t* data, size_t size) {
  return RefusedOnFileError([&] {
    for (const TBrushFileMesh& m : ParseBrushFile(data, size, "fuzz.abr")) {
      Require(m.TexCoords.size() == m.Vertices.size(), "abr: mapping count differs from vertex count");
      CheckFaces(m.Faces, m.Vertices.size(), "abr: face index past the vertices");
    }
    return TReaderOutcome::Accepted;
  });
}

TReaderOutcome RunAab(const uint8_t* data, size_t size) {
  return RefusedOnFileError([&] {
    for (const TAniFileMesh& m : ParseAniBrushFile(data, size, "fuzz.aab").Meshes) {
      const size_t v = size_t(std::max(m.VertexCount, 0));
      Require(m.VertexFrames.size() == m.NormalFrames.size(), "aab: frames without normals");
      for (const TVertexFrame& f : m.VertexFrames) Require(f.size() == v, "aab: frame of the wrong length");
      for (const TVertexFrame& f : m.NormalFrames) Require(f.size() == v, "aab: normal frame of the wrong length");
      Require(m.TexCoords.size() == v, "aab: mapping count differs from vertex count");
      CheckFaces(m.Faces, v, "aab: face index past the vertices");
    }
    return TReaderOutcome::Accepted;
  });
}

TReaderOutcome RunMaterial(const uint8_t* data, size_t size) {
  return RefusedOnFileError([&] {
    Material m;
    ParseMaterial(m, data, size, "fuzz.mat");
    Require(m.TextureName.size() <= size, "mat: texture name longer than the file");
    return TReaderOutcome::Accepted;
  });
}

// Stands in for the GL upload: reads every byte it would, a row at a time
// through memcpy, whose range the address sanitizer checks in one go.
uint32_t ReadEveryUploadByte(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* pixels) {
  const size_t rowBytes = size_t(width) * (format == TPixelFormat::RGBA ? 4 : 3);
  const size_t stride = (rowBytes + 3) & ~size_t(3);
  if (rowBytes == 0) return 1u;
  std::vector<uint8_t> row(rowBytes);
  uint32_t sum = 0;
  for (size_t y = 0; y < height; ++y) {
    std::memcpy(row.data(), pixels + y * stride, rowBytes);
    sum += row.back();  // keeps each copy from being optimised away
  }
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
  Require(LargestPicture.Admits(image.Width, image.Height), kind + ": accepted an absurd size");
  Require(image.Pixels.size() == size_t(image.Width) * image.Height * bpp, kind + ": pixel buffer of the wrong size");
  uint32_t texture = 0;
  FinishImageLoad(decoded, texture, ReadEveryUploadByte);
  return TReaderOutcome::Accepted;
}

TReaderOutcome RunTga(const uint8_t* data, size_t size) {
  return RefusedOnFileError([&] { return FinishDecode(DecodeTga(data, size, "fuzz.tga", false), "tga"); });
}

TReaderOutcome RunBmp(const uint8_t* data, size_t size) {
  return FinishDecode(DecodeBmp(data, size, "fuzz.bmp", false), "bmp");
}

TReaderOutcome RunJpg(const uint8_t* data, size_t size) {
  return FinishDecode(DecodeJpg(data, size, "fuzz.jpg", false), "jpg");
}

TReaderOutcome RunTimeSync(const uint8_t* data, size_t size) {
  TimeSyncTable.fill(0);
  DecodeTimeSyncInto(TimeSyncTable, data, size);
  const size_t covered = std::min(size, TimeSyncTable.size() * 4);
  for (size_t i = 0; i < covered; ++i)
    Require(uint8_t(TimeSyncTable[i / 4] >> (8 * (i % 4))) == data[i], "timesync: entry differs from its bytes");
  return TReaderOutcome::Accepted;
}

// A bad line is named by place in a short printable problem; what is taken
// keeps the ranges written out here and is written back as itself.
TReaderOutcome RunTimelineSettings(const uint8_t* data, size_t size) {
  const TSettingsParse parse = ParseTimelineSettings(std::string(data, data + size), "fuzz.txt");
  for (const std::string& p : parse.Problems)
    Require(p.rfind("fuzz.txt:", 0) == 0 && p.size() < 200 &&
                std::all_of(p.begin(), p.end(), [](char c) { return c >= ' ' && c <= '~'; }),
            "timeline: a problem without its place, too long or unprintable");
  const TTimelineSettings& s = parse.Settings;
  Require(s.Bpm >= 0 && s.Bpm <= 1000 && std::abs(s.FirstBeatMs) <= 4294967295.0 && s.BeatsPerBar >= 1 &&
              s.BeatsPerBar <= 16 && s.Subdivision >= 1 && s.Subdivision <= 16 && s.PrerollMs <= 60000 &&
              s.LoopFromMs <= s.LoopToMs && std::is_sorted(s.Bookmarks.begin(), s.Bookmarks.end()) &&
              std::adjacent_find(s.Bookmarks.begin(), s.Bookmarks.end()) == s.Bookmarks.end(),
          "timeline: a setting out of its range, or bookmarks not ascending once each");
  const TSettingsParse again = ParseTimelineSettings(WriteTimelineSettings(parse.Settings), "again.txt");
  Require(again.Problems.empty() && again.Settings == parse.Settings, "timeline: the settings written read otherwise");
  return parse.Problems.empty() ? TReaderOutcome::Accepted : TReaderOutcome::Refused;
}

// ---- announced picture sizes ----------------------------------------------------

uint32_t LE16(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8); }

TAnnouncedSize TgaAnnouncedSize(const uint8_t* data, size_t size) {
  if (size < 18) return {};
  return {LE16(data + 12), LE16(data + 14)};
}

// Negative sides are refused before anything is allocated.
TAnnouncedSize BmpAnnouncedSize(const uint8_t* data, size_t size) {
  if (size < 14 + 12) return {};
  const auto side = [&](size_t at) {
    const int32_t v = int32_t(LE16(data + at) | LE16(data + at + 2) << 16);
    return v < 0 ? 0 : uint64_t(v);
  };
  return {side(14 + 4), side(14 + 8)};
}

struct TJpegHeaderError {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
};

[[noreturn]] void JpegHeaderFailed(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<TJpegHeaderError*>(cinfo->err)->Jump, 1);
}

void JpegHeaderQuiet(j_common_ptr, int) {}

// The frame size as libjpeg reads it; its errors jump back here, so nothing
// in this frame has a destructor.
TAnnouncedSize JpgAnnouncedSize(const uint8_t* data, size_t size) {
  jpeg_decompress_struct cinfo;
  TJpegHeaderError err;
  cinfo.err = jpeg_std_error(&err.Pub);
  err.Pub.error_exit = JpegHeaderFailed;
  err.Pub.emit_message = JpegHeaderQuiet;
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    return {};
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const TAnnouncedSize announced{cinfo.image_width, cinfo.image_height};
  jpeg_destroy_decompress(&cinfo);
  return announced;
}

}  // namespace

const std::vector<TFuzzEntry>& FuzzEntries() {
  static const std::vector<TFuzzEntry> entries = {
      {"3ds", {".3ds"}, Run3ds},
      {"abr", {".abr"}, RunAbr},
      {"aab", {".aab"}, RunAab},
      {"mat", {".mat"}, RunMaterial},
      {"tga", {".tga"}, RunTga, TgaAnnouncedSize},
      {"bmp", {".bmp"}, RunBmp, BmpAnnouncedSize},
      {"jpg", {".jpg", ".jpeg"}, RunJpg, JpgAnnouncedSize},
      {"timesync", {".dat"}, RunTimeSync},
      {"timeline", {".txt"}, RunTimelineSettings},
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

bool AboveFuzzCap(const TFuzzEntry& entry, const uint8_t* data, size_t size) {
  if (!entry.AnnouncedSize) return false;
  const TAnnouncedSize announced = entry.AnnouncedSize(data, size);
  return LargestPicture.Admits(announced.Width, announced.Height) && announced.Width * announced.Height > FuzzPixelCap;
}
