// glReadPixels and gluScaleImage under the demo's own pixel-store state:
// rows are laid out by whatever alignment the demo left set.
#define GL_GLEXT_PROTOTYPES
#include "FrameGrab.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstring>
#include <stdexcept>

namespace {

size_t RowStride(GLenum alignmentName, int width) {
  GLint alignment = 4;
  glGetIntegerv(alignmentName, &alignment);
  const size_t bytes = size_t(width) * 3;
  return (bytes + size_t(alignment) - 1) / size_t(alignment) * size_t(alignment);
}

// Packed GL rows, bottom row first, into a picture with its top row first.
TRgbImage FromGlRows(const std::vector<uint8_t>& rows, size_t stride, int width, int height) {
  TRgbImage image(width, height);
  for (int y = 0; y < height; ++y) std::memcpy(image.Row(height - 1 - y), &rows[size_t(y) * stride], size_t(width) * 3);
  return image;
}

}  // namespace

TRgbImage ReadFrame(int width, int height) {
  const size_t stride = RowStride(GL_PACK_ALIGNMENT, width);
  std::vector<uint8_t> rows(stride * size_t(height));
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  return FromGlRows(rows, stride, width, height);
}

TRgbImage ScaleToTile(const TRgbImage& frame, int tileWidth, int tileHeight) {
  // GLU reads with the unpack alignment and writes with the pack alignment.
  const size_t inStride = RowStride(GL_UNPACK_ALIGNMENT, frame.Width);
  std::vector<uint8_t> in(inStride * size_t(frame.Height));
  for (int y = 0; y < frame.Height; ++y) std::memcpy(&in[size_t(y) * inStride], frame.Row(y), size_t(frame.Width) * 3);
  const size_t outStride = RowStride(GL_PACK_ALIGNMENT, tileWidth);
  std::vector<uint8_t> out(outStride * size_t(tileHeight));
  if (gluScaleImage(GL_RGB, frame.Width, frame.Height, GL_UNSIGNED_BYTE, in.data(), tileWidth, tileHeight,
                    GL_UNSIGNED_BYTE, out.data()) != 0)
    throw std::runtime_error("Cannot scale a frame to a contact-sheet tile");
  TRgbImage tile(tileWidth, tileHeight);
  for (int y = 0; y < tileHeight; ++y) std::memcpy(tile.Row(y), &out[size_t(y) * outStride], size_t(tileWidth) * 3);
  return tile;
}

void TFrameReader::Start() {
  if (pending_ == 2) throw std::logic_error("two frames are already being read back");
  if (buffers_[0] == 0) glGenBuffers(2, buffers_);
  const size_t slot = (first_ + pending_) % 2;
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[slot]);
  glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(size_t(width_) * size_t(height_) * 4), nullptr, GL_STREAM_READ);
  // Four bytes a pixel in the renderer's own order: no repacking on the way.
  glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  ++pending_;
}

TRawFrame TFrameReader::Collect() {
  if (pending_ == 0) throw std::logic_error("no frame is being read back");
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[first_]);
  const auto* pixels = static_cast<const uint8_t*>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
  TRawFrame frame;
  if (pixels) {
    frame.Width = width_;
    frame.Height = height_;
    frame.Bgrx.assign(pixels, pixels + size_t(width_) * size_t(height_) * 4);
  }
  glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  first_ = (first_ + 1) % 2;
  --pending_;
  if (!pixels) throw std::runtime_error("Cannot read a frame back from its pixel buffer");
  return frame;
}

TRgbImage ToRgbImage(const TRawFrame& frame) {
  TRgbImage image(frame.Width, frame.Height);
  for (int y = 0; y < frame.Height; ++y) {
    const uint8_t* from = frame.Row(frame.Height - 1 - y);
    uint8_t* to = image.Row(y);
    for (int x = 0; x < frame.Width; ++x, from += 4, to += 3) to[0] = from[2], to[1] = from[1], to[2] = from[0];
  }
  return image;
}

void TFrameReader::Release() {
  if (buffers_[0] != 0) glDeleteBuffers(2, buffers_);
  buffers_[0] = buffers_[1] = 0;
  pending_ = 0;
}
