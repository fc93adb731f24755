// The scene model: the triangle-mesh classes, brushes (static models made of
// meshes) and animated brushes, and the readers of the engine's own brush
// files (.abr, .aab). The value records they are made of are Amb2Records'.
//
// State: none of its own; brushes own their meshes, meshes their materials.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Amb2Records.h"

class Material;

// ---- meshes ----------------------------------------------------------------

class TMeshData {
 public:
  std::vector<TVector> Vertices;
  std::vector<TFace> Faces;
  std::vector<TTexCoord> TexCoords;
  int32_t VertexCount = 0;
  int32_t FaceCount = 0;
  std::string Name;

  // Virtual slots, in their historic order: AddVertex, Create, Destroy, Draw, SetSize.
  virtual int32_t AddVertex(const TVector& v, const TTexCoord& uv);
  virtual std::unique_ptr<TMeshData> Create() const;  // a new empty mesh of the same class
  virtual ~TMeshData();
  virtual void Draw();
  virtual void SetSize(int32_t vertexCount, int32_t faceCount);

  TMeshData() = default;
  TMeshData(const TMeshData&) = delete;
  TMeshData& operator=(const TMeshData&) = delete;

  void AddFace(const TFace& f);
  void Clear();
  TTriangle GetTriangle(int32_t i) const;
  bool FaceInRange(int32_t i) const;
  void Rotate(const TVector& angles);
  void Scale(const TVector& factors);
};

class TMeshDataN : public TMeshData {
 public:
  std::vector<TVector> Normals;

  int32_t AddVertex(const TVector& v, const TTexCoord& uv) override;
  std::unique_ptr<TMeshData> Create() const override;
  ~TMeshDataN() override;
  void Draw() override;
  void SetSize(int32_t vertexCount, int32_t faceCount) override;

  void CalcNormals();
  TVector VertexNormal(int32_t i) const;
  void UpdateNormals();
  void Render() const;
};

// A mesh of vertexCount vertices, to be written by its owner every frame,
// with the faces and mapping coordinates of `source` as far as they reach.
std::unique_ptr<TMeshDataN> WorkingMeshLike(const TMeshData& source, int32_t vertexCount);

class TMeshDataNM : public TMeshDataN {
 public:
  std::unique_ptr<::Material> Material;

  TMeshDataNM();
  std::unique_ptr<TMeshData> Create() const override;
  ~TMeshDataNM() override;
  void Draw() override;
};

// ---- brushes ---------------------------------------------------------------

class TAmbBrush {
 public:
  uint32_t ListID = 0;
  std::vector<std::unique_ptr<TMeshDataNM>> Meshes;
  int32_t MeshCount = 0;

  TAmbBrush() = default;
  virtual ~TAmbBrush();
  TAmbBrush(const TAmbBrush&) = delete;
  TAmbBrush& operator=(const TAmbBrush&) = delete;

  void LoadFromFile(const std::string& fileName);
  void Rotate(const TVector& angles);
  void Scale(const TVector& factors);
  void DrawMeshes();
  void CompileList();
  void LoadTextures();
};

// ---- animated meshes and brushes -------------------------------------------

using TVertexFrame = std::vector<TVector>;

class TAmbAniMesh {
 public:
  std::vector<TVertexFrame> VertexFrames;
  std::vector<TVertexFrame> NormalFrames;
  std::vector<TFace> Faces;
  std::vector<TTexCoord> TexCoords;
  int32_t VertexCount = 0;
  int32_t FrameCount = 0;
  int32_t FaceCount = 0;
  std::unique_ptr<::Material> Material;

  TAmbAniMesh();
  ~TAmbAniMesh();
  void SetSize(int32_t vertexCount, int32_t faceCount, int32_t frameCount);
  void Rotate(const TVector& angles);
  void Scale(float factor);
};

struct TAniKey {
  uint32_t KeyWord0 = 0, KeyWord1 = 0, KeyWord2 = 0;
};
struct TAnimation {
  std::array<TAniKey, 11> Keys{};
  uint32_t CurrentKey = 0;
  uint32_t Reserved = 0;
};
static_assert(sizeof(TAnimation) == 140);
constexpr int AnimationCount = 21;

class TAmbAniBrush {
 public:
  std::vector<std::unique_ptr<TAmbAniMesh>> Meshes;
  int32_t MeshCount = 0;
  std::array<TAnimation, AnimationCount> Animations{};
  int32_t CurrentAnimation = 0;
  bool Enabled = false;
  uint32_t KeyWord0 = 0, KeyWord1 = 0, KeyCounter = 0, KeyWord2 = 0;

  void LoadFromFile(const std::string& fileName);
  void Rotate(const TVector& angles);
  void Scale(float factor);
  void SetAnimation(int32_t index);
};

// ---- brush file readers (pure: bytes in, meshes out) -----------------------
// Each throws EFileError naming the file and the fault for malformed input.

struct TBrushFileMesh {
  std::string MaterialFile;
  std::vector<TVector> Vertices;
  std::vector<TTexCoord> TexCoords;
  std::vector<TFace> Faces;
};
std::vector<TBrushFileMesh> ParseBrushFile(const uint8_t* data, size_t size, const std::string& fileName);

struct TAniFileMesh {
  int32_t VertexCount = 0;
  std::vector<TVertexFrame> VertexFrames, NormalFrames;
  std::vector<TTexCoord> TexCoords;
  std::vector<TFace> Faces;
  std::string MaterialFile;
};
struct TAniFile {
  std::vector<TAniFileMesh> Meshes;
  std::array<TAnimation, AnimationCount> Animations{};
};
TAniFile ParseAniBrushFile(const uint8_t* data, size_t size, const std::string& fileName);
