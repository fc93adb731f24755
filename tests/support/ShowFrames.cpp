// Helpers for the suites of the show's first half (see ShowFrames.h).
#include "ShowFrames.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <fstream>

#include "AmbSystem.h"

TShotPixel TFrameShot::At(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * Width + x) * 3;
  return {Rgb[i], Rgb[i + 1], Rgb[i + 2]};
}

double TFrameShot::MeanBrightness(int x0, int y0, int x1, int y1) const {
  double sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const TShotPixel p = At(x, y);
      sum += p.r + p.g + p.b;
    }
  const double count = 3.0 * (x1 - x0) * (y1 - y0);
  return count > 0 ? sum / count : 0;
}

TFrameShot ReadFrame(const TGLWindow& window) {
  TFrameShot frame;
  frame.Width = window.Width;
  frame.Height = window.Height;
  frame.Rgb.resize(static_cast<size_t>(frame.Width) * frame.Height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, frame.Width, frame.Height, GL_RGB, GL_UNSIGNED_BYTE, frame.Rgb.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  return frame;
}

void SaveFramePpm(const TFrameShot& frame, const std::string& fileName) {
  std::ofstream out(fileName, std::ios::binary);
  out << "P6\n" << frame.Width << " " << frame.Height << "\n255\n";
  for (int y = frame.Height - 1; y >= 0; --y)
    out.write(reinterpret_cast<const char*>(&frame.Rgb[static_cast<size_t>(y) * frame.Width * 3]), frame.Width * 3);
}

TPixelBuffer DecodeDataPicture(const std::string& folder, const std::string& fileName) {
  const std::string bytes = ReadWholeFile(folder + "/" + fileName);
  TDecodeResult result = DecodeJpg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileName, false);
  EXPECT_TRUE(result.Ok) << fileName << ": " << result.Text;
  return std::move(result.Image);
}

TShotPixel PictureAtWindowPixel(const TPixelBuffer& picture, int x, int y, int width, int height) {
  const uint32_t px = static_cast<uint32_t>((x + 0.5) * picture.Width / width);
  const uint32_t py = static_cast<uint32_t>((y + 0.5) * picture.Height / height);
  const size_t channels = picture.Format == TPixelFormat::RGBA ? 4 : 3;
  const size_t i = (static_cast<size_t>(py) * picture.Width + px) * channels;
  return {picture.Pixels[i], picture.Pixels[i + 1], picture.Pixels[i + 2]};
}

void WriteTimeSyncFile(const std::string& folder, const std::vector<uint32_t>& moments) {
  std::vector<uint8_t> bytes(804, 0);
  for (size_t i = 0; i < moments.size() && i < 201; ++i)
    for (int b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<uint8_t>(moments[i] >> (8 * b));
  std::ofstream out(folder + "/timesync.dat", std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
