// The "Vegetables" set-up.
#include "tvEffect5.h"

int32_t GrassGridSize = 100;
float GrassJitter = 4.0f;
std::unique_ptr<TAmbBrush> GrassBrush;
std::array<std::array<TGrassCell, 100>, 100> GrassCells;
std::unique_ptr<TAmbLandscape> GrassField;

void SetupVegetables() {}
