// The one OpenGL light: which light the calls address and the last position
// and colours sent to it, kept as records so callers never build float arrays.
//
// State: CurrentLight (0 until SetLightNumber), the position sent last (its w
// is always 1, so the light is positional) and the colours sent last.
// Leaves behind: after InitLights, lighting, normalising and the light enabled.
#include "Amb2Lights.h"

#include <GL/gl.h>

uint32_t CurrentLight = 0;

namespace {
GLfloat SentPosition[4] = {0, 0, 0, 1};
TColorRGBA SentAmbient;
TColorRGBA SentDiffuse;
}  // namespace

void SetLightNumber(uint32_t light) { CurrentLight = light; }

// OpenGL transforms the position by the modelview matrix current at this call.
void SetLightPosition(const TVector& position) {
  SentPosition[0] = position.x;
  SentPosition[1] = position.y;
  SentPosition[2] = position.z;
  glLightfv(GLenum(CurrentLight), GL_POSITION, SentPosition);
}

void SetLightColors(const TColorRGBA& ambient, const TColorRGBA& diffuse) {
  SentAmbient = ambient;
  SentDiffuse = diffuse;
  glLightfv(GLenum(CurrentLight), GL_AMBIENT, &SentAmbient.r);
  glLightfv(GLenum(CurrentLight), GL_DIFFUSE, &SentDiffuse.r);
}

// Normalising is on because the demo scales its models after their normals
// were computed.
void InitLights() {
  glEnable(GLenum(CurrentLight));
  SetLightPosition(MakeVector(10, 200, 10));
  SetLightColors(MakeColor(1, 1, 1, 1), MakeColor(1, 1, 1, 0.5f));
  glEnable(GL_LIGHTING);
  glEnable(GL_NORMALIZE);
}
