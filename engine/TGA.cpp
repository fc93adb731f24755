// The file-only TGA loader whose textures are filtered trilinearly: the same
// decoder as the linear loader, uploaded with GL_LINEAR_MIPMAP_LINEAR.
//
// State: none. Leaves the new texture bound with the GL_MODULATE environment.
#include "TGA.h"

#include <GL/gl.h>

#include <vector>

#include "AmbSystem.h"

uint32_t CreateMipmappedTexture(uint16_t width, uint16_t height, TPixelFormat format, const uint8_t* pixels) {
  return CreateTextureFiltered(width, height, format, pixels, GL_LINEAR_MIPMAP_LINEAR);
}

bool LoadTgaMipmapped(const std::string& fileName, uint32_t& texture) {
  std::vector<uint8_t> bytes;
  if (!ImageFileExists(fileName)) {
    ShowMessage("TGA Texture", "File not found  - " + fileName);
    return false;
  }
  if (!ReadImageFile(fileName, bytes)) {
    ShowMessage("TGA File Error", "Couldn't read file \"" + fileName + "\".");
    return false;
  }
  return FinishImageLoad(DecodeTga(bytes.data(), bytes.size(), fileName, false), texture, CreateMipmappedTexture);
}
