// Helpers for the suites of the show's second half (see Show2Support.h).
#include "Show2Support.h"

#include <GL/gl.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "Amb2Env.h"
#include "Amb2Lights.h"
#include "Amb2Materials.h"
#include "Ambrel2.h"
#include "tvCommon.h"

namespace fs = std::filesystem;

std::string CopyDemoData(const std::string& omit) {
  std::string pattern = (fs::temp_directory_path() / "tavix-data-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  for (const auto& entry : fs::directory_iterator(TAVIX_DATA_DIR)) {
    if (entry.is_regular_file() && entry.path().filename() != omit)
      fs::copy_file(entry.path(), fs::path(pattern) / entry.path().filename());
  }
  return pattern;
}

void RemoveDemoData(const std::string& folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

std::array<uint32_t, 201> ReadTimeSyncMoments(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
  std::array<uint32_t, 201> moments{};
  for (size_t i = 0; i < moments.size() && 4 * i + 3 < bytes.size(); ++i) {
    const unsigned char* b = &bytes[4 * i];
    moments[i] = b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24);
  }
  return moments;
}

void OpenShowWindow() {
  static bool open = false;
  if (open) return;
  open = true;
  fs::current_path(TAVIX_DATA_DIR);
  FarPlane = 4000;
  MainWindow = MakeGLWindow(800, 600, 32, true, "Tavix");
  SetLightNumber(GL_LIGHT0);
  InitLights();
  LightPosition = MakeVector(200, 200, 200);
  SetLightPosition(LightPosition);
  SetLightColors(MakeColor(1, 1, 1, 1), MakeColor(1, 1, 1, 1));
  TexChrome = LoadTexture("chrome.jpg");
  TexVelkrona = LoadTexture("velkrona.jpg");
  TexTavixM = LoadTexture("tavixm.jpg");
  TexSunset = LoadTexture("sunset.jpg");
  TexSunset2 = LoadTexture("sunset2.jpg");
  TexPurep = LoadTexture("purep.tga");
  TexWsTavix = LoadTexture("ws_tavix.jpg");
  RenderTexture = CreateEmptyTexture(512);
}

TRgb ReadBackPixel(int x, int y) {
  unsigned char p[4] = {};
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return {p[0], p[1], p[2]};
}

void SaveBackBufferPpm(const std::string& fileName, int width, int height) {
  std::vector<unsigned char> rgb(size_t(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  std::ofstream out(fileName, std::ios::binary);
  out << "P6\n" << width << " " << height << "\n255\n";
  for (int row = height - 1; row >= 0; --row)
    out.write(reinterpret_cast<const char*>(&rgb[size_t(row) * width * 3]), std::streamsize(width) * 3);
}
