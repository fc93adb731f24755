// Reading the finished frame back from the OpenGL back buffer, and making
// the small contact-sheet tile from it. Both need the demo's context to be
// current and leave its GL state as they found it.
//
// State: none.
#pragma once

#include "CaptureImage.h"

// The back buffer of a width x height window, top row first.
TRgbImage ReadFrame(int width, int height);
// The picture scaled to the size of a contact-sheet tile by GLU.
TRgbImage ScaleToTile(const TRgbImage& frame, int tileWidth, int tileHeight);
