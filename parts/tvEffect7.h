// The "NURB System" set-up: the patch model and the corners read from it.
// Nothing draws them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "Amb2Classes.h"

extern std::unique_ptr<TAmbBrush> NurbBrush;
extern int32_t NurbMesh;
extern std::array<TVector, 4> NurbCorners;

// The corners from mesh NurbMesh of `brush`: its vertex 0 twice, then its
// vertex 1 twice. Throws EFileError naming `fileName` when that mesh or
// those vertices are missing.
void ReadNurbCorners(const TAmbBrush& brush, const std::string& fileName);

void SetupNurbSystem();
