// The "Dynamic Objects" and "Deform" set-ups.
#include "tvEffect6.h"

std::unique_ptr<TAmbBrush> KuleBrush, DeformBrush;
std::unique_ptr<TMeshDataN> DeformMeshA, DeformMeshB;
TVector DeformExtent{200, 200, 200};

void SetupDynamicObjects() {}
void SetupDeform() {}
