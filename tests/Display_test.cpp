// The window code on a real X server: a private Xvfb with a black
// 1280 x 1024 screen, keys typed with xdotool, the screen read back with
// XGetImage. Fullscreen shows the 800 x 600 frame at 1280 x 960 between
// 32-pixel bars; Alt+Enter goes to an 800 x 600 window and back without
// starting the test shake (Return alone starts it); a message box raised in
// fullscreen leaves it and comes back. The program's --window and
// --fullscreen reach the window, and a close request does not end the demo.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>

#include "AmbInput.h"
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
struct TXServer {
  TXServer() {
    int ready[2];
    if (pipe(ready) != 0) return;
    Pid = fork();
    if (Pid == 0) {
      close(ready[0]);
      execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(ready[1]).c_str(), "-screen", "0", "1280x1024x24", "-br",
             "-nolisten", "tcp", static_cast<char*>(nullptr));
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
    setenv("SDL_VIDEODRIVER", Driver.c_str(), 1);
    kill(Pid, SIGTERM);
    waitpid(Pid, nullptr, 0);
  }
  const std::string Driver = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "";
  pid_t Pid = -1;
  ::Display* Display = nullptr;
};

bool Xdo(const std::string& args) { return std::system(("timeout 120 xdotool " + args).c_str()) == 0; }

// The visible window of that title, waited for; 0 when none comes.
Window FindWindow(const std::string& title) {
  FILE* found = popen(("timeout 120 xdotool search --sync --onlyvisible --name '^" + title + "$'").c_str(), "r");
  unsigned long id = 0;
  if (found && std::fscanf(found, "%lu", &id) != 1) id = 0;
  if (found) pclose(found);
  return id;
}

// Where a window is on the screen, as "x,y wxh".
std::string Place(::Display* display, Window window) {
  Window root;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  if (!XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth)) return "gone";
  return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" + std::to_string(height);
}

// One column of the screen from top to bottom, as runs of black and white
// rows ("32 black 960 white 32 black").
std::string Column(::Display* display, int x) {
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, 0, 1, 1024, AllPlanes, ZPixmap);
  if (!image) return "unreadable";
  std::string runs;
  std::string colour;
  int length = 0;
  for (int y = 0; y <= 1024; ++y) {
    const unsigned long pixel = y < 1024 ? XGetPixel(image, 0, y) & 0xFFFFFF : 1;
    const std::string next = pixel == 0 ? "black" : pixel == 0xFFFFFF ? "white" : "other";
    if (next == colour && y < 1024) {
      ++length;
      continue;
    }
    if (length > 0) runs += (runs.empty() ? "" : " ") + std::to_string(length) + " " + colour;
    colour = next;
    length = 1;
  }
  XDestroyImage(image);
  return runs;
}

// Bounded: a loaded machine may be slow, but a fault must not hang the suite.
bool Eventually(const std::function<bool()>& done, const std::function<void()>& between) {
  for (int look = 0; look < 3000; ++look, between(), usleep(20000))
    if (done()) return true;
  return false;
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

std::string WriteState() {
  GLboolean mask[4] = {};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  return std::to_string(glIsEnabled(GL_SCISSOR_TEST)) + " " + std::to_string(mask[0]) + std::to_string(mask[1]) +
         std::to_string(mask[2]) + std::to_string(mask[3]);
}

const std::string Full = "0,0 1280x1024", Bars = "32 black 960 white 32 black";

// Each step: keys typed (or a message box raised and dismissed), then frames
// until the window and the screen are as wanted; the keys stay held while
// the operator keys are read, as they are in the frame loop.
TEST(Display, FullscreenAltEnterAndAMessageBox) {
  const TXServer server;
  ASSERT_NE(server.Display, nullptr);
  TVirtualClock clock{1000};
  SetDisplayChoice({TScreenMode::Fullscreen});
  const TGLWindow window = MakeGLWindow(800, 600, 32, false, "Tavix");
  CreateKeyboard(window);
  BeginSchedule();
  clock.Tick = 3000;
  const Window id = FindWindow("Tavix");
  const struct {
    const char* Keys;
    bool MessageBox;
    std::string Place, Left, Right;  // the two outer columns of the screen
    bool Shakes;
  } steps[] = {{"", false, Full, Bars, Bars, false},
               {"keydown alt+Return", false, "0,0 800x600", "600 white 424 black", "1024 black", false},
               {"keyup alt+Return keydown alt+Return", false, Full, Bars, Bars, false},
               {"keyup alt+Return keydown Return", false, Full, Bars, Bars, true},
               {"keyup Return", true, Full, Bars, Bars, false}};
  for (const auto& step : steps) {
    if (*step.Keys) {
      EXPECT_TRUE(Xdo("windowfocus --sync " + std::to_string(id) + " " + step.Keys)) << step.Keys;
    }
    if (step.MessageBox) {
      EXPECT_EQ(std::system("timeout 120 xdotool search --sync --onlyvisible --name '^Error$' windowfocus --sync "
                            "key Return &"),
                0);
      ShowMessage("Error", "Cannot open file load.jpg");
    }
    ShakeStart = 0;
    const auto seen = [&] {
      return Place(server.Display, id) == step.Place && Column(server.Display, 0) == step.Left &&
             Column(server.Display, 1279) == step.Right && (ShakeStart != 0) == step.Shakes;
    };
    Eventually(seen, [&] {
      PresentWhiteFrame(window);
      SyncLock = 501;
      UpdateFrameState();
    });
    EXPECT_EQ(Place(server.Display, id), step.Place) << step.Keys;
    EXPECT_EQ(Column(server.Display, 0), step.Left) << step.Keys;
    EXPECT_EQ(Column(server.Display, 1279), step.Right) << step.Keys;
    EXPECT_EQ(ShakeStart, step.Shakes ? PartTime : 0u) << step.Keys;
    EXPECT_EQ(WriteState(), "1 1011") << step.Keys;
    EXPECT_EQ(std::make_pair(CurrentWindow().Width, CurrentWindow().Height), std::make_pair(800, 600));
  }
  FreeKeyboard();
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

// The program with each display option: the window it opens, then a close
// request and Alt+Enter. The close request is taken first, so a window that
// has switched proves the demo went on; SIGTERM then ends it with status 0.
TEST(Display, TheProgramOpensTheWindowAskedForAndIgnoresACloseRequest) {
  const struct {
    const char* Option;
    std::string Opened, Switched;
  } cases[] = {{"--window", "0,0 800x600", Full}, {"--fullscreen", Full, "0,0 800x600"}};
  for (const auto& [option, opened, switched] : cases) {
    const TXServer server;
    ASSERT_NE(server.Display, nullptr);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execl(TAVIX_EXE, "tavix", option, static_cast<char*>(nullptr));
      _exit(127);
    }
    const Window id = FindWindow("Tavix");
    const auto placed = [&](const std::string& place) {
      return Eventually([&] { return Place(server.Display, id) == place; }, [] {});
    };
    EXPECT_TRUE(placed(opened)) << option << ": " << Place(server.Display, id);
    RequestClose(server.Display, id);
    EXPECT_TRUE(Xdo("windowfocus --sync " + std::to_string(id) + " key alt+Return")) << option;
    EXPECT_TRUE(placed(switched)) << option << ": " << Place(server.Display, id);
    int status = -1;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << option << " ended with " << status;
    kill(pid, SIGTERM);
    const bool ended = Eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; }, [] {});
    if (!ended) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << option << ": " << status;
  }
}

}  // namespace
