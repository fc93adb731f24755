// Drawing over the 3D scene in window pixels: textured rectangles, coloured
// rectangles, and text in bitmap fonts made from installed system fonts.
//
// Rectangles: origin at the window's bottom-left, y upwards. Text: x from the
// left edge, y from the top edge, the point is the left end of the baseline.
//
// State: the current font base, the text colour and position, the outline
// offset (1).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Amb2Classes.h"

void Begin2D();
void End2D();
void SetOrthoProjection();
void SetPerspectiveProjection();

uint32_t CreateBitmapFont(const char* faceName, int height, bool bold);
void SetFontBase(uint32_t base);
uint32_t FontBase();
void FreeBitmapFont();
void PrintText(const char* text, int x, int y, const TColorRGBA& color);
void PrintTextOutlined(const char* text, int x, int y, const TColorRGBA& color, const TColorRGBA& outline);
void DrawTextAtRaster(const char* text);

void DrawImageTinted(uint32_t texture, const TColorRGBA& color, float x, float y, float w, float h);
void DrawImageSrcColor(uint32_t texture, const TColorRGBA& color, float x, float y, float w, float h);
void DrawImageBlended(uint32_t texture, float x, float y, float w, float h);
void DrawImage(uint32_t texture, float x, float y, float w, float h);
void DrawImageRotated(uint32_t texture, float x, float y, float w, float h, float angle, float repeat);
void DrawRect(const TColorRGBA& color, float x, float y, float w, float h);
// A block of flat, alpha-blended colour in window pixels, for many shapes at
// the cost of one state change: colour material, lighting, depth testing,
// texturing, fog, alpha testing, scissoring and culling off, an orthographic
// projection. EndFlat2D
// puts back every switch, the colour and both matrices.
void BeginFlat2D();
void FlatRect(const TColorRGBA& color, float x, float y, float w, float h);
// One-pixel lines between pairs of points (x0, y0, x1, y1, ...).
void FlatSegments(const TColorRGBA& color, const std::vector<float>& points);
void EndFlat2D();

// Text for the flat block: the glyphs of a bitmap font of the same face and
// height (the same monochrome pixels), kept in one texture and drawn as
// textured quads, so that many lines a frame cost a draw each, not one per
// glyph. Positions as PrintText's: the left end of the baseline, y from the
// top edge.
struct TTextureGlyph {
  float U = 0, V = 0;  // the glyph's lower-left texel
  int Width = 0, Rows = 0, Left = 0, Top = 0;
  float Advance = 0;
};
struct TTextureFont {
  uint32_t Texture = 0;
  int Size = 0;                       // of the square texture
  std::vector<TTextureGlyph> Glyphs;  // characters 32..127, in the frame's pixels
  std::string Face;
  int Height = 0;
  bool Bold = false;
  float Scale = 1;  // the frame's pixels per unit the glyphs were made for
};
// The glyphs are rasterised at the frame's scale, so that text is as fine as
// the frame; after the frame changes its scale, KeepTextureFontAtFrameScale
// makes them again before the font draws.
TTextureFont CreateTextureFont(const char* faceName, int height, bool bold);
void FreeTextureFont(TTextureFont& font);
void KeepTextureFontAtFrameScale(TTextureFont& font);
// Leaves the bound texture and the texture environment as they were.
void FlatText(const TTextureFont& font, const std::string& text, int x, int y, const TColorRGBA& color);
// How far FlatText moves along the line for the text.
float TextWidth(const TTextureFont& font, const std::string& text);

// A picture of coverage (one byte a pixel, rows bottom first) drawn in one
// colour in the flat block: one quad where a shape of many thin parts would
// cost the renderer one primitive each. Its texture is made on the first
// fill and refilled after; the bound texture and environment stay.
struct TAlphaImage {
  uint32_t Texture = 0;
  int Size = 0;  // of the square texture; the picture is its lower-left corner
  int Width = 0, Height = 0;
};
void FillAlphaImage(TAlphaImage& image, int width, int height, const std::vector<uint8_t>& alpha);
void FlatAlphaImage(const TAlphaImage& image, const TColorRGBA& color, float x, float y);
void FreeAlphaImage(TAlphaImage& image);

// A horizontal band of a picture, as fractions of its height from the bottom.
struct TImageBand {
  float From = 0, To = 1;
};
// The bands of a texture outside which every pixel a full-size textured
// rectangle shows is black (read once from the texture, bound for the read
// and left bound); the whole picture when its filter reads mipmaps.
std::vector<TImageBand> LitBands(uint32_t texture);
// DrawImage with only the given bands of the rectangle drawn: the same state
// changes, and the same pixels where the rest would only add black.
void DrawImageBands(uint32_t texture, float x, float y, float w, float h, const std::vector<TImageBand>& bands);

// A copy of the whole frame, drawn back over it later texel for pixel (the
// picture the timeline holds while the show is paused).
struct TFrameCopy {
  uint32_t Texture = 0;
  int Width = 0, Height = 0;  // the frame's pixels when copied
};
// Copies the frame as it stands into the copy's texture, made or remade to
// the frame's size; the bound texture stays.
void CopyFrame(TFrameCopy& copy);
// Draws the copy over the whole 2D area through the textured drawers;
// every piece of GL state is left as it was found.
void DrawFrameCopy(const TFrameCopy& copy);
void FreeFrameCopy(TFrameCopy& copy);
