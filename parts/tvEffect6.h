// The "Dynamic Objects" and "Deform" set-ups: the ball model turned upright,
// and two working meshes made from it. Nothing draws them.
#pragma once

#include <memory>
#include <string>

#include "Amb2Classes.h"

extern std::unique_ptr<TAmbBrush> KuleBrush, DeformBrush;
extern std::unique_ptr<TMeshDataN> DeformMeshA, DeformMeshB;
extern TVector DeformExtent;

// The two working meshes shaped like `source` (faces and mapping in both,
// positions in DeformMeshB only) and DeformExtent from its first vertex.
// Throws EFileError naming `fileName` when the mesh has no vertex.
void BuildDeformMeshes(const TMeshData& source, const std::string& fileName);

void SetupDynamicObjects();
void SetupDeform();
