// The "Dynamic Objects" and "Deform" set-ups: the ball model turned upright,
// and two working meshes made from it. Nothing draws them.
#pragma once

#include <memory>

#include "Amb2Classes.h"

extern std::unique_ptr<TAmbBrush> KuleBrush, DeformBrush;
extern std::unique_ptr<TMeshDataN> DeformMeshA, DeformMeshB;
extern TVector DeformExtent;

void SetupDynamicObjects();
void SetupDeform();
