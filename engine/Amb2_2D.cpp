// 2D overlay and bitmap text (placeholder bodies).
#include "Amb2_2D.h"

void Begin2D() {}
void End2D() {}
void SetOrthoProjection() {}
void SetPerspectiveProjection() {}
uint32_t CreateBitmapFont(const char*, int, bool) { return 0; }
void SetFontBase(uint32_t) {}
uint32_t FontBase() { return 0; }
void FreeBitmapFont() {}
void PrintText(const char*, int, int, const TColorRGBA&) {}
void PrintTextOutlined(const char*, int, int, const TColorRGBA&, const TColorRGBA&) {}
void DrawTextAtRaster(const char*) {}
void DrawImageTinted(uint32_t, const TColorRGBA&, float, float, float, float) {}
void DrawImageSrcColor(uint32_t, const TColorRGBA&, float, float, float, float) {}
void DrawImageBlended(uint32_t, float, float, float, float) {}
void DrawImage(uint32_t, float, float, float, float) {}
void DrawImageRotated(uint32_t, float, float, float, float, float, float) {}
void DrawRect(const TColorRGBA&, float, float, float, float) {}
