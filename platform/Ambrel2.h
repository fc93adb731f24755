// The window unit: one top-level window with its OpenGL context, the default
// GL state, the perspective projection that follows the window size, the
// message pump that presents frames, and teardown.
//
// State: the current window (a copy of the last record made), the fullscreen
// flag as requested at creation, FarPlane, and the optional frame sink.
// Leaves behind: an OpenGL context current on the calling thread from
// MakeGLWindow to KillGLWindow.
#pragma once

#include <cstdint>
#include <functional>

// The window record: seven 32-bit-era fields in their historic order. The
// handles are opaque platform objects (SDL window and GL context here).
struct TGLWindow {
  void* Window = nullptr;         // window handle
  void* DeviceContext = nullptr;  // drawing surface (the same window here)
  void* RenderContext = nullptr;  // OpenGL context
  const char* Title = nullptr;    // owned by the caller
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Bits = 0;
};

// Far clipping distance of every perspective projection.
extern float FarPlane;

TGLWindow MakeGLWindow(int width, int height, int bits, bool fullscreen, const char* title);
void KillGLWindow(TGLWindow window);
// Flushes GL, then either handles one waiting event or presents the frame.
// Returns true when the event taken was a close request.
bool PumpMessagesAndSwap(const TGLWindow& window);
void ResizeGLScene(int width, int height);
void InitGLState();
void SetTwoSided(bool twoSided);

// True while an OpenGL context is current on the calling thread.
bool HasCurrentGLContext();

// The record of the window made last (width and height follow resizes).
const TGLWindow& CurrentWindow();

// Called by PumpMessagesAndSwap with the finished frame just before it is
// presented, while the back buffer can still be read.
using FrameSink = std::function<void(const TGLWindow& window)>;
void SetFrameSink(FrameSink sink);
