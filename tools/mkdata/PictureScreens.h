// The full-window pictures: title card, group logo, the part-3 backdrop, the
// loading screen, the letterbox title and the "presents" card.
//
// State: none.
#pragma once

#include <string>

#include "Raster.h"

void WriteScreenPictures(const std::string& dir, const TFont& font);
