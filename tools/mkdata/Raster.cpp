// Canvas, masks, noise and FreeType text for the generated pictures.
//
// State: none global; a TFont holds its FreeType library and face until it
// is destroyed.
#include "Raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Amb2Fonts.h"

TRgba Mix(const TRgba& x, const TRgba& y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

TRgba Scaled(const TRgba& c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

TCanvas::TCanvas(int width, int height, TRgba fill) : W(width), H(height) {
  Px.assign(size_t(width) * height, {fill.r * fill.a, fill.g * fill.a, fill.b * fill.a, fill.a});
}

void TCanvas::Add(int x, int y, const TRgba& c, float k) {
  if (x < 0 || y < 0 || x >= W || y >= H) return;
  TRgba& p = At(x, y);
  p.r += c.r * k;
  p.g += c.g * k;
  p.b += c.b * k;
  p.a = std::min(1.0f, p.a + k * c.a);
}

void TCanvas::Over(int x, int y, const TRgba& c, float cover) {
  if (x < 0 || y < 0 || x >= W || y >= H) return;
  float a = std::clamp(cover, 0.0f, 1.0f) * c.a;
  TRgba& p = At(x, y);
  p.r = c.r * a + p.r * (1 - a);
  p.g = c.g * a + p.g * (1 - a);
  p.b = c.b * a + p.b * (1 - a);
  p.a = a + p.a * (1 - a);
}

static uint8_t ToByte(float v, float dither) {
  float level = std::clamp(v, 0.0f, 1.0f) * 255.0f;
  // Pure black stays black: the letterbox title relies on it.
  return uint8_t(std::lround(std::clamp(level + dither * std::min(1.0f, level), 0.0f, 255.0f)));
}

std::vector<uint8_t> TCanvas::ToRgba8() const {
  std::vector<uint8_t> out(Px.size() * 4);
  for (size_t i = 0; i < Px.size(); ++i) {
    const TRgba& p = Px[i];
    // Light added beyond full alpha saturates; below it the colour is unpremultiplied.
    float inv = p.a > 1e-4f ? 1.0f / p.a : 0.0f;
    // A fixed half-step dither keeps slow gradients from banding.
    float dither = HashUnit(uint32_t(i)) - HashUnit(uint32_t(i) ^ 0xA5A5A5A5U);
    out[i * 4 + 0] = ToByte(p.r * inv, dither);
    out[i * 4 + 1] = ToByte(p.g * inv, dither);
    out[i * 4 + 2] = ToByte(p.b * inv, dither);
    out[i * 4 + 3] = ToByte(p.a, 0.0f);
  }
  return out;
}

// One axis at a time: each output sample is a weighted sum of input samples.
struct TTap {
  int Index;
  float Weight;
};

static std::vector<std::vector<TTap>> ResampleTaps(int from, int to) {
  float scale = float(from) / float(to);
  float support = std::max(1.0f, scale);
  std::vector<std::vector<TTap>> taps(static_cast<size_t>(to));
  for (int i = 0; i < to; ++i) {
    float centre = (i + 0.5f) * scale - 0.5f;
    float sum = 0;
    for (int j = int(std::floor(centre - support)); j <= int(std::ceil(centre + support)); ++j) {
      float w = 1.0f - std::fabs(j - centre) / support;
      if (w <= 0) continue;
      taps[size_t(i)].push_back({std::clamp(j, 0, from - 1), w});
      sum += w;
    }
    for (TTap& t : taps[size_t(i)]) t.Weight /= sum;
  }
  return taps;
}

static TRgba WeightedSum(const std::vector<TTap>& taps, const TCanvas& c, int fixed, bool alongX) {
  TRgba out{0, 0, 0, 0};
  for (const TTap& t : taps) {
    const TRgba& p = alongX ? c.At(t.Index, fixed) : c.At(fixed, t.Index);
    out.r += p.r * t.Weight;
    out.g += p.g * t.Weight;
    out.b += p.b * t.Weight;
    out.a += p.a * t.Weight;
  }
  return out;
}

TCanvas Resample(const TCanvas& source, int width, int height) {
  TCanvas wide(width, source.Height(), {0, 0, 0, 0});
  auto xTaps = ResampleTaps(source.Width(), width);
  for (int y = 0; y < source.Height(); ++y)
    for (int x = 0; x < width; ++x) wide.At(x, y) = WeightedSum(xTaps[size_t(x)], source, y, true);
  TCanvas out(width, height, {0, 0, 0, 0});
  auto yTaps = ResampleTaps(source.Height(), height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) out.At(x, y) = WeightedSum(yTaps[size_t(y)], wide, x, false);
  return out;
}

TRgba GradientAt(const TStops& stops, float t) {
  if (t <= stops.front().first) return stops.front().second;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].first) {
      float span = stops[i].first - stops[i - 1].first;
      return Mix(stops[i - 1].second, stops[i].second, span > 0 ? (t - stops[i - 1].first) / span : 1.0f);
    }
  }
  return stops.back().second;
}

void VerticalGradient(TCanvas& canvas, const TStops& stops) {
  for (int y = 0; y < canvas.Height(); ++y) {
    TRgba c = GradientAt(stops, (y + 0.5f) / canvas.Height());
    for (int x = 0; x < canvas.Width(); ++x) canvas.At(x, y) = {c.r * c.a, c.g * c.a, c.b * c.a, c.a};
  }
}

void AddGlow(TCanvas& canvas, float cx, float cy, float radius, const TRgba& c, float k) {
  int reach = int(radius * 3.0f) + 1;
  int x0 = std::max(0, int(cx) - reach), x1 = std::min(canvas.Width() - 1, int(cx) + reach);
  int y0 = std::max(0, int(cy) - reach), y1 = std::min(canvas.Height() - 1, int(cy) + reach);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / radius;
      canvas.Add(x, y, c, k * std::exp(-(dx * dx + dy * dy)));
    }
  }
}

uint32_t Hash32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

float HashUnit(uint32_t x) { return float(Hash32(x) >> 8) / 16777216.0f; }

static float Lattice(int x, int y, uint32_t seed) {
  return HashUnit(uint32_t(x) * 0x9E3779B1U ^ Hash32(uint32_t(y) + seed * 0x85EBCA77U));
}

float ValueNoise(float x, float y, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  float top = Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * tx;
  float bottom = Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * tx;
  return top + (bottom - top) * ty;
}

float Fbm(float x, float y, int octaves, uint32_t seed) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * ValueNoise(x, y, seed + uint32_t(i) * 131U);
    norm += amp;
    x *= 2.03f;
    y *= 2.03f;
    amp *= 0.5f;
  }
  return sum / norm;
}

static float TiledValueNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  auto at = [&](int cx, int cy) {
    return Lattice(((cx % periodX) + periodX) % periodX, ((cy % periodY) + periodY) % periodY, seed);
  };
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  float top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx;
  float bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx;
  return top + (bottom - top) * ty;
}

float TiledFbm(float x, float y, int periodX, int periodY, int octaves, uint32_t seed) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * TiledValueNoise(x, y, periodX, periodY, seed + uint32_t(i) * 131U);
    norm += amp;
    x *= 2;
    y *= 2;
    periodX *= 2;
    periodY *= 2;
    amp *= 0.5f;
  }
  return sum / norm;
}

float TRandom::Next() {
  State ^= State << 13;
  State ^= State >> 17;
  State ^= State << 5;
  return float(State >> 8) / 16777216.0f;
}

static void BoxBlurRows(std::vector<float>& v, int w, int h, int r, bool alongX) {
  int len = alongX ? w : h, lines = alongX ? h : w;
  std::vector<float> line(len), prefix(len + 1);
  for (int l = 0; l < lines; ++l) {
    for (int i = 0; i < len; ++i) line[i] = alongX ? v[size_t(l) * w + i] : v[size_t(i) * w + l];
    for (int i = 0; i < len; ++i) prefix[i + 1] = prefix[i] + line[i];
    for (int i = 0; i < len; ++i) {
      int a = std::max(0, i - r), b = std::min(len, i + r + 1);
      float avg = (prefix[b] - prefix[a]) / float(2 * r + 1);
      (alongX ? v[size_t(l) * w + i] : v[size_t(i) * w + l]) = avg;
    }
  }
}

void BlurMask(TMask& mask, int radius, int passes) {
  for (int p = 0; p < passes; ++p) {
    BoxBlurRows(mask.V, mask.W, mask.H, radius, true);
    BoxBlurRows(mask.V, mask.W, mask.H, radius, false);
  }
}

static float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
  float dx = x1 - x0, dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0f, 1.0f) : 0.0f;
  float ex = px - (x0 + dx * t), ey = py - (y0 + dy * t);
  return std::sqrt(ex * ex + ey * ey);
}

void MaskLine(TMask& mask, float x0, float y0, float x1, float y1, float width) {
  float half = width * 0.5f;
  int xa = std::max(0, int(std::min(x0, x1) - half - 2)), xb = std::min(mask.W - 1, int(std::max(x0, x1) + half + 2));
  int ya = std::max(0, int(std::min(y0, y1) - half - 2)), yb = std::min(mask.H - 1, int(std::max(y0, y1) + half + 2));
  for (int y = ya; y <= yb; ++y) {
    for (int x = xa; x <= xb; ++x) {
      float cover = std::clamp(half + 0.5f - SegmentDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1), 0.0f, 1.0f);
      mask.At(x, y) = std::max(mask.At(x, y), cover);
    }
  }
}

void MaskDisc(TMask& mask, float cx, float cy, float radius, float softness) {
  float soft = std::max(softness, 0.5f);
  for (int y = std::max(0, int(cy - radius - soft - 1)); y < std::min(mask.H, int(cy + radius + soft + 2)); ++y) {
    for (int x = std::max(0, int(cx - radius - soft - 1)); x < std::min(mask.W, int(cx + radius + soft + 2)); ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      float cover = std::clamp((radius - d) / soft + 0.5f, 0.0f, 1.0f);
      mask.At(x, y) = std::max(mask.At(x, y), cover);
    }
  }
}

void MaskRing(TMask& mask, float cx, float cy, float radius, float width) {
  float outer = radius + width * 0.5f + 2;
  for (int y = std::max(0, int(cy - outer)); y < std::min(mask.H, int(cy + outer + 1)); ++y) {
    for (int x = std::max(0, int(cx - outer)); x < std::min(mask.W, int(cx + outer + 1)); ++x) {
      float d = std::fabs(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius);
      float cover = std::clamp(width * 0.5f + 0.5f - d, 0.0f, 1.0f);
      mask.At(x, y) = std::max(mask.At(x, y), cover);
    }
  }
}

void AddMask(TCanvas& canvas, const TMask& mask, const TRgba& c, float gain) {
  for (int y = 0; y < mask.H; ++y)
    for (int x = 0; x < mask.W; ++x)
      if (mask.At(x, y) > 0) canvas.Add(x, y, c, mask.At(x, y) * gain);
}

void PaintMask(TCanvas& canvas, const TMask& mask, const TRgba& c) {
  for (int y = 0; y < mask.H; ++y)
    for (int x = 0; x < mask.W; ++x)
      if (mask.At(x, y) > 0) canvas.Over(x, y, c, mask.At(x, y));
}

TFont::TFont(const std::string& pattern) {
  const std::string file = MatchFontFile(pattern).Path;
  if (file.empty()) throw std::runtime_error("No installed font matches " + pattern);
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&lib) != 0) throw std::runtime_error("Cannot start FreeType");
  if (FT_New_Face(lib, file.c_str(), 0, &face) != 0) {
    FT_Done_FreeType(lib);
    throw std::runtime_error("Cannot open font file " + file);
  }
  Library = lib;
  Face = face;
}

TFont::~TFont() {
  FT_Done_Face(static_cast<FT_Face>(Face));
  FT_Done_FreeType(static_cast<FT_Library>(Library));
}

float TFont::Measure(const std::string& text, int size, float spacing) const {
  FT_Face face = static_cast<FT_Face>(Face);
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
  float width = 0;
  for (unsigned char ch : text) {
    if (FT_Load_Char(face, ch, FT_LOAD_DEFAULT) != 0) continue;
    width += float(face->glyph->advance.x) / 64.0f + spacing;
  }
  return text.empty() ? 0.0f : width - spacing;
}

static void BlitGlyph(TMask& mask, const FT_Bitmap& bitmap, int left, int top) {
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    for (unsigned col = 0; col < bitmap.width; ++col) {
      int x = left + int(col), y = top + int(row);
      if (x < 0 || y < 0 || x >= mask.W || y >= mask.H) continue;
      float v = bitmap.buffer[row * unsigned(bitmap.pitch) + col] / 255.0f;
      mask.At(x, y) = std::min(1.0f, mask.At(x, y) + v);
    }
  }
}

void TFont::Draw(TMask& mask, const std::string& text, int size, float spacing, float x, float y) const {
  FT_Face face = static_cast<FT_Face>(Face);
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
  float pen = x;
  for (unsigned char ch : text) {
    if (FT_Load_Char(face, ch, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = face->glyph;
    BlitGlyph(mask, g->bitmap, int(std::lround(pen)) + g->bitmap_left, int(std::lround(y)) - g->bitmap_top);
    pen += float(g->advance.x) / 64.0f + spacing;
  }
}

void TFont::DrawCentred(TMask& mask, const std::string& text, int size, float spacing, float cx, float y) const {
  Draw(mask, text, size, spacing, cx - Measure(text, size, spacing) * 0.5f, y);
}
