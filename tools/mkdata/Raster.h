// A small floating-point picture canvas for the data generator: colour
// gradients, soft glows, value noise, coverage masks (lines, discs, text set
// with FreeType from an installed font) and the compositing that turns masks
// into light.
//
// State: each canvas, mask and font owns its own buffers; nothing global.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TRgba {
  float r = 0, g = 0, b = 0, a = 1;
};

TRgba Mix(const TRgba& x, const TRgba& y, float t);
TRgba Scaled(const TRgba& c, float k);

// Colours are stored premultiplied by alpha; rows run top to bottom.
class TCanvas {
 public:
  TCanvas(int width, int height, TRgba fill);
  int Width() const { return W; }
  int Height() const { return H; }
  TRgba& At(int x, int y) { return Px[size_t(y) * W + x]; }
  const TRgba& At(int x, int y) const { return Px[size_t(y) * W + x]; }
  // Light added on top: colour times k, alpha raised by k * c.a.
  void Add(int x, int y, const TRgba& c, float k);
  // Paint over with coverage `cover` (straight colour c).
  void Over(int x, int y, const TRgba& c, float cover);
  // 8-bit straight RGBA, top row first.
  std::vector<uint8_t> ToRgba8() const;

 private:
  int W, H;
  std::vector<TRgba> Px;
};

// Coverage values in 0..1 (they may exceed 1 after adding).
struct TMask {
  TMask(int width, int height) : W(width), H(height), V(size_t(width) * height, 0.0f) {}
  int W, H;
  std::vector<float> V;
  float& At(int x, int y) { return V[size_t(y) * W + x]; }
  float At(int x, int y) const { return V[size_t(y) * W + x]; }
};

// Resized copy: a tent filter as wide as the scale, so shrinking averages.
TCanvas Resample(const TCanvas& source, int width, int height);

using TStops = std::vector<std::pair<float, TRgba>>;
TRgba GradientAt(const TStops& stops, float t);
void VerticalGradient(TCanvas& canvas, const TStops& stops);

// Gaussian light around (cx, cy); `radius` is where it falls to 1/e.
void AddGlow(TCanvas& canvas, float cx, float cy, float radius, const TRgba& c, float k);

// Deterministic noise: a hash, smooth value noise and its fractal sum (0..1).
uint32_t Hash32(uint32_t x);
float HashUnit(uint32_t x);
float ValueNoise(float x, float y, uint32_t seed);
float Fbm(float x, float y, int octaves, uint32_t seed);
// Noise that repeats every periodX by periodY lattice cells (each octave
// doubles the frequency and the periods), for textures that tile seamlessly.
float TiledFbm(float x, float y, int periodX, int periodY, int octaves, uint32_t seed);

// Small deterministic generator for scattering things.
class TRandom {
 public:
  explicit TRandom(uint32_t seed) : State(seed ? seed : 1) {}
  float Next();  // [0, 1)
  float Range(float lo, float hi) { return lo + (hi - lo) * Next(); }

 private:
  uint32_t State;
};

void BlurMask(TMask& mask, int radius, int passes);
void MaskLine(TMask& mask, float x0, float y0, float x1, float y1, float width);
void MaskDisc(TMask& mask, float cx, float cy, float radius, float softness);
void MaskRing(TMask& mask, float cx, float cy, float radius, float width);
// mask times gain, added as light or painted over.
void AddMask(TCanvas& canvas, const TMask& mask, const TRgba& c, float gain);
void PaintMask(TCanvas& canvas, const TMask& mask, const TRgba& c);

// Text set from the font that fontconfig matches to `pattern`.
class TFont {
 public:
  explicit TFont(const std::string& pattern);
  ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;
  // Advance width of the text in pixels at `size` with extra `spacing`.
  float Measure(const std::string& text, int size, float spacing) const;
  // Adds glyph coverage with its baseline at y, starting at x.
  void Draw(TMask& mask, const std::string& text, int size, float spacing, float x, float y) const;
  // Centred horizontally on cx.
  void DrawCentred(TMask& mask, const std::string& text, int size, float spacing, float cx, float y) const;

 private:
  void* Library = nullptr;
  void* Face = nullptr;
};
