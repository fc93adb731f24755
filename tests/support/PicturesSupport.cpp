// See PicturesSupport.h.
#include "PicturesSupport.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "AmbSystem.h"
#include "Ambrel2.h"

bool operator==(const TRgba8& x, const TRgba8& y) { return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a; }

bool Near(const TRgba8& x, const TRgba8& y, int tolerance) {
  return std::abs(x.r - y.r) <= tolerance && std::abs(x.g - y.g) <= tolerance && std::abs(x.b - y.b) <= tolerance &&
         std::abs(x.a - y.a) <= tolerance;
}

std::string PictureFixture(const std::string& name) { return std::string(TAVIX_FIXTURE_DIR) + "/images/" + name; }

std::vector<uint8_t> PictureFixtureBytes(const std::string& name) {
  std::ifstream in(PictureFixture(name), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TRgba8 TestPicturePixel(int x, int yFromTop, bool withAlpha) {
  return TRgba8{10 + 30 * x, 10 + 60 * yFromTop, 100 + 10 * x + yFromTop,
                withAlpha ? 255 - 20 * x - 5 * yFromTop : 255};
}

TRgba8 PixelOf(const TPixelBuffer& image, int x, int row) {
  const size_t bpp = image.Format == TPixelFormat::RGBA ? 4 : 3;
  const uint8_t* p = image.Pixels.data() + (size_t(row) * image.Width + x) * bpp;
  return TRgba8{p[0], p[1], p[2], bpp == 4 ? p[3] : 255};
}

bool HoldsTestPicture(const TPixelBuffer& image, bool withAlpha) {
  for (uint32_t row = 0; row < image.Height; ++row)
    for (uint32_t x = 0; x < image.Width; ++x)
      if (!(PixelOf(image, int(x), int(row)) == TestPicturePixel(int(x), int(image.Height - 1 - row), withAlpha)))
        return false;
  return true;
}

TMessageLog::TMessageLog() {
  SetMessageSink([this](const std::string& caption, const std::string& text) { Messages.emplace_back(caption, text); });
}

TMessageLog::~TMessageLog() { SetMessageSink(nullptr); }

std::string ScratchFolder() {
  static int made = 0;
  const auto folder = std::filesystem::temp_directory_path() /
                      ("tavix-pictures-" + std::to_string(::getpid()) + "-" + std::to_string(++made));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

std::string WriteScratchFile(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = folder + "/" + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

void OpenPicturesWindow() {
  static bool open = false;
  if (open) return;
  MakeGLWindow(800, 600, 32, false, "test");
  open = true;
}

TRgba8 BackBufferPixel(int x, int y) {
  uint8_t p[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return TRgba8{p[0], p[1], p[2], 255};
}

std::vector<uint8_t> TextureLevel0(uint32_t texture, int& width, int& height) {
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  std::vector<uint8_t> texels(size_t(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  return texels;
}

int TextureParameter(uint32_t texture, int parameter) {
  GLint value = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexParameteriv(GL_TEXTURE_2D, GLenum(parameter), &value);
  return value;
}
