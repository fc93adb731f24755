// Drawing over the 3D scene in window pixels: textured rectangles, coloured
// rectangles and bitmap text. Fonts come from the installed font that
// MatchFontFile finds for the face name and weight, rasterised by FreeType into 96
// glyph display lists (characters 32..127) drawn with glBitmap.
//
// State: the current font base, the text colour and position, the outline
// offset. Every drawer leaves the perspective projection selected; the
// textured drawers leave lighting, depth testing and texturing on.
#include "Amb2_2D.h"

#include <GL/gl.h>
#include <ft2build.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include FT_FREETYPE_H

#include "Amb2Fonts.h"
#include "Amb2Materials.h"
#include "AmbFrame.h"
#include "Ambrel2.h"

namespace {

constexpr int FontGlyphCount = 96;
constexpr unsigned char FirstGlyph = 32;
constexpr unsigned char LastGlyph = 127;

uint32_t CurrentFontBase = 0;
TColorRGBA TextColor;
float TextX = 0, TextY = 0;
int32_t OutlineOffset = 1;

const TColorRGBA White{1, 1, 1, 1};

void SetColor(const TColorRGBA& c) { glColor4f(c.r, c.g, c.b, c.a); }

// ---- fonts ----------------------------------------------------------------------

// glBitmap wants rows bottom first; FreeType renders them top first.
std::vector<GLubyte> FlippedGlyphRows(const FT_Bitmap& bitmap) {
  const size_t rowBytes = (bitmap.width + 7) / 8;
  std::vector<GLubyte> rows(rowBytes * bitmap.rows);
  for (size_t r = 0; r < bitmap.rows; ++r)
    std::memcpy(&rows[(bitmap.rows - 1 - r) * rowBytes], bitmap.buffer + r * bitmap.pitch, rowBytes);
  return rows;
}

// One list: the glyph's bitmap placed on the baseline, then the raster
// position moved on by the glyph's advance. A glyph the font lacks still
// compiles an empty list.
void CompileGlyph(FT_Face face, GLuint list, unsigned char c) {
  std::vector<GLubyte> rows;
  GLsizei width = 0, height = 0;
  GLfloat xorig = 0, yorig = 0, advance = 0;
  if (face && FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
    const FT_GlyphSlot glyph = face->glyph;
    rows = FlippedGlyphRows(glyph->bitmap);
    width = GLsizei(glyph->bitmap.width);
    height = GLsizei(glyph->bitmap.rows);
    xorig = GLfloat(-glyph->bitmap_left);
    yorig = GLfloat(height - glyph->bitmap_top);
    advance = GLfloat(glyph->advance.x) / 64.0f;
  }
  glNewList(list, GL_COMPILE);
  glBitmap(width, height, xorig, yorig, advance, 0, rows.empty() ? nullptr : rows.data());
  glEndList();
}

// Glyph rows are byte-packed; the texture uploads elsewhere rely on the
// default alignment, so it is put back afterwards.
void CompileGlyphLists(FT_Face face, GLuint base) {
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int c = FirstGlyph; c <= LastGlyph; ++c) CompileGlyph(face, base + GLuint(c - FirstGlyph), (unsigned char)c);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

// Bytes outside the font's 32..127 would call lists that are not its own.
std::string PrintableOnly(const char* text) {
  std::string kept;
  for (const char* p = text; *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c >= FirstGlyph && c <= LastGlyph) kept.push_back(char(c));
  }
  return kept;
}

// ---- textured rectangles ---------------------------------------------------------

void BeginTexturedRect(uint32_t texture, const TColorRGBA* color) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  if (color) SetColor(*color);
  glBindTexture(GL_TEXTURE_2D, texture);
  glDisable(GL_COLOR_MATERIAL);
}

void EnableBlend(GLenum source, GLenum destination) {
  glEnable(GL_BLEND);
  glBlendFunc(source, destination);
}

void TexturedQuad(float x, float y, float w, float h, float repeat) {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex3f(x, y, 0);
  glTexCoord2f(repeat, 0);
  glVertex3f(x + w, y, 0);
  glTexCoord2f(repeat, repeat);
  glVertex3f(x + w, y + h, 0);
  glTexCoord2f(0, repeat);
  glVertex3f(x, y + h, 0);
  glEnd();
}

// The part of the rectangle's quad between two fractions of its height, with
// the texture coordinates the whole quad has there.
void TexturedBand(float x, float y, float w, float h, const TImageBand& band) {
  const float y0 = y + h * band.From, y1 = y + h * band.To;
  glBegin(GL_QUADS);
  glTexCoord2f(0, band.From);
  glVertex3f(x, y0, 0);
  glTexCoord2f(1, band.From);
  glVertex3f(x + w, y0, 0);
  glTexCoord2f(1, band.To);
  glVertex3f(x + w, y1, 0);
  glTexCoord2f(0, band.To);
  glVertex3f(x, y1, 0);
  glEnd();
}

// Level 0 of the bound texture, one flag per row (bottom first): any colour.
std::vector<bool> RowsWithColour(int width, int height) {
  std::vector<uint8_t> texels(size_t(width) * size_t(height) * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  std::vector<bool> lit(size_t(height), false);
  for (size_t row = 0; row < lit.size(); ++row) {
    const uint8_t* t = &texels[row * size_t(width) * 4];
    for (int x = 0; x < width && !lit[row]; ++x, t += 4) lit[row] = t[0] || t[1] || t[2];
  }
  return lit;
}

// A linearly filtered pixel reads the two texel rows around its centre, and
// wraps around at the top and bottom; two rows of margin on each side of a
// lit run keep every pixel that reads a lit row inside its band.
std::vector<TImageBand> BandsAroundRuns(const std::vector<bool>& lit) {
  const int height = int(lit.size());
  std::vector<TImageBand> bands;
  for (int row = 0; row < height; ++row) {
    if (!lit[size_t(row)]) continue;
    int end = row;
    while (end + 1 < height && lit[size_t(end + 1)]) ++end;
    if (row < 2) bands.push_back({1 - 2.0f / height, 1});
    if (end + 3 > height) bands.push_back({0, 2.0f / height});
    bands.push_back({std::max(0, row - 2) / float(height), std::min(height, end + 3) / float(height)});
    row = end;
  }
  std::sort(bands.begin(), bands.end(), [](const TImageBand& a, const TImageBand& b) { return a.From < b.From; });
  std::vector<TImageBand> merged;
  for (const TImageBand& band : bands) {
    if (!merged.empty() && band.From <= merged.back().To)
      merged.back().To = std::max(merged.back().To, band.To);
    else
      merged.push_back(band);
  }
  return merged;
}

void EndTexturedRect(bool disableBlend) {
  EndQuadsWithoutDepth();
  SetPerspectiveProjection();
  if (disableBlend) glDisable(GL_BLEND);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
}

}  // namespace

// ---- frame of a 2D block ---------------------------------------------------------

void Begin2D() {
  glPushMatrix();
  ResetMaterialState();
  glLoadIdentity();
  glTranslatef(0, 0, -1);
}

void End2D() { glPopMatrix(); }

void SetOrthoProjection() {
  const TGLWindow& window = CurrentWindow();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, window.Width, 0, window.Height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
}

void SetPerspectiveProjection() { LoadPerspective(CurrentWindow().Width, CurrentWindow().Height); }

// ---- fonts and text --------------------------------------------------------------

namespace {

// The installed font that matches, open at that pixel height for `use`, or
// null when none can be opened (the glyphs then come out empty).
template <typename Use>
void WithFontFace(const char* faceName, int height, bool bold, Use use) {
  const TFontFile file = MatchFontFile(FontPattern(faceName ? faceName : "", bold));
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) == 0 && !file.Path.empty() &&
      FT_New_Face(library, file.Path.c_str(), file.Index, &face) == 0)
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(std::max(height, 1)));
  use(face);
  if (face) FT_Done_Face(face);
  if (library) FT_Done_FreeType(library);
}

}  // namespace

namespace {

// What each bitmap font is made of and the frame scale its glyphs were
// rasterised at: a frame that changes its scale (a native frame following
// its window) has them made again into the same lists.
struct TBitmapFontMaking {
  std::string Face;
  int Height = 0;
  bool Bold = false;
  float Scale = 1;
};
std::map<uint32_t, TBitmapFontMaking> BitmapFonts;

void CompileBitmapFont(uint32_t base, TBitmapFontMaking& making) {
  making.Scale = FrameScale();
  WithFontFace(making.Face.c_str(), ScaledPixels(making.Height), making.Bold,
               [base](FT_Face face) { CompileGlyphLists(face, base); });
}

void KeepFontAtFrameScale(uint32_t base) {
  const auto font = BitmapFonts.find(base);
  if (font != BitmapFonts.end() && font->second.Scale != FrameScale()) CompileBitmapFont(base, font->second);
}

}  // namespace

uint32_t CreateBitmapFont(const char* faceName, int height, bool bold) {
  const GLuint base = glGenLists(FontGlyphCount);
  CurrentFontBase = base;
  CompileBitmapFont(base, BitmapFonts[base] = TBitmapFontMaking{faceName ? faceName : "", height, bold});
  return base;
}

void SetFontBase(uint32_t base) { CurrentFontBase = base; }

uint32_t FontBase() { return CurrentFontBase; }

void FreeBitmapFont() {
  glDeleteLists(CurrentFontBase, FontGlyphCount);
  BitmapFonts.erase(CurrentFontBase);
}

void PrintText(const char* text, int x, int y, const TColorRGBA& color) {
  TextColor = color;
  TextX = float(x);
  TextY = float(y);
  DrawTextAtRaster(text);
}

void PrintTextOutlined(const char* text, int x, int y, const TColorRGBA& color, const TColorRGBA& outline) {
  PrintText(text, x + OutlineOffset, y + OutlineOffset, outline);
  PrintText(text, x - OutlineOffset, y - OutlineOffset, outline);
  PrintText(text, x, y, color);
}

void DrawTextAtRaster(const char* text) {
  if (!text) return;
  const std::string glyphs = PrintableOnly(text);
  glDisable(GL_DEPTH_TEST);
  glPushAttrib(GL_LIGHTING_BIT);
  glEnable(GL_COLOR_MATERIAL);
  SetColor(TextColor);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  SetOrthoProjection();
  KeepFontAtFrameScale(CurrentFontBase);
  glRasterPos2f(TextX, float(CurrentWindow().Height) - TextY);
  glPushAttrib(GL_LIST_BIT);
  glListBase(CurrentFontBase - FirstGlyph);
  glCallLists(GLsizei(glyphs.size()), GL_UNSIGNED_BYTE, glyphs.data());
  glPopAttrib();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glPopAttrib();
  SetPerspectiveProjection();
  glEnable(GL_DEPTH_TEST);
}

// ---- rectangles -------------------------------------------------------------------

// The textured drawers turn depth testing off: their quads go to the frame
// without its depth planes, once the rest of their state is set.
static void StartQuads() {
  SetOrthoProjection();
  BeginQuadsWithoutDepth();
}

// The blended drawers differ in tint and blend function only; the tinted
// picture alone also turns fog off.
static void DrawBlendedImage(uint32_t texture, const TColorRGBA& color, GLenum source, GLenum destination, bool noFog,
                             float x, float y, float w, float h) {
  BeginTexturedRect(texture, &color);
  EnableBlend(source, destination);
  if (noFog) glDisable(GL_FOG);
  StartQuads();
  TexturedQuad(x, y, w, h, 1);
  EndTexturedRect(true);
}

void DrawImageTinted(uint32_t texture, const TColorRGBA& color, float x, float y, float w, float h) {
  DrawBlendedImage(texture, color, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, true, x, y, w, h);
}

void DrawImageSrcColor(uint32_t texture, const TColorRGBA& color, float x, float y, float w, float h) {
  DrawBlendedImage(texture, color, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, false, x, y, w, h);
}

void DrawImageBlended(uint32_t texture, float x, float y, float w, float h) {
  DrawBlendedImage(texture, White, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, false, x, y, w, h);
}

void DrawImage(uint32_t texture, float x, float y, float w, float h) {
  BeginTexturedRect(texture, nullptr);
  StartQuads();
  TexturedQuad(x, y, w, h, 1);
  EndTexturedRect(false);
}

std::vector<TImageBand> LitBands(uint32_t texture) {
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint width = 0, height = 0, filter = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  if (filter != GL_LINEAR && filter != GL_NEAREST) return {TImageBand{}};
  if (width <= 0 || height <= 0) return {};
  return BandsAroundRuns(RowsWithColour(width, height));
}

void DrawImageBands(uint32_t texture, float x, float y, float w, float h, const std::vector<TImageBand>& bands) {
  BeginTexturedRect(texture, nullptr);
  StartQuads();
  for (const TImageBand& band : bands) TexturedBand(x, y, w, h, band);
  EndTexturedRect(false);
}

// The rotation about the window centre stays on the modelview matrix until
// End2D pops it, so later drawers of the block turn with it.
void DrawImageRotated(uint32_t texture, float x, float y, float w, float h, float angle, float repeat) {
  const TGLWindow& window = CurrentWindow();
  BeginTexturedRect(texture, &White);
  StartQuads();
  glTranslatef(window.Width * 0.5f, window.Height * 0.5f, 0);
  glRotatef(angle, 0, 0, 1);
  glTranslatef(window.Width * -0.5f, window.Height * -0.5f, 0);
  TexturedQuad(x, y, w, h, repeat);
  EndTexturedRect(false);
}

void DrawRect(const TColorRGBA& color, float x, float y, float w, float h) {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_COLOR_MATERIAL);
  EnableBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  SetOrthoProjection();
  SetColor(color);
  glBegin(GL_QUADS);
  glVertex3f(x, y, 0);
  glVertex3f(x + w, y, 0);
  glVertex3f(x + w, y + h, 0);
  glVertex3f(x, y + h, 0);
  glEnd();
  SetPerspectiveProjection();
  glDisable(GL_BLEND);
  SetColor(White);
  glDisable(GL_COLOR_MATERIAL);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glPopAttrib();
}

void BeginFlat2D() {
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  // Lines one unit wide, as many pixels as the frame has to the unit.
  if (FrameScale() != 1) glLineWidth(FrameScale());
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  // Colour material off first: the colours set here must not reach the material.
  for (GLenum off : {GL_COLOR_MATERIAL, GL_LIGHTING, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_FOG, GL_ALPHA_TEST,
                     GL_SCISSOR_TEST, GL_CULL_FACE})
    glDisable(off);
  EnableBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  SetOrthoProjection();
}

void FlatRect(const TColorRGBA& color, float x, float y, float w, float h) {
  SetColor(color);
  glBegin(GL_QUADS);
  glVertex2f(x, y);
  glVertex2f(x + w, y);
  glVertex2f(x + w, y + h);
  glVertex2f(x, y + h);
  glEnd();
}

// Long lists go through a client array: drawn in immediate mode, a list that
// filled the renderer's vertex buffer half way lost its first half.
void FlatSegments(const TColorRGBA& color, const std::vector<float>& points) {
  SetColor(color);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, points.data());
  glDrawArrays(GL_LINES, 0, GLsizei(points.size() / 4 * 2));
  glPopClientAttrib();
}

void EndFlat2D() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

// ---- texture fonts -----------------------------------------------------------------

namespace {

constexpr int AtlasColumns = 16;  // 96 glyphs in 16 x 6 cells

struct TGlyphPixels {
  TTextureGlyph Box;
  std::vector<uint8_t> Alpha;  // Width x Rows, bottom row first
};

TGlyphPixels RenderGlyph(FT_Face face, unsigned char c) {
  TGlyphPixels glyph;
  if (!face || FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return glyph;
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  glyph.Box.Width = int(bitmap.width);
  glyph.Box.Rows = int(bitmap.rows);
  glyph.Box.Left = face->glyph->bitmap_left;
  glyph.Box.Top = face->glyph->bitmap_top;
  glyph.Box.Advance = float(face->glyph->advance.x) / 64.0f;
  glyph.Alpha.resize(size_t(bitmap.width) * bitmap.rows);
  for (size_t r = 0; r < bitmap.rows; ++r)
    for (size_t x = 0; x < bitmap.width; ++x) {
      const bool on = (bitmap.buffer[r * size_t(bitmap.pitch) + x / 8] >> (7 - x % 8)) & 1;
      glyph.Alpha[(bitmap.rows - 1 - r) * bitmap.width + x] = on ? 255 : 0;
    }
  return glyph;
}

int CellSize(const std::vector<TGlyphPixels>& glyphs) {
  int size = 1;
  for (const TGlyphPixels& g : glyphs) size = std::max({size, g.Box.Width, g.Box.Rows});
  int cell = 1;
  while (cell < size) cell *= 2;
  return cell;
}

void UploadAtlas(TTextureFont& font, std::vector<TGlyphPixels>& glyphs) {
  const int cell = CellSize(glyphs);
  font.Size = cell * AtlasColumns;
  std::vector<uint8_t> atlas(size_t(font.Size) * size_t(font.Size));
  for (size_t i = 0; i < glyphs.size(); ++i) {
    TGlyphPixels& g = glyphs[i];
    const int x0 = int(i % AtlasColumns) * cell, y0 = int(i / AtlasColumns) * cell;
    for (int r = 0; r < g.Box.Rows; ++r)
      std::copy_n(&g.Alpha[size_t(r * g.Box.Width)], g.Box.Width, &atlas[size_t((y0 + r) * font.Size + x0)]);
    g.Box.U = float(x0) / float(font.Size);
    g.Box.V = float(y0) / float(font.Size);
    font.Glyphs.push_back(g.Box);
  }
  GLint bound = 0, alignment = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glGenTextures(1, &font.Texture);
  glBindTexture(GL_TEXTURE_2D, font.Texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, font.Size, font.Size, 0, GL_ALPHA, GL_UNSIGNED_BYTE, atlas.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
}

}  // namespace

TTextureFont CreateTextureFont(const char* faceName, int height, bool bold) {
  std::vector<TGlyphPixels> glyphs;
  WithFontFace(faceName, ScaledPixels(height), bold, [&glyphs](FT_Face face) {
    for (int c = FirstGlyph; c <= LastGlyph; ++c) glyphs.push_back(RenderGlyph(face, (unsigned char)c));
  });
  TTextureFont font;
  font.Face = faceName ? faceName : "";
  font.Height = height;
  font.Bold = bold;
  font.Scale = FrameScale();
  UploadAtlas(font, glyphs);
  return font;
}

void FreeTextureFont(TTextureFont& font) {
  if (font.Texture != 0) glDeleteTextures(1, &font.Texture);
  font = TTextureFont{};
}

void KeepTextureFontAtFrameScale(TTextureFont& font) {
  if (font.Texture == 0 || font.Scale == FrameScale()) return;
  const TTextureFont old = font;
  FreeTextureFont(font);
  font = CreateTextureFont(old.Face.c_str(), old.Height, old.Bold);
}

namespace {

// The flat block draws a coverage texture in its colour; what was bound and
// the environment come back afterwards.
struct TSavedTexture {
  GLint Bound = 0, Mode = GL_MODULATE;
};

TSavedTexture BeginCoverage(uint32_t texture, const TColorRGBA& color) {
  TSavedTexture saved;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved.Bound);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &saved.Mode);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  SetColor(color);
  return saved;
}

void EndCoverage(const TSavedTexture& saved) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, saved.Mode);
  glBindTexture(GL_TEXTURE_2D, GLuint(saved.Bound));
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

void FlatText(const TTextureFont& font, const std::string& text, int x, int y, const TColorRGBA& color) {
  if (font.Texture == 0) return;
  const TSavedTexture saved = BeginCoverage(font.Texture, color);
  // The glyphs are the frame's pixels: the line starts on a whole pixel and
  // each glyph's corners are whole pixels, in the layout's units.
  const float scale = font.Scale, texel = 1.0f / float(font.Size);
  const float baseline = std::round(float(CurrentWindow().Height - y) * scale);
  std::vector<float> quads;  // u, v, x, y for each corner
  float pen = std::round(float(x) * scale);
  for (const char c : PrintableOnly(text.c_str())) {
    const TTextureGlyph& g = font.Glyphs[size_t((unsigned char)c - FirstGlyph)];
    const float x0 = (pen + float(g.Left)) / scale, y0 = (baseline - float(g.Rows - g.Top)) / scale;
    const float x1 = x0 + float(g.Width) / scale, y1 = y0 + float(g.Rows) / scale;
    const float u1 = g.U + float(g.Width) * texel, v1 = g.V + float(g.Rows) * texel;
    quads.insert(quads.end(), {g.U, g.V, x0, y0, u1, g.V, x1, y0, u1, v1, x1, y1, g.U, v1, x0, y1});
    pen += g.Advance;
  }
  // Nothing to draw (an empty line) hands the renderer no array.
  if (quads.empty()) {
    EndCoverage(saved);
    return;
  }
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, 4 * sizeof(float), quads.data());
  glVertexPointer(2, GL_FLOAT, 4 * sizeof(float), quads.data() + 2);
  glDrawArrays(GL_QUADS, 0, GLsizei(quads.size() / 4));
  glPopClientAttrib();
  EndCoverage(saved);
}

float TextWidth(const TTextureFont& font, const std::string& text) {
  float width = 0;
  if (font.Glyphs.empty()) return width;
  for (const char c : PrintableOnly(text.c_str())) width += font.Glyphs[size_t((unsigned char)c - FirstGlyph)].Advance;
  return width / font.Scale;
}

void FillAlphaImage(TAlphaImage& image, int width, int height, const std::vector<uint8_t>& alpha) {
  GLint bound = 0, alignment = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (image.Texture == 0 || std::max(width, height) > image.Size) {
    FreeAlphaImage(image);
    image.Size = 1;
    while (image.Size < std::max(width, height)) image.Size *= 2;
    glGenTextures(1, &image.Texture);
    glBindTexture(GL_TEXTURE_2D, image.Texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, image.Size, image.Size, 0, GL_ALPHA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
  glBindTexture(GL_TEXTURE_2D, image.Texture);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
  image.Width = width;
  image.Height = height;
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
}

void FlatAlphaImage(const TAlphaImage& image, const TColorRGBA& color, float x, float y) {
  if (image.Texture == 0) return;
  const TSavedTexture saved = BeginCoverage(image.Texture, color);
  const float u = float(image.Width) / float(image.Size), v = float(image.Height) / float(image.Size);
  const float w = float(image.Width), h = float(image.Height);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(x, y);
  glTexCoord2f(u, 0), glVertex2f(x + w, y);
  glTexCoord2f(u, v), glVertex2f(x + w, y + h);
  glTexCoord2f(0, v), glVertex2f(x, y + h);
  glEnd();
  EndCoverage(saved);
}

void FreeAlphaImage(TAlphaImage& image) {
  if (image.Texture != 0) glDeleteTextures(1, &image.Texture);
  image = TAlphaImage{};
}

// ---- a copy of the frame -----------------------------------------------------------

namespace {

void FrameSizeInPixels(int& width, int& height) {
  width = CurrentWindow().Width;
  height = CurrentWindow().Height;
  GetFrameSize(width, height);
}

}  // namespace

void CopyFrame(TFrameCopy& copy) {
  int width = 0, height = 0;
  FrameSizeInPixels(width, height);
  glPushAttrib(GL_TEXTURE_BIT);
  if (copy.Texture == 0) glGenTextures(1, &copy.Texture);
  glBindTexture(GL_TEXTURE_2D, copy.Texture);
  if (copy.Width != width || copy.Height != height) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    copy.Width = width;
    copy.Height = height;
  }
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
  glPopAttrib();
}

// Whatever the show left switched on that would change the copy's pixels is
// off, and the copy is modulated by white: its texels as they were.
void DrawFrameCopy(const TFrameCopy& copy) {
  const TGLWindow& window = CurrentWindow();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glMatrixMode(GL_MODELVIEW);
  Begin2D();
  for (GLenum off :
       {GL_BLEND, GL_FOG, GL_ALPHA_TEST, GL_SCISSOR_TEST, GL_CULL_FACE, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
    glDisable(off);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  BeginTexturedRect(copy.Texture, &White);
  StartQuads();
  TexturedQuad(0, 0, float(window.Width), float(window.Height), 1);
  EndTexturedRect(false);
  End2D();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

void FreeFrameCopy(TFrameCopy& copy) {
  if (copy.Texture != 0) glDeleteTextures(1, &copy.Texture);
  copy = TFrameCopy{};
}
