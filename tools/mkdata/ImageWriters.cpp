// BMP, TGA and JPEG encoders for the generated pictures.
//
// State: none. Files are stored bottom row first where the format allows it,
// which is the order the demo's loaders expect.
#include "ImageWriters.h"

#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

static void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

static void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

static const uint8_t* PixelAt(const TRgbaImage& image, int x, int yFromBottom) {
  return &image.Pixels[(size_t(image.Height - 1 - yFromBottom) * image.Width + x) * 4];
}

std::vector<uint8_t> EncodeBmp24(const TRgbaImage& image) {
  uint32_t rowBytes = (uint32_t(image.Width) * 3 + 3) & ~3U;
  uint32_t dataBytes = rowBytes * uint32_t(image.Height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutU32(out, 54 + dataBytes);
  PutU32(out, 0);
  PutU32(out, 54);
  for (uint32_t v : {40U, uint32_t(image.Width), uint32_t(image.Height)}) PutU32(out, v);
  PutU16(out, 1);
  PutU16(out, 24);
  for (uint32_t v : {0U, dataBytes, 2835U, 2835U, 0U, 0U}) PutU32(out, v);
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
  std::vector<uint8_t> out = {0, 0, uint8_t(runLength ? 10 : 2), 0, 0, 0, 0, 0};
  PutU16(out, 0);
  PutU16(out, 0);
  PutU16(out, uint32_t(image.Width));
  PutU16(out, uint32_t(image.Height));
  out.push_back(withAlpha ? 32 : 24);
  out.push_back(withAlpha ? 8 : 0);  // alpha bits; origin at the lower left
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

std::vector<uint8_t> EncodeJpeg(const TRgbaImage& image, int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(image.Width);
  cinfo.image_height = JDIMENSION(image.Height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(size_t(image.Width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint8_t* src = &image.Pixels[size_t(cinfo.next_scanline) * image.Width * 4];
    for (int x = 0; x < image.Width; ++x)
      for (int c = 0; c < 3; ++c) row[size_t(x) * 3 + c] = src[x * 4 + c];
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("Cannot create file " + path);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!file) throw std::runtime_error("Cannot write file " + path);
}
