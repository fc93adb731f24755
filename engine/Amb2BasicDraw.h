// Two small drawing primitives: clearing the frame and one textured quad
// with normals in 3D.
//
// State: none. ClearScreen leaves the modelview matrix selected and identity.
#pragma once

#include "Amb2Classes.h"

void ClearScreen();
void DrawQuadWithNormals(const TVector& p1, const TVector& p2, const TVector& p3, const TVector& p4,
                         float s1, float t1, float s2, float t2, float s3, float t3, float s4, float t4,
                         const TVector& n1, const TVector& n2, const TVector& n3, const TVector& n4);
