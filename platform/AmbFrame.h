// The fixed frame: every picture of the program is drawn into an off-screen
// target of the size the window was asked for (a framebuffer object with a
// colour texture and a 24-bit depth renderbuffer), whatever size the window
// really has, and each finished frame is scaled into the window with its
// shape kept. Where no framebuffer object can be made, frames go straight to
// the window.
//
// State: the framebuffer object, its texture and renderbuffer, its size, the
// program that presents it, a second framebuffer object over the same
// texture without depth and the program that modulates a texel. Leaves
// behind: the frame bound for drawing and reading from CreateFrame to
// DestroyFrame (PresentFrame and EndQuadsWithoutDepth bind it again before
// they return).
#pragma once

// What the context offers the frame.
struct TFrameSupport {
  // Rows stored as Mesa stores a window's (GL_MESA_framebuffer_flip_y).
  bool RowsTopFirst = false;
  // Where GL_ARB_fragment_program is offered, how to find its calls (the
  // frame is then presented as a textured quad); nullptr: by a blit.
  void* (*FindFragmentProgramCall)(const char* name) = nullptr;
};

// Makes the frame of width x height pixels, cleared, and binds it; its
// picture is laid out in layoutWidth x layoutHeight units (the window
// record's size, which the projection and the 2D layer keep whatever the
// pixels). Returns false, with nothing made and the window bound, when the
// context cannot complete one.
bool CreateFrame(int width, int height, int layoutWidth, int layoutHeight, const TFrameSupport& support);
// A new size in pixels for the frame (a native frame following its window),
// cleared and bound, the viewport over all of it; false, with the old size
// kept, when the context cannot complete it.
bool ResizeFrame(int width, int height);
// Releases the frame and binds the window; needs the context still current.
void DestroyFrame();
bool HasFrame();
// The frame's size in pixels and its layout in units; false, with nothing
// set, while there is no frame.
bool GetFrameSize(int& width, int& height);
bool GetFrameLayout(int& width, int& height);
// Pixels per unit of the layout (its height's), 1 without a frame.
float FrameScale();
// A length in units as whole pixels of the frame, rounded: exactly `units`
// while the frame is laid out at its own size.
int ScaledPixels(int units);

// Around quads that neither test nor write depth (the 2D layer's pictures):
// they are drawn into the frame's colour without its depth planes, and, where
// the fixed pipeline would only modulate the texel by the colour, through a
// program that does just that. Mesa's CPU renderer takes its shorter paths
// for both; the pixels are the same. The end binds the frame again and puts
// the program away. Without a frame, without fragment programs, or for a
// texture without its picture (one that failed to load), the quads are drawn
// as they come.
void BeginQuadsWithoutDepth();
void EndQuadsWithoutDepth();

// Where a frame lands in a window: the largest box of the frame's shape that
// fits, centred (in whole pixels, origin at the lower-left corner). A frame
// that fits within three pixels of that box (the display's own 4:3 box,
// rounded to the shape) is shown unscaled instead, centred.
struct TFrameBox {
  int X = 0, Y = 0, Width = 0, Height = 0;
};
TFrameBox FitFrame(int frameWidth, int frameHeight, int windowWidth, int windowHeight);

// Scales the finished frame into the window's back buffer, linearly filtered
// (copied pixel for pixel where the sizes agree), with black bars where the
// shapes differ, then binds the frame again. Every other piece of GL state
// is as it was; only the window's back buffer has changed.
void PresentFrame(int windowWidth, int windowHeight);
