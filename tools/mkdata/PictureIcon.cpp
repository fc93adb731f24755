// The menu icon, in the colours of the group logo.
#include "PictureIcon.h"

#include <algorithm>
#include <cmath>

#include "ImageWriters.h"
#include "PictureKit.h"

namespace {

constexpr int kIconSize = 256;

// Coverage of a square with rounded corners, `margin` in from the edges.
float RoundedSquare(float x, float y, float margin, float corner) {
  const float half = kIconSize / 2.0f - margin - corner;
  const float dx = std::max(std::fabs(x - kIconSize / 2.0f) - half, 0.0f);
  const float dy = std::max(std::fabs(y - kIconSize / 2.0f) - half, 0.0f);
  return std::clamp(corner - std::hypot(dx, dy) + 0.5f, 0.0f, 1.0f);
}

void PaintPlate(TCanvas& c) {
  const TStops stops{{0.0f, {0.10f, 0.05f, 0.03f, 1}}, {1.0f, {0.02f, 0.01f, 0.0f, 1}}};
  for (int y = 0; y < kIconSize; ++y)
    for (int x = 0; x < kIconSize; ++x)
      c.Over(x, y, GradientAt(stops, float(y) / kIconSize), RoundedSquare(x + 0.5f, y + 0.5f, 8, 40));
}

TCanvas DrawIcon() {
  TCanvas c(kIconSize, kIconSize, {0, 0, 0, 0});
  PaintPlate(c);
  TMask emblem(kIconSize, kIconSize);
  // Drawn heavier than on the logo so that its lines survive the 48-pixel size.
  DrawEmblem(emblem, 128, 128, 92);
  TMask bold = emblem;
  BlurMask(bold, 2, 1);
  for (float& v : bold.V) v = std::min(1.0f, v * 3.0f);
  GlowMask(c, bold, {1.0f, 0.55f, 0.15f, 1}, {1.0f, 0.9f, 0.7f, 1}, 8);
  return c;
}

}  // namespace

void WriteIcons(const std::string& dir) {
  const TCanvas icon = DrawIcon();
  for (int size : {48, 128, 256}) {
    const TCanvas scaled = size == kIconSize ? icon : Resample(icon, size, size);
    WriteBytes(dir + "/tavix-" + std::to_string(size) + ".png",
               EncodePng({scaled.Width(), scaled.Height(), scaled.ToRgba8()}));
  }
}
