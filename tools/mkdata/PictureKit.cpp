// Saving and the recurring drawing steps of the generated pictures.
//
// State: none.
#include "PictureKit.h"

#include <algorithm>
#include <cmath>

#include "Amb2JpegWriter.h"
#include "ImageWriters.h"

float SmoothStep(float edge0, float edge1, float x) {
  float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

static TRgbaImage Snapshot(const TCanvas& canvas) { return {canvas.Width(), canvas.Height(), canvas.ToRgba8()}; }

static std::string PathOf(const std::string& dir, const std::string& name) { return dir + "/" + name; }

void SaveJpg(const std::string& dir, const std::string& name, const TCanvas& canvas) {
  const std::vector<uint8_t> pixels = canvas.ToRgba8();
  WriteBytes(PathOf(dir, name), EncodeJpeg(pixels.data(), canvas.Width(), canvas.Height(), 4, 92));
}

void SaveBmp(const std::string& dir, const std::string& name, const TCanvas& canvas) {
  WriteBytes(PathOf(dir, name), EncodeBmp24(Snapshot(canvas)));
}

void SaveTga(const std::string& dir, const std::string& name, const TCanvas& canvas, bool withAlpha, bool runLength) {
  WriteBytes(PathOf(dir, name), EncodeTga(Snapshot(canvas), withAlpha, runLength));
}

void SaveWindowPicture(const std::string& dir, const std::string& name, const TCanvas& canvas) {
  SaveJpg(dir, name, Resample(canvas, 1024, 512));
}

void GlowMask(TCanvas& canvas, const TMask& mask, const TRgba& glow, const TRgba& core, int radius) {
  TMask wide = mask;
  BlurMask(wide, radius, 3);
  AddMask(canvas, wide, glow, 1.4f);
  TMask tight = mask;
  BlurMask(tight, std::max(1, radius / 4), 2);
  AddMask(canvas, tight, glow, 0.9f);
  PaintMask(canvas, mask, core);
}

void GlowText(TCanvas& canvas, const TFont& font, const std::string& text, int size, float spacing, float cx,
              float baseline, const TRgba& glow, const TRgba& core, int radius) {
  TMask mask(canvas.Width(), canvas.Height());
  font.DrawCentred(mask, text, size, spacing, cx, baseline);
  GlowMask(canvas, mask, glow, core, radius);
}

int FitTextSize(const TFont& font, const std::string& text, float spacingPerSize, float maxWidth, int maxSize) {
  int size = maxSize;
  while (size > 6 && font.Measure(text, size, spacingPerSize * size) > maxWidth) --size;
  return size;
}

void AddStars(TCanvas& canvas, int count, uint32_t seed, float brightness) {
  TRandom random(seed);
  for (int i = 0; i < count; ++i) {
    float x = random.Range(0, float(canvas.Width())), y = random.Range(0, float(canvas.Height()));
    float power = std::pow(random.Next(), 5.0f);
    float tint = random.Next();
    TRgba colour = Mix({0.75f, 0.85f, 1.0f, 1}, {1.0f, 0.9f, 0.75f, 1}, tint);
    AddGlow(canvas, x, y, 0.6f + 1.4f * power, colour, brightness * (0.25f + 1.5f * power));
  }
}

void AddNebula(TCanvas& canvas, uint32_t seed, const TRgba& first, const TRgba& second, float strength, float scale) {
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      float density = SmoothStep(0.42f, 0.85f, Fbm(x / scale, y / scale, 5, seed));
      float hue = Fbm(x / (scale * 0.7f) + 7.3f, y / (scale * 0.7f), 3, seed + 17);
      canvas.Add(x, y, Mix(first, second, SmoothStep(0.3f, 0.7f, hue)), density * density * strength);
    }
  }
}

void DrawEmblem(TMask& mask, float cx, float cy, float radius) {
  MaskRing(mask, cx, cy, radius, radius * 0.035f + 1);
  MaskRing(mask, cx, cy, radius * 0.72f, radius * 0.025f + 1);
  const float pi = 3.14159265f;
  for (int i = 0; i < 6; ++i) {
    float a0 = pi / 6 + i * pi / 3, a1 = a0 + pi / 3;
    float r = radius * 0.86f;
    MaskLine(mask, cx + r * std::cos(a0), cy + r * std::sin(a0), cx + r * std::cos(a1), cy + r * std::sin(a1),
             radius * 0.03f + 1);
    MaskLine(mask, cx, cy, cx + r * std::cos(a0), cy + r * std::sin(a0), radius * 0.015f + 0.8f);
    MaskDisc(mask, cx + r * std::cos(a0), cy + r * std::sin(a0), radius * 0.06f, 1);
  }
  MaskDisc(mask, cx, cy, radius * 0.16f, 1.5f);
}
