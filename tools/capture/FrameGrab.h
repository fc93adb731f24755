// Reading finished frames back from OpenGL, and making the small
// contact-sheet tile from a frame. Everything here needs the demo's context
// to be current and leaves its GL state as it found it.
//
// State: TFrameReader owns two pixel buffer objects and the reads under way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "CaptureImage.h"

// The frame bound for reading, width x height, top row first, read at once.
TRgbImage ReadFrame(int width, int height);

// A frame as read back: four bytes per pixel (blue, green, red, unused), the
// bottom row first, as the encoder and the picture writer each take it apart.
struct TRawFrame {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Bgrx;
  const uint8_t* Row(int yFromBottom) const { return Bgrx.data() + size_t(yFromBottom) * size_t(Width) * 4; }
};
// The raw frame as an RGB picture, top row first.
TRgbImage ToRgbImage(const TRawFrame& frame);
// The picture scaled to the size of a contact-sheet tile by GLU.
TRgbImage ScaleToTile(const TRgbImage& frame, int tileWidth, int tileHeight);

// Reads frames back one frame behind through two pixel buffer objects: the
// copy of a finished frame is queued behind its drawing and collected while
// the next frame is drawn, so drawing and reading overlap instead of the
// demo waiting for every read.
class TFrameReader {
 public:
  TFrameReader(int width, int height) : width_(width), height_(height) {}
  TFrameReader(const TFrameReader&) = delete;
  TFrameReader& operator=(const TFrameReader&) = delete;

  // Queues the read of the frame bound for reading; at most two may be under
  // way (Collect the oldest first).
  void Start();
  size_t Pending() const { return pending_; }
  // The pixels of the oldest read under way.
  TRawFrame Collect();
  // Deletes the buffers; the reads under way are dropped.
  void Release();

 private:
  int width_, height_;
  unsigned buffers_[2] = {0, 0};
  size_t first_ = 0;  // the buffer holding the oldest read
  size_t pending_ = 0;
};
