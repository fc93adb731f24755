// PNG files through libpng's simplified API, and two small picture helpers.
#include "CaptureImage.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

void WritePng(const std::string& fileName, const TRgbImage& image) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.Width);
  png.height = png_uint_32(image.Height);
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, fileName.c_str(), 0, image.Pixels.data(), image.Width * 3, nullptr)) {
    const std::string reason = png.message;
    png_image_free(&png);
    throw std::runtime_error("Cannot write picture " + fileName + ": " + reason);
  }
}

TRgbImage ReadPng(const std::string& fileName) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, fileName.c_str()))
    throw std::runtime_error("Cannot read picture " + fileName + ": " + png.message);
  // Capture pictures are at most a few thousand pixels a side.
  if (png.width > 16384 || png.height > 16384) {
    png_image_free(&png);
    throw std::runtime_error("Cannot read picture " + fileName + ": too large");
  }
  png.format = PNG_FORMAT_RGB;
  TRgbImage image(int(png.width), int(png.height));
  if (!png_image_finish_read(&png, nullptr, image.Pixels.data(), image.Width * 3, nullptr)) {
    const std::string reason = png.message;
    png_image_free(&png);
    throw std::runtime_error("Cannot read picture " + fileName + ": " + reason);
  }
  return image;
}

void Blit(TRgbImage& target, const TRgbImage& source, int x, int y) {
  const int left = std::max(0, -x);
  const int right = std::min(source.Width, target.Width - x);
  if (right <= left) return;
  for (int row = std::max(0, -y); row < source.Height && row + y < target.Height; ++row)
    std::memcpy(target.Row(row + y) + (x + left) * 3, source.Row(row) + left * 3, size_t(right - left) * 3);
}

bool IsUniform(const TRgbImage& image) {
  for (size_t i = 3; i < image.Pixels.size(); i += 3)
    if (std::memcmp(&image.Pixels[i], image.Pixels.data(), 3) != 0) return false;
  return true;
}
