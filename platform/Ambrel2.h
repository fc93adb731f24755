// The window unit: one top-level window with its OpenGL context, the frame
// of the size asked for that every picture is drawn into (see AmbFrame), the
// default GL state and projection, the message pump that presents frames
// scaled into the window, fullscreen on the desktop's own mode, and teardown.
//
// State: the current window (a copy of the last record made), the display
// choice, FarPlane, and the optional frame sink and presented hook.
// Leaves behind: an OpenGL context current on the calling thread from
// MakeGLWindow to KillGLWindow.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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

// How the window is shown, chosen before MakeGLWindow (the program's options).
enum class TScreenMode { AsAsked, Window, Fullscreen };
// The frame's size in pixels: one asked for (the record's own size is the
// classic frame), or native, the largest 4:3 box of the screen or the
// window, followed as the window changes. By default native on a hardware
// renderer and the record's size on a software one, said on stderr.
enum class TFrameSizeMode { Default, Fixed, Native };
struct TFrameSize {
  TFrameSizeMode Mode = TFrameSizeMode::Default;
  int Width = 0, Height = 0;  // Fixed
};
struct TDisplayChoice {
  TScreenMode Screen = TScreenMode::AsAsked;  // AsAsked: MakeGLWindow's argument decides
  // The size a window (not fullscreen) opens at; 0 x 0 is the frame's size.
  // Lets the scaled picture be seen at other sizes where nobody can resize.
  int WindowWidth = 0;
  int WindowHeight = 0;
  TFrameSize Size;
};
void SetDisplayChoice(const TDisplayChoice& choice);

// Mesa's CPU renderers, from the context's GL_RENDERER: llvmpipe, softpipe
// and swrast ("Software Rasterizer").
bool IsSoftwareRenderer(const std::string& renderer);
// The largest 4:3 box of whole pixels in width x height (at least 4 x 3).
void NativeFrameSize(int width, int height, int& frameWidth, int& frameHeight);

// Width and height are the layout's: the record, the projection and the 2D
// layer keep them whatever the window's size and the frame's pixels (the
// display choice's frame size, within what the GL allows). Fullscreen fills
// the desktop at its own mode; the frame is scaled into it. Where no frame
// can be made (no framebuffer objects) nothing can scale it: the window is
// then the record's size, never fullscreen, and says so on stderr.
TGLWindow MakeGLWindow(int width, int height, int bits, bool fullscreen, const char* title);
void KillGLWindow(TGLWindow window);
// Flushes GL, then either handles one waiting event or presents the frame.
// Returns true when the event taken was a close request. Alt+Enter switches
// between fullscreen and a window (where there is a frame); a window's size
// change only changes where the frame lands in it.
bool PumpMessagesAndSwap(const TGLWindow& window);
// Presents the frame as it stands, again and again, until the user dismisses
// it as a message box (Return, Enter, Escape, Space or a click) or a stop
// signal comes; the message screen's wait.
void PresentUntilDismissed(const TGLWindow& window);
// Between fullscreen on the desktop's mode and a window of the last size;
// nothing where there is no frame to scale.
void ToggleFullscreen();
void ResizeGLScene(int width, int height);
// The show's projection: 45 degrees, near 1, far FarPlane; leaves the
// modelview matrix selected.
void LoadPerspective(int width, int height);
void InitGLState();
void SetTwoSided(bool twoSided);

// The window's drawing area in pixels.
void GetDrawableSize(const TGLWindow& window, int& width, int& height);
// True while an OpenGL context is current on the calling thread.
bool HasCurrentGLContext();

// The record of the window made last: width and height are the frame's.
const TGLWindow& CurrentWindow();

// Called by PumpMessagesAndSwap with the finished frame just before it is
// presented, while the frame is bound for reading.
using FrameSink = std::function<void(const TGLWindow& window)>;
void SetFrameSink(FrameSink sink);
// Called by PumpMessagesAndSwap once the frame is scaled into the window and
// swapped: with the frame sink it brackets what presenting costs.
using PresentedHook = std::function<void()>;
void SetPresentedHook(PresentedHook hook);
// Called by KillGLWindow while the context is still current, before it goes:
// the last chance to collect frames whose read-back is still under way.
using ContextEndHook = std::function<void()>;
void SetContextEndHook(ContextEndHook hook);
