// See ModelsGL.h.
#include "ModelsGL.h"

#include <GL/gl.h>

#include <stdexcept>

#include "Ambrel2.h"

void PrepareModelsGL() {
  static const TGLWindow window = MakeGLWindow(ModelsWindowSize, ModelsWindowSize, 32, false, "models");
  (void)window;
  glViewport(0, 0, ModelsWindowSize, ModelsWindowSize);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, ModelsWindowSize, 0, ModelsWindowSize, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (const GLenum cap : {GL_LIGHTING, GL_CULL_FACE, GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_GEN_S,
                           GL_TEXTURE_GEN_T, GL_COLOR_MATERIAL, GL_LIGHT0, GL_LIGHT1, GL_NORMALIZE})
    glDisable(cap);
  glColor4f(1, 1, 1, 1);
}

std::vector<TFedTriangle> CaptureTriangles(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(1 << 16);
  glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  if (used < 0) throw std::runtime_error("feedback buffer overflow");
  std::vector<TFedTriangle> triangles;
  for (GLint i = 0; i < used;) {
    if (GLint(buffer[size_t(i)]) != GL_POLYGON_TOKEN || GLint(buffer[size_t(i) + 1]) != 3)
      throw std::runtime_error("feedback holds something other than a triangle");
    i += 2;
    TFedTriangle triangle;
    for (TFedVertex& v : triangle) {
      const GLfloat* f = &buffer[size_t(i)];
      v = TFedVertex{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]};
      i += 11;  // x y z, r g b a, s t r q
    }
    triangles.push_back(triangle);
  }
  return triangles;
}
