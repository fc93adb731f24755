// The jelly machinery: per-vertex springs that ease rotation, scale and
// offset toward shared targets at a rate set by the vertex's distance from
// the centre; the set-up that loads the slime, atom and ball; the set-up of
// the three late images; and part 3, the spring-eased ball.
//
// State: the targets, the three brushes, the spring arrays and working meshes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Amb2Classes.h"

struct TSpringVec {
  float X = 0, Y = 0, Z = 0;
  float Radius = 0;
};

extern TVector RotTarget, ScaleTarget, MoveTarget;

extern std::unique_ptr<TAmbBrush> SlimeBrush;
extern int32_t SlimeVertexCount;
extern std::vector<TSpringVec> SlimeRot, SlimeScale, SlimeMove;
extern std::unique_ptr<TMeshDataN> SlimeMesh;
extern std::unique_ptr<TAmbBrush> BallBrush;
extern int32_t BallVertexCount;
extern std::vector<TSpringVec> BallRot, BallScale, BallMove;
extern std::unique_ptr<TMeshDataN> BallMesh;
extern std::unique_ptr<TAmbBrush> AtomBrush;

void SetupVectorSlime();
void SetupImages();
void SpringStep(TSpringVec& s, const TVector& target, float k);
void EaseMeshVertices(const TAmbBrush& source, TMeshDataN& working, int32_t count, std::vector<TSpringVec>& rot,
                      std::vector<TSpringVec>& scale, std::vector<TSpringVec>& move, float kR);
void RenderBall();
