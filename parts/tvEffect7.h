// The "NURB System" set-up: the patch model and the corners read from it.
// Nothing draws them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "Amb2Classes.h"

extern std::unique_ptr<TAmbBrush> NurbBrush;
extern int32_t NurbMesh;
extern std::array<TVector, 4> NurbCorners;

void SetupNurbSystem();
