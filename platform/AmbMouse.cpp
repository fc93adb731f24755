// The mouse over SDL: the pointer's place in the program's window mapped
// onto the frame the way PresentFrame fits it in, the held buttons, and the
// wheel notches the pump counted; or a snapshot from an installed source.
//
// State: the mouse source; the wheel notches counted since the last poll;
// whether the pointer is wanted over a fullscreen window.
#include "AmbMouse.h"

#include <SDL.h>

#include <algorithm>

#include "AINKeyboard.h"
#include "AmbFrame.h"

namespace {

MouseSource mouseSource;
int pendingWheel = 0;
bool pointerWanted = false;

// Whole window pixels onto frame pixels through their centres, so that both
// edge pixels of the box reach the frame's edge pixels whatever the scale.
int FramePixel(int windowPixel, int boxStart, int boxSize, int frameSize) {
  const int inBox = std::clamp(windowPixel - boxStart, 0, boxSize - 1);
  return int((2 * int64_t(inBox) + 1) * frameSize / (2 * int64_t(boxSize)));
}

// The program's one window is the one its context draws into.
SDL_Window* ProgramWindow() { return SDL_GL_GetCurrentContext() ? SDL_GL_GetCurrentWindow() : nullptr; }

void ReadSdlMouse(TMouseState& state) {
  SDL_Window* sdlWindow = ProgramWindow();
  if (!sdlWindow) return;
  int x = 0, y = 0, width = 0, height = 0;
  const Uint32 buttons = SDL_GetMouseState(&x, &y);
  state.Left = (buttons & SDL_BUTTON_LMASK) != 0;
  state.Middle = (buttons & SDL_BUTTON_MMASK) != 0;
  state.Right = (buttons & SDL_BUTTON_RMASK) != 0;
  // The position is relative to whichever window has the pointer.
  if (SDL_GetMouseFocus() != sdlWindow) return;
  SDL_GetWindowSize(sdlWindow, &width, &height);
  // Without a frame the window is the frame's size, and its layout.
  int frameWidth = width, frameHeight = height, layoutWidth = width, layoutHeight = height;
  GetFrameSize(frameWidth, frameHeight);
  GetFrameLayout(layoutWidth, layoutHeight);
  const TMouseState place =
      FramePointFromWindow(x, y, width, height, frameWidth, frameHeight, layoutWidth, layoutHeight);
  state.Inside = place.Inside;
  state.X = place.X;
  state.Y = place.Y;
}

}  // namespace

void SetMouseSource(MouseSource source) { mouseSource = std::move(source); }

TMouseState PollMouse() {
  TMouseState state;
  const int wheel = pendingWheel;
  pendingWheel = 0;
  if (!HasKeyboardFocus()) return state;
  if (mouseSource) {
    mouseSource(state);
    return state;
  }
  ReadSdlMouse(state);
  state.Wheel = wheel;
  return state;
}

void NoteMouseWheel(int notches) { pendingWheel += notches; }

void ShowPointer(bool shown) {
  pointerWanted = shown;
  SDL_Window* window = ProgramWindow();
  if (!window) return;
  const bool fullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  SDL_ShowCursor(shown || !fullscreen ? SDL_ENABLE : SDL_DISABLE);
}

bool PointerWanted() { return pointerWanted; }

TMouseState FramePointFromWindow(int x, int y, int windowWidth, int windowHeight, int frameWidth, int frameHeight,
                                 int layoutWidth, int layoutHeight) {
  TMouseState state;
  const TFrameBox box = FitFrame(frameWidth, frameHeight, windowWidth, windowHeight);
  if (box.Width <= 0 || box.Height <= 0) return state;
  const int up = windowHeight - 1 - y;  // the window's rows counted from the bottom
  state.Inside = x >= box.X && x < box.X + box.Width && up >= box.Y && up < box.Y + box.Height;
  state.X = FramePixel(x, box.X, box.Width, layoutWidth);
  state.Y = FramePixel(up, box.Y, box.Height, layoutHeight);
  return state;
}

TMouseState FramePointFromWindow(int x, int y, int windowWidth, int windowHeight, int frameWidth, int frameHeight) {
  return FramePointFromWindow(x, y, windowWidth, windowHeight, frameWidth, frameHeight, frameWidth, frameHeight);
}
