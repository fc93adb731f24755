// Textures for models and sprites, square and a power of two on each side.
//
// State: none. Leaves the sphere maps (chrome, sunset, sunset2, silver), the
// sprites (particle.tga, purep.tga) and the surface pictures in the data folder.
#include "PictureTextures.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "PictureKit.h"

namespace {

const float kPi = 3.14159265f;

struct TDir {
  float x, y, z;
};

using TEnvironment = std::function<TRgba(const TDir&)>;

// A sphere map is the picture of a mirror ball seen from the front: each
// texel shows the environment in the direction its normal reflects the view.
TCanvas SphereMap(int size, const TEnvironment& environment) {
  TCanvas c(size, size, {0, 0, 0, 1});
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      float nx = (px + 0.5f) / (size * 0.5f) - 1, ny = 1 - (py + 0.5f) / (size * 0.5f);
      float r2 = nx * nx + ny * ny;
      if (r2 > 0.998f) {
        float k = std::sqrt(0.998f / r2);
        nx *= k;
        ny *= k;
        r2 = 0.998f;
      }
      float nz = std::sqrt(1 - r2);
      TRgba colour = environment({2 * nz * nx, 2 * nz * ny, 2 * nz * nz - 1});
      c.At(px, py) = {colour.r, colour.g, colour.b, 1};
    }
  }
  return c;
}

float Azimuth(const TDir& d) { return std::atan2(d.x, d.z); }

float AngleTo(const TDir& d, const TDir& target) {
  float len = std::sqrt(target.x * target.x + target.y * target.y + target.z * target.z);
  float dot = (d.x * target.x + d.y * target.y + d.z * target.z) / len;
  return std::acos(std::clamp(dot, -1.0f, 1.0f));
}

TRgba Plus(const TRgba& a, const TRgba& b, float k) { return {a.r + b.r * k, a.g + b.g * k, a.b + b.b * k, 1}; }

TRgba ChromeEnvironment(const TDir& d) {
  float el = d.y, az = Azimuth(d);
  TRgba colour;
  if (el >= 0) {
    colour = GradientAt({{0.0f, {0.95f, 0.96f, 1.0f, 1}},
                         {0.1f, {0.7f, 0.82f, 1.0f, 1}},
                         {0.5f, {0.3f, 0.5f, 0.9f, 1}},
                         {1.0f, {0.08f, 0.18f, 0.5f, 1}}},
                        el);
    float cloud = SmoothStep(0.5f, 0.8f, Fbm(az * 2.5f + 10, el * 7, 4, 11));
    colour = Mix(colour, {0.97f, 0.97f, 1.0f, 1}, cloud * 0.7f * (1 - el));
    float sun = AngleTo(d, {0.5f, 0.6f, 0.6f});
    colour = Plus(colour, {1, 1, 0.95f, 1}, 1.6f * std::exp(-sun * sun / 0.004f));
  } else {
    colour = GradientAt(
        {{0.0f, {0.4f, 0.34f, 0.28f, 1}}, {0.12f, {0.2f, 0.17f, 0.14f, 1}}, {1.0f, {0.03f, 0.03f, 0.03f, 1}}}, -el);
    colour = Plus(colour, {0.3f, 0.25f, 0.2f, 1}, 0.3f * (Fbm(az * 6 + 3, el * 25, 4, 12) - 0.5f));
  }
  return Plus(colour, {1, 1, 1, 1}, 0.7f * std::exp(-el * el / 0.0004f));
}

TRgba SunsetEnvironment(const TDir& d, const TDir& sun, const TStops& sky, const TRgba& glow, uint32_t seed) {
  float el = d.y, az = Azimuth(d);
  float toSun = AngleTo(d, sun);
  TRgba colour;
  if (el >= 0) {
    colour = GradientAt(sky, el);
    float streak = SmoothStep(0.55f, 0.78f, Fbm(az * 1.5f + 5, el * 22, 4, seed)) * SmoothStep(0.6f, 0.05f, el);
    colour = Mix(colour, {0.25f, 0.05f, 0.25f, 1}, streak * 0.6f);
  } else {
    colour = GradientAt(
        {{0.0f, Scaled(sky.front().second, 0.45f)}, {0.3f, {0.06f, 0.02f, 0.1f, 1}}, {1.0f, {0.02f, 0.0f, 0.04f, 1}}},
        -el);
    float lane = Azimuth(d) - Azimuth(sun);
    float ripple = Fbm(az * 20, el * 90, 3, seed + 5);
    colour = Plus(colour, glow, 1.2f * std::exp(-lane * lane / 0.01f) * ripple * SmoothStep(-0.6f, 0.0f, el));
  }
  colour = Plus(colour, glow, 0.9f * std::exp(-toSun * toSun / 0.06f));
  return Plus(colour, {1, 0.95f, 0.8f, 1}, 2.0f * std::exp(-toSun * toSun / 0.0025f));
}

TRgba SilverEnvironment(const TDir& d) {
  float el = d.y, az = Azimuth(d);
  float grey = el >= 0 ? 0.55f + 0.35f * el : 0.45f + 0.3f * el;
  float box = SmoothStep(-0.75f, -0.65f, az) * SmoothStep(-0.15f, -0.25f, az) * SmoothStep(0.15f, 0.25f, el) *
              SmoothStep(0.8f, 0.7f, el);
  float strip = SmoothStep(1.3f, 1.4f, az) * SmoothStep(1.7f, 1.6f, az) * SmoothStep(-0.1f, 0.0f, el);
  float g = grey + 0.7f * box + 0.5f * strip + 0.05f * (Fbm(az * 4 + 2, el * 4, 3, 13) - 0.5f);
  return {g, g, g * 1.02f, 1};
}

void WriteSphereMaps(const std::string& dir) {
  SaveJpg(dir, "chrome.jpg", SphereMap(256, ChromeEnvironment));
  TStops warm = {{0.0f, {1.0f, 0.62f, 0.25f, 1}},
                 {0.12f, {0.95f, 0.35f, 0.35f, 1}},
                 {0.4f, {0.5f, 0.15f, 0.45f, 1}},
                 {1.0f, {0.08f, 0.03f, 0.2f, 1}}};
  SaveJpg(dir, "sunset.jpg", SphereMap(256, [&](const TDir& d) {
            return SunsetEnvironment(d, {std::sin(0.4f), 0.08f, std::cos(0.4f)}, warm, {1.0f, 0.55f, 0.2f, 1}, 21);
          }));
  TStops rose = {{0.0f, {1.0f, 0.45f, 0.35f, 1}},
                 {0.15f, {0.85f, 0.2f, 0.45f, 1}},
                 {0.45f, {0.35f, 0.08f, 0.4f, 1}},
                 {1.0f, {0.05f, 0.02f, 0.15f, 1}}};
  SaveJpg(dir, "sunset2.jpg", SphereMap(256, [&](const TDir& d) {
            return SunsetEnvironment(d, {-0.3f, 0.25f, 0.9f}, rose, {1.0f, 0.4f, 0.3f, 1}, 22);
          }));
  SaveJpg(dir, "silver.jpg", SphereMap(256, SilverEnvironment));
}

// Round glow, white so that the sprite colour tints it; alpha reaches 0
// before the edge so the square never shows.
void WriteParticle(const std::string& dir) {
  const int size = 64;
  TCanvas c(size, size, {0, 0, 0, 0});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float r = std::hypot(x + 0.5f - size / 2.0f, y + 0.5f - size / 2.0f) / (size / 2.0f - 1);
      float a = std::pow(std::max(0.0f, 1 - r), 1.8f);
      float core = std::exp(-r * r * 30);
      c.At(x, y) = {a, a, a, std::min(1.0f, a + core * 0.2f)};
    }
  }
  SaveTga(dir, "particle.tga", c, true, true);
}

// A violet blob with a ragged rim and a hot centre.
void WritePurePlasma(const std::string& dir) {
  const int size = 128;
  TCanvas c(size, size, {0, 0, 0, 0});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float dx = x + 0.5f - size / 2.0f, dy = y + 0.5f - size / 2.0f;
      float angle = std::atan2(dy, dx);
      float rim = 0.75f + 0.25f * Fbm(std::cos(angle) * 2 + 3, std::sin(angle) * 2 + 3, 3, 31);
      float r = std::hypot(dx, dy) / (size / 2.0f - 1) / rim;
      float a = std::pow(std::max(0.0f, 1 - r), 1.5f);
      TRgba colour = Mix({0.55f, 0.2f, 1.0f, 1}, {1.0f, 0.85f, 1.0f, 1}, std::exp(-r * r * 8));
      c.At(x, y) = {colour.r * a, colour.g * a, colour.b * a, a};
    }
  }
  SaveTga(dir, "purep.tga", c, true, true);
}

void WriteStarField(const std::string& dir) {
  TCanvas c(512, 512, {0, 0, 0, 1});
  AddStars(c, 1100, 41, 0.9f);
  TRandom random(42);
  for (int i = 0; i < 14; ++i) {
    float x = random.Range(20, 492), y = random.Range(20, 492), k = random.Range(0.4f, 1.0f);
    TMask spikes(512, 512);
    MaskLine(spikes, x - 14 * k, y, x + 14 * k, y, 0.8f);
    MaskLine(spikes, x, y - 14 * k, x, y + 14 * k, 0.8f);
    BlurMask(spikes, 1, 1);
    AddMask(c, spikes, {0.7f, 0.8f, 1.0f, 1}, 0.8f * k);
    AddGlow(c, x, y, 2.2f * k, {0.9f, 0.95f, 1.0f, 1}, 1.5f);
  }
  SaveJpg(dir, "stjerne.jpg", c);
}

void WriteGalaxy(const std::string& dir) {
  const int size = 512;
  TCanvas c(size, size, {0, 0, 0, 1});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float dx = (x + 0.5f) / size * 2 - 1, dy = ((y + 0.5f) / size * 2 - 1) * 1.6f;
      float r = std::hypot(dx, dy) + 1e-4f, angle = std::atan2(dy, dx);
      float arms = std::pow(0.5f + 0.5f * std::cos(2 * (angle - 3.2f * std::log(r))), 3.0f);
      float dust = Fbm(x / 18.0f, y / 18.0f, 4, 51);
      float light = std::exp(-r / 0.32f) * (0.35f + 1.2f * arms * dust);
      TRgba colour = Mix({1.0f, 0.85f, 0.6f, 1}, {0.45f, 0.6f, 1.0f, 1}, SmoothStep(0.05f, 0.5f, r));
      c.Add(x, y, colour, light * 1.6f);
    }
  }
  AddGlow(c, size / 2.0f, size / 2.0f, 22, {1.0f, 0.9f, 0.7f, 1}, 1.0f);
  AddStars(c, 500, 52, 0.7f);
  SaveJpg(dir, "galaxy.jpg", c);
}

// Ramp lookup on domain-warped noise: the base of the organic surfaces. The
// warp is itself tiled noise of whole cells, so the surface tiles too.
TCanvas WarpedSurface(int size, int cells, uint32_t seed, const TStops& ramp) {
  TCanvas c(size, size, {0, 0, 0, 1});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float u = float(x) / size * cells, v = float(y) / size * cells;
      float q = TiledFbm(u, v, cells, cells, 4, seed);
      float warpX = TiledFbm(u + 5.2f, v + 1.3f, cells, cells, 3, seed + 7) - 0.5f;
      float n = TiledFbm(u + 2.5f * warpX, v + 2.5f * (q - 0.5f), cells, cells, 5, seed + 1);
      TRgba colour = GradientAt(ramp, n);
      c.At(x, y) = {colour.r, colour.g, colour.b, 1};
    }
  }
  return c;
}

void WriteNucleus(const std::string& dir) {
  SaveJpg(dir, "kulehore.jpg",
          WarpedSurface(256, 6, 61,
                        {{0.25f, {0.15f, 0.02f, 0.0f, 1}},
                         {0.45f, {0.7f, 0.15f, 0.02f, 1}},
                         {0.62f, {1.0f, 0.55f, 0.1f, 1}},
                         {0.8f, {1.0f, 0.95f, 0.6f, 1}}}));
}

void AddBolt(TMask& mask, TRandom& random, float x, float y, float heading, float length, int depth) {
  float width = 1.0f + depth * 0.7f;
  while (length > 0) {
    float step = random.Range(6, 14);
    float nx = x + std::sin(heading) * step, ny = y + std::cos(heading) * step;
    MaskLine(mask, x, y, nx, ny, width);
    x = nx;
    y = ny;
    length -= step;
    heading += random.Range(-0.6f, 0.6f);
    if (depth > 0 && random.Next() < 0.12f)
      AddBolt(mask, random, x, y, heading + random.Range(-0.9f, 0.9f), length * 0.5f, depth - 1);
  }
}

void WriteLightning(const std::string& dir) {
  TCanvas c(256, 256, {0, 0, 0, 1});
  AddNebula(c, 71, {0.05f, 0.05f, 0.3f, 1}, {0.2f, 0.1f, 0.4f, 1}, 0.5f, 60);
  TMask bolts(256, 256);
  TRandom random(72);
  for (int i = 0; i < 3; ++i) AddBolt(bolts, random, 40 + 80.0f * i, 0, random.Range(-0.3f, 0.3f), 300, 2);
  GlowMask(c, bolts, {0.35f, 0.5f, 1.0f, 1}, {0.95f, 0.97f, 1.0f, 1}, 5);
  SaveJpg(dir, "lyn.jpg", c);
}

void WriteSun(const std::string& dir) {
  const int size = 256;
  TCanvas c(size, size, {0, 0, 0, 1});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float r = std::hypot(x + 0.5f - size / 2.0f, y + 0.5f - size / 2.0f) / 110.0f;
      float grain = Fbm(x / 7.0f, y / 7.0f, 4, 81);
      TRgba colour;
      if (r < 1) {
        float limb = 1 - 0.55f * (1 - std::sqrt(1 - r * r));
        colour =
            Scaled(GradientAt({{0.3f, {1.0f, 0.45f, 0.05f, 1}}, {0.7f, {1.0f, 0.85f, 0.3f, 1}}}, grain), limb * 1.1f);
      } else {
        colour = Scaled({1.0f, 0.5f, 0.1f, 1}, std::exp(-(r - 1) * 5) * (0.6f + 0.4f * grain));
      }
      c.At(x, y) = {colour.r, colour.g, colour.b, 1};
    }
  }
  SaveJpg(dir, "sol.jpg", c);
}

// The slime and fountain material: liquid teal metal with pale veins.
TCanvas LiquidMetal() {
  const int size = 256;
  TCanvas c(size, size, {0, 0, 0, 1});
  TStops ramp = {{0.0f, {0.02f, 0.06f, 0.2f, 1}},
                 {0.45f, {0.04f, 0.4f, 0.55f, 1}},
                 {0.93f, {0.55f, 0.85f, 0.95f, 1}},
                 {1.0f, {0.95f, 0.85f, 0.6f, 1}}};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float n = TiledFbm(x * 5.0f / size, y * 5.0f / size, 5, 5, 5, 91);
      float v = 0.5f + 0.5f * std::sin(kPi * 4 * (x + y) / size + 9 * n);
      TRgba colour = GradientAt(ramp, v);
      c.At(x, y) = {colour.r, colour.g, colour.b, 1};
    }
  }
  return c;
}

void WriteMarble(const std::string& dir) {
  const int size = 256;
  TCanvas c(size, size, {0, 0, 0, 1});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float n = TiledFbm(x * 4.0f / size, y * 4.0f / size, 4, 4, 6, 101);
      float vein = std::pow(1 - std::fabs(std::sin(kPi * (2 * x + 3 * y) / size + 10 * n)), 10.0f);
      TRgba colour = Mix({0.9f, 0.88f, 0.85f, 1}, {0.3f, 0.28f, 0.3f, 1}, vein * 0.85f);
      colour = Scaled(colour, 0.9f + 0.15f * TiledFbm(x * 28.0f / size, y * 28.0f / size, 28, 28, 3, 102));
      c.At(x, y) = {colour.r, colour.g, colour.b, 1};
    }
  }
  SaveJpg(dir, "marl.jpg", c);
}

// Machined panels with bevelled edges and small lights.
void WriteTechPanels(const std::string& dir) {
  const int size = 256, panel = 64;
  TCanvas c(size, size, {0, 0, 0, 1});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int px = x % panel, py = y % panel;
      float shade = 0.3f + 0.08f * TiledFbm(x * 40.0f / size, y * 6.0f / size, 40, 6, 3, 111);
      if (px < 3 || py < 3) shade += 0.25f;
      if (px > panel - 4 || py > panel - 4) shade -= 0.18f;
      if ((py > 20 && py < 23) || (px > 40 && px < 43 && py > 22)) shade -= 0.12f;
      c.At(x, y) = {shade * 0.85f, shade * 0.95f, shade * 1.05f, 1};
    }
  }
  TRandom random(112);
  for (int i = 0; i < 16; ++i) {
    float x = float((i % 4) * panel + 52), y = float((i / 4) * panel + 10);
    AddGlow(c, x, y, 2.5f, random.Next() < 0.5f ? TRgba{0.2f, 1.0f, 0.9f, 1} : TRgba{1.0f, 0.5f, 0.2f, 1}, 1.2f);
  }
  SaveJpg(dir, "tesk.jpg", c);
}

void WriteClouds(const std::string& dir) {
  const int size = 256;
  TCanvas c(size, size, {0, 0, 0, 1});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float u = x * 4.0f / size, v = y * 4.0f / size;
      TRgba sky = Mix({0.25f, 0.45f, 0.85f, 1}, {0.6f, 0.78f, 0.97f, 1}, TiledFbm(u, v, 4, 4, 2, 123));
      float cloud = SmoothStep(0.45f, 0.72f, TiledFbm(u, v, 4, 4, 6, 121));
      float shade = 0.8f + 0.2f * SmoothStep(0.5f, 0.8f, TiledFbm(u * 2, v * 2, 8, 8, 3, 122));
      TRgba colour = Mix(sky, {shade, shade, shade * 1.02f, 1}, cloud);
      c.At(x, y) = {colour.r, colour.g, colour.b, 1};
    }
  }
  SaveTga(dir, "clouds2.tga", c, false, false);
}

// Fine tufts over broad patches, tiling so that the terrain shows no seams.
TCanvas Grass(int size, uint32_t seed, const TRgba& dark, const TRgba& light) {
  TCanvas c(size, size, {0, 0, 0, 1});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float u = float(x) / size, v = float(y) / size;
      float tufts = TiledFbm(u * 64, v * 32, 64, 32, 3, seed);
      float patches = TiledFbm(u * 4, v * 4, 4, 4, 3, seed + 1);
      TRgba colour = Mix(dark, light, SmoothStep(0.25f, 0.8f, tufts * 0.6f + patches * 0.5f));
      c.At(x, y) = {colour.r, colour.g, colour.b, 1};
    }
  }
  return c;
}

}  // namespace

void WriteTexturePictures(const std::string& dir) {
  WriteSphereMaps(dir);
  WriteParticle(dir);
  WritePurePlasma(dir);
  WriteStarField(dir);
  WriteGalaxy(dir);
  WriteNucleus(dir);
  WriteLightning(dir);
  WriteSun(dir);
  TCanvas metal = LiquidMetal();
  SaveJpg(dir, "tavixm.jpg", metal);
  SaveBmp(dir, "tavixm.bmp", metal);
  WriteMarble(dir);
  WriteTechPanels(dir);
  WriteClouds(dir);
  SaveTga(dir, "grass.tga", Grass(256, 131, {0.12f, 0.3f, 0.06f, 1}, {0.5f, 0.72f, 0.22f, 1}), false, false);
  SaveTga(dir, "litegrass.tga", Grass(128, 141, {0.25f, 0.45f, 0.12f, 1}, {0.7f, 0.9f, 0.4f, 1}), false, true);
}
