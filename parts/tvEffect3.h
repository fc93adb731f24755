// Parts 4 to 7: camera flights over the lit landscape in white fog under the
// rippling sunset plane, and the plane alone from high above.
//
// State: the landscape, plane and stranger brushes (the plane's heights
// persist from frame to frame).
#pragma once

#include <memory>

#include "Amb2Classes.h"

extern std::unique_ptr<TAmbBrush> LandscapeBrush, PlaneBrush, StrangerBrush;

void SetupWave();
// The plane's wave: every vertex's y from its current distance to the origin.
void WavePlane(TMeshDataN& mesh, float amplitude, float speed, float length, float t);
// The landscape as the flight draws it: ten passes in place where its
// material blends, one where ten would give the same picture.
void DrawLandscape();
void RenderWaveFlight();
void RenderWaveTop();
