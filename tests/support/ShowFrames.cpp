// The show suites' harness (see ShowFrames.h).
#include "ShowFrames.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "Amb2Bytes.h"
#include "Amb2Lights.h"
#include "Amb2Materials.h"
#include "tvCommon.h"
#include "tvParts.h"

namespace fs = std::filesystem;

// ---- the data --------------------------------------------------------------

TDemoData::TDemoData(const std::string& omit) {
  for (const auto& entry : fs::directory_iterator(TAVIX_DATA_DIR))
    if (entry.is_regular_file() && entry.path().filename() != omit)
      fs::copy_file(entry.path(), fs::path(Folder()) / entry.path().filename());
}

void TDemoData::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
  spine::WriteBytes(Path(name), std::string(bytes.begin(), bytes.end()));
}

void TDemoData::WriteTable(const std::vector<uint32_t>& moments) const {
  TByteWriter out;
  for (size_t i = 0; i < 201; ++i) out.U32(i < moments.size() ? moments[i] : 0);
  Write("timesync.dat", out.Bytes);
}

bool HaveDemoData() { return fs::exists(fs::path(TAVIX_DATA_DIR) / "timesync.dat"); }

std::vector<uint8_t> ReadBytes(const std::string& fileName) {
  const std::string bytes = spine::ReadBytes(fileName);
  return {bytes.begin(), bytes.end()};
}

std::array<uint32_t, 201> ReadTimeSyncMoments(const std::string& fileName) {
  const std::vector<uint8_t> bytes = ReadBytes(fileName);
  std::array<uint32_t, 201> moments{};
  for (size_t i = 0; i < moments.size() && 4 * i + 3 < bytes.size(); ++i)
    for (size_t b = 0; b < 4; ++b) moments[i] |= uint32_t(bytes[4 * i + b]) << (8 * b);
  return moments;
}

// ---- playing ---------------------------------------------------------------

TShowRun PlayShow(THeadlessOptions options) {
  TShowRun run;
  options.OnFrame = [&run, look = std::move(options.OnFrame)](const TGLWindow& window) {
    if (run.Parts.empty() || run.Parts.back() != CurrentPart) run.Parts.push_back(CurrentPart);
    ++run.Frames[CurrentPart];
    if (glGetError() != GL_NO_ERROR) ++run.GlErrorFrames[CurrentPart];
    if (look) look(window);
  };
  run.Result = RunHeadless(ShowParts(), options);
  return run;
}

// ---- looking ---------------------------------------------------------------

TShotPixel TFrameShot::At(int x, int y) const {
  const size_t i = (size_t(y) * Width + x) * 3;
  return {Rgb[i], Rgb[i + 1], Rgb[i + 2]};
}

double TFrameShot::MeanBrightness(int x0, int y0, int x1, int y1) const {
  double sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const TShotPixel p = At(x, y);
      sum += p.r + p.g + p.b;
    }
  const double count = 3.0 * (x1 - x0) * (y1 - y0);
  return count > 0 ? sum / count : 0;
}

TFrameShot ReadFrame(const TGLWindow& window) {
  TFrameShot frame{window.Width, window.Height, {}};
  frame.Rgb.resize(size_t(frame.Width) * frame.Height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, frame.Width, frame.Height, GL_RGB, GL_UNSIGNED_BYTE, frame.Rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return frame;
}

std::string GlStateLine() {
  std::ostringstream line;
  for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_FOG, GL_LIGHTING, GL_LIGHT0, GL_TEXTURE_2D,
                     GL_ALPHA_TEST, GL_COLOR_MATERIAL, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_NORMALIZE})
    line << int(glIsEnabled(cap));
  auto ints = [&](GLenum name, int count) {
    GLint v[4] = {};
    glGetIntegerv(name, v);
    for (int i = 0; i < count; ++i) line << ' ' << v[i];
  };
  auto floats = [&](GLenum name, int count) {
    GLfloat v[16] = {};
    glGetFloatv(name, v);
    char text[32];
    // Three decimals, and no sign on zero, so that rounding noise does not count.
    for (int i = 0; i < count; ++i)
      line << ' ' << (std::snprintf(text, sizeof text, "%.3f", std::fabs(v[i]) < 5e-4f ? 0.0f : v[i]), text);
  };
  ints(GL_BLEND_SRC, 1), ints(GL_BLEND_DST, 1), ints(GL_DEPTH_FUNC, 1), ints(GL_DEPTH_WRITEMASK, 1);
  ints(GL_ALPHA_TEST_FUNC, 1), floats(GL_ALPHA_TEST_REF, 1), ints(GL_CULL_FACE_MODE, 1), ints(GL_FRONT_FACE, 1);
  ints(GL_POLYGON_MODE, 2), ints(GL_SHADE_MODEL, 1), ints(GL_MATRIX_MODE, 1), ints(GL_VIEWPORT, 4);
  ints(GL_TEXTURE_BINDING_2D, 1), floats(GL_COLOR_CLEAR_VALUE, 4), floats(GL_CURRENT_COLOR, 4);
  ints(GL_FOG_MODE, 1), floats(GL_FOG_START, 1), floats(GL_FOG_END, 1), floats(GL_FOG_DENSITY, 1);
  floats(GL_FOG_COLOR, 4), floats(GL_PROJECTION_MATRIX, 16), floats(GL_MODELVIEW_MATRIX, 16);
  return line.str();
}

TPictureDifference ComparePictures(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& reference) {
  TPictureDifference d;
  for (size_t i = 0; i + 2 < std::min(frame.size(), reference.size()); i += 3) {
    int worst = 0;
    for (size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(frame[i + c] - reference[i + c]));
    d.Pixels += worst > 5;
    d.Worst = std::max(d.Worst, worst);
  }
  return d;
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
  TexTavixM = LoadTexture("tavixm.jpg");
  TexSunset = LoadTexture("sunset.jpg");
}
