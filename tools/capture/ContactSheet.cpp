// Contact sheet layout, with the labels rasterised by FreeType from the
// system's sans-serif face as the engine's font lookup finds it.
#include "ContactSheet.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>
#include <string>

#include "Amb2Fonts.h"

namespace {

constexpr uint8_t Ground = 24;
constexpr int LabelPixels = 16;

// Owns a FreeType library and face for the duration of one sheet.
class TLabelFont {
 public:
  TLabelFont() {
    const std::string file = MatchFontFile("DejaVu Sans:bold").Path;
    if (file.empty()) throw std::runtime_error("No font found for the contact sheet labels");
    if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("Cannot start FreeType");
    if (FT_New_Face(library_, file.c_str(), 0, &face_) != 0) {
      FT_Done_FreeType(library_);
      throw std::runtime_error("Cannot open font " + file);
    }
    FT_Set_Pixel_Sizes(face_, 0, LabelPixels);
  }
  ~TLabelFont() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  TLabelFont(const TLabelFont&) = delete;
  TLabelFont& operator=(const TLabelFont&) = delete;

  int Advance(const std::string& text) {
    int width = 0;
    for (char c : text)
      if (FT_Load_Char(face_, FT_ULong(c), FT_LOAD_DEFAULT) == 0) width += int(face_->glyph->advance.x >> 6);
    return width;
  }

  // Writes white text with its baseline at (x, baseline), blending by coverage.
  void Draw(TRgbImage& image, const std::string& text, int x, int baseline) {
    for (char c : text) {
      if (FT_Load_Char(face_, FT_ULong(c), FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot glyph = face_->glyph;
      Stamp(image, glyph->bitmap, x + glyph->bitmap_left, baseline - glyph->bitmap_top);
      x += int(glyph->advance.x >> 6);
    }
  }

 private:
  static void Stamp(TRgbImage& image, const FT_Bitmap& bitmap, int left, int top) {
    for (int row = 0; row < int(bitmap.rows); ++row) {
      const int y = top + row;
      if (y < 0 || y >= image.Height) continue;
      for (int column = 0; column < int(bitmap.width); ++column) {
        const int x = left + column;
        if (x < 0 || x >= image.Width) continue;
        const int coverage = bitmap.buffer[row * bitmap.pitch + column];
        uint8_t* pixel = image.Row(y) + x * 3;
        for (int channel = 0; channel < 3; ++channel)
          pixel[channel] = uint8_t(pixel[channel] + (255 - pixel[channel]) * coverage / 255);
      }
    }
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

}  // namespace

void SheetTilePosition(int index, int& x, int& y) {
  x = SheetMargin + (index % SheetColumns) * (SheetTileWidth + SheetMargin);
  y = SheetMargin + (index / SheetColumns) * (SheetTileHeight + SheetLabelHeight);
}

TRgbImage BuildContactSheet(const std::vector<TPartTile>& tiles) {
  const int rows = std::max<int>(1, int(tiles.size() + SheetColumns - 1) / SheetColumns);
  TRgbImage sheet(SheetMargin + SheetColumns * (SheetTileWidth + SheetMargin),
                  SheetMargin + rows * (SheetTileHeight + SheetLabelHeight));
  std::fill(sheet.Pixels.begin(), sheet.Pixels.end(), Ground);
  TLabelFont font;
  for (size_t i = 0; i < tiles.size(); ++i) {
    int x = 0, y = 0;
    SheetTilePosition(int(i), x, y);
    Blit(sheet, tiles[i].Picture, x, y);
    const std::string label = "Part " + std::to_string(tiles[i].Part);
    font.Draw(sheet, label, x + (SheetTileWidth - font.Advance(label)) / 2, y + SheetTileHeight + 19);
  }
  return sheet;
}
