// See EngineSupport.h.
#include "EngineSupport.h"

#include <GL/gl.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "AmbSystem.h"
#include "Ambrel2.h"
#include "SpineSupport.h"

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

std::string ScratchPath(const std::string& name) {
  static const spine::TScratchFolder folder;
  return folder.File(name);
}

std::string WriteScratchFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = ScratchPath(name);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!file) throw std::runtime_error("cannot write scratch file " + path);
  return path;
}

void PrepareGL() {
  static const TGLWindow window = MakeGLWindow(800, 600, 32, false, "engine");
  glViewport(0, 0, window.Width, window.Height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, window.Width, 0, window.Height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (const GLenum cap : {GL_LIGHTING, GL_CULL_FACE, GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_FOG, GL_TEXTURE_GEN_S,
                           GL_TEXTURE_GEN_T, GL_COLOR_MATERIAL, GL_LIGHT0, GL_LIGHT1, GL_NORMALIZE})
    glDisable(cap);
  glColor4f(1, 1, 1, 1);
}

std::array<float, 4> CurrentColor() {
  std::array<float, 4> c{};
  glGetFloatv(GL_CURRENT_COLOR, c.data());
  return c;
}
