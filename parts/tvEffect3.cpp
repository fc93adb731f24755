// Parts 4 to 7: the wave landscape.
#include "tvEffect3.h"

std::unique_ptr<TAmbBrush> LandscapeBrush, PlaneBrush, StrangerBrush;

void SetupWave() {}
void WavePlane(TMeshDataN&, float, float, float, float) {}
void RenderWaveFlight() {}
void RenderWaveTop() {}
