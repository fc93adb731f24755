// The window unit over SDL2: one window with a double-buffered OpenGL
// compatibility context (24-bit depth, no stencil), fullscreen at the
// requested mode where the display allows it, the default GL state, the
// projection that follows the window size, the message pump and teardown.
//
// State: the current window record, the fullscreen flag as requested,
// FarPlane, the frame sink, whether SDL's video is started by us.
// Leaves behind: the context current from MakeGLWindow to KillGLWindow.
// A window or context that cannot be made is reported and ends the program
// (EProgramStop): GL calls without a context are not safe here.
#include "Ambrel2.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstring>

#include "AINKeyboard.h"
#include "AmbSystem.h"

float FarPlane = 100000.0f;

namespace {

TGLWindow currentWindow;
bool fullscreenRequested = false;
bool videoStarted = false;
FrameSink frameSink;

SDL_Window* SdlWindow(const TGLWindow& window) { return static_cast<SDL_Window*>(window.Window); }

[[noreturn]] void FailCreation(const TGLWindow& window, const char* text) {
  KillGLWindow(window);
  ShowMessage("Error", text);
  throw EProgramStop(text);
}

// The offscreen and dummy drivers draw into memory: there is no display
// whose mode could be switched, so fullscreen means nothing there.
bool DisplayHasModes() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

void RequestGLSurface(int bits) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  const int channelBits = bits >= 24 ? 8 : 5;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

// Switches the window to the display mode closest to width x height.
// Returns false when the display refuses.
bool SwitchToFullscreen(SDL_Window* window, int width, int height) {
  SDL_DisplayMode wanted{};
  wanted.w = width;
  wanted.h = height;
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window);
  if (display < 0 || !SDL_GetClosestDisplayMode(display, &wanted, &mode)) return false;
  if (SDL_SetWindowDisplayMode(window, &mode) != 0) return false;
  if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) return false;
  SDL_ShowCursor(SDL_DISABLE);
  return true;
}

void CreateWindowAndContext(TGLWindow& window, bool fullscreen) {
  RequestGLSurface(window.Bits);
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (fullscreen ? 0 : SDL_WINDOW_RESIZABLE);
  SDL_Window* sdlWindow = SDL_CreateWindow(window.Title, 0, 0, window.Width, window.Height, flags);
  if (!sdlWindow) FailCreation(window, "Unable to create window!");
  window.Window = sdlWindow;
  window.DeviceContext = sdlWindow;
  if (fullscreen && DisplayHasModes() && !SwitchToFullscreen(sdlWindow, window.Width, window.Height))
    ShowMessage("Error", "Unable to switch to fullscreen!");
  window.RenderContext = SDL_GL_CreateContext(sdlWindow);
  if (!window.RenderContext) FailCreation(window, "Unable to create an OpenGL rendering context");
  if (SDL_GL_MakeCurrent(sdlWindow, window.RenderContext) != 0)
    FailCreation(window, "Unable to activate OpenGL rendering context");
  // The swap sets the pace; a driver that refuses vertical sync just runs free.
  SDL_GL_SetSwapInterval(1);
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      currentWindow.Width = event.data1;
      currentWindow.Height = event.data2;
      ResizeGLScene(event.data1, event.data2);
      break;
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

}  // namespace

TGLWindow MakeGLWindow(int width, int height, int bits, bool fullscreen, const char* title) {
  fullscreenRequested = fullscreen;
  TGLWindow window;
  window.Title = title;
  window.Width = width;
  window.Height = height;
  window.Bits = bits;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    ShowMessage("Error", "Failed to register the window class!");
    throw EProgramStop("Failed to register the window class!");
  }
  videoStarted = true;
  CreateWindowAndContext(window, fullscreen);
  SDL_ShowWindow(SdlWindow(window));
  SDL_RaiseWindow(SdlWindow(window));
  ResizeGLScene(width, height);
  InitGLState();
  currentWindow = window;
  return window;
}

void KillGLWindow(TGLWindow window) {
  SDL_Window* sdlWindow = SdlWindow(window);
  if (fullscreenRequested) {
    if (sdlWindow) SDL_SetWindowFullscreen(sdlWindow, 0);
    SDL_ShowCursor(SDL_ENABLE);
  }
  if (window.RenderContext && SDL_GL_MakeCurrent(sdlWindow, nullptr) != 0)
    ShowMessage("Error", "Release of DC and RC failed!");
  if (window.RenderContext) SDL_GL_DeleteContext(window.RenderContext);
  if (sdlWindow) SDL_DestroyWindow(sdlWindow);
  if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoStarted = false;
  if (currentWindow.Window == window.Window) currentWindow = TGLWindow{};
}

bool PumpMessagesAndSwap(const TGLWindow& window) {
  glFlush();
  SDL_Event event;
  if (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) return true;
    if (event.type == SDL_WINDOWEVENT) HandleWindowEvent(event.window);
    return false;
  }
  if (frameSink) frameSink(window);
  SDL_GL_SwapWindow(SdlWindow(window));
  return false;
}

void ResizeGLScene(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, double(width) / double(height), 1.0, double(FarPlane));
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
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

bool HasCurrentGLContext() { return SDL_GL_GetCurrentContext() != nullptr; }

const TGLWindow& CurrentWindow() { return currentWindow; }

void SetFrameSink(FrameSink sink) { frameSink = std::move(sink); }
