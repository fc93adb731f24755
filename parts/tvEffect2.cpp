// Part 2: the atom with its feedback trail.
#include "tvEffect2.h"

std::array<TRingAngles, 6> AtomRings;

void RenderAtom() {}
void DrawAtomModel() {}
