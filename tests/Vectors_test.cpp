// The vector functions: direction of the subtraction, distance, normals,
// normalisation and the rotation order and senses.
#include <gtest/gtest.h>

#include <cmath>

#include "Amb2Classes.h"

namespace {

void ExpectVector(const TVector& v, float x, float y, float z, float tolerance = 1e-6f) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

TEST(Vectors, SubtractionGoesFromTheFirstToTheSecond) {
  ExpectVector(VectorSub(MakeVector(1, 2, 3), MakeVector(4, 6, 8)), 3, 4, 5);
  ExpectVector(VectorNegate(MakeVector(1, -2, 3)), -1, 2, -3);
  ExpectVector(VectorScale(MakeVector(1, -2, 3), 2.5f), 2.5f, -5, 7.5f);
}

TEST(Vectors, DistanceIsSymmetric) {
  EXPECT_FLOAT_EQ(VectorDistance(MakeVector(0, 0, 0), MakeVector(3, 4, 0)), 5.0f);
  const TVector a = MakeVector(1.5f, -7, 2), b = MakeVector(-3, 4, 9.25f);
  EXPECT_EQ(VectorDistance(a, b), VectorDistance(b, a));
  EXPECT_NEAR(VectorDistance(a, b), std::sqrt(4.5 * 4.5 + 11 * 11 + 7.25 * 7.25), 1e-5);
}

TEST(Vectors, CrossAndTriangleNormal) {
  ExpectVector(VectorCross(MakeVector(1, 0, 0), MakeVector(0, 1, 0)), 0, 0, 1);
  ExpectVector(TriangleNormal(MakeTriangle(MakeVector(0, 0, 0), MakeVector(1, 0, 0), MakeVector(0, 1, 0))), 0, 0, 1);
  // Not normalised: twice the area.
  ExpectVector(TriangleNormal(MakeTriangle(MakeVector(1, 1, 1), MakeVector(1, 1, 3), MakeVector(1, 4, 1))), -6, 0, 0);
}

TEST(Vectors, NormalizeKeepsZeroVectorsFinite) {
  TVector v = MakeVector(3, 0, 4);
  Normalize(v);
  ExpectVector(v, 0.6f, 0, 0.8f);
  TVector zero = MakeVector(0, 0, 0);
  Normalize(zero);
  ExpectVector(zero, 0, 0, 0, 0);
}

TEST(Vectors, RotationTurnsXThenYThenZ) {
  EXPECT_NEAR(AngleToRad(180), 3.14159265f, 1e-6f);
  TVector v = MakeVector(0, 1, 0);
  RotateVector(v, MakeVector(90, 0, 0));
  ExpectVector(v, 0, 0, 1);
  v = MakeVector(1, 0, 0);
  RotateVector(v, MakeVector(0, 90, 0));
  ExpectVector(v, 0, 0, 1);  // +X towards +Z
  v = MakeVector(1, 0, 0);
  RotateVector(v, MakeVector(0, 0, 90));
  ExpectVector(v, 0, 1, 0);
  // X first: (0,1,0) goes to +Z, then the Y turn takes +Z to -X.
  v = MakeVector(0, 1, 0);
  RotateVector(v, MakeVector(90, 90, 0));
  ExpectVector(v, -1, 0, 0);
}

}  // namespace
