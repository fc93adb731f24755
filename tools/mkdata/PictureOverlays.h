// Pictures with alpha drawn over the scenes: the four sliding words and
// shapes of the ball part and the two credits cards of the finale.
//
// State: none.
#pragma once

#include <string>

#include "Raster.h"

void WriteOverlayPictures(const std::string& dir, const TFont& font);
