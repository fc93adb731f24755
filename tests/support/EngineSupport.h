// The harness of the engine suites: one offscreen 800 x 600 window per test
// program, scratch files, the text of a file error, and the committed test
// pictures.
//
// State: the window and the scratch folder of the process.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TRgba8 {
  int r = 0, g = 0, b = 0, a = 255;
};
bool operator==(const TRgba8& x, const TRgba8& y);
bool Near(const TRgba8& x, const TRgba8& y, int tolerance);

// Path and bytes of tests/fixtures/images/<name>.
std::string PictureFixture(const std::string& name);
std::vector<uint8_t> PictureFixtureBytes(const std::string& name);

// A file in the process's scratch folder: its path, or written and its path.
std::string ScratchPath(const std::string& name);
std::string WriteScratchFile(const std::string& name, const std::vector<uint8_t>& bytes);
// The text of the E that `call` throws, or "" when it throws none.
template <typename E, typename Call>
std::string ErrorOf(const Call& call) {
  try {
    call();
  } catch (const E& e) {
    return e.what();
  }
  return "";
}
inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Opens the window on first use; afterwards sets the full viewport, a pixel
// projection (object x, y = window x, y), identity modelview, the colour
// white and no lighting, culling, texturing, blending, fog or depth test.
void PrepareGL();
std::array<float, 4> CurrentColor();
