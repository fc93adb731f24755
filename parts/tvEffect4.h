// Parts 8 to 10: the chrome slime over the stars with its shrinking echo,
// over the title picture, and pushed aside for the credits.
//
// State: the locked move target; the backdrop texture is SlimeBackdrop of
// tvCommon.
#pragma once

#include <cstdint>

#include "Amb2Classes.h"

extern bool SlimeTargetLock;
extern TVector SlimeLockedMove;

// One call's targets for the slime springs from the pulse p and the sine
// clock: the rotation targets grow, scale and offset follow the pulse, and
// a locked target pins the offset.
void AimSlimeTargets(float p, float sineValue);

void RenderSlime();
void RenderSlimeEcho();
