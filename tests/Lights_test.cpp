// The light: what InitLights leaves enabled and sent, and that position and
// colours reach the light chosen by SetLightNumber (read back from OpenGL).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

#include "Amb2Lights.h"
#include "ModelsGL.h"

namespace {

std::array<GLfloat, 4> LightValue(GLenum light, GLenum what) {
  std::array<GLfloat, 4> value{};
  glGetLightfv(light, what, value.data());
  return value;
}

using Four = std::array<GLfloat, 4>;

}  // namespace

TEST(Lights, InitLightsEnablesLightingAndSendsItsDefaults) {
  PrepareModelsGL();
  SetLightNumber(GL_LIGHT0);
  InitLights();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
  EXPECT_EQ(LightValue(GL_LIGHT0, GL_AMBIENT), (Four{1, 1, 1, 1}));
  EXPECT_EQ(LightValue(GL_LIGHT0, GL_DIFFUSE), (Four{1, 1, 1, 0.5f}));
  EXPECT_EQ(LightValue(GL_LIGHT0, GL_POSITION), (Four{10, 200, 10, 1}));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Lights, PositionStaysPositionalAndCallsAddressTheChosenLight) {
  PrepareModelsGL();
  SetLightNumber(GL_LIGHT0);
  SetLightPosition(MakeVector(0, 800, 0));
  EXPECT_EQ(LightValue(GL_LIGHT0, GL_POSITION), (Four{0, 800, 0, 1}));
  // The position is taken through the modelview matrix of the moment.
  glTranslatef(5, 0, 0);
  SetLightPosition(MakeVector(1, 2, 3));
  glLoadIdentity();
  EXPECT_EQ(LightValue(GL_LIGHT0, GL_POSITION), (Four{6, 2, 3, 1}));

  SetLightNumber(GL_LIGHT1);
  EXPECT_EQ(CurrentLight, uint32_t(GL_LIGHT1));
  SetLightColors(MakeColor(0.1f, 0.2f, 0.3f, 0.4f), MakeColor(0.5f, 0.6f, 0.7f, 0.8f));
  EXPECT_EQ(LightValue(GL_LIGHT1, GL_AMBIENT), (Four{0.1f, 0.2f, 0.3f, 0.4f}));
  EXPECT_EQ(LightValue(GL_LIGHT1, GL_DIFFUSE), (Four{0.5f, 0.6f, 0.7f, 0.8f}));
  EXPECT_EQ(LightValue(GL_LIGHT0, GL_POSITION), (Four{6, 2, 3, 1}));
  SetLightNumber(GL_LIGHT0);
}
