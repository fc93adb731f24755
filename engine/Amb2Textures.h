// Image files into OpenGL textures: BMP, JPEG and TGA loaders that read a
// file or an image stored inside the program, the dispatcher by extension,
// and the upload (linear filtering; the mipmap chain only where a filter
// reads it or GLU must scale the picture).
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
// `fromResource` selects the resource-mode wording of the read failures. No
// decoder allocates a picture its bytes cannot fill: a file too short for the
// size it announces (allowing a BMP 3 bytes a pixel, a run-length TGA packet
// 128 pixels, a JPEG one bit a block) is refused before the allocation.
TDecodeResult DecodeBmp(const uint8_t* data, size_t size, const std::string& name, bool fromResource);
TDecodeResult DecodeJpg(const uint8_t* data, size_t size, const std::string& name, bool fromResource);
TDecodeResult DecodeTga(const uint8_t* data, size_t size, const std::string& name, bool fromResource);

bool LoadBmpFile(const std::string& fileName, uint32_t& texture, bool fromResource);
bool LoadJpgFile(const std::string& fileName, uint32_t& texture, bool fromResource);
bool LoadTgaFile(const std::string& fileName, uint32_t& texture, bool fromResource);
void LoadImageFile(const std::string& fileName, uint32_t& texture, bool fromResource);

// Images stored inside the program: type "BMP", "JPEG" or "TGA", name = the
// file name up to its first "." (empty for a file name without one).
void RegisterResourceImage(const std::string& type, const std::string& name, std::vector<uint8_t> bytes);

// ---- shared by the two TGA loaders ------------------------------------------

// Largest image side and pixel count any loader accepts; bigger headers are
// refused with the loader's read-failure message instead of allocating.
constexpr uint32_t MaxImageSide = 16384;
constexpr uint64_t MaxImagePixels = uint64_t(4096) * 4096;
bool SaneImageSize(uint64_t width, uint64_t height);

// True when the name is an existing file (not a folder).
bool ImageFileExists(const std::string& fileName);
// Reads the whole file; false when it cannot be opened, read or is too big.
bool ReadImageFile(const std::string& fileName, std::vector<uint8_t>& bytes);

// Four bytes a texel in the order B, G, R, A (A 255 for an RGB picture) from
// rows padded to 4 bytes: the layout Mesa's CPU renderer samples on its
// shorter paths, where it keeps RGB pictures in another.
std::vector<uint8_t> BgraTexels(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* rows);
// The upload sequence with the given GL_TEXTURE_MIN_FILTER, the texels kept
// as BgraTexels gives them.
uint32_t CreateTextureFiltered(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* pixels,
                               int minFilter);
using TTextureCreator = uint32_t (*)(uint16_t, uint16_t, TPixelFormat, const uint8_t*);
// Shows a failed decode's message, or uploads the pixels (rows padded to the
// default unpack alignment of 4) and stores the new texture. True on success.
bool FinishImageLoad(const TDecodeResult& decoded, uint32_t& texture, TTextureCreator create);
