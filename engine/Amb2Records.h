// The plain value records of the scene model (vector, colour, texture
// coordinate, face, triangle) with their functions; the meshes, the
// materials and the file readers and writers are all made of them.
//
// State: none.
#pragma once

#include <cstdint>

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
