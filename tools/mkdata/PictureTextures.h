// Textures laid on models and sprites: the sphere maps, the sprite glows,
// the star field, the surfaces of the atom, sun and slime, and the ground
// pictures.
//
// State: none.
#pragma once

#include <string>

void WriteTexturePictures(const std::string& dir);
