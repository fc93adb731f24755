// Triangle meshes and brushes: appending and sizing keep counts and arrays in
// step, normals (area weighted, per-frame update equal to the full
// calculation), turning and scaling, and what the draw operations send to
// OpenGL, captured in feedback mode under the offscreen driver.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "Amb2Classes.h"
#include "Amb2Materials.h"
#include "ModelsBytes.h"
#include "ModelsGL.h"

namespace {

void ExpectNear(const TVector& actual, const TVector& expected, float tolerance = 1e-6f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void FillFromObject(TMeshDataN& mesh, const T3DSObjectBytes& object) {
  for (size_t i = 0; i < object.Vertices.size(); ++i) mesh.AddVertex(object.Vertices[i], object.Mapping[i]);
  for (const auto& f : object.Faces) mesh.AddFace(MakeFace(f[0], f[1], f[2]));
}

// Two triangles in window pixels sharing vertex 2, both facing +Z.
void FillTwoTriangles(TMeshData& mesh) {
  mesh.AddVertex(MakeVector(4, 4, 0), MakeTexCoord(0.0f, 0.5f));
  mesh.AddVertex(MakeVector(20, 4, 0), MakeTexCoord(1.0f, 0.5f));
  mesh.AddVertex(MakeVector(4, 20, 0), MakeTexCoord(0.25f, 1.0f));
  mesh.AddVertex(MakeVector(30, 30, 0), MakeTexCoord(0.5f, 0.0f));
  mesh.AddVertex(MakeVector(60, 30, 0), MakeTexCoord(0.75f, 0.25f));
  mesh.AddFace(MakeFace(2, 0, 1));
  mesh.AddFace(MakeFace(3, 2, 4));
}

}  // namespace

TEST(Mesh, AppendingAndSizingKeepCountsAndArraysInStep) {
  TMeshDataN mesh;
  EXPECT_EQ(mesh.AddVertex(MakeVector(1, 2, 3), MakeTexCoord(0.5f, 0.25f)), 0);
  EXPECT_EQ(mesh.AddVertex(MakeVector(4, 5, 6), MakeTexCoord(0, 0)), 1);
  EXPECT_EQ(mesh.VertexCount, 2);
  ASSERT_EQ(mesh.Normals.size(), 2u);
  ExpectNear(mesh.Normals[1], MakeVector(0, 0, 0), 0);
  mesh.AddFace(MakeFace(0, 1, 0));
  EXPECT_EQ(mesh.FaceCount, 1);

  mesh.SetSize(4, 3);  // grows with zeros and keeps what was there
  EXPECT_EQ(mesh.VertexCount, 4);
  EXPECT_EQ(mesh.FaceCount, 3);
  EXPECT_EQ(mesh.Vertices.size(), 4u);
  EXPECT_EQ(mesh.TexCoords.size(), 4u);
  EXPECT_EQ(mesh.Normals.size(), 4u);
  EXPECT_EQ(mesh.Faces.size(), 3u);
  EXPECT_EQ(mesh.Vertices[1].y, 5.0f);
  EXPECT_EQ(mesh.Vertices[3].x, 0.0f);
  EXPECT_EQ(mesh.TexCoords[0].v, 0.25f);

  mesh.Clear();
  EXPECT_EQ(mesh.VertexCount, 0);
  EXPECT_EQ(mesh.FaceCount, 0);
  EXPECT_TRUE(mesh.Vertices.empty() && mesh.Faces.empty() && mesh.TexCoords.empty());
}

TEST(Normals, CounterClockwiseTriangleFacesTheViewer) {
  ExpectNear(TriangleNormal(MakeTriangle(MakeVector(0, 0, 0), MakeVector(1, 0, 0), MakeVector(0, 1, 0))),
             MakeVector(0, 0, 1), 0);
}

TEST(Normals, SharedVertexTiltsTowardsTheLargerFace) {
  TMeshDataN mesh;
  // Vertex 0 is shared by a large face in the XY plane (normal +Z, area 8)
  // and a small one in the YZ plane (normal +X, area 0.5).
  mesh.AddVertex(MakeVector(0, 0, 0), {});
  mesh.AddVertex(MakeVector(4, 0, 0), {});
  mesh.AddVertex(MakeVector(0, 4, 0), {});
  mesh.AddVertex(MakeVector(0, 1, 0), {});
  mesh.AddVertex(MakeVector(0, 0, 1), {});
  mesh.AddVertex(MakeVector(9, 9, 9), {});  // used by no face
  mesh.AddFace(MakeFace(0, 1, 2));
  mesh.AddFace(MakeFace(0, 3, 4));
  mesh.CalcNormals();
  const float length = std::sqrt(16.0f * 16.0f + 1.0f);
  ExpectNear(mesh.Normals[0], MakeVector(1 / length, 0, 16 / length));
  ExpectNear(mesh.Normals[1], MakeVector(0, 0, 1));
  ExpectNear(mesh.Normals[3], MakeVector(1, 0, 0));
  ExpectNear(mesh.Normals[5], MakeVector(0, 0, 0), 0);
}

TEST(Normals, UpdateNormalsGivesExactlyTheFullCalculation) {
  TMeshDataN full, updated;
  const T3DSObjectBytes grid = GridObject("grid", 12, 9);
  FillFromObject(full, grid);
  FillFromObject(updated, grid);
  // Deform both the same way, then a stale normal set must be overwritten.
  for (TMeshDataN* mesh : {&full, &updated}) {
    for (int32_t i = 0; i < mesh->VertexCount; ++i) mesh->Vertices[i].y += float(i % 7) * 0.37f;
  }
  updated.Normals.assign(updated.Normals.size(), MakeVector(5, 5, 5));
  full.CalcNormals();
  updated.UpdateNormals();
  ASSERT_EQ(full.VertexCount, 108);
  for (int32_t i = 0; i < full.VertexCount; ++i) {
    EXPECT_EQ(full.Normals[i].x, updated.Normals[i].x) << i;
    EXPECT_EQ(full.Normals[i].y, updated.Normals[i].y) << i;
    EXPECT_EQ(full.Normals[i].z, updated.Normals[i].z) << i;
    const TVector perVertex = full.VertexNormal(i);
    EXPECT_EQ(perVertex.x, full.Normals[i].x) << i;
    EXPECT_EQ(perVertex.y, full.Normals[i].y) << i;
    EXPECT_EQ(perVertex.z, full.Normals[i].z) << i;
  }
}

TEST(Normals, FacesReachingPastTheVerticesAreLeftOut) {
  TMeshDataN mesh;
  mesh.SetSize(3, 2);  // faces still (0, 0, 0): degenerate, in range
  mesh.Vertices = {MakeVector(0, 0, 0), MakeVector(1, 0, 0), MakeVector(0, 1, 0)};
  mesh.Faces = {MakeFace(0, 1, 2), MakeFace(0, 1, 7)};
  mesh.CalcNormals();
  ExpectNear(mesh.Normals[0], MakeVector(0, 0, 1));
  EXPECT_EQ(mesh.VertexNormal(0).z, mesh.Normals[0].z);
  TMeshDataN empty;
  empty.SetSize(0, 4);  // sized before any vertex exists
  EXPECT_EQ(empty.Normals.size(), 0u);
}

TEST(Mesh, RotateAndScaleMoveOnlyCountedPositionsAndLeaveNormals) {
  TMeshDataN mesh;
  mesh.AddVertex(MakeVector(0, 0, 1), {});
  mesh.AddVertex(MakeVector(0, 1, 0), {});
  mesh.AddVertex(MakeVector(0, 0, 1), {});
  mesh.AddFace(MakeFace(0, 1, 2));
  mesh.Normals = {MakeVector(0.5f, 0, 0), MakeVector(0, 0.5f, 0), MakeVector(0, 0, 0.5f)};
  mesh.VertexCount = 2;  // the third entry lies beyond the count and stays put

  mesh.Rotate(MakeVector(270, 0, 0));
  ExpectNear(mesh.Vertices[0], MakeVector(0, 1, 0));
  ExpectNear(mesh.Vertices[1], MakeVector(0, 0, -1));
  mesh.Scale(MakeVector(0.6f, 0.6f, 2));
  ExpectNear(mesh.Vertices[0], MakeVector(0, 0.6f, 0));
  ExpectNear(mesh.Vertices[1], MakeVector(0, 0, -2));
  ExpectNear(mesh.Vertices[2], MakeVector(0, 0, 1), 0);
  ExpectNear(mesh.Normals[1], MakeVector(0, 0.5f, 0), 0);
}

TEST(MeshDrawing, DrawAndRenderSendCornersInFaceOrderWithTheirCoordinates) {
  PrepareModelsGL();
  TMeshDataNM mesh;
  FillTwoTriangles(mesh);
  mesh.CalcNormals();
  TMeshData plain;
  FillTwoTriangles(plain);
  glColor4f(0.25f, 0.5f, 0.75f, 1);
  const std::function<void()> draws[] = {[&] { plain.Draw(); }, [&] { mesh.TMeshDataN::Draw(); },
                                         [&] { mesh.Render(); }};
  for (const auto& draw : draws) {
    const std::vector<TFedTriangle> sent = CaptureTriangles(draw);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NEAR(sent[0][0].x, 4, 1e-3);
    EXPECT_NEAR(sent[0][0].y, 20, 1e-3);
    EXPECT_EQ(sent[0][0].s, 0.25f);
    EXPECT_NEAR(sent[0][1].x, 4, 1e-3);
    EXPECT_EQ(sent[0][1].t, 0.5f);
    EXPECT_NEAR(sent[0][2].x, 20, 1e-3);
    EXPECT_NEAR(sent[1][0].x, 30, 1e-3);
    EXPECT_NEAR(sent[1][1].x, 4, 1e-3);
    EXPECT_NEAR(sent[1][2].x, 60, 1e-3);
    EXPECT_EQ(sent[1][2].s, 0.75f);
    // No draw operation chooses a colour of its own.
    EXPECT_FLOAT_EQ(sent[1][2].g, 0.5f);
  }
  GLfloat normal[3];
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  EXPECT_EQ(normal[2], 1.0f);  // faces in the XY plane, wound counter-clockwise
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(MeshDrawing, EmptyMeshesSendNothing) {
  PrepareModelsGL();
  TMeshData plain;
  TMeshDataN withNormals;
  EXPECT_TRUE(CaptureTriangles([&] { plain.Draw(); }).empty());
  EXPECT_TRUE(CaptureTriangles([&] { withNormals.Draw(); }).empty());
  EXPECT_TRUE(CaptureTriangles([&] { withNormals.Render(); }).empty());
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(MeshDrawing, MaterialMeshAppliesItsMaterialFirst) {
  PrepareModelsGL();
  TMeshDataNM mesh;
  FillTwoTriangles(mesh);
  mesh.Material->Mode = 0;
  mesh.Material->Color = MakeColor(1, 0, 0, 1);
  glColor4f(0, 0, 1, 1);
  const std::vector<TFedTriangle> sent = CaptureTriangles([&] { mesh.Draw(); });
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0][0].r, 1.0f);
  EXPECT_EQ(sent[0][0].b, 0.0f);
}

namespace {

// A brush of two meshes, each one triangle, with plain colour materials.
void FillTwoMeshBrush(TAmbBrush& brush) {
  const TColorRGBA colors[] = {MakeColor(1, 0, 0, 1), MakeColor(0, 1, 0, 1)};
  for (int m = 0; m < 2; ++m) {
    auto mesh = std::make_unique<TMeshDataNM>();
    const float x = 10.0f + 30.0f * float(m);
    mesh->AddVertex(MakeVector(x, 10, 0), {});
    mesh->AddVertex(MakeVector(x + 20, 10, 0), {});
    mesh->AddVertex(MakeVector(x, 30, 0), {});
    mesh->AddFace(MakeFace(0, 1, 2));
    mesh->CalcNormals();
    mesh->Material->Color = colors[m];
    brush.Meshes.push_back(std::move(mesh));
  }
  brush.MeshCount = 2;
}

}  // namespace

TEST(BrushDrawing, DrawMeshesAppliesEachMaterialBeforeItsMesh) {
  PrepareModelsGL();
  TAmbBrush brush;
  FillTwoMeshBrush(brush);
  const std::vector<TFedTriangle> sent = CaptureTriangles([&] { brush.DrawMeshes(); });
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NEAR(sent[0][0].x, 10, 1e-3);
  EXPECT_EQ(sent[0][0].r, 1.0f);
  EXPECT_EQ(sent[0][0].g, 0.0f);
  EXPECT_NEAR(sent[1][0].x, 40, 1e-3);
  EXPECT_EQ(sent[1][0].r, 0.0f);
  EXPECT_EQ(sent[1][0].g, 1.0f);
}

TEST(BrushDrawing, CompiledListDrawsNothingWhileRecordingAndReplaysTheMeshes) {
  PrepareModelsGL();
  TAmbBrush brush;
  FillTwoMeshBrush(brush);
  EXPECT_TRUE(CaptureTriangles([&] { brush.CompileList(); }).empty());
  ASSERT_NE(brush.ListID, 0u);
  EXPECT_TRUE(glIsList(brush.ListID));
  brush.Meshes[0]->Material->Color = MakeColor(0, 0, 1, 1);  // the list keeps what was recorded
  const std::vector<TFedTriangle> sent = CaptureTriangles([&] { glCallList(brush.ListID); });
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0][0].r, 1.0f);
  EXPECT_EQ(sent[1][0].g, 1.0f);
}
