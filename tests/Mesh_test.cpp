// The geometry under the models: normals, their per-frame update, and what
// each way of drawing a mesh sends to OpenGL (read in feedback mode).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "Amb2Classes.h"
#include "Amb2Materials.h"
#include "EngineSupport.h"
#include "ModelsBytes.h"

namespace {

void ExpectNear(const TVector& actual, const TVector& expected, float tolerance = 1e-6f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// The corners a draw sends, as OpenGL's feedback mode reports them: window
// x and y (to a thousandth of a pixel) and texture s of each.
std::vector<float> Sent(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(4096);
  glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<float> corners;
  for (GLint i = 0; i < used; i += 2 + 3 * 11) {  // polygon token, 3, then x y z r g b a s t r q per corner
    EXPECT_TRUE(buffer[size_t(i)] == GL_POLYGON_TOKEN && buffer[size_t(i) + 1] == 3);
    for (size_t c = size_t(i) + 2; c < size_t(i) + 2 + 3 * 11; c += 11)
      corners.insert(corners.end(),
                     {std::round(buffer[c] * 1000) / 1000, std::round(buffer[c + 1] * 1000) / 1000, buffer[c + 7]});
  }
  return corners;
}

}  // namespace

TEST(Normals, SharedVerticesTiltTowardsTheLargerFaceAndStrayFacesAreLeftOut) {
  TMeshDataN mesh;
  // Vertex 0 is shared by a large face in the XY plane (normal +Z, area 8)
  // and a small one in the YZ plane (normal +X, area 0.5).
  for (const TVector& v : {MakeVector(0, 0, 0), MakeVector(4, 0, 0), MakeVector(0, 4, 0), MakeVector(0, 1, 0),
                           MakeVector(0, 0, 1), MakeVector(9, 9, 9)})
    mesh.AddVertex(v, {});
  mesh.AddFace(MakeFace(0, 1, 2));
  mesh.AddFace(MakeFace(0, 3, 4));
  mesh.AddFace(MakeFace(0, 1, 7));  // reaches past the vertices
  mesh.CalcNormals();
  const float length = std::sqrt(16.0f * 16.0f + 1.0f);
  ExpectNear(mesh.Normals[0], MakeVector(1 / length, 0, 16 / length));
  ExpectNear(mesh.Normals[1], MakeVector(0, 0, 1));
  ExpectNear(VectorNegate(mesh.Normals[3]), MakeVector(-1, 0, 0));
  ExpectNear(mesh.Normals[5], MakeVector(0, 0, 0), 0);  // used by no face: stays finite
  ExpectNear(mesh.VertexNormal(0), mesh.Normals[0], 0);
}

TEST(Normals, UpdateNormalsGivesExactlyTheFullCalculation) {
  TMeshDataN full, updated;
  const T3DSObjectBytes grid = GridObject("grid", 12, 9);
  for (TMeshDataN* mesh : {&full, &updated}) {
    for (size_t i = 0; i < grid.Vertices.size(); ++i) mesh->AddVertex(grid.Vertices[i], grid.Mapping[i]);
    for (const auto& f : grid.Faces) mesh->AddFace(MakeFace(f[0], f[1], f[2]));
    // Deformed the same way; a stale normal set must be overwritten.
    for (int32_t i = 0; i < mesh->VertexCount; ++i) mesh->Vertices[i].y += float(i % 7) * 0.37f;
  }
  updated.Normals.assign(updated.Normals.size(), MakeVector(5, 5, 5));
  full.CalcNormals();
  updated.UpdateNormals();
  ASSERT_EQ(full.VertexCount, 108);
  for (int32_t i = 0; i < full.VertexCount; ++i) {
    SCOPED_TRACE(i);
    ExpectNear(updated.Normals[i], full.Normals[i], 0);
  }
}

TEST(MeshDrawing, CornersGoInFaceOrderWithTheirMappingAndOnlyMaterialsSetColour) {
  PrepareGL();
  TMeshData plain;
  TMeshDataNM mesh;
  for (TMeshData* m : {static_cast<TMeshData*>(&plain), static_cast<TMeshData*>(&mesh)}) {
    for (const auto& [x, y, u] :
         {std::tuple{4, 4, 0.0f}, {20, 4, 1.0f}, {4, 20, 0.25f}, {30, 30, 0.5f}, {60, 30, 0.75f}})
      m->AddVertex(MakeVector(float(x), float(y), 0), MakeTexCoord(u, 0.5f));
    m->AddFace(MakeFace(2, 0, 1));
    m->AddFace(MakeFace(3, 2, 4));
  }
  mesh.CalcNormals();
  const std::vector<float> corners = {4, 20, 0.25f, 4, 4, 0, 20, 4, 1, 30, 30, 0.5f, 4, 20, 0.25f, 60, 30, 0.75f};
  glColor4f(0.25f, 0.5f, 0.75f, 1);
  EXPECT_EQ(Sent([&] { plain.Draw(); }), corners);
  EXPECT_EQ(Sent([&] { mesh.TMeshDataN::Draw(); }), corners);
  mesh.AddFace(MakeFace(0, 1, 9));  // reaches past the vertices: left out
  EXPECT_EQ(Sent([&] { mesh.Render(); }), corners);
  GLfloat normal[3], mapping[4];
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, mapping);
  EXPECT_TRUE(normal[2] == 1.0f && mapping[0] == 0.75f) << "the last corner's, as a draw corner by corner leaves them";
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1})) << "no draw chooses a colour of its own";
  EXPECT_TRUE(Sent([] { TMeshDataN().Render(); }).empty());

  mesh.Material->Color = MakeColor(1, 0, 0, 1);
  mesh.Draw();
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{1, 0, 0, 1})) << "a material mesh applies its material first";
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
