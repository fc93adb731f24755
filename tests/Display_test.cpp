// The window code on a private Xvfb (black 1280 x 1024 screen), keys typed
// with xdotool, the screen read back with XGetImage: fullscreen, Alt+Enter,
// a message box in fullscreen, the program's display options, a close
// request and the pointer.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>
#include <tuple>
#include <vector>

#include "AmbFrame.h"
#include "AmbInput.h"
#include "AmbMouse.h"
#include "Ambrel2.h"
#include "SpineSupport.h"
#include "Tavix.h"
#include "tvCommon.h"

// Last: Xlib's macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace spine;

// A private X server on a free display number; SDL's X11 driver and xdotool
// use it while it lives.
// A font path of "built-ins" leaves it only the font built into it.
struct TXServer {
  explicit TXServer(const char* fontPath = nullptr) {
    int ready[2];
    if (pipe(ready) != 0) return;
    Pid = fork();
    if (Pid == 0) {
      close(ready[0]);
      const std::string fd = std::to_string(ready[1]);
      std::vector<const char*> args = {"Xvfb",         "-displayfd", fd.c_str(),  "-screen", "0",
                                       "1280x1024x24", "-br",        "-nolisten", "tcp"};
      if (fontPath) args.insert(args.end(), {"-fp", fontPath});
      args.push_back(nullptr);
      execvp("Xvfb", const_cast<char* const*>(args.data()));
      _exit(127);
    }
    close(ready[1]);
    // Xvfb writes its number and a newline once it takes clients (end of
    // file when it fails); it dies if the pipe closes before the newline.
    FILE* reply = fdopen(ready[0], "r");
    char number[32] = {};
    const bool started = std::fgets(number, sizeof number, reply) && std::strchr(number, '\n');
    std::fclose(reply);
    if (!started) return;
    *std::strchr(number, '\n') = 0;
    setenv("DISPLAY", (std::string(":") + number).c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    Display = XOpenDisplay(nullptr);
    // A window that went away is only a failed look here.
    XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
  }
  ~TXServer() {
    if (Display) XCloseDisplay(Display);
    kill(Pid, SIGTERM);
    waitpid(Pid, nullptr, 0);
  }
  pid_t Pid = -1;
  ::Display* Display = nullptr;
};

bool Xdo(const std::string& args) { return RunCommand("timeout 120 xdotool " + args).ExitStatus == 0; }

// The visible window of that title, waited for; 0 when none comes.
Window FindWindow(const std::string& title) {
  return std::strtoul(
      RunCommand("timeout 120 xdotool search --sync --onlyvisible --name '^" + title + "$'").Output.c_str(), nullptr,
      10);
}

// Where a window is on the screen, as "x,y wxh".
std::string Place(::Display* display, Window window) {
  Window root;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (!XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth)) return "gone";
  return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
}

// What shows: the window's place, then the screen's two outer columns from
// top to bottom as runs of black and white rows ("32 black 960 white ...").
std::string View(::Display* display, Window window) {
  std::string view = Place(display, window);
  for (const int x : {0, 1279}) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, 0, 1, 1024, AllPlanes, ZPixmap);
    std::string colour = "unreadable";
    int length = 0;
    for (int y = 0; image && y < 1024; ++y, ++length) {
      const unsigned long pixel = XGetPixel(image, 0, y) & 0xFFFFFF;
      const std::string next = pixel == 0 ? "black" : pixel == 0xFFFFFF ? "white" : "other";
      if (y > 0 && next != colour) view += " " + std::to_string(length) + " " + colour, length = 0;
      colour = next;
    }
    view += " " + std::to_string(length) + " " + colour + ";";
    if (image) XDestroyImage(image);
  }
  return view;
}

// A white frame presented. The program's drawing may leave the scissor test
// on and channels masked; the presentation obeys neither and keeps both.
void PresentWhiteFrame(const TGLWindow& window) {
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 1, 1);
  glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
  bool presented = false;
  SetFrameSink([&](const TGLWindow&) { presented = true; });
  while (!presented) PumpMessagesAndSwap(window);
  SetFrameSink({});
}

// A box shown over the window (a viewable window that names it as its
// owner); 0 while there is none.
Window BoxOver(::Display* display, Window owner) {
  Window root = 0, parent = 0, *children = nullptr, box = 0;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !box; ++i) {
    Window forWindow = 0;
    XWindowAttributes attributes{};
    if (XGetTransientForHint(display, children[i], &forWindow) && forWindow == owner &&
        XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
      box = children[i];
  }
  if (children) XFree(children);
  return box;
}

const std::string Full = "0,0 1280x1024", Windowed = "0,0 800x600";
const std::string Bars = Full + " 32 black 960 white 32 black; 32 black 960 white 32 black;";

// Each step: keys typed (or a message box raised and dismissed), then frames
// until the window and the screen are as wanted; the keys stay held while
// the operator keys are read, as they are in the frame loop.
TEST(Display, FullscreenAltEnterAndAMessageBox) {
  const TXServer server;
  ASSERT_NE(server.Display, nullptr);
  TVirtualClock clock{1000};
  SetDisplayChoice({TScreenMode::Fullscreen, 0, 0, {}});
  const TGLWindow window = MakeGLWindow(800, 600, 32, false, "Tavix");
  CreateKeyboard(window);
  BeginSchedule();
  clock.Tick = 3000;
  const Window id = FindWindow("Tavix");
  const struct {
    const char* Keys;
    bool MessageBox;
    std::string View;
    bool Shakes;
  } steps[] = {{"", false, Bars, false},
               {"keydown alt+Return", false, Windowed + " 600 white 424 black; 1024 black;", false},
               {"keyup alt+Return keydown alt+Return", false, Bars, false},
               {"keyup alt+Return keydown Return", false, Bars, true},
               {"keyup Return", true, Bars, false}};
  for (const auto& step : steps) {
    EXPECT_TRUE(!*step.Keys || Xdo("windowfocus --sync " + std::to_string(id) + " " + step.Keys)) << step.Keys;
    if (step.MessageBox) {
      // The box must be there to be answered, from a thread of its own while
      // the box waits.
      bool answered = false;
      std::thread answer([&answered, id] {
        ::Display* display = XOpenDisplay(nullptr);
        Window box = 0;
        Eventually([&] { return (box = BoxOver(display, id)) != 0; }, 30);
        answered = box && Xdo("windowfocus --sync " + std::to_string(box) + " key Return");
        XCloseDisplay(display);
      });
      ShowMessage("Error", "Cannot open file load.jpg");
      answer.join();
      EXPECT_TRUE(answered);
    }
    ShakeStart = 0;
    Eventually(
        [&] {
          if (View(server.Display, id) == step.View && (ShakeStart != 0) == step.Shakes) return true;
          PresentWhiteFrame(window);
          SyncLock = 501;
          UpdateFrameState();
          return false;
        },
        30);
    EXPECT_EQ(View(server.Display, id), step.View) << step.Keys;
    EXPECT_EQ(ShakeStart, step.Shakes ? PartTime : 0u) << step.Keys;
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST) && mask[0] && !mask[1] && mask[2] && mask[3]) << step.Keys;
  }
  FreeKeyboard();
  KillGLWindow(window);
  SetDisplayChoice({});
}

// The real pointer over the fullscreen window, whose picture has 32 black
// rows above and below: on the picture's top row with a wheel notch away
// from the user, the left button held (frames after the focus: SDL drops a
// click that focuses), then on the top bar with the button up.
TEST(Display, ThePointerAsTheFrameSeesIt) {
  const TXServer server;
  ASSERT_NE(server.Display, nullptr);
  SetDisplayChoice({TScreenMode::Fullscreen, 0, 0, {}});
  const TGLWindow window = MakeGLWindow(800, 600, 32, false, "Tavix");
  EXPECT_TRUE(Xdo("windowfocus --sync " + std::to_string(FindWindow("Tavix"))));
  using TSeen = std::tuple<bool, int, int, int, bool>;  // Inside, X, Y, Wheel, Left
  const std::pair<const char*, TSeen> steps[] = {{"mousemove --sync 640 32 click 4", {true, 400, 599, 1, false}},
                                                 {"mousedown 1", {true, 400, 599, 0, true}},
                                                 {"mouseup 1 mousemove --sync 640 10", {false, 400, 599, 0, false}}};
  for (const auto& [mouse, want] : steps) {
    EXPECT_TRUE(Xdo(mouse)) << mouse;
    // The wheel's notch may be taken by a poll before the pointer has moved:
    // the notches are counted over all the polls of the step.
    TSeen seen;
    int wheel = 0;
    Eventually(
        [&, &want = want] {
          PresentWhiteFrame(window);
          const TMouseState m = PollMouse();
          wheel += m.Wheel;
          return (seen = {m.Inside, m.X, m.Y, wheel, m.Left}) == want;
        },
        30);
    EXPECT_EQ(seen, want) << mouse;
  }
  KillGLWindow(window);
  SetDisplayChoice({});
}

// At native the frame is the screen's 4:3 box in fullscreen (1280 x 960 of
// the 1280 x 1024 screen) and follows the window: out of fullscreen (800 x
// 600) and resized to 1001 x 700 (932 x 699, shown unscaled).
TEST(Display, ANativeFrameFollowsTheScreenAndTheWindow) {
  const TXServer server;
  ASSERT_NE(server.Display, nullptr);
  SetDisplayChoice({TScreenMode::Fullscreen, 0, 0, {TFrameSizeMode::Native, 0, 0}});
  const TGLWindow window = MakeGLWindow(800, 600, 32, false, "Tavix");
  const std::string id = std::to_string(FindWindow("Tavix"));
  const auto frameIs = [&](int width, int height) {
    return Eventually(
        [&] {
          PresentWhiteFrame(window);
          int w = 0, h = 0;
          return GetFrameSize(w, h) && w == width && h == height;
        },
        30);
  };
  EXPECT_TRUE(frameIs(1280, 960));
  EXPECT_TRUE(Xdo("windowfocus --sync " + id + " key alt+Return"));
  EXPECT_TRUE(frameIs(800, 600));
  EXPECT_TRUE(Xdo("windowsize --sync " + id + " 1001 700"));
  EXPECT_TRUE(frameIs(932, 699));
  EXPECT_EQ(FitFrame(932, 699, 1001, 700).Width, 932);
  KillGLWindow(window);
  SetDisplayChoice({});
}

void RequestClose(::Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

// The program with each display option: the window it opens; then, as the
// show begins, a close request and Alt+Enter. The close request is taken
// first, so a window that has switched proves the show went on; SIGTERM
// then ends it with status 0.
TEST(Display, TheProgramOpensTheWindowAskedForAndIgnoresACloseRequest) {
  const struct {
    const char* Option;
    std::string Opened, Switched;
  } cases[] = {{"--window", Windowed, Full}, {"--fullscreen", Full, Windowed}};
  for (const auto& [option, opened, switched] : cases) {
    const TXServer server;
    ASSERT_NE(server.Display, nullptr);
    const TScratchFolder folder;
    const TShowData data(folder.Path);
    const pid_t pid = StartProgram(folder.Path, TAVIX_EXE, option);
    ASSERT_GT(pid, 0);
    const Window id = FindWindow("Tavix");
    const auto placed = [&](const std::string& place) {
      return Eventually([&] { return Place(server.Display, id) == place; });
    };
    EXPECT_TRUE(placed(opened)) << option << ": " << Place(server.Display, id);
    EXPECT_TRUE(data.ShowBegins()) << option;
    RequestClose(server.Display, id);
    EXPECT_TRUE(Xdo("windowfocus --sync " + std::to_string(id) + " key alt+Return")) << option;
    EXPECT_TRUE(placed(switched)) << option << ": " << Place(server.Display, id);
    int status = -1;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << option << " ended with " << status;
    kill(pid, SIGTERM);
    EXPECT_EQ(Ending(pid, 20), "status 0") << option;
  }
}

unsigned long ScreenPixel(::Display* display, int x, int y) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
  const unsigned long pixel = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
  if (image) XDestroyImage(image);
  return pixel;
}

// With only the server's built-in font no box can be shown: the message for
// a picture that cannot be loaded stands in the program's own window (its
// panel in the middle) until Return, and then the show goes on.
TEST(Display, AMessageNoBoxCanShowStandsInTheWindowUntilReturn) {
  const TXServer server("built-ins");
  ASSERT_NE(server.Display, nullptr);
  const TScratchFolder folder;
  const TShowData data(folder.Path);
  std::filesystem::remove(folder.File("data/logo.jpg"));
  const pid_t pid = StartProgram(folder.Path, TAVIX_EXE, "--window");
  ASSERT_GT(pid, 0);
  const Window id = FindWindow("Tavix");
  EXPECT_TRUE(Eventually([&] { return ScreenPixel(server.Display, 400, 300) == 0x262633; }, 60));
  EXPECT_TRUE(Xdo("windowfocus --sync " + std::to_string(id) + " key Return"));
  EXPECT_TRUE(data.ShowBegins());
  kill(pid, SIGTERM);
  EXPECT_EQ(Ending(pid, 20), "status 0");
  EXPECT_NE(ReadBytes(folder.File("stderr.txt")).find("Couldn't load JPG - \"logo.jpg\""), std::string::npos);
}

// Taps far quicker than the frames (4 ms apart, where a frame of the CPU
// renderer takes ten or more; closer than 2 ms SDL takes a tap for the key's
// own repeat) all count in the timeline: five Downs select entry 5, ten
// Rights move it ten frames (167 ms), S saves it.
TEST(Display, TheTimelineCountsEveryQuickTap) {
  const TXServer server;
  ASSERT_NE(server.Display, nullptr);
  const TScratchFolder folder;
  const TShowData data(folder.Path);
  const std::string table = folder.File("data/timesync.dat"), before = ReadBytes(table);
  const pid_t pid = StartProgram(folder.Path, TAVIX_EXE, "--edit");
  ASSERT_GT(pid, 0);
  const Window id = FindWindow("Tavix");
  EXPECT_TRUE(data.ShowBegins());
  EXPECT_TRUE(Xdo("windowfocus --sync " + std::to_string(id) + " key --delay 4 " + "Down Down Down Down Down " +
                  "Right Right Right Right Right Right Right Right Right Right s"));
  EXPECT_TRUE(Eventually([&] { return ReadBytes(table) != before; }, 60));
  const std::string saved = ReadBytes(table);
  TTimeSyncTable moments{};
  DecodeTimeSyncInto(moments, reinterpret_cast<const uint8_t*>(saved.data()), saved.size());
  EXPECT_EQ(moments[5], 91000u + 167u);
  EXPECT_EQ(moments[4], 79000u);
  kill(pid, SIGTERM);
  EXPECT_EQ(Ending(pid, 20), "status 0");
}

}  // namespace
