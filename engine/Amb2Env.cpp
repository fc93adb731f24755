// Render-to-texture by copying the lower-left square of the back buffer into
// a texture, and the one-call fog set-up.
//
// State: the fog colour, (0.5, 0.5, 0.5, 1) until the first SetupFog. Fog
// stays enabled after SetupFog; the copies leave the target texture bound
// and the viewport over the whole frame.
#include "Amb2Env.h"

#include <GL/gl.h>

#include <vector>

#include "AmbFrame.h"
#include "Ambrel2.h"

namespace {

TColorRGBA FogColor{0.5f, 0.5f, 0.5f, 1.0f};

// The square is `size` units of the frame's layout: as many pixels at its own
// size, and more in a larger frame, so that a trail keeps its share of the
// picture and only grows finer.
void CopyCorner(uint32_t texture, int size, GLenum internalFormat) {
  glBindTexture(GL_TEXTURE_2D, texture);
  const int pixels = ScaledPixels(size);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, internalFormat, 0, 0, pixels, pixels, 0);
  int width = CurrentWindow().Width, height = CurrentWindow().Height;
  GetFrameSize(width, height);
  glViewport(0, 0, width, height);
}

}  // namespace

// The first image is transparent black, so a scene drawing the texture
// before its first copy shows nothing rather than stale memory.
uint32_t CreateEmptyTexture(int size) {
  const size_t side = size > 0 ? size_t(size) : 0;
  const std::vector<uint8_t> blank(side * side * 4, 0);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, blank.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return texture;
}

void SetTextureViewport(int size) { glViewport(0, 0, ScaledPixels(size), ScaledPixels(size)); }

void CopyScreenToTexture(uint32_t texture, int size) { CopyCorner(texture, size, GL_RGB); }

void CopyScreenToTextureLuminance(uint32_t texture, int size) { CopyCorner(texture, size, GL_LUMINANCE); }

void SetupFog(const TColorRGBA& color, uint8_t mode, float density, float start, float end) {
  static const GLint modes[] = {GL_LINEAR, GL_EXP, GL_EXP2};
  glEnable(GL_FOG);
  FogColor = color;
  if (mode < 3) glFogi(GL_FOG_MODE, modes[mode]);
  glFogfv(GL_FOG_COLOR, &FogColor.r);
  glFogf(GL_FOG_DENSITY, density);
  glHint(GL_FOG_HINT, GL_DONT_CARE);
  glFogf(GL_FOG_START, start);
  glFogf(GL_FOG_END, end);
}
