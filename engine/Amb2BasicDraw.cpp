// Small drawing primitives: clearing the frame, one textured quad with a
// normal per corner in 3D, and handing the drawing so far to the renderer.
//
// State: none. ClearScreen leaves the modelview matrix selected and identity;
// the quad changes no state.
#include "Amb2BasicDraw.h"

#include <GL/gl.h>

void ClearScreen() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void StartRendering() { glFlush(); }

namespace {

void QuadCorner(const TVector& p, float s, float t, const TVector& n) {
  glTexCoord2f(s, t);
  glNormal3f(n.x, n.y, n.z);
  glVertex3f(p.x, p.y, p.z);
}

}  // namespace

void DrawQuadWithNormals(const TVector& p1, const TVector& p2, const TVector& p3, const TVector& p4, float s1, float t1,
                         float s2, float t2, float s3, float t3, float s4, float t4, const TVector& n1,
                         const TVector& n2, const TVector& n3, const TVector& n4) {
  glBegin(GL_QUADS);
  QuadCorner(p1, s1, t1, n1);
  QuadCorner(p2, s2, t2, n2);
  QuadCorner(p3, s3, t3, n3);
  QuadCorner(p4, s4, t4, n4);
  glEnd();
}
