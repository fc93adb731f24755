// Image files into OpenGL textures: BMP, JPEG and TGA loaders that read a
// file or an image stored inside the program, the dispatcher by extension,
// and the upload with a full mipmap chain (linear filtering).
//
// Each decoder is a pure function from bytes to a pixel buffer so that tests
// and fuzzers run it without GL.
//
// State: the in-program image registry (resource mode). Leaves the new
// texture bound with the GL_MODULATE environment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class TPixelFormat { RGB, RGBA };

// Tightly packed 8-bit rows, bottom row first.
struct TPixelBuffer {
  uint32_t Width = 0;
  uint32_t Height = 0;
  TPixelFormat Format = TPixelFormat::RGB;
  std::vector<uint8_t> Pixels;
};

// Result of a pure decode: either pixels, or the failure the loader reports.
struct TDecodeResult {
  bool Ok = false;
  TPixelBuffer Image;
  std::string Caption;  // message box caption on failure
  std::string Text;     // message box text on failure
};

void SwapRedBlue(uint8_t* pixels, size_t pixelCount);
uint32_t CreateTextureFromPixels(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* pixels);

// Pure decoders. `name` is the file name as passed, used in the messages;
// `fromResource` selects the resource-mode wording of the read failures.
TDecodeResult DecodeBmp(const uint8_t* data, size_t size, const std::string& name, bool fromResource);
TDecodeResult DecodeJpg(const uint8_t* data, size_t size, const std::string& name, bool fromResource);
TDecodeResult DecodeTga(const uint8_t* data, size_t size, const std::string& name, bool fromResource);

bool LoadBmpFile(const std::string& fileName, uint32_t& texture, bool fromResource);
bool LoadJpgFile(const std::string& fileName, uint32_t& texture, bool fromResource);
bool LoadTgaFile(const std::string& fileName, uint32_t& texture, bool fromResource);
void LoadImageFile(const std::string& fileName, uint32_t& texture, bool fromResource);

// Images stored inside the program: type "BMP", "JPEG" or "TGA", name = the
// file name up to its first ".".
void RegisterResourceImage(const std::string& type, const std::string& name, std::vector<uint8_t> bytes);
