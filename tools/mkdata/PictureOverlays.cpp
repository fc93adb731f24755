// Overlays with alpha. Each is designed at a multiple of the size it is drawn
// at, so that circles stay round on screen, and then resampled to a power of
// two on each side.
//
// State: none. Leaves g1..g4.tga (raw) and cr1/cr2.tga (run-length encoded).
#include "PictureOverlays.h"

#include <algorithm>
#include <cmath>

#include "PictureKit.h"

namespace {

const TRgba kClear{0, 0, 0, 0};

void SaveOverlay(const std::string& dir, const std::string& name, const TCanvas& design, int width, int height,
                 bool runLength) {
  SaveTga(dir, name, Resample(design, width, height), true, runLength);
}

// A wide banner of spaced capitals between two fading rules (drawn 613 x 72).
void WriteBanner(const std::string& dir, const TFont& font) {
  TCanvas c(1226, 144, kClear);
  const std::string text = "ELASTIC  MOTION";
  int size = FitTextSize(font, text, 0.25f, 1000, 92);
  TMask rules(c.Width(), c.Height());
  MaskLine(rules, 20, 16, 1206, 16, 2);
  MaskLine(rules, 20, 128, 1206, 128, 2);
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) rules.At(x, y) *= SmoothStep(0, 300, float(std::min(x - 20, 1206 - x)));
  GlowMask(c, rules, {0.3f, 0.7f, 1.0f, 1}, {0.8f, 0.95f, 1.0f, 1}, 4);
  GlowText(c, font, text, size, size * 0.25f, 613, 72 + size * 0.36f, {0.2f, 0.6f, 1.0f, 1}, {1, 1, 1, 1}, 8);
  SaveOverlay(dir, "g1.tga", c, 512, 64, false);
}

// A short word on a pill-shaped tag (drawn 137 x 57).
void WriteTag(const std::string& dir, const TFont& font) {
  TCanvas c(548, 228, kClear);
  TMask pill(c.Width(), c.Height());
  MaskLine(pill, 110, 114, 438, 114, 180);
  TMask edge(c.Width(), c.Height());
  MaskLine(edge, 110, 114, 438, 114, 188);
  for (size_t i = 0; i < edge.V.size(); ++i) edge.V[i] = std::clamp(edge.V[i] - pill.V[i] + 0.0f, 0.0f, 1.0f);
  PaintMask(c, pill, {0.35f, 0.05f, 0.3f, 0.55f});
  GlowMask(c, edge, {1.0f, 0.3f, 0.8f, 1}, {1.0f, 0.8f, 0.95f, 1}, 6);
  int size = FitTextSize(font, "WOBBLE", 0.08f, 330, 110);
  GlowText(c, font, "WOBBLE", size, size * 0.08f, 274, 114 + size * 0.36f, {1.0f, 0.3f, 0.8f, 1}, {1, 1, 1, 1}, 6);
  SaveOverlay(dir, "g2.tga", c, 128, 64, false);
}

// Target rings with cross hairs and tick marks (drawn 269 x 160).
void WriteTarget(const std::string& dir) {
  TCanvas c(538, 320, kClear);
  TMask shape(c.Width(), c.Height());
  const float cx = 269, cy = 160, pi = 3.14159265f;
  for (float r : {140.0f, 100.0f, 60.0f}) MaskRing(shape, cx, cy, r, r > 120 ? 4.0f : 2.5f);
  MaskLine(shape, cx - 250, cy, cx - 150, cy, 2.5f);
  MaskLine(shape, cx + 150, cy, cx + 250, cy, 2.5f);
  MaskLine(shape, cx, cy - 150, cx, cy - 110, 2.5f);
  MaskLine(shape, cx, cy + 110, cx, cy + 150, 2.5f);
  for (int i = 0; i < 24; ++i) {
    float a = i * pi / 12;
    MaskLine(shape, cx + 118 * std::cos(a), cy + 118 * std::sin(a), cx + 128 * std::cos(a), cy + 128 * std::sin(a), 2);
  }
  MaskDisc(shape, cx, cy, 12, 1.5f);
  GlowMask(c, shape, {1.0f, 0.55f, 0.1f, 1}, {1.0f, 0.9f, 0.6f, 1}, 8);
  SaveOverlay(dir, "g3.tga", c, 256, 128, false);
}

// Edge strength of a blurred coverage mask: an outline that follows the glyphs.
TMask Outline(const TMask& mask, int softness) {
  TMask soft = mask;
  BlurMask(soft, softness, 2);
  TMask edge(mask.W, mask.H);
  for (int y = 1; y < mask.H - 1; ++y) {
    for (int x = 1; x < mask.W - 1; ++x) {
      float gx = soft.At(x + 1, y) - soft.At(x - 1, y), gy = soft.At(x, y + 1) - soft.At(x, y - 1);
      edge.At(x, y) = std::min(1.0f, std::sqrt(gx * gx + gy * gy) * softness * 1.6f);
    }
  }
  return edge;
}

// The name as huge glass letters: a faint fill and a glowing rim (drawn 650 x 300).
void WriteGlassTitle(const std::string& dir, const TFont& font) {
  TCanvas c(1300, 600, kClear);
  TMask letters(c.Width(), c.Height());
  int size = FitTextSize(font, "TAVIX", 0.1f, 1180, 420);
  font.DrawCentred(letters, "TAVIX", size, size * 0.1f, 650, 300 + size * 0.36f);
  PaintMask(c, letters, {0.55f, 0.75f, 1.0f, 0.3f});
  GlowMask(c, Outline(letters, 3), {0.3f, 0.6f, 1.0f, 1}, {0.9f, 0.97f, 1.0f, 1}, 10);
  SaveOverlay(dir, "g4.tga", c, 512, 256, false);
}

// A translucent dark card with a glowing border, for text over the backdrop.
void DrawCard(TCanvas& c, float inset, float opacity) {
  TMask card(c.Width(), c.Height());
  float radius = 24;
  for (int y = 0; y < c.Height(); ++y) {
    for (int x = 0; x < c.Width(); ++x) {
      float dx = std::max({inset + radius - x, x - (c.Width() - inset - radius), 0.0f});
      float dy = std::max({inset + radius - y, y - (c.Height() - inset - radius), 0.0f});
      card.At(x, y) = std::clamp(radius - std::hypot(dx, dy) + 0.5f, 0.0f, 1.0f);
    }
  }
  PaintMask(c, card, {0.02f, 0.03f, 0.1f, opacity});
  GlowMask(c, Outline(card, 2), {0.2f, 0.45f, 1.0f, 1}, {0.6f, 0.8f, 1.0f, 0.9f}, 5);
}

void WriteRoleCredits(const std::string& dir, const TFont& font) {
  TCanvas c(674, 440, kClear);
  DrawCard(c, 10, 0.85f);
  GlowText(c, font, "CREDITS", 40, 14, 337, 80, {0.3f, 0.6f, 1.0f, 1}, {1, 1, 1, 1}, 6);
  const char* roles[] = {"code", "graphics", "music", "3d models", "direction"};
  TMask left(c.Width(), c.Height()), right(c.Width(), c.Height());
  for (int i = 0; i < 5; ++i) {
    float baseline = 150 + 60.0f * i;
    font.Draw(left, roles[i], 30, 2, 310 - font.Measure(roles[i], 30, 2), baseline);
    font.Draw(right, "TAVIX", 30, 4, 350, baseline);
  }
  GlowMask(c, left, {0.2f, 0.5f, 0.9f, 1}, {0.55f, 0.8f, 1.0f, 1}, 4);
  GlowMask(c, right, {0.4f, 0.5f, 1.0f, 1}, {1, 1, 1, 1}, 5);
  SaveOverlay(dir, "cr1.tga", c, 512, 256, true);
}

// cr1 is drawn over this card and hides all of it but the left strip and the
// top edge, so the name runs up the left side and the role sits on top.
void WriteNameCard(const std::string& dir, const TFont& font) {
  TCanvas c(358, 480, kClear);
  DrawCard(c, 8, 0.6f);
  TMask role(c.Width(), c.Height());
  font.Draw(role, "production", 22, 5, 30, 52);
  GlowMask(c, role, {0.2f, 0.5f, 0.9f, 1}, {0.55f, 0.8f, 1.0f, 1}, 4);
  TMask emblem(c.Width(), c.Height());
  DrawEmblem(emblem, 305, 44, 28);
  GlowMask(c, emblem, {0.3f, 0.55f, 1.0f, 1}, {0.85f, 0.93f, 1.0f, 1}, 5);
  TMask flat(360, 150);
  int size = FitTextSize(font, "TAVIX", 0.08f, 350, 130);
  font.DrawCentred(flat, "TAVIX", size, size * 0.08f, 180, 75 + size * 0.36f);
  TMask name(c.Width(), c.Height());
  // Turned a quarter left: the text reads from the bottom up.
  for (int y = 0; y < flat.H; ++y)
    for (int x = 0; x < flat.W; ++x) name.At(25 + y, 465 - x) = flat.At(x, y);
  GlowMask(c, name, {0.3f, 0.6f, 1.0f, 1}, {1, 1, 1, 1}, 8);
  SaveOverlay(dir, "cr2.tga", c, 256, 256, true);
}

}  // namespace

void WriteOverlayPictures(const std::string& dir, const TFont& font) {
  WriteBanner(dir, font);
  WriteTag(dir, font);
  WriteTarget(dir);
  WriteGlassTitle(dir, font);
  WriteRoleCredits(dir, font);
  WriteNameCard(dir, font);
}
