// The jelly machinery and part 3.
#include "tvVectorSlime.h"

TVector RotTarget, ScaleTarget, MoveTarget;

std::unique_ptr<TAmbBrush> SlimeBrush;
int32_t SlimeVertexCount = 0;
std::vector<TSpringVec> SlimeRot, SlimeScale, SlimeMove;
std::unique_ptr<TMeshDataN> SlimeMesh;
std::unique_ptr<TAmbBrush> BallBrush;
int32_t BallVertexCount = 0;
std::vector<TSpringVec> BallRot, BallScale, BallMove;
std::unique_ptr<TMeshDataN> BallMesh;
std::unique_ptr<TAmbBrush> AtomBrush;

void SetupVectorSlime() {}
void SetupImages() {}
void SpringStep(TSpringVec&, const TVector&, float) {}
void EaseMeshVertices(const TAmbBrush&, TMeshDataN&, int32_t, std::vector<TSpringVec>&, std::vector<TSpringVec>&,
                      std::vector<TSpringVec>&, float) {}
void RenderBall() {}
