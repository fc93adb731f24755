// The platform layer under SDL's offscreen video driver (a single-buffered
// surface that keeps the presented picture) and dummy sound driver: the frame
// kept at 800 x 600 and scaled into windows of other sizes, a size change,
// no framebuffer objects, a window that cannot be made; the music's slots, a
// missing sound device leaving the show silent, and an error exit waiting for
// the decoding.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <thread>

#include "Amb2BasicDraw.h"
#include "Amb2Bytes.h"
#include "Amb2_2D.h"
#include "AmbBass.h"
#include "AmbFrame.h"
#include "AmbMouse.h"
#include "AmbSystem.h"
#include "Ambrel2.h"
#include "ShowFrames.h"
#include "SpineSupport.h"
#include "tvParts.h"

namespace {

using namespace spine;

GLint Get(GLenum name) {
  GLint value[4] = {-1};
  glGetIntegerv(name, value);
  return value[0];
}

// An RGB picture, bottom row first: the window's own pixels, or what is
// bound for reading.
struct TShot {
  TShot(int width, int height, bool fromWindow) : Width(width), Height(height), Rgb(size_t(width) * height * 3) {
    const GLint bound = Get(GL_READ_FRAMEBUFFER_BINDING);
    if (fromWindow) glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, Rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(bound));
  }
  double At(int x, int y, int c) const {
    return Rgb[(size_t(std::clamp(y, 0, Height - 1)) * Width + size_t(std::clamp(x, 0, Width - 1))) * 3 + c];
  }
  int Width, Height;
  std::vector<uint8_t> Rgb;
};

// Pumps until a frame is presented; returns the frame as the frame sink read
// it and counts the calls that handled an event instead.
TShot PresentOnce(const TGLWindow& window, int* events = nullptr) {
  std::optional<TShot> frame;
  SetFrameSink([&](const TGLWindow& shown) { frame.emplace(shown.Width, shown.Height, false); });
  int calls = 0;
  while (!frame && calls++ < 100) PumpMessagesAndSwap(window);
  SetFrameSink({});
  if (events) *events = calls - 1;
  return frame.value();
}

// Window pixels that are neither the frame stretched over the box, sampled
// between its four nearest pixels, nor the black of the bars around it.
int WrongPixels(const TShot& shown, const TShot& frame, const TFrameBox& box) {
  int wrong = 0;
  for (int y = 0; y < shown.Height; ++y)
    for (int x = 0; x < shown.Width; ++x) {
      const double u = (x - box.X + 0.5) * frame.Width / box.Width - 0.5;
      const double v = (y - box.Y + 0.5) * frame.Height / box.Height - 0.5;
      const int u0 = int(std::floor(u)), v0 = int(std::floor(v));
      const bool inBox = x >= box.X && x < box.X + box.Width && y >= box.Y && y < box.Y + box.Height;
      for (int c = 0; c < 3; ++c) {
        const auto row = [&](int py) {
          return frame.At(u0, py, c) * (u0 + 1 - u) + frame.At(u0 + 1, py, c) * (u - u0);
        };
        const double want = inBox ? row(v0) * (v0 + 1 - v) + row(v0 + 1) * (v - v0) : 0.0;
        wrong += std::fabs(shown.At(x, y, c) - want) > 3.0;
      }
    }
  return wrong;
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

// The frame stays 800 x 600 and reads the same whatever the window's size;
// the window shows it stretched over the centred 4:3 box, black around it.
// A window of the frame's size gets it pixel for pixel.
TEST_F(Window, FrameIsScaledIntoTheCentredBoxWithBlackBars) {
  const struct {
    int Width, Height;
    TFrameBox Box;
  } cases[] = {{800, 600, {0, 0, 800, 600}},
               {1280, 1024, {0, 32, 1280, 960}},
               {640, 480, {0, 0, 640, 480}},
               {1280, 720, {160, 0, 960, 720}}};
  std::vector<uint8_t> reference;
  for (const auto& [width, height, box] : cases) {
    SetDisplayChoice({TScreenMode::Window, width, height, {}});
    window = MakeGLWindow(800, 600, 32, false, "Tavix");
    EXPECT_NE(Get(GL_DRAW_FRAMEBUFFER_BINDING), 0) << width;
    ClearScreen();
    Begin2D();
    DrawRect(MakeColor(1, 1, 0, 1), 0, 0, 40, 30);
    DrawRect(MakeColor(0, 1, 1, 1), 760, 570, 40, 30);
    End2D();
    // State the drawing may leave, which would change the quad the frame is
    // presented as; the presentation ignores it and keeps it.
    glEnable(GL_BLEND), glBlendFunc(GL_ZERO, GL_ONE), glEnable(GL_CULL_FACE), glCullFace(GL_FRONT);
    glEnable(GL_TEXTURE_GEN_S), glMatrixMode(GL_TEXTURE), glScalef(2, 2, 2);
    const std::string state = GlStateLine();
    const TShot frame = PresentOnce(window), shown(width, height, true);
    EXPECT_EQ(GlStateLine(), state) << width;
    KillGLWindow(window);
    window = TGLWindow{};
    EXPECT_FALSE(HasCurrentGLContext());
    ASSERT_EQ(std::make_pair(frame.Width, frame.Height), std::make_pair(800, 600));
    if (reference.empty()) reference = frame.Rgb;
    EXPECT_TRUE(frame.Rgb == reference) << width;
    EXPECT_EQ(WrongPixels(shown, frame, box), 0) << width;
  }
}

// A size change (here: to the offscreen display's 1024 x 768) reaches the
// pump and leaves the frame state alone: the record, the viewport and the
// projection stay the frame's, and 2D drawing still reaches its far corner.
TEST_F(Window, ASizeChangeLeavesTheFrameStateAlone) {
  window = MakeGLWindow(800, 600, 32, false, "Tavix");
  ToggleFullscreen();
  int events = 0;
  PresentOnce(window, &events);
  EXPECT_GT(events, 0);
  EXPECT_EQ(std::make_pair(CurrentWindow().Width, CurrentWindow().Height), std::make_pair(800, 600));
  std::array<GLint, 4> viewport{};
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  EXPECT_EQ(viewport, (std::array<GLint, 4>{0, 0, 800, 600}));
  float projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[5] / projection[0], 800.0 / 600.0, 1e-5);  // the frame's aspect
  ClearScreen();
  Begin2D();
  DrawRect(MakeColor(1, 0, 0, 1), 760, 560, 40, 40);
  End2D();
  const TShot frame(800, 600, false);
  EXPECT_EQ(frame.At(799, 599, 0), 255);
  EXPECT_EQ(frame.At(759, 599, 0), 51);  // the clear colour beside it
}

// In a child process that hides framebuffer objects from the driver: asked
// for fullscreen at 1280 x 1024, the demo gets a window of the frame's size,
// and Alt+Enter (which would make the offscreen window the display's
// 1024 x 768) leaves window, viewport (the scenes) and record (the 2D layer)
// at 800 x 600; drawn into directly, the window has depth planes of its own.
[[noreturn]] void PlayWithoutFrame() {
  SetDisplayChoice({TScreenMode::Fullscreen, 1280, 1024, {}});
  const TGLWindow window = MakeGLWindow(800, 600, 32, true, "Tavix");
  ToggleFullscreen();
  for (int i = 0; i < 10; ++i) PumpMessagesAndSwap(window);
  std::array<GLint, 4> viewport{}, size{};
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  GetDrawableSize(window, size[2], size[3]);
  std::cerr << "window " << size[2] << " x " << size[3] << ", viewport " << viewport[2] << " x " << viewport[3]
            << ", record " << CurrentWindow().Width << " x " << CurrentWindow().Height << "\n";
  const std::array<GLint, 4> frame{0, 0, 800, 600};
  std::exit(HasFrame() || viewport != frame || size != frame || CurrentWindow().Width != 800 ||
            CurrentWindow().Height != 600 || Get(GL_DEPTH_BITS) < 24);
}

TEST(WindowWithoutFrame, PlaysAtTheFrameSizeAndSaysWhy) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process reads the override
  setenv("MESA_EXTENSION_OVERRIDE", "-GL_ARB_framebuffer_object", 1);
  EXPECT_EXIT(PlayWithoutFrame(), testing::ExitedWithCode(0), "no framebuffer objects .*a 800 x 600 window");
  unsetenv("MESA_EXTENSION_OVERRIDE");
}

TEST_F(Window, NoWindowSystemIsReportedAndStopsTheProgram) {
  const std::string driver = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "";
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  EXPECT_THROW(MakeGLWindow(64, 48, 32, false, "Tavix"), EProgramStop);
  setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
  EXPECT_EQ(messages.Shown, std::vector<std::string>{"Error: Failed to register the window class!"});
  EXPECT_FALSE(HasCurrentGLContext());
}

// Window points (top-left origin) onto the 800 x 600 frame (lower-left
// origin): the frame's own size, letterboxed with 32-point bars, pillarboxed
// with 240-point bars. Over a bar or outside, X and Y stay on the picture.
// The frame's default by the renderer: Mesa's CPU renderers draw the
// classic frame, anything else the display's own box, the largest 4:3 box of
// whole pixels.
TEST(FrameSize, TheDefaultFollowsTheRendererAndNativeIsTheLargest43Box) {
  const std::pair<const char*, bool> renderers[] = {
      {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
      {"softpipe", true},
      {"Software Rasterizer", true},
      {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
      {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
      {"NVIDIA GeForce RTX 3070/PCIe/SSE2", false}};
  for (const auto& [renderer, software] : renderers) EXPECT_EQ(IsSoftwareRenderer(renderer), software) << renderer;
  const std::array<int, 4> boxes[] = {{1280, 1024, 1280, 960},  {1920, 1080, 1440, 1080}, {1001, 700, 932, 699},
                                      {3840, 2160, 2880, 2160}, {800, 600, 800, 600},     {2, 2, 4, 3}};
  for (const auto& [width, height, frameWidth, frameHeight] : boxes) {
    int w = 0, h = 0;
    NativeFrameSize(width, height, w, h);
    EXPECT_EQ(std::make_pair(w, h), std::make_pair(frameWidth, frameHeight)) << width << "x" << height;
  }
}

TEST(Mouse, WindowPointsLandOnFramePixels) {
  const struct {
    int X, Y, Width, Height;
    bool Inside;
    int FrameX, FrameY;
  } cases[] = {{0, 0, 800, 600, true, 0, 599},         {799, 599, 800, 600, true, 799, 0},
               {400, 300, 800, 600, true, 400, 299},   {-1, 300, 800, 600, false, 0, 299},
               {0, 32, 1280, 1024, true, 0, 599},      {1279, 991, 1280, 1024, true, 799, 0},
               {640, 31, 1280, 1024, false, 400, 599}, {640, 992, 1280, 1024, false, 400, 0},
               {240, 0, 1920, 1080, true, 0, 599},     {1679, 1079, 1920, 1080, true, 799, 0},
               {239, 540, 1920, 1080, false, 0, 299},  {1680, 540, 1920, 1080, false, 799, 299}};
  for (const auto& c : cases) {
    const TMouseState m = FramePointFromWindow(c.X, c.Y, c.Width, c.Height, 800, 600);
    EXPECT_EQ(std::tuple(m.Inside, m.X, m.Y), std::tuple(c.Inside, c.FrameX, c.FrameY))
        << c.X << "," << c.Y << " in " << c.Width << "x" << c.Height;
  }
}

// A second of a 16-bit 44100 Hz saw tone as a RIFF/WAVE file, the same on
// every channel.
std::string WaveFile(uint16_t channels = 1) {
  const uint32_t bytes = 88200u * channels;
  TByteWriter out;
  out.Text("RIFF").U32(36 + bytes).Text("WAVEfmt ").U32(16).U16(1).U16(channels).U32(44100).U32(bytes);
  out.U16(uint16_t(2 * channels)).U16(16).Text("data").U32(bytes);
  for (uint32_t i = 0; i < 44100 * channels; ++i) out.U16(uint16_t((i / channels % 100) * 300));
  return std::string(out.Bytes.begin(), out.Bytes.end());
}

TEST(Music, SlotsFillInOrderAndPlayOnceFromTheirStartTick) {
  const TScratchFolder folder;
  const TMessageLog messages;
  TVirtualClock clock{777};
  WriteBytes(folder.File("tone.wav"), WaveFile());
  WriteBytes(folder.File("broken.mp3"), "this is not music at all");
  const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
  setenv("SDL_AUDIODRIVER", "no-such-device", 1);
  EXPECT_FALSE(InitMusic(nullptr));
  setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
  EXPECT_EQ(LoadMusic(folder.File("tone.wav")), -1);
  EXPECT_EQ(PlayMusic(0, 100, 0), 0u);
  FreeMusic();

  ASSERT_TRUE(InitMusic(nullptr));
  for (const char* bad : {"missing.mp3", "broken.mp3"}) EXPECT_EQ(LoadMusic(folder.File(bad)), -1) << bad;
  EXPECT_EQ(LoadMusic(folder.File("tone.wav")), 0);
  EXPECT_EQ(LoadMusic(folder.File("tone.wav")), 1);
  EXPECT_EQ(MusicSampleCount(), 2);
  uint32_t tick = 0;
  for (int32_t emptySlot : {-1, 2}) EXPECT_EQ(PlayMusic(emptySlot, 100, 0), 0u) << emptySlot;
  EXPECT_FALSE(MusicStartTick(tick));
  clock.Tick = 4321;
  EXPECT_NE(PlayMusic(0, 100, 0), 0u);
  ASSERT_TRUE(MusicStartTick(tick));
  EXPECT_EQ(tick, 4321u);
  EXPECT_NE(PlayMusic(1, 50, -100), 0u);
  FreeMusic();
  EXPECT_EQ(MusicSampleCount(), 0);
  EXPECT_FALSE(MusicStartTick(tick));
  EXPECT_TRUE(messages.Shown.empty());
}

// The decoded sound is what plays: the stereo saw tone's very values, the
// song's 195 s. Playing from a moment and playing past the end keep the start
// tick where the music is; the output's rounds hand out the song from that
// moment on, round after round.
TEST(Music, PlaysFromAMomentAndReadsTheDecodedSound) {
  const TScratchFolder folder;
  TVirtualClock clock{100000};
  WriteBytes(folder.File("tone.wav"), WaveFile(2));
  ASSERT_TRUE(InitMusic(nullptr));
  const int32_t tone = LoadMusic(folder.File("tone.wav")), song = LoadMusic(TAVIX_DATA_DIR "/abstract.mp3");
  const TMusicSamples saw = MusicSamples(tone), music = MusicSamples(song);
  ASSERT_EQ(std::tuple(saw.Frames, saw.Rate, saw.Channels), std::tuple(size_t(44100), 44100, 2));
  for (size_t i = 0; i < 2 * saw.Frames; ++i) ASSERT_EQ(saw.Data[i], int16_t((i / 2 % 100) * 300)) << i;
  EXPECT_NEAR(double(music.Frames) / music.Rate, 195.0, 0.1);
  EXPECT_EQ(MusicSamples(2).Data, nullptr);
  uint32_t tick = 0;
  const auto startTick = [&tick] { return MusicStartTick(tick) ? tick : 0u; };
  EXPECT_NE(PlayMusicFrom(song, 60000), 0u);
  EXPECT_EQ(startTick(), 40000u);
  std::vector<TSongMix> rounds;
  EXPECT_TRUE(Eventually([&] { return (rounds = RecentSongMixes()).size() >= 3; }, 30));
  const double round = 2048 * 1000.0 / 44100;
  EXPECT_NEAR(std::remainder(rounds[0].SongMs - 60000, round), 0, 1e-6);
  for (size_t i = 0; i < rounds.size(); ++i) EXPECT_NEAR(rounds[i].SongMs, rounds[0].SongMs + i * round, 1e-6);
  EXPECT_TRUE(rounds.size() >= 3 && rounds[2].TickMs > rounds[0].TickMs);
  EXPECT_TRUE(MusicPlaying());
  clock.Tick += 2000;
  EXPECT_EQ(PlayMusicFrom(song, 196000), 0u);
  EXPECT_FALSE(MusicPlaying());
  EXPECT_EQ(startTick(), 102000u - 196000u);
  EXPECT_TRUE(RecentSongMixes().empty());
  FreeMusic();
}

// Loading stops at the first model, star.aab, while the song still decodes
// on its own thread: the error exit waits for it before SDL goes, so no
// thread outlives the run.
TEST(Music, AnErrorExitDuringTheLoadingFinishesTheDecodingFirst) {
  const TDemoData data("star.aab");
  const auto threads = [] {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return std::distance(begin(tasks), end(tasks));
  };
  std::thread([] {}).join();  // what starts with the first thread (ThreadSanitizer's own) is in the count
  const auto before = threads();
  THeadlessOptions options;
  options.DataDir = data.Folder();
  ASSERT_EQ(RunHeadless(ShowParts(), options).ExitCode, 1);
  EXPECT_EQ(threads(), before);
  EXPECT_EQ(MusicSampleCount(), 0);
}

}  // namespace

// Where a data folder cannot be written (here for nobody, in a child that
// gives up root), the user's files go to $XDG_DATA_HOME/tavix, and to
// ~/.local/share/tavix when it is unset or not absolute; where it can, beside
// the data.
TEST(UserFiles, GoToTheUsersOwnFolderWhenTheDataCannotBeWritten) {
  if (getuid() != 0) GTEST_SKIP() << "needs root to become another user";
  const TScratchFolder folder;
  chmod(folder.Path.c_str(), 0755);
  const struct {
    const char* Xdg;
    bool Writable;
    std::string Place;
  } cases[] = {{nullptr, false, "/h/.local/share/tavix/t.dat"},
               {"relative/xdg", false, "/h/.local/share/tavix/t.dat"},
               {"/x", false, "/x/tavix/t.dat"},
               {"/x", true, "t.dat"}};
  for (const auto& [xdg, writable, place] : cases) {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    if (fork() == 0) {
      xdg ? setenv("XDG_DATA_HOME", xdg, 1) : unsetenv("XDG_DATA_HOME");
      setenv("HOME", "/h", 1);
      const bool ready = chdir(folder.Path.c_str()) == 0 && (writable || setresuid(65534, 65534, 65534) == 0);
      const std::string written = ready ? UserFilePlace("t.dat").Write : "";
      _exit(write(out[1], written.data(), written.size()) == ssize_t(written.size()) ? 0 : 1);
    }
    close(out[1]);
    char answer[256] = {};
    const ssize_t length = read(out[0], answer, sizeof answer - 1);
    close(out[0]);
    wait(nullptr);
    EXPECT_EQ(std::string(answer, size_t(std::max<ssize_t>(length, 0))), place) << (xdg ? xdg : "unset");
  }
}
