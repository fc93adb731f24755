// The mouse, polled like the keyboard: one snapshot per poll of where the
// pointer is on the frame, which buttons are held, and how far the wheel
// turned since the previous poll. Read from SDL, or from an installed mouse
// source (tests, scripted runs).
//
// Positions are the frame's layout units with the origin at its lower-left
// corner, y upwards, as the 2D layer's rectangles: whatever size the window
// has, wherever the frame sits in it and however many pixels it has, (0, 0)
// .. (799, 599) covers the 800 x 600 picture. A pointer over the black bars, or outside the window,
// is not Inside; over the bars X and Y still give the nearest picture pixel,
// so that a drag carried past the picture's edge stays on it.
//
// State: the mouse source; the wheel turned since the last poll (counted by
// the window pump).
#pragma once

#include <functional>

struct TMouseState {
  bool Inside = false;  // over the frame's picture
  int X = 0, Y = 0;     // frame pixels, lower-left origin
  bool Left = false, Right = false, Middle = false;
  int Wheel = 0;  // notches turned since the last poll, away from the user positive
};

using MouseSource = std::function<void(TMouseState& state)>;
// Fills the snapshot instead of the real mouse; empty restores SDL.
void SetMouseSource(MouseSource source);

// This frame's snapshot. Outside focus, or without a window, nothing is held.
TMouseState PollMouse();

// Shows the pointer over a fullscreen window too (the timeline is open), or
// hides it there again; a window always shows it.
void ShowPointer(bool shown);
// Asked by the window code each time it goes fullscreen.
bool PointerWanted();

// The window pump reports wheel turns here as it handles them.
void NoteMouseWheel(int notches);

// Where a pointer at (x, y) in window points (origin at the top-left corner,
// y downwards) lands on a frame of frameWidth x frameHeight pixels shown
// fitted into a window of windowWidth x windowHeight points (FitFrame), in
// the frame's layout units (its pixels where none are given): sets Inside, X
// and Y only.
TMouseState FramePointFromWindow(int x, int y, int windowWidth, int windowHeight, int frameWidth, int frameHeight,
                                 int layoutWidth, int layoutHeight);
TMouseState FramePointFromWindow(int x, int y, int windowWidth, int windowHeight, int frameWidth, int frameHeight);
