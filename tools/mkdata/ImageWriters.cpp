// BMP and TGA encoders for the generated pictures.
//
// State: none. Files are stored bottom row first where the format allows it,
// which is the order the demo's loaders expect.
#include "ImageWriters.h"

#include <png.h>

#include <fstream>
#include <stdexcept>

#include "Amb2Bytes.h"

static const uint8_t* PixelAt(const TRgbaImage& image, int x, int yFromBottom) {
  return &image.Pixels[(size_t(image.Height - 1 - yFromBottom) * image.Width + x) * 4];
}

std::vector<uint8_t> EncodeBmp24(const TRgbaImage& image) {
  uint32_t rowBytes = (uint32_t(image.Width) * 3 + 3) & ~3U;
  uint32_t dataBytes = rowBytes * uint32_t(image.Height);
  TByteWriter header;
  header.Text("BM").U32(54 + dataBytes).U32(0).U32(54);
  for (uint32_t v : {40U, uint32_t(image.Width), uint32_t(image.Height)}) header.U32(v);
  header.U16(1).U16(24);
  for (uint32_t v : {0U, dataBytes, 2835U, 2835U, 0U, 0U}) header.U32(v);
  std::vector<uint8_t>& out = header.Bytes;
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      const uint8_t* p = PixelAt(image, x, y);
      out.insert(out.end(), {p[2], p[1], p[0]});
    }
    out.resize(out.size() + (rowBytes - uint32_t(image.Width) * 3), 0);
  }
  return out;
}

static void PutTgaPixel(std::vector<uint8_t>& out, const uint8_t* p, bool withAlpha) {
  out.insert(out.end(), {p[2], p[1], p[0]});
  if (withAlpha) out.push_back(p[3]);
}

static bool SamePixel(const uint8_t* a, const uint8_t* b, bool withAlpha) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2] && (!withAlpha || a[3] == b[3]);
}

// Packets stay within one row so that strict readers accept the file too.
static void PutRunLengthRow(std::vector<uint8_t>& out, const TRgbaImage& image, int y, bool withAlpha) {
  int x = 0;
  while (x < image.Width) {
    int run = 1;
    while (x + run < image.Width && run < 128 && SamePixel(PixelAt(image, x, y), PixelAt(image, x + run, y), withAlpha))
      ++run;
    if (run > 1) {
      out.push_back(uint8_t(128 + run - 1));
      PutTgaPixel(out, PixelAt(image, x, y), withAlpha);
      x += run;
      continue;
    }
    int raw = 1;
    while (x + raw < image.Width && raw < 128 &&
           !(x + raw + 1 < image.Width &&
             SamePixel(PixelAt(image, x + raw, y), PixelAt(image, x + raw + 1, y), withAlpha)))
      ++raw;
    out.push_back(uint8_t(raw - 1));
    for (int i = 0; i < raw; ++i) PutTgaPixel(out, PixelAt(image, x + i, y), withAlpha);
    x += raw;
  }
}

std::vector<uint8_t> EncodeTga(const TRgbaImage& image, bool withAlpha, bool runLength) {
  TByteWriter header;
  header.Bytes = {0, 0, uint8_t(runLength ? 10 : 2), 0, 0, 0, 0, 0};
  header.U16(0).U16(0).U16(uint16_t(image.Width)).U16(uint16_t(image.Height));
  header.U8(withAlpha ? 32 : 24).U8(withAlpha ? 8 : 0);  // alpha bits; origin at the lower left
  std::vector<uint8_t>& out = header.Bytes;
  for (int y = 0; y < image.Height; ++y) {
    if (runLength) {
      PutRunLengthRow(out, image, y, withAlpha);
      continue;
    }
    for (int x = 0; x < image.Width; ++x) PutTgaPixel(out, PixelAt(image, x, y), withAlpha);
  }
  return out;
}

std::vector<uint8_t> EncodePng(const TRgbaImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.Width);
  png.height = png_uint_32(image.Height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.Pixels.data(), 0, nullptr))
    throw std::runtime_error(std::string("PNG encoding failed: ") + png.message);
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.Pixels.data(), 0, nullptr))
    throw std::runtime_error(std::string("PNG encoding failed: ") + png.message);
  bytes.resize(size);
  return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("Cannot create file " + path);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!file) throw std::runtime_error("Cannot write file " + path);
}
