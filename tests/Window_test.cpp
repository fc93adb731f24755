// The window and its context under SDL's offscreen driver (which draws into
// a single-buffered surface, so double buffering shows only on a display): creation with the
// default GL state, the projection, presenting through the frame sink, the
// frame scaled into windows of other sizes, a size change, teardown, the
// message of a window that cannot be made, and the display options.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Amb2BasicDraw.h"
#include "Amb2Textures.h"
#include "Amb2_2D.h"
#include "AmbFrame.h"
#include "AmbSystem.h"
#include "Ambrel2.h"
#include "ShowFrames.h"
#include "SpineSupport.h"
#include "tvCommon.h"
#include "tvLoading.h"
#include "tvOptions.h"

namespace {

using namespace spine;

std::array<GLint, 4> Viewport() {
  std::array<GLint, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

std::array<float, 16> Projection() {
  std::array<float, 16> m{};
  glGetFloatv(GL_PROJECTION_MATRIX, m.data());
  return m;
}

void ExpectPerspective(const std::array<float, 16>& m, double aspect, double farPlane) {
  const double f = 1.0 / std::tan(45.0 / 2.0 * M_PI / 180.0);
  EXPECT_NEAR(m[0], f / aspect, 1e-5 * f / aspect);
  EXPECT_NEAR(m[5], f, 1e-5);
  EXPECT_NEAR(m[10], (farPlane + 1.0) / (1.0 - farPlane), 1e-5);
  EXPECT_NEAR(m[14], 2.0 * farPlane / (1.0 - farPlane), 1e-4);
  EXPECT_EQ(m[11], -1.0f);
}

// Pumps until one frame was presented; returns the frame the sink read and
// counts the calls that handled an event instead.
TFrameShot PresentOnce(const TGLWindow& window, int* eventsHandled = nullptr) {
  TFrameShot frame;
  bool presented = false;
  SetFrameSink([&](const TGLWindow& shown) {
    frame = ReadFrame(shown);
    presented = true;
  });
  int calls = 0;
  for (; !presented && calls < 100; ++calls) PumpMessagesAndSwap(window);
  SetFrameSink({});
  if (eventsHandled) *eventsHandled = calls - 1;
  return frame;
}

// What the window shows. The offscreen driver's surface keeps the presented
// picture after the swap, so it is read from there.
TFrameShot ReadWindow(int width, int height) {
  GLint frameBuffer = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &frameBuffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  TFrameShot shown;
  shown.Width = width;
  shown.Height = height;
  shown.Rgb.resize(size_t(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, shown.Rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(frameBuffer));
  return shown;
}

// The frame under window pixel (x, y) of a box it is stretched over, sampled
// between the four nearest frame pixels.
double Bilinear(const TFrameShot& frame, const TFrameBox& box, int x, int y, int channel) {
  const double u = (x - box.X + 0.5) * frame.Width / box.Width - 0.5;
  const double v = (y - box.Y + 0.5) * frame.Height / box.Height - 0.5;
  const int u0 = int(std::floor(u)), v0 = int(std::floor(v));
  auto at = [&](int px, int py) {
    const TShotPixel p = frame.At(std::clamp(px, 0, frame.Width - 1), std::clamp(py, 0, frame.Height - 1));
    return double(channel == 0 ? p.r : channel == 1 ? p.g : p.b);
  };
  const double fu = u - u0, fv = v - v0;
  return (at(u0, v0) * (1 - fu) + at(u0 + 1, v0) * fu) * (1 - fv) +
         (at(u0, v0 + 1) * (1 - fu) + at(u0 + 1, v0 + 1) * fu) * fv;
}

// Pixels of the window that are not what the box and the bars should hold.
int WrongPixels(const TFrameShot& shown, const TFrameShot& frame, const TFrameBox& box) {
  int wrong = 0;
  for (int y = 0; y < shown.Height; ++y)
    for (int x = 0; x < shown.Width; ++x) {
      const TShotPixel p = shown.At(x, y);
      const bool inBox = x >= box.X && x < box.X + box.Width && y >= box.Y && y < box.Y + box.Height;
      const int got[3] = {p.r, p.g, p.b};
      for (int c = 0; c < 3; ++c) {
        const double want = inBox ? Bilinear(frame, box, x, y, c) : 0.0;
        if (std::fabs(got[c] - want) > 3.0) {
          ++wrong;
          break;
        }
      }
    }
  return wrong;
}

// A frame drawn the program's way: a perspective quad in smooth colours and
// 2D rectangles placed from the window record, at two corners.
void DrawTestFrame() {
  glClearColor(0.2f, 0.2f, 0.4f, 1.0f);
  ClearScreen();
  glTranslatef(0, 0, -3);
  glBegin(GL_QUADS);
  glColor3f(1, 0, 0), glVertex3f(-1, -1, 0);
  glColor3f(0, 1, 0), glVertex3f(1, -1, 0);
  glColor3f(0, 0, 1), glVertex3f(1, 1, 0);
  glColor3f(1, 1, 1), glVertex3f(-1, 1, 0);
  glEnd();
  const float w = float(CurrentWindow().Width), h = float(CurrentWindow().Height);
  Begin2D();
  DrawRect(MakeColor(1, 1, 0, 1), 0, 0, 40, 30);
  DrawRect(MakeColor(0, 1, 1, 1), w - 40, h - 30, 40, 30);
  End2D();
}

uint32_t WhiteTexture() {
  const uint8_t pixels[16] = {255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
  return CreateTextureFromPixels(2, 2, TPixelFormat::RGBA, pixels);
}

class Window : public ::testing::Test {
 protected:
  void TearDown() override {
    if (window.Window) KillGLWindow(window);
    SetDisplayChoice({});
  }
  TGLWindow window;
  TMessageLog messages;
};

TEST_F(Window, CreationGivesACurrentContextWithDepthAndTheDefaultState) {
  window = MakeGLWindow(800, 600, 32, false, "Tavix");
  ASSERT_TRUE(HasCurrentGLContext());
  EXPECT_EQ(CurrentWindow().Window, window.Window);
  EXPECT_EQ(window.Width, 800);
  EXPECT_EQ(window.Bits, 32);
  EXPECT_STREQ(window.Title, "Tavix");
  GLint depthBits = 0, stencilBits = -1;
  glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  EXPECT_GE(depthBits, 24);
  EXPECT_EQ(stencilBits, 0);

  std::array<float, 4> clear{};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
  EXPECT_EQ(clear, (std::array<float, 4>{0.2f, 0.2f, 0.4f, 0.0f}));
  GLint value = 0;
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
  EXPECT_EQ(value, GL_NICEST);
  glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &value);
  EXPECT_EQ(value, GL_SPHERE_MAP);
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &value);
  EXPECT_EQ(value, GL_SPHERE_MAP);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  for (GLenum off : {GL_LIGHTING, GL_BLEND, GL_CULL_FACE, GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
    EXPECT_FALSE(glIsEnabled(off)) << off;
  EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Window, ProjectionFollowsTheSizeAndFarPlane) {
  window = MakeGLWindow(800, 600, 32, false, "Tavix");
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
  ExpectPerspective(Projection(), 800.0 / 600.0, 100000.0);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);

  FarPlane = 4000.0f;
  ResizeGLScene(320, 0);  // a minimised window: height taken as 1
  FarPlane = 100000.0f;
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 320, 1}));
  ExpectPerspective(Projection(), 320.0, 4000.0);
}

TEST_F(Window, PumpHandsTheFinishedFrameToTheSinkThenPresents) {
  window = MakeGLWindow(64, 48, 32, false, "Tavix");
  int presented = 0;
  std::array<uint8_t, 4> pixel{};
  SetFrameSink([&](const TGLWindow& frame) {
    EXPECT_EQ(frame.Window, window.Window);
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    ++presented;
  });
  glClearColor(1, 0, 0, 1);
  int calls = 0;
  while (presented == 0 && calls < 100) {
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_FALSE(PumpMessagesAndSwap(window));
    ++calls;
  }
  SetFrameSink({});
  EXPECT_EQ(presented, 1);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0);
}

// The frame stays 800 x 600 and reads the same whatever the window's size;
// the window shows it stretched over the centred 4:3 box, black around it.
TEST_F(Window, FrameIsScaledIntoTheCentredBoxWithBlackBars) {
  struct TCase {
    int Width, Height;
    TFrameBox Box;
  };
  const TCase cases[] = {{800, 600, {0, 0, 800, 600}},
                         {1280, 1024, {0, 32, 1280, 960}},
                         {1024, 768, {0, 0, 1024, 768}},
                         {640, 480, {0, 0, 640, 480}},
                         {1280, 720, {160, 0, 960, 720}}};
  TFrameShot reference;
  for (const TCase& c : cases) {
    SetDisplayChoice({TScreenMode::Window, c.Width, c.Height});
    window = MakeGLWindow(800, 600, 32, false, "Tavix");
    // A window of the frame's size is drawn into directly: nothing to scale.
    GLint bound = -1;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound == 0, c.Width == 800 && c.Height == 600) << c.Width << " x " << c.Height;
    DrawTestFrame();
    const TFrameShot frame = PresentOnce(window);
    const TFrameShot shown = ReadWindow(c.Width, c.Height);
    KillGLWindow(window);
    window = TGLWindow{};
    ASSERT_EQ(frame.Width, 800);
    ASSERT_EQ(frame.Height, 600);
    if (reference.Rgb.empty()) reference = frame;
    EXPECT_TRUE(frame.Rgb == reference.Rgb) << c.Width << " x " << c.Height;
    EXPECT_EQ(WrongPixels(shown, frame, c.Box), 0) << c.Width << " x " << c.Height;
  }
}

// A size change (here: to the offscreen display's 1024 x 768) reaches the
// pump, and the frame state stays the frame's: full-frame pictures, the
// letterbox and the 2D overlay still cover the whole 800 x 600 frame.
TEST_F(Window, ASizeChangeLeavesTheFrameStateAlone) {
  MainWindow = window = MakeGLWindow(800, 600, 32, false, "Tavix");
  ToggleFullscreen();
  int events = 0;
  PresentOnce(window, &events);
  EXPECT_GT(events, 0);
  EXPECT_EQ(CurrentWindow().Width, 800);
  EXPECT_EQ(CurrentWindow().Height, 600);
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
  ExpectPerspective(Projection(), 800.0 / 600.0, FarPlane);

  LoadingPicture = WhiteTexture();
  ClearScreen();
  DrawLoadingScreen("Ready", 100);
  Begin2D();
  DrawRect(MakeColor(1, 0, 0, 1), 760, 560, 40, 40);
  End2D();
  TFrameShot frame = ReadFrame(MainWindow);
  for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}}) EXPECT_EQ(frame.At(x, y).g, 255) << x << ", " << y;
  EXPECT_EQ(frame.At(799, 599).g, 0);  // the overlay's corner
  TexWsTavix = 0xFFFFFFFFu;            // the bands alone over the clear colour
  ClearScreen();
  DrawLetterbox();
  frame = ReadFrame(MainWindow);
  for (int x : {0, 799}) {
    EXPECT_EQ(frame.At(x, 0).b, 0);
    EXPECT_GT(frame.At(x, 300).b, 0);
    EXPECT_EQ(frame.At(x, 599).b, 0);
  }
  LoadingPicture = TexWsTavix = 0;
}

TEST_F(Window, TwoSidedSwitchesCulling) {
  window = MakeGLWindow(64, 48, 32, false, "Tavix");
  SetTwoSided(false);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  SetTwoSided(true);
  SetTwoSided(true);
  EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(Window, FullscreenWithoutADisplayRunsInTheWindowSilently) {
  window = MakeGLWindow(800, 600, 32, true, "Tavix");
  EXPECT_TRUE(HasCurrentGLContext());
  EXPECT_TRUE(messages.Shown.empty());
  EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 800, 600}));
}

TEST_F(Window, TeardownReleasesTheContextAndAllowsANewWindow) {
  window = MakeGLWindow(64, 48, 32, false, "Tavix");
  KillGLWindow(window);
  window = TGLWindow{};
  EXPECT_FALSE(HasCurrentGLContext());
  EXPECT_EQ(CurrentWindow().Window, nullptr);
  window = MakeGLWindow(32, 32, 32, false, "again");
  EXPECT_TRUE(HasCurrentGLContext());
  EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Window, NoWindowSystemIsReportedAndStopsTheProgram) {
  const std::string driver = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "";
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  EXPECT_THROW(MakeGLWindow(64, 48, 32, false, "Tavix"), EProgramStop);
  setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
  ASSERT_EQ(messages.Shown.size(), 1u);
  EXPECT_EQ(messages.Shown[0].Caption, "Error");
  EXPECT_EQ(messages.Shown[0].Text, "Failed to register the window class!");
  EXPECT_FALSE(HasCurrentGLContext());
}

TEST(DisplayOptions, ParseAndRefuse) {
  const std::vector<std::pair<std::vector<std::string>, TScreenMode>> good = {
      {{}, TScreenMode::AsAsked}, {{"--window"}, TScreenMode::Window}, {{"--fullscreen"}, TScreenMode::Fullscreen}};
  for (const auto& [args, screen] : good) {
    const TTavixOptions options = ParseTavixOptions(args);
    EXPECT_EQ(options.Screen, screen);
    EXPECT_FALSE(options.Help);
  }
  EXPECT_TRUE(ParseTavixOptions({"--help"}).Help);
  EXPECT_TRUE(ParseTavixOptions({"-h"}).Help);
  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"--windowed"}, "unknown option \"--windowed\""},
      {{"data"}, "unknown option \"data\""},
      {{"--window", "--fullscreen"}, "--window and --fullscreen cannot be used together"}};
  for (const auto& [args, message] : bad) {
    try {
      ParseTavixOptions(args);
      ADD_FAILURE() << args[0];
    } catch (const ETavixUsage& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
  for (const char* word : {"--window", "--fullscreen", "--help", "Alt+Enter", "Escape"})
    EXPECT_NE(TavixHelpText().find(word), std::string::npos) << word;
}

}  // namespace
