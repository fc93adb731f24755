// The "NURB System" set-up: the patch model turned upright and four corners
// read from one of its meshes. Nothing in the show draws or reads them
// afterwards.
//
// State: NurbBrush, NurbMesh (which mesh is read), NurbCorners.
#include "tvEffect7.h"

#include "Amb2_3ds.h"
#include "AmbSystem.h"

std::unique_ptr<TAmbBrush> NurbBrush;
int32_t NurbMesh = 3;
std::array<TVector, 4> NurbCorners;

void ReadNurbCorners(const TAmbBrush& brush, const std::string& fileName) {
  const auto count = static_cast<int32_t>(brush.Meshes.size());
  if (NurbMesh < 0 || NurbMesh >= count)
    throw EFileError(fileName + " holds " + std::to_string(count) + " meshes; the corners are read from mesh " +
                     std::to_string(NurbMesh));
  const TMeshDataNM& mesh = *brush.Meshes[NurbMesh];
  if (mesh.VertexCount < 2 || mesh.Vertices.size() < 2)
    throw EFileError(fileName + ": mesh " + std::to_string(NurbMesh) +
                     " has fewer than the 2 vertices the corners need");
  NurbCorners = {mesh.Vertices[0], mesh.Vertices[0], mesh.Vertices[1], mesh.Vertices[1]};
}

void SetupNurbSystem() {
  NurbBrush = Load3DSBrush("nurb.3ds");
  NurbBrush->Rotate(MakeVector(270, 0, 0));
  ReadNurbCorners(*NurbBrush, "nurb.3ds");
}
