// Encoders for the picture files the demo reads: 24-bit BMP and TGA (raw or
// run-length encoded, 24 or 32 bits); JPEG is the engine's EncodeJpeg. PNG
// through libpng for the program's icons.
//
// Input everywhere: 8-bit straight RGBA, top row first, as TCanvas gives it.
// State: none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TRgbaImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;  // RGBA, top row first
};

std::vector<uint8_t> EncodeBmp24(const TRgbaImage& image);
std::vector<uint8_t> EncodeTga(const TRgbaImage& image, bool withAlpha, bool runLength);
std::vector<uint8_t> EncodePng(const TRgbaImage& image);

// Writes the bytes to the file, throwing a clear error when it cannot.
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
