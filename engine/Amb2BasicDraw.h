// Small drawing primitives: clearing the frame, one textured quad with
// normals in 3D, and handing what is drawn so far on to the renderer.
//
// State: none. ClearScreen leaves the modelview matrix selected and identity.
#pragma once

#include "Amb2Classes.h"

void ClearScreen();
// Sends the drawing so far to the renderer without waiting for it. A software
// renderer then fills it on its own threads while the program goes on, so a
// scene calls it before a stretch of work of its own (moving vertices,
// setting up a large mesh) instead of leaving the renderer idle until the
// frame ends.
void StartRendering();
void DrawQuadWithNormals(const TVector& p1, const TVector& p2, const TVector& p3, const TVector& p4,
                         float s1, float t1, float s2, float t2, float s3, float t3, float s4, float t4,
                         const TVector& n1, const TVector& n2, const TVector& n3, const TVector& n4);
