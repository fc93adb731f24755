// The demo's pictures, drawn from code and an installed font.
//
// State: none. Leaves every picture file in the data folder.
#include "Pictures.h"

#include "PictureOverlays.h"
#include "PictureScreens.h"
#include "PictureTextures.h"
#include "Raster.h"

void WritePictures(const std::string& dir) {
  TFont font("DejaVu Sans:bold");
  WriteScreenPictures(dir, font);
  WriteTexturePictures(dir);
  WriteOverlayPictures(dir, font);
}
