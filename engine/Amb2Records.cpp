// The value-record functions: constructors, vector arithmetic and rotation.
#include "Amb2Records.h"

#include <cmath>

TVector MakeVector(float x, float y, float z) { return TVector{x, y, z}; }
TColorRGBA MakeColor(float r, float g, float b, float a) { return TColorRGBA{r, g, b, a}; }
TTexCoord MakeTexCoord(float u, float v) { return TTexCoord{u, v}; }
TFace MakeFace(uint32_t a, uint32_t b, uint32_t c) { return TFace{a, b, c}; }
TTriangle MakeTriangle(const TVector& p0, const TVector& p1, const TVector& p2) { return TTriangle{p0, p1, p2}; }

float VectorDistance(const TVector& a, const TVector& b) {
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
  const float h = float(std::sqrt(dx * dx + dz * dz));
  const float d = float(std::sqrt(dy * dy + double(h) * h));
  return std::fabs(d);
}

TVector VectorScale(const TVector& v, float s) { return TVector{v.x * s, v.y * s, v.z * s}; }

TVector VectorSub(const TVector& a, const TVector& b) { return TVector{b.x - a.x, b.y - a.y, b.z - a.z}; }

TVector VectorNegate(const TVector& v) { return TVector{-v.x, -v.y, -v.z}; }

TVector VectorCross(const TVector& a, const TVector& b) {
  return TVector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// (p1 - p0) x (p2 - p0): a counter-clockwise face points towards the viewer.
TVector TriangleNormal(const TTriangle& t) { return VectorCross(VectorSub(t.p0, t.p1), VectorSub(t.p0, t.p2)); }

void Normalize(TVector& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  // A vertex that no face (or only degenerate faces) uses keeps a zero normal
  // instead of turning into NaNs that would poison the lighting.
  if (length == 0.0f || !std::isfinite(length)) return;
  v.x /= length;
  v.y /= length;
  v.z /= length;
}

float AngleToRad(float degrees) { return float(double(degrees) / 360.0 * 6.283185307179586); }

void RotateVector(TVector& v, const TVector& angles) {
  double x = v.x, y = v.y, z = v.z;
  double t = AngleToRad(angles.x);
  double ny = y * std::cos(t) - z * std::sin(t);
  double nz = y * std::sin(t) + z * std::cos(t);
  y = ny;
  z = nz;
  // The Y turn takes +X towards +Z, the opposite sense of the other two.
  t = AngleToRad(angles.y);
  double nx = x * std::cos(t) - z * std::sin(t);
  nz = x * std::sin(t) + z * std::cos(t);
  x = nx;
  z = nz;
  t = AngleToRad(angles.z);
  nx = x * std::cos(t) - y * std::sin(t);
  ny = x * std::sin(t) + y * std::cos(t);
  v = TVector{float(nx), float(ny), float(z)};
}
