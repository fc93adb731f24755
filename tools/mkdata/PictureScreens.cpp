// Full-window pictures, drawn in window pixels (y from the top).
//
// State: none. Leaves velkrona.jpg, logo.jpg, tavix.jpg, load.jpg,
// ws_tavix.jpg and presents.jpg in the data folder.
#include "PictureScreens.h"

#include <algorithm>
#include <cmath>

#include "PictureKit.h"

namespace {

const TRgba kWhite{1, 1, 1, 1};

// A horizontal lens streak through (cx, cy).
void AddStreak(TCanvas& c, float cx, float cy, float halfLength, float thickness, const TRgba& colour, float k) {
  for (int y = 0; y < c.Height(); ++y) {
    float vy = (y + 0.5f - cy) / thickness;
    if (std::fabs(vy) > 4) continue;
    for (int x = 0; x < c.Width(); ++x) {
      float vx = (x + 0.5f - cx) / halfLength;
      c.Add(x, y, colour, k * std::exp(-vy * vy - vx * vx));
    }
  }
}

void WriteTitleCard(const std::string& dir, const TFont& font) {
  TCanvas c(kWindowW, kWindowH, {0, 0, 0, 1});
  VerticalGradient(
      c, {{0.0f, {0.01f, 0.01f, 0.05f, 1}}, {0.55f, {0.08f, 0.03f, 0.17f, 1}}, {1.0f, {0.0f, 0.0f, 0.03f, 1}}});
  AddNebula(c, 101, {0.05f, 0.45f, 0.6f, 1}, {0.6f, 0.12f, 0.5f, 1}, 1.1f, 210);
  AddStars(c, 420, 102, 0.9f);
  AddGlow(c, 400, 290, 230, {0.2f, 0.3f, 0.8f, 1}, 0.45f);
  AddStreak(c, 400, 292, 420, 3, {0.5f, 0.8f, 1.0f, 1}, 0.9f);
  int size = FitTextSize(font, "TAVIX", 0.16f, 600, 170);
  GlowText(c, font, "TAVIX", size, size * 0.16f, 400, 300 + size * 0.36f, {0.25f, 0.65f, 1.0f, 1}, kWhite, 14);
  GlowText(c, font, "a journey in real time", 22, 9, 400, 300 + size * 0.36f + 62, {0.3f, 0.4f, 0.9f, 1},
           {0.75f, 0.85f, 1.0f, 1}, 4);
  SaveWindowPicture(dir, "velkrona.jpg", c);
}

void WriteGroupLogo(const std::string& dir, const TFont& font) {
  TCanvas c(kWindowW, kWindowH, {0, 0, 0, 1});
  VerticalGradient(
      c, {{0.0f, {0.02f, 0.01f, 0.01f, 1}}, {0.6f, {0.09f, 0.04f, 0.02f, 1}}, {1.0f, {0.02f, 0.01f, 0.0f, 1}}});
  AddNebula(c, 201, {0.5f, 0.2f, 0.05f, 1}, {0.7f, 0.45f, 0.1f, 1}, 0.25f, 260);
  AddGlow(c, 400, 220, 170, {0.6f, 0.3f, 0.05f, 1}, 0.35f);
  TMask emblem(kWindowW, kWindowH);
  DrawEmblem(emblem, 400, 220, 110);
  GlowMask(c, emblem, {1.0f, 0.55f, 0.15f, 1}, {1.0f, 0.9f, 0.7f, 1}, 12);
  GlowText(c, font, "KVASAR", 86, 26, 400, 440, {1.0f, 0.5f, 0.1f, 1}, {1.0f, 0.95f, 0.85f, 1}, 10);
  GlowText(c, font, "digital arts collective", 20, 8, 400, 485, {0.6f, 0.3f, 0.1f, 1}, {0.9f, 0.7f, 0.5f, 1}, 3);
  SaveWindowPicture(dir, "logo.jpg", c);
}

void DrawStripedSun(TCanvas& c, float cx, float cy, float radius) {
  for (int y = int(cy - radius); y <= int(cy + radius); ++y) {
    float below = y - (cy - radius * 0.1f);
    // Bands cut into the lower half, widening toward the horizon.
    if (below > 0 && std::fmod(below, 20.0f) < below / 12.0f) continue;
    TRgba colour = Mix({1.0f, 0.9f, 0.35f, 1}, {1.0f, 0.25f, 0.55f, 1}, SmoothStep(cy - radius, cy + radius, float(y)));
    for (int x = int(cx - radius); x <= int(cx + radius); ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      c.Over(x, y, colour, std::clamp(radius - d + 0.5f, 0.0f, 1.0f));
    }
  }
}

void DrawGridFloor(TCanvas& c, float horizon) {
  TMask grid(kWindowW, kWindowH);
  for (int i = 1; i <= 14; ++i) {
    float y = horizon + (kWindowH - horizon) * std::pow(i / 14.0f, 2.2f);
    MaskLine(grid, 0, y, kWindowW, y, 1.2f + i * 0.08f);
  }
  for (int k = -16; k <= 16; ++k) MaskLine(grid, 400 + k * 14.0f, horizon, 400 + k * 110.0f, kWindowH, 1.4f);
  for (int y = 0; y < int(horizon); ++y)
    for (int x = 0; x < kWindowW; ++x) grid.At(x, y) = 0;
  GlowMask(c, grid, {0.9f, 0.2f, 0.8f, 1}, {0.5f, 0.9f, 1.0f, 1}, 6);
}

void WritePartThreeBackdrop(const std::string& dir) {
  const float horizon = 390;
  TCanvas c(kWindowW, kWindowH, {0, 0, 0, 1});
  VerticalGradient(c, {{0.0f, {0.03f, 0.01f, 0.12f, 1}},
                       {0.4f, {0.3f, 0.05f, 0.35f, 1}},
                       {horizon / kWindowH, {0.95f, 0.4f, 0.3f, 1}},
                       {horizon / kWindowH + 0.001f, {0.06f, 0.0f, 0.1f, 1}},
                       {1.0f, {0.02f, 0.0f, 0.05f, 1}}});
  AddStars(c, 160, 301, 0.5f);
  AddGlow(c, 400, horizon - 60, 200, {1.0f, 0.35f, 0.3f, 1}, 0.4f);
  DrawStripedSun(c, 400, horizon - 70, 140);
  DrawGridFloor(c, horizon);
  AddStreak(c, 400, horizon, 500, 2.5f, {1.0f, 0.6f, 0.5f, 1}, 0.8f);
  SaveWindowPicture(dir, "tavix.jpg", c);
}

// The progress bar fills x 174..624 and y 368..387 (from the top) of the
// window; its frame and dark well sit just around that.
void DrawProgressFrame(TCanvas& c) {
  for (int y = 362; y < 394; ++y)
    for (int x = 167; x < 632; ++x) c.Over(x, y, {0.01f, 0.015f, 0.04f, 1}, 0.92f);
  TMask frame(kWindowW, kWindowH);
  MaskLine(frame, 166, 361, 632, 361, 1.6f);
  MaskLine(frame, 166, 394, 632, 394, 1.6f);
  MaskLine(frame, 166, 361, 166, 394, 1.6f);
  MaskLine(frame, 632, 361, 632, 394, 1.6f);
  for (int i = 0; i <= 10; ++i) MaskLine(frame, 174 + 45.0f * i, 400, 174 + 45.0f * i, i % 5 ? 404 : 408, 1.2f);
  GlowMask(c, frame, {0.2f, 0.45f, 1.0f, 1}, {0.7f, 0.85f, 1.0f, 1}, 5);
}

void WriteLoadingScreen(const std::string& dir, const TFont& font) {
  TCanvas c(kWindowW, kWindowH, {0, 0, 0, 1});
  VerticalGradient(
      c, {{0.0f, {0.01f, 0.02f, 0.06f, 1}}, {0.5f, {0.04f, 0.06f, 0.15f, 1}}, {1.0f, {0.01f, 0.01f, 0.03f, 1}}});
  AddNebula(c, 401, {0.1f, 0.3f, 0.7f, 1}, {0.4f, 0.15f, 0.6f, 1}, 0.35f, 180);
  AddStars(c, 220, 402, 0.7f);
  GlowText(c, font, "TAVIX", 100, 24, 400, 250, {0.2f, 0.5f, 1.0f, 1}, kWhite, 10);
  GlowText(c, font, "please stand by", 16, 7, 400, 300, {0.2f, 0.3f, 0.8f, 1}, {0.6f, 0.7f, 0.95f, 1}, 3);
  DrawProgressFrame(c);
  SaveWindowPicture(dir, "load.jpg", c);
}

// Added (colour times itself) over every framed scene: only the bands
// (112 pixels at the top and at the bottom) carry light, the rest is black.
void WriteLetterboxTitle(const std::string& dir, const TFont& font) {
  TCanvas c(kWindowW, kWindowH, {0, 0, 0, 1});
  TMask lines(kWindowW, kWindowH);
  MaskLine(lines, 60, 96, 740, 96, 1.2f);
  MaskLine(lines, 60, 504, 740, 504, 1.2f);
  for (int y = 0; y < kWindowH; ++y)
    for (int x = 0; x < kWindowW; ++x) lines.At(x, y) *= SmoothStep(0, 260, float(std::min(x - 60, 740 - x)));
  GlowMask(c, lines, {0.3f, 0.5f, 0.9f, 1}, {0.6f, 0.75f, 0.95f, 1}, 4);
  GlowText(c, font, "TAVIX", 30, 16, 680, 78, {0.3f, 0.55f, 1.0f, 1}, {0.85f, 0.9f, 1.0f, 1}, 5);
  GlowText(c, font, "a journey in real time", 13, 5, 400, 540, {0.25f, 0.35f, 0.8f, 1}, {0.6f, 0.65f, 0.85f, 1}, 3);
  for (int y = 108; y < kWindowH - 108; ++y)
    for (int x = 0; x < kWindowW; ++x) c.At(x, y) = {0, 0, 0, 1};
  SaveWindowPicture(dir, "ws_tavix.jpg", c);
}

void WritePresentsCard(const std::string& dir, const TFont& font) {
  TCanvas c(512, 256, {0, 0, 0, 1});
  AddGlow(c, 256, 128, 120, {0.25f, 0.1f, 0.4f, 1}, 0.4f);
  GlowText(c, font, "presents", 54, 8, 256, 148, {0.6f, 0.4f, 1.0f, 1}, {0.95f, 0.9f, 1.0f, 1}, 8);
  SaveJpg(dir, "presents.jpg", c);
}

}  // namespace

void WriteScreenPictures(const std::string& dir, const TFont& font) {
  WriteTitleCard(dir, font);
  WriteGroupLogo(dir, font);
  WritePartThreeBackdrop(dir);
  WriteLoadingScreen(dir, font);
  WriteLetterboxTitle(dir, font);
  WritePresentsCard(dir, font);
}
