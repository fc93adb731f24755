// The window unit over SDL2: one window with a double-buffered OpenGL
// compatibility context (24-bit depth, no stencil), the frame every picture
// is drawn into, fullscreen on the desktop's own mode (never a mode switch),
// the default GL state, the projection, the message pump that scales each
// frame into the window, and teardown.
//
// State: the current window record, the display choice, the window's place
// outside fullscreen, FarPlane, the frame sink and presented hook, whether
// SDL's video is started by us, whether the frame follows its window and the
// largest frame the context takes.
// Leaves behind: the context current from MakeGLWindow to KillGLWindow.
// A window or context that cannot be made is reported and ends the program
// (EProgramStop): GL calls without a context are not safe here.
#include "Ambrel2.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iostream>
#include <string>

#include "AINKeyboard.h"
#include "AmbFrame.h"
#include "AmbMouse.h"
#include "AmbSystem.h"

float FarPlane = 100000.0f;

namespace {

TGLWindow currentWindow;
TDisplayChoice displayChoice;
SDL_Rect windowPlace{};  // where the window goes when it leaves fullscreen
bool videoStarted = false;
bool frameIsNative = false;  // the frame follows its window
FrameSink frameSink;
PresentedHook presentedHook;
ContextEndHook contextEndHook;

SDL_Window* SdlWindow(const TGLWindow& window) { return static_cast<SDL_Window*>(window.Window); }

[[noreturn]] void FailCreation(const TGLWindow& window, const char* text) {
  KillGLWindow(window);
  ShowMessage("Error", text);
  throw EProgramStop(text);
}

// The offscreen and dummy drivers draw into memory that nobody sees: a
// fullscreen request means nothing there, and the window keeps the frame's
// size (tests and captures read it at that size).
bool DisplayIsVisible() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

bool FullscreenWanted(bool asked) {
  if (displayChoice.Screen == TScreenMode::AsAsked) return asked;
  return displayChoice.Screen == TScreenMode::Fullscreen;
}

bool IsFullscreen(SDL_Window* window) { return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0; }

// The window's own depth planes only serve where there is no frame to draw
// into; without them the CPU renderer presents the frame on its fast path.
void RequestGLSurface(int bits, bool depth) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  const int channelBits = bits >= 24 ? 8 : 5;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth ? 24 : 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

// Fullscreen takes the desktop as it is; when no fullscreen window can be
// had, a window does. The fullscreen window is made the display's size from
// the start (see CoverDisplay).
SDL_Window* OpenWindow(const TGLWindow& window, bool fullscreen) {
  // A window opens at the frame's size where one is asked for.
  const TFrameSize& size = displayChoice.Size;
  const bool fixed = size.Mode == TFrameSizeMode::Fixed;
  const int width = displayChoice.WindowWidth > 0 ? displayChoice.WindowWidth : fixed ? size.Width : window.Width;
  const int height = displayChoice.WindowHeight > 0 ? displayChoice.WindowHeight : fixed ? size.Height : window.Height;
  windowPlace = SDL_Rect{0, 0, width, height};
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
  if (fullscreen) {
    SDL_Rect display{};
    if (SDL_GetDisplayBounds(0, &display) == 0)
      if (SDL_Window* sdlWindow = SDL_CreateWindow(window.Title, display.x, display.y, display.w, display.h,
                                                   flags | SDL_WINDOW_FULLSCREEN_DESKTOP))
        return sdlWindow;
    ShowMessage("Error", "Unable to switch to fullscreen!");
  }
  return SDL_CreateWindow(window.Title, 0, 0, width, height, flags);
}

void PlaceWindow(SDL_Window* window, const SDL_Rect& place) {
  SDL_SetWindowPosition(window, place.x, place.y);
  SDL_SetWindowSize(window, place.w, place.h);
}

// A window manager makes a fullscreen window cover its display. A bare X
// server has none, and SDL would then only believe that the window covers
// it; so the window takes the display's place and size itself first.
void CoverDisplay(SDL_Window* window) {
  SDL_Rect display{};
  if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &display) == 0) PlaceWindow(window, display);
}

void EnterFullscreen(SDL_Window* window) {
  SDL_GetWindowPosition(window, &windowPlace.x, &windowPlace.y);
  SDL_GetWindowSize(window, &windowPlace.w, &windowPlace.h);
  CoverDisplay(window);
  if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    PlaceWindow(window, windowPlace);
    return;
  }
  if (!PointerWanted()) SDL_ShowCursor(SDL_DISABLE);
}

// Back to the window's own place and size, whatever SDL kept for it.
void LeaveFullscreen(SDL_Window* window) {
  if (SDL_SetWindowFullscreen(window, 0) != 0) return;
  PlaceWindow(window, windowPlace);
  SDL_ShowCursor(SDL_ENABLE);
}

// The software renderer takes megabytes for a large draw's vertices and gives
// them back after it (the fountain's sprites, every frame). By default the C
// library then hands the top of the heap back to the system and the next
// frame faults it in again, page by page: some 8 ms of processor time a frame
// in the fountain. Freed memory is kept for reuse instead; the show's peak
// stays what it was.
void KeepFreedHeap() {
#ifdef __GLIBC__
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

void CreateWindowAndContext(TGLWindow& window, bool fullscreen, bool depth) {
  KeepFreedHeap();
  RequestGLSurface(window.Bits, depth);
  SDL_Window* sdlWindow = OpenWindow(window, fullscreen && DisplayIsVisible());
  if (!sdlWindow) FailCreation(window, "Unable to create window!");
  window.Window = sdlWindow;
  window.DeviceContext = sdlWindow;
  window.RenderContext = SDL_GL_CreateContext(sdlWindow);
  if (!window.RenderContext) FailCreation(window, "Unable to create an OpenGL rendering context");
  if (SDL_GL_MakeCurrent(sdlWindow, window.RenderContext) != 0)
    FailCreation(window, "Unable to activate OpenGL rendering context");
  // The swap sets the pace; a driver that refuses vertical sync just runs free.
  SDL_GL_SetSwapInterval(1);
}

void CloseWindowAndContext(TGLWindow& window) {
  SDL_Window* sdlWindow = SdlWindow(window);
  if (window.RenderContext && SDL_GL_MakeCurrent(sdlWindow, nullptr) != 0)
    ShowMessage("Error", "Release of DC and RC failed!");
  if (window.RenderContext) SDL_GL_DeleteContext(window.RenderContext);
  if (sdlWindow) SDL_DestroyWindow(sdlWindow);
  window.Window = window.DeviceContext = window.RenderContext = nullptr;
}

// Without a frame nothing scales the picture: the window keeps the frame's
// size, out of fullscreen and not resizable, so that the window, the
// viewport and the 2D layer agree on one size.
void KeepWindowAtFrameSize(const TGLWindow& window, const char* why) {
  SDL_Window* sdlWindow = SdlWindow(window);
  SDL_SetWindowResizable(sdlWindow, SDL_FALSE);
  SDL_SetWindowSize(sdlWindow, window.Width, window.Height);
  windowPlace.w = window.Width;
  windowPlace.h = window.Height;
  std::cerr << "tavix: " << why << ", so the picture cannot be scaled: playing in a " << window.Width << " x "
            << window.Height << " window" << std::endl;
}

// The largest frame the context takes, read when its frame is made.
int largestWidth = 0, largestHeight = 0;

void ReadLargestFrame() {
  GLint texture = 0, renderbuffer = 0, viewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  largestWidth = std::min({texture, renderbuffer, viewport[0]});
  largestHeight = std::min({texture, renderbuffer, viewport[1]});
}

// The frame's pixels as chosen, within what the context takes. The default
// is said in one line, and so is a size the context cannot take.
void ChooseFrameSize(SDL_Window* window, const TGLWindow& record, int& width, int& height) {
  const TFrameSize& size = displayChoice.Size;
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const bool software = IsSoftwareRenderer(renderer ? renderer : "");
  frameIsNative = size.Mode == TFrameSizeMode::Native || (size.Mode == TFrameSizeMode::Default && !software);
  width = size.Mode == TFrameSizeMode::Fixed ? size.Width : record.Width;
  height = size.Mode == TFrameSizeMode::Fixed ? size.Height : record.Height;
  if (frameIsNative) {
    SDL_GL_GetDrawableSize(window, &width, &height);
    NativeFrameSize(width, height, width, height);
  }
  ReadLargestFrame();
  if (width > largestWidth || height > largestHeight) {
    const int asked = width, askedHeight = height;
    NativeFrameSize(std::min(width, largestWidth), std::min(height, largestHeight), width, height);
    std::cerr << "tavix: " << asked << " x " << askedHeight << " is larger than OpenGL takes here; drawing at " << width
              << " x " << height << std::endl;
  }
  if (size.Mode != TFrameSizeMode::Default) return;
  const std::string name = renderer ? renderer : "an unknown renderer";
  if (software)
    std::cerr << "tavix: drawing at " << width << " x " << height << " on the software renderer " << name
              << "; --size native draws at the display's resolution" << std::endl;
  else
    std::cerr << "tavix: drawing at the display's resolution, " << width << " x " << height << ", on " << name
              << "; --size 800x600 draws the classic frame" << std::endl;
}

// Why no frame could be made; nullptr when it was.
const char* MakeFrame(const TGLWindow& window) {
  if (!SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object"))
    return "no framebuffer objects here (GL_ARB_framebuffer_object)";
  TFrameSupport support;
  support.RowsTopFirst = SDL_GL_ExtensionSupported("GL_MESA_framebuffer_flip_y");
  if (SDL_GL_ExtensionSupported("GL_ARB_fragment_program")) support.FindFragmentProgramCall = SDL_GL_GetProcAddress;
  int width = 0, height = 0;
  ChooseFrameSize(SdlWindow(window), window, width, height);
  if (!CreateFrame(width, height, window.Width, window.Height, support))
    return "the framebuffer object cannot be completed";
  return nullptr;
}

// A native frame follows its window at the frame's end, so that the next
// frame is drawn at the new size.
void FollowWindow(SDL_Window* window) {
  if (!frameIsNative || !HasFrame()) return;
  int width = 0, height = 0, frameWidth = 0, frameHeight = 0;
  SDL_GL_GetDrawableSize(window, &width, &height);
  NativeFrameSize(std::min(width, largestWidth), std::min(height, largestHeight), width, height);
  GetFrameSize(frameWidth, frameHeight);
  if (width != frameWidth || height != frameHeight) ResizeFrame(width, height);
}

// Pictures drawn straight into the window need its own depth planes: the
// window and its context are made again with them.
void MakeFrameOrDepthWindow(TGLWindow& window) {
  const char* why = MakeFrame(window);
  if (!why) return;
  CloseWindowAndContext(window);
  CreateWindowAndContext(window, false, true);
  KeepWindowAtFrameSize(window, why);
}

// A modal box needs a display; the offscreen and dummy drivers have none, and
// under them a box would pop up on whatever X server happens to be around.
bool DisplayCanShowBoxes() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) driver = SDL_getenv("SDL_VIDEODRIVER");
  if (!driver) return true;
  return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

bool ShowMessageBox(const std::string& caption, const std::string& text) {
  if (!DisplayCanShowBoxes()) return true;
  const Uint32 icon = caption == "Error" ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  SDL_Window* window = SdlWindow(currentWindow);
  const bool fullscreen = window && IsFullscreen(window);
  // Out of fullscreen and back the way Alt+Enter goes, so that the window
  // covers the display again also where no window manager makes it.
  if (fullscreen) ToggleFullscreen();
  const bool shown = SDL_ShowSimpleMessageBox(icon, caption.c_str(), text.c_str(), window) == 0;
  if (fullscreen) ToggleFullscreen();
  return shown;
}

bool IsDismissal(const SDL_Event& event) {
  if (event.type == SDL_MOUSEBUTTONUP) return true;
  if (event.type != SDL_KEYDOWN || event.key.repeat) return false;
  const SDL_Scancode key = event.key.keysym.scancode;
  return key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER || key == SDL_SCANCODE_ESCAPE ||
         key == SDL_SCANCODE_SPACE;
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      NoteKeyboardFocus(true);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      NoteKeyboardFocus(false);
      break;
    default:
      break;
  }
}

bool IsAltEnter(const SDL_KeyboardEvent& event) {
  return event.keysym.scancode == SDL_SCANCODE_RETURN && (event.keysym.mod & KMOD_ALT) != 0 && event.repeat == 0;
}

// Notches away from the user count up, whatever way the system turns them.
void HandleWheel(const SDL_MouseWheelEvent& event) {
  NoteMouseWheel(event.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.y : event.y);
}

// Alt+Enter switches the display; its Enter is no key press of the program's.
void HandleKey(const SDL_KeyboardEvent& event) {
  if (IsAltEnter(event)) {
    ToggleFullscreen();
    return;
  }
  const Uint16 mod = event.keysym.mod;
  if ((mod & KMOD_ALT) == 0 || event.keysym.scancode != SDL_SCANCODE_RETURN)
    NoteKeyPress(event.keysym.scancode, (mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0, event.repeat != 0);
}

void HandleEvent(const SDL_Event& event) {
  if (event.type == SDL_WINDOWEVENT) HandleWindowEvent(event.window);
  if (event.type == SDL_MOUSEWHEEL) HandleWheel(event.wheel);
  if (event.type == SDL_KEYDOWN) HandleKey(event.key);
}

void Present(SDL_Window* window) {
  if (HasFrame()) {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    PresentFrame(width, height);
  }
  SDL_GL_SwapWindow(window);
  FollowWindow(window);
}

}  // namespace

void SetDisplayChoice(const TDisplayChoice& choice) { displayChoice = choice; }

bool IsSoftwareRenderer(const std::string& renderer) {
  std::string lower = renderer;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "software rasterizer"})
    if (lower.find(name) != std::string::npos) return true;
  return false;
}

void NativeFrameSize(int width, int height, int& frameWidth, int& frameHeight) {
  const int step = std::max(1, std::min(width / 4, height / 3));
  frameWidth = 4 * step;
  frameHeight = 3 * step;
}

void PresentUntilDismissed(const TGLWindow& window) {
  SDL_Window* sdlWindow = SdlWindow(window);
  if (!sdlWindow) return;
  SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
  for (bool dismissed = false; !dismissed && !StopRequested();) {
    glFlush();
    Present(sdlWindow);
    SDL_Event event;
    // The window's picture is presented again whenever something happens to it.
    if (!SDL_WaitEventTimeout(&event, 250)) continue;
    dismissed = IsDismissal(event);
    if (!dismissed && event.type != SDL_QUIT) HandleEvent(event);
  }
}

TGLWindow MakeGLWindow(int width, int height, int bits, bool fullscreen, const char* title) {
  TGLWindow window;
  window.Title = title;
  window.Width = width;
  window.Height = height;
  window.Bits = bits;
  SetMessageBoxShower(ShowMessageBox);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    ShowMessage("Error", "Failed to register the window class!");
    throw EProgramStop("Failed to register the window class!");
  }
  videoStarted = true;
  CreateWindowAndContext(window, FullscreenWanted(fullscreen), false);
  MakeFrameOrDepthWindow(window);
  SDL_ShowWindow(SdlWindow(window));
  SDL_RaiseWindow(SdlWindow(window));
  if (IsFullscreen(SdlWindow(window)) && !PointerWanted()) SDL_ShowCursor(SDL_DISABLE);
  ResizeGLScene(width, height);
  InitGLState();
  currentWindow = window;
  return window;
}

void KillGLWindow(TGLWindow window) {
  SDL_Window* sdlWindow = SdlWindow(window);
  if (sdlWindow) {
    if (IsFullscreen(sdlWindow)) SDL_SetWindowFullscreen(sdlWindow, 0);
    SDL_ShowCursor(SDL_ENABLE);
  }
  const bool current = window.RenderContext && SDL_GL_GetCurrentContext() == window.RenderContext;
  if (current && contextEndHook) contextEndHook();
  if (current) DestroyFrame();
  const void* closed = window.Window;
  CloseWindowAndContext(window);
  if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoStarted = false;
  if (currentWindow.Window == closed) currentWindow = TGLWindow{};
}

bool PumpMessagesAndSwap(const TGLWindow& window) {
  glFlush();
  SDL_Event event;
  if (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) return true;
    HandleEvent(event);
    return false;
  }
  if (frameSink) frameSink(window);
  Present(SdlWindow(window));
  if (presentedHook) presentedHook();
  return false;
}

void ToggleFullscreen() {
  SDL_Window* window = SdlWindow(currentWindow);
  if (!window || !HasFrame()) return;
  if (IsFullscreen(window))
    LeaveFullscreen(window);
  else
    EnterFullscreen(window);
}

void ResizeGLScene(int width, int height) {
  if (height == 0) height = 1;
  // The viewport covers the frame's pixels; the projection keeps the layout's shape.
  int pixelWidth = width, pixelHeight = height;
  GetFrameSize(pixelWidth, pixelHeight);
  glViewport(0, 0, pixelWidth, pixelHeight);
  LoadPerspective(width, height);
  glLoadIdentity();
}

void LoadPerspective(int width, int height) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, double(width) / double(std::max(height, 1)), 1.0, double(FarPlane));
  glMatrixMode(GL_MODELVIEW);
}

void InitGLState() {
  glClearColor(0.2f, 0.2f, 0.4f, 0.0f);
  glShadeModel(GL_SMOOTH);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

void SetTwoSided(bool twoSided) {
  if (twoSided)
    glDisable(GL_CULL_FACE);
  else
    glEnable(GL_CULL_FACE);
}

void GetDrawableSize(const TGLWindow& window, int& width, int& height) {
  SDL_GL_GetDrawableSize(SdlWindow(window), &width, &height);
}

bool HasCurrentGLContext() { return SDL_GL_GetCurrentContext() != nullptr; }

const TGLWindow& CurrentWindow() { return currentWindow; }

void SetFrameSink(FrameSink sink) { frameSink = std::move(sink); }

void SetPresentedHook(PresentedHook hook) { presentedHook = std::move(hook); }

void SetContextEndHook(ContextEndHook hook) { contextEndHook = std::move(hook); }
