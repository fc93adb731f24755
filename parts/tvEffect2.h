// Part 2: the atom with its greyscale feedback trail through the render
// texture.
//
// State: the spin angles of the five rings.
#pragma once

#include <array>

struct TRingAngles {
  float AngleX = 0, AngleY = 0, Unused = 0;
};

extern std::array<TRingAngles, 6> AtomRings;  // rings 1..5; index 0 unused

void RenderAtom();
void DrawAtomModel();
