// An RGB picture in memory (three bytes per pixel, rows from the top), the
// form in which the capture tool keeps frames, tiles and contact sheets,
// with its PNG file form.
//
// State: none; the functions read and write whole files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TRgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;  // Width * Height * 3 bytes, top row first

  TRgbImage() = default;
  TRgbImage(int width, int height) : Width(width), Height(height), Pixels(size_t(width) * height * 3, 0) {}
  uint8_t* Row(int y) { return Pixels.data() + size_t(y) * Width * 3; }
  const uint8_t* Row(int y) const { return Pixels.data() + size_t(y) * Width * 3; }
};

// Writes the picture as an 8-bit RGB PNG; throws std::runtime_error naming
// the file when it cannot be created or written.
void WritePng(const std::string& fileName, const TRgbImage& image);
// Reads an 8-bit RGB or RGBA PNG (alpha dropped); throws std::runtime_error
// naming the file and what is wrong.
TRgbImage ReadPng(const std::string& fileName);

// Copies the picture into a larger one with its top-left corner at (x, y);
// the parts that fall outside are left out.
void Blit(TRgbImage& target, const TRgbImage& source, int x, int y);
// True when every pixel of the picture has the same colour.
bool IsUniform(const TRgbImage& image);
