// The demo's pictures: every JPEG, TGA and BMP file it loads, drawn here
// from code and fonts, deterministically.
#pragma once

#include <string>

// Writes all pictures into the folder `dir` (which exists).
void WritePictures(const std::string& dir);
