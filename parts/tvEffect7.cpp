// The "NURB System" set-up.
#include "tvEffect7.h"

std::unique_ptr<TAmbBrush> NurbBrush;
int32_t NurbMesh = 3;
std::array<TVector, 4> NurbCorners;

void SetupNurbSystem() {}
