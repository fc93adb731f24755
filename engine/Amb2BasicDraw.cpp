// Clearing the frame and one lit quad (placeholder bodies).
#include "Amb2BasicDraw.h"

void ClearScreen() {}
void DrawQuadWithNormals(const TVector&, const TVector&, const TVector&, const TVector&, float, float, float, float,
                         float, float, float, float, const TVector&, const TVector&, const TVector&, const TVector&) {}
