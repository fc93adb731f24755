// Helpers for the picture suites: the committed test pictures and the pixel
// each should hold, recorded message boxes, scratch files, and one offscreen
// 800 x 600 window per process with read-back of pixels and textures.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Amb2Textures.h"

struct TRgba8 {
  int r = 0, g = 0, b = 0, a = 255;
};
bool operator==(const TRgba8& x, const TRgba8& y);
bool Near(const TRgba8& x, const TRgba8& y, int tolerance);

// Path and bytes of tests/fixtures/images/<name>.
std::string PictureFixture(const std::string& name);
std::vector<uint8_t> PictureFixtureBytes(const std::string& name);

// The pixel every generated test picture holds at (x, y), y counted from the
// top row (see tests/fixtures/images/make.sh).
TRgba8 TestPicturePixel(int x, int yFromTop, bool withAlpha);
// One pixel of a decoded buffer; row 0 is the bottom row.
TRgba8 PixelOf(const TPixelBuffer& image, int x, int row);
// True when the buffer holds the test picture upright.
bool HoldsTestPicture(const TPixelBuffer& image, bool withAlpha);

// Records every message box while alive instead of showing it.
class TMessageLog {
 public:
  TMessageLog();
  ~TMessageLog();
  TMessageLog(const TMessageLog&) = delete;
  TMessageLog& operator=(const TMessageLog&) = delete;
  std::vector<std::pair<std::string, std::string>> Messages;  // caption, text
};

// A fresh empty folder under the temporary folder, and a file written in it.
std::string ScratchFolder();
std::string WriteScratchFile(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes);

// Opens the 800 x 600 test window once per process (offscreen driver).
void OpenPicturesWindow();
// One pixel of the frame being drawn, from its lower-left corner.
TRgba8 BackBufferPixel(int x, int y);
// Level 0 of a texture as RGBA bytes, bottom row first.
std::vector<uint8_t> TextureLevel0(uint32_t texture, int& width, int& height);
int TextureParameter(uint32_t texture, int parameter);
