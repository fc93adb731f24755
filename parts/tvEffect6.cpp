// The "Dynamic Objects" and "Deform" set-ups: the ball model turned upright,
// and a second copy of it with two working meshes and the extent of its
// first vertex. Nothing in the show draws or reads them afterwards.
//
// State: KuleBrush, DeformBrush, DeformMeshA, DeformMeshB, DeformExtent.
#include "tvEffect6.h"

#include <algorithm>

#include "Amb2_3ds.h"
#include "AmbSystem.h"

std::unique_ptr<TAmbBrush> KuleBrush, DeformBrush;
std::unique_ptr<TMeshDataN> DeformMeshA, DeformMeshB;
TVector DeformExtent{200, 200, 200};

void BuildDeformMeshes(const TMeshData& source, const std::string& fileName) {
  if (source.VertexCount < 1 || source.Vertices.empty() || source.FaceCount < 0)
    throw EFileError(fileName + ": its first mesh has no vertices to deform");
  DeformMeshA = WorkingMeshLike(source, source.VertexCount);
  DeformMeshB = WorkingMeshLike(source, source.VertexCount);
  const size_t vertices = std::min({size_t(source.VertexCount), source.Vertices.size(), DeformMeshB->Vertices.size()});
  std::copy_n(source.Vertices.begin(), vertices, DeformMeshB->Vertices.begin());
  const float d = VectorDistance(source.Vertices[0], TVector{});
  DeformExtent = VectorScale(MakeVector(d, d, d), 1.2f);
}

void SetupDynamicObjects() {
  KuleBrush = Load3DSBrush("kule.3ds");
  KuleBrush->Rotate(MakeVector(270, 0, 0));
  KuleBrush->Scale(MakeVector(1, 1, 1));
}

void SetupDeform() {
  DeformBrush = Load3DSBrush("kule.3ds");
  if (DeformBrush->Meshes.empty()) throw EFileError("kule.3ds holds no mesh; the deform set-up needs one");
  BuildDeformMeshes(*DeformBrush->Meshes[0], "kule.3ds");
}
