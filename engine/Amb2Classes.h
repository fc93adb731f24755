// The scene model: the plain value records (vector, colour, texture
// coordinate, face, triangle) with their functions, the triangle-mesh
// classes, brushes (static models made of meshes) and animated brushes, and
// the readers of the engine's own brush files (.abr, .aab).
//
// State: none of its own; brushes own their meshes, meshes their materials.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Material;

// ---- value records -------------------------------------------------------

struct TVector {
  float x = 0, y = 0, z = 0;
};
struct TColorRGBA {
  float r = 0, g = 0, b = 0, a = 0;
};
struct TTexCoord {
  float u = 0, v = 0;
};
struct TFace {
  uint32_t a = 0, b = 0, c = 0;
};
struct TTriangle {
  TVector p0, p1, p2;
};
static_assert(sizeof(TVector) == 12 && sizeof(TColorRGBA) == 16 && sizeof(TTexCoord) == 8);
static_assert(sizeof(TFace) == 12 && sizeof(TTriangle) == 36);

TVector MakeVector(float x, float y, float z);
TColorRGBA MakeColor(float r, float g, float b, float a);
TTexCoord MakeTexCoord(float u, float v);
TFace MakeFace(uint32_t a, uint32_t b, uint32_t c);
TTriangle MakeTriangle(const TVector& p0, const TVector& p1, const TVector& p2);

float VectorDistance(const TVector& a, const TVector& b);
TVector VectorScale(const TVector& v, float s);
TVector VectorSub(const TVector& a, const TVector& b);  // b - a
TVector VectorNegate(const TVector& v);
TVector VectorCross(const TVector& a, const TVector& b);
TVector TriangleNormal(const TTriangle& t);
void Normalize(TVector& v);  // a zero vector stays zero
float AngleToRad(float degrees);
void RotateVector(TVector& v, const TVector& angles);  // X, then Y, then Z

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
