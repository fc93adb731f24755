// Parts 8 to 10: the slime.
#include "tvEffect4.h"

uint32_t SlimeBackdrop = 0;
bool SlimeTargetLock = false;
TVector SlimeLockedMove;

void RenderSlime() {}
void RenderSlimeEcho() {}
