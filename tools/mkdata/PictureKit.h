// Shared steps of the picture generator: saving a canvas in each file format,
// glowing text and shapes, star fields and nebulae.
//
// State: none.
#pragma once

#include <string>

#include "Raster.h"

float SmoothStep(float edge0, float edge1, float x);

void SaveJpg(const std::string& dir, const std::string& name, const TCanvas& canvas);
void SaveBmp(const std::string& dir, const std::string& name, const TCanvas& canvas);
void SaveTga(const std::string& dir, const std::string& name, const TCanvas& canvas, bool withAlpha, bool runLength);

// A full-window picture is drawn in window pixels (800 x 600) and stored
// at 1024 x 512; the demo stretches it back over the window.
constexpr int kWindowW = 800;
constexpr int kWindowH = 600;
void SaveWindowPicture(const std::string& dir, const std::string& name, const TCanvas& canvas);

// Light a mask: a wide halo, a tight halo, then the solid core painted over.
void GlowMask(TCanvas& canvas, const TMask& mask, const TRgba& glow, const TRgba& core, int radius);
void GlowText(TCanvas& canvas, const TFont& font, const std::string& text, int size, float spacing, float cx,
              float baseline, const TRgba& glow, const TRgba& core, int radius);
// Largest size (up to maxSize) at which the text fits into maxWidth.
int FitTextSize(const TFont& font, const std::string& text, float spacingPerSize, float maxWidth, int maxSize);

void AddStars(TCanvas& canvas, int count, uint32_t seed, float brightness);
void AddNebula(TCanvas& canvas, uint32_t seed, const TRgba& first, const TRgba& second, float strength, float scale);
// The ring-and-hexagon emblem shared by the group logo and the credits.
void DrawEmblem(TMask& mask, float cx, float cy, float radius);
