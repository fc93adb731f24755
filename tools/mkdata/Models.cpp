// Model shapes; see Models.h. Most shapes are surfaces of revolution about
// the Z axis (lathes), tubes swept along a path, or parametric grids; the
// helpers below build those, and each model function reads as the list of
// its parts with their sizes.
#include "Models.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Cosine and sine of u full turns, exact at u = 1 so that the two seam
// columns of a closed grid land on the same positions.
double TurnCos(double u) { return u >= 1 ? 1.0 : std::cos(2 * Pi * u); }
double TurnSin(double u) { return u >= 1 ? 0.0 : std::sin(2 * Pi * u); }
// sin(pi v), exactly 0 at both poles so that their vertices coincide.
double PoleSin(double v) { return (v <= 0 || v >= 1) ? 0.0 : std::sin(Pi * v); }

// ---- mesh building -------------------------------------------------------------

uint32_t AddVertex(T3DSMesh& m, double x, double y, double z, double u, double v) {
  m.Vertices.push_back(TVector{float(x), float(y), float(z)});
  m.TexCoords.push_back(TTexCoord{float(u), float(v)});
  return uint32_t(m.Vertices.size() - 1);
}

bool SamePosition(const T3DSMesh& m, uint32_t a, uint32_t b) {
  const TVector& p = m.Vertices[a];
  const TVector& q = m.Vertices[b];
  return p.x == q.x && p.y == q.y && p.z == q.z;
}

// Quad a, b, c, d counter-clockwise seen from outside; a side that collapses
// to a point (a pole) leaves one triangle instead of a degenerate one.
void AddQuad(T3DSMesh& m, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  if (!SamePosition(m, a, b)) m.Faces.push_back(TFace{a, b, c});
  if (!SamePosition(m, c, d)) m.Faces.push_back(TFace{a, c, d});
}

struct TPoint {
  double x = 0, y = 0, z = 0;
};

using TSurface = std::function<TPoint(double u, double v)>;

// A grid of (cols + 1) x (rows + 1) vertices over u, v in [0, 1]; the front
// is the side that dP/du x dP/dv points to. Mapping coordinates are u and v
// times the repeats.
void AddGrid(T3DSMesh& m, int cols, int rows, const TSurface& surface, double uRepeat = 1, double vRepeat = 1) {
  const uint32_t first = uint32_t(m.Vertices.size());
  for (int j = 0; j <= rows; ++j)
    for (int i = 0; i <= cols; ++i) {
      const double u = double(i) / cols, v = double(j) / rows;
      const TPoint p = surface(u, v);
      AddVertex(m, p.x, p.y, p.z, u * uRepeat, v * vRepeat);
    }
  const auto at = [&](int i, int j) { return first + uint32_t(j * (cols + 1) + i); };
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < cols; ++i) AddQuad(m, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
}

struct TProfilePoint {
  double r = 0, z = 0;
};

// The point at arc-length fraction v of a polyline profile.
TProfilePoint ProfileAt(const std::vector<TProfilePoint>& profile, double v) {
  std::vector<double> length(profile.size(), 0.0);
  for (size_t i = 1; i < profile.size(); ++i)
    length[i] = length[i - 1] + std::hypot(profile[i].r - profile[i - 1].r, profile[i].z - profile[i - 1].z);
  const double target = v * length.back();
  size_t i = 1;
  while (i + 1 < profile.size() && length[i] < target) ++i;
  const double span = length[i] - length[i - 1];
  const double t = span > 0 ? (target - length[i - 1]) / span : 0.0;
  return TProfilePoint{profile[i - 1].r + (profile[i].r - profile[i - 1].r) * t,
                       profile[i - 1].z + (profile[i].z - profile[i - 1].z) * t};
}

// A surface of revolution about the Z axis. The profile runs in the (r, z)
// half-plane with the outside of the surface on the right of its direction
// (up the outer wall, inwards over a top).
void AddLathe(T3DSMesh& m, const std::vector<TProfilePoint>& profile, int segments, int rows, double uRepeat = 1) {
  AddGrid(
      m, segments, rows,
      [&](double u, double v) {
        const TProfilePoint p = ProfileAt(profile, v);
        const double r = p.r <= 0 ? 0.0 : p.r;
        return TPoint{r * TurnCos(u), r * TurnSin(u), p.z};
      },
      uRepeat, 1);
}

// A sphere of radius r around c, poles on the Z axis.
void AddSphere(T3DSMesh& m, const TPoint& c, double r, int slices, int stacks) {
  AddGrid(m, slices, stacks, [&](double u, double v) {
    return TPoint{c.x + r * PoleSin(v) * TurnCos(u), c.y + r * PoleSin(v) * TurnSin(u), c.z - r * std::cos(Pi * v)};
  });
}

TPoint Sub(const TPoint& a, const TPoint& b) { return TPoint{a.x - b.x, a.y - b.y, a.z - b.z}; }
TPoint Cross(const TPoint& a, const TPoint& b) {
  return TPoint{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
TPoint Unit(const TPoint& a) {
  const double l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return TPoint{a.x / l, a.y / l, a.z / l};
}

// A straight tube of radius r from a to b (open ends).
void AddTube(T3DSMesh& m, const TPoint& a, const TPoint& b, double r, int sides, int rings) {
  const TPoint d = Unit(Sub(b, a));
  const TPoint helper = std::fabs(d.z) < 0.9 ? TPoint{0, 0, 1} : TPoint{1, 0, 0};
  const TPoint e1 = Unit(Cross(d, helper));
  const TPoint e2 = Cross(d, e1);
  AddGrid(m, sides, rings, [&](double u, double v) {
    const double c = r * TurnCos(u), s = r * TurnSin(u);
    return TPoint{a.x + (b.x - a.x) * v + e1.x * c + e2.x * s, a.y + (b.y - a.y) * v + e1.y * c + e2.y * s,
                  a.z + (b.z - a.z) * v + e1.z * c + e2.z * s};
  });
}

// A tube of radius r swept along path(v), v in [0, 1], with a frame carried
// along from the first tangent (good enough for the gentle curves here).
void AddSweep(T3DSMesh& m, const std::function<TPoint(double)>& path, double r, int sides, int rings,
              double vRepeat = 1) {
  std::vector<TPoint> centre, e1, e2;
  TPoint normal{0, 0, 1};
  for (int j = 0; j <= rings; ++j) {
    const double v = double(j) / rings, h = 1e-4;
    const TPoint d = Unit(Sub(path(std::min(1.0, v + h)), path(std::max(0.0, v - h))));
    if (std::fabs(d.x * normal.x + d.y * normal.y + d.z * normal.z) > 0.95) normal = TPoint{1, 0, 0};
    const TPoint side = Unit(Cross(d, normal));
    normal = Cross(side, d);
    centre.push_back(path(v));
    e1.push_back(side);
    e2.push_back(normal);
  }
  AddGrid(
      m, sides, rings,
      [&](double u, double v) {
        const size_t j = size_t(std::lround(v * rings));
        const double c = r * TurnCos(u), s = -r * TurnSin(u);
        return TPoint{centre[j].x + e1[j].x * c + e2[j].x * s, centre[j].y + e1[j].y * c + e2[j].y * s,
                      centre[j].z + e1[j].z * c + e2[j].z * s};
      },
      1, vRepeat);
}

// Turns every vertex of the mesh by Euler angles in degrees (X, then Y, then
// Z, the engine's own convention), keeping the faces' winding.
void Turn(T3DSMesh& m, const TVector& angles) {
  for (TVector& v : m.Vertices) RotateVector(v, angles);
}

void Flip(T3DSMesh& m) {
  for (TFace& f : m.Faces) std::swap(f.b, f.c);
}

T3DSMesh NamedMesh(const std::string& name) {
  T3DSMesh m;
  m.Name = name;
  return m;
}

// A small fixed-seed generator (xorshift32): values in [0, 1), the same
// sequence on every run and every machine.
class TRandom {
 public:
  explicit TRandom(uint32_t seed) : state_(seed) {}
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return double(state_ >> 8) / 16777216.0;
  }

 private:
  uint32_t state_;
};

}  // namespace

// ---- fountain ----------------------------------------------------------------

namespace {

// The fountain is designed in the scene's units (Y-up, after the 0.6 scale)
// and stored in file units: divide by 0.6, scene height becomes file Z.
constexpr double FountainScale = 1.0 / 0.6;

std::vector<TProfilePoint> FountainProfile(std::vector<TProfilePoint> sceneUnits) {
  for (TProfilePoint& p : sceneUnits) p = TProfilePoint{p.r * FountainScale, p.z * FountainScale};
  return sceneUnits;
}

// A bowl of radius r whose rim is at height top: underside out from the
// axis, over the rim, inside back to the axis.
std::vector<TProfilePoint> BowlProfile(double r, double top, double depth) {
  return {{0, top - depth},
                          {r * 0.45, top - depth * 0.9},
                          {r * 0.8, top - depth * 0.55},
                          {r, top - 1.5},
                          {r + 1.5, top},
                          {r - 2, top + 0.8},
                          {r * 0.8, top - depth * 0.4},
                          {r * 0.45, top - depth * 0.72},
          {0, top - depth * 0.8}};
}

T3DSMesh FountainLathe(const std::string& name, const std::vector<TProfilePoint>& sceneProfile, int segments,
                       int rows) {
  T3DSMesh m = NamedMesh(name);
  AddLathe(m, FountainProfile(sceneProfile), segments, rows);
  return m;
}

// Flat disc at height z with planar mapping, facing up.
T3DSMesh WaterDisc(const std::string& name, double radius, double z) {
  T3DSMesh m = NamedMesh(name);
  const double r = radius * FountainScale, h = z * FountainScale;
  AddGrid(m, 48, 8, [&](double u, double v) {
    const double rr = r * v;
    return TPoint{rr * TurnCos(u), rr * TurnSin(u), h};
  });
  for (size_t i = 0; i < m.Vertices.size(); ++i)
    m.TexCoords[i] = TTexCoord{float(0.5 + m.Vertices[i].x / (2 * r)), float(0.5 + m.Vertices[i].y / (2 * r))};
  Flip(m);  // the grid above runs outwards, so its front faced down
  return m;
}

}  // namespace

TModel MakeFountain() {
  TModel model;
  model.push_back(FountainLathe(
      "Basin", {{186, -124}, {186, -99}, {184, -95}, {178, -93.5}, {172, -95}, {170, -99}, {170, -121}, {0, -121}},
      64, 24));
  T3DSMesh ground = NamedMesh("Ground");
  const double g = 330 * FountainScale, gz = -136 * FountainScale;
  AddGrid(ground, 8, 8, [&](double u, double v) { return TPoint{(u - 0.5) * 2 * g, (v - 0.5) * 2 * g, gz}; });
  model.push_back(ground);
  model.push_back(FountainLathe("Column",
                                {{30, -121}, {30, -116}, {24, -112}, {16, -104}, {13, -90}, {18, -80}, {13, -70},
                                 {10, -56}, {13, -46}, {9, -40}, {7, -26}, {9, -20}, {6, -14}, {0, -14}},
                                32, 40));
  model.push_back(FountainLathe("TierLow", BowlProfile(112, -66, 16), 64, 24));
  model.push_back(FountainLathe("TierMid", BowlProfile(74, -40, 12), 56, 20));
  model.push_back(FountainLathe("TierTop", BowlProfile(40, -19, 8), 48, 18));
  model.push_back(FountainLathe(
      "Crown", {{0, -16}, {9, -15}, {12, -12}, {10, -9}, {6, -7.5}, {4, -6}, {0, -6}}, 32, 14));
  model.push_back(FountainLathe(
      "Plinth", {{0, -140}, {212, -140}, {212, -133}, {200, -133}, {200, -126}, {190, -126}, {190, -123}, {0, -123}},
      64, 16));
  model.push_back(FountainLathe("Spout", {{0, -7}, {3, -7}, {3, -2}, {4.5, -0.5}, {4.5, 0}, {2, 0}, {1.5, -1}, {0, -1}},
                                24, 10));
  model.push_back(WaterDisc("Water", 170, -106));
  return model;
}

// ---- the word shape ----------------------------------------------------------------

namespace {

struct TStroke {
  double x0, z0, x1, z1;
};

// Strokes of the five letters in a 40 x 64 cell, left to right.
const std::vector<std::vector<TStroke>>& WordLetters() {
  static const std::vector<std::vector<TStroke>> letters = {
      {{0, 64, 40, 64}, {20, 64, 20, 0}},
      {{0, 0, 20, 64}, {20, 64, 40, 0}, {8, 24, 32, 24}},
      {{0, 64, 20, 0}, {20, 0, 40, 64}},
      {{20, 0, 20, 64}, {10, 0, 30, 0}, {10, 64, 30, 64}},
      {{0, 0, 40, 64}, {0, 64, 40, 0}},
  };
  return letters;
}

}  // namespace

TModel MakeWordShape() {
  T3DSMesh m = NamedMesh("Tavix");
  const double cell = 40, gap = 12, height = 64, ringSpacing = 2.0;
  const double left = -(5 * cell + 4 * gap) / 2;
  for (size_t i = 0; i < WordLetters().size(); ++i) {
    const double x = left + double(i) * (cell + gap);
    for (const TStroke& s : WordLetters()[i]) {
      const double length = std::hypot(s.x1 - s.x0, s.z1 - s.z0);
      const int rings = std::max(2, int(std::lround(length / ringSpacing)));
      AddTube(m, TPoint{x + s.x0, 0, s.z0 - height / 2}, TPoint{x + s.x1, 0, s.z1 - height / 2}, 3.5, 8, rings);
    }
  }
  return {m};
}

// ---- atom ----------------------------------------------------------------------------

TModel MakeAtom() {
  TModel model;
  T3DSMesh nucleus = NamedMesh("Nucleus");
  AddSphere(nucleus, TPoint{0, 0, 0}, 26, 16, 10);
  // Twelve nucleons on the corners of an icosahedron around the middle one.
  const double g = (1 + std::sqrt(5.0)) / 2, s = 36 / std::sqrt(1 + g * g);
  const double corners[12][3] = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0}, {0, -1, g}, {0, 1, g},
                                 {0, -1, -g}, {0, 1, -g}, {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
  for (const auto& c : corners) AddSphere(nucleus, TPoint{c[0] * s, c[1] * s, c[2] * s}, 24, 16, 10);
  model.push_back(nucleus);

  const TVector planes[5] = {{0, 0, 0}, {60, 20, 0}, {-55, 35, 0}, {90, 70, 0}, {30, -60, 0}};
  TModel companions;
  for (int k = 1; k <= 5; ++k) {
    const double radius = 100 + 50 * k;
    T3DSMesh ring = NamedMesh("Ring" + std::to_string(k));
    AddLathe(ring, {{radius + 6, 0}, {radius, 6}, {radius - 6, 0}, {radius, -6}, {radius + 6, 0}}, 96, 8, 4);
    Turn(ring, planes[k - 1]);
    model.push_back(ring);
    T3DSMesh companion = NamedMesh("Electron" + std::to_string(k));
    const double a = 2 * Pi * k / 5.0;
    AddSphere(companion, TPoint{radius * std::cos(a), radius * std::sin(a), 0}, 16 + 2 * k, 16, 10);
    Turn(companion, planes[k - 1]);
    companions.push_back(companion);
  }
  model.insert(model.end(), companions.begin(), companions.end());
  return model;
}

// ---- ball and slime ------------------------------------------------------------------

namespace {

// A closed surface r(direction) over a sphere grid, poles on Z.
T3DSMesh RadialBody(const std::string& name, int slices, int stacks, const std::function<double(const TPoint&)>& radius) {
  T3DSMesh m = NamedMesh(name);
  AddGrid(m, slices, stacks, [&](double u, double v) {
    const TPoint d{PoleSin(v) * TurnCos(u), PoleSin(v) * TurnSin(u), -std::cos(Pi * v)};
    const double r = radius(d);
    return TPoint{d.x * r, d.y * r, d.z * r};
  });
  return m;
}

}  // namespace

TModel MakeBall() {
  // Soft lobes give the vertices different distances from the centre, so the
  // spring easing (which runs by distance) makes the ball wobble.
  return {RadialBody("Ball", 40, 28, [](const TPoint& d) {
    const double a = std::atan2(d.y, d.x);
    return 150 * (1 + 0.04 * std::cos(4 * a) * (1 - d.z * d.z) + 0.04 * d.z * d.z * d.z);
  })};
}

TModel MakeSlime() {
  struct TLump {
    TPoint Direction;
    double Height, Width;
  };
  TRandom random(0x5111E);
  std::vector<TLump> lumps;
  for (int i = 0; i < 12; ++i) {
    const double z = 2 * random.Next() - 1, a = 2 * Pi * random.Next();
    const double s = std::sqrt(1 - z * z);
    lumps.push_back(TLump{TPoint{s * std::cos(a), s * std::sin(a), z}, 50 + 90 * random.Next(), 0.06 + 0.12 * random.Next()});
  }
  return {RadialBody("Slime", 56, 40, [&](const TPoint& d) {
    double r = 290;
    for (const TLump& l : lumps) {
      const double c = d.x * l.Direction.x + d.y * l.Direction.y + d.z * l.Direction.z;
      r += l.Height * std::exp((c - 1) / l.Width);
    }
    return r;
  })};
}

// ---- planes and terrain --------------------------------------------------------------

TModel MakeFunPlane() {
  T3DSMesh m = NamedMesh("Plane");
  AddGrid(m, 60, 60, [](double u, double v) { return TPoint{(u - 0.5) * 200, (v - 0.5) * 200, 0}; });
  return {m};
}

namespace {

double LandHeight(double x, double y) {
  const double r = std::hypot(x, y);
  double h = 22 * std::sin(x / 170) * std::cos(y / 210) + 18 * std::sin((x + 0.6 * y) / 260);
  const double hills[6][4] = {{420, 310, 95, 150}, {-380, 420, 80, 180}, {-470, -260, 100, 160},
                              {250, -480, 85, 170}, {560, -120, 70, 130}, {-120, 560, 60, 140}};
  for (const auto& hill : hills) {
    const double dx = x - hill[0], dy = y - hill[1];
    h += hill[2] * std::exp(-(dx * dx + dy * dy) / (2 * hill[3] * hill[3]));
  }
  h -= 55 * std::exp(-r * r / (2 * 260.0 * 260.0));  // the hollow in the middle
  return std::min(h, 100.0);
}

}  // namespace

TModel MakeLandscape() {
  T3DSMesh m = NamedMesh("");
  const double half = 667;
  AddGrid(
      m, 30, 30,
      [&](double u, double v) {
        const double x = (u - 0.5) * 2 * half, y = (v - 0.5) * 2 * half;
        return TPoint{x, y, LandHeight(x, y)};
      },
      8, 8);
  return {m};
}

TModel MakeEnvDome() {
  T3DSMesh m = NamedMesh("");
  AddGrid(
      m, 32, 12,
      [](double u, double v) {
        const double b = Pi / 2 * v, ring = v >= 1 ? 0.0 : 1500 * std::cos(b);
        return TPoint{ring * TurnCos(u), ring * TurnSin(u), 1500 * std::sin(b)};
      },
      2, 1);
  Flip(m);  // seen from inside
  return {m};
}

// ---- the unused set-up models ----------------------------------------------------------

namespace {

// Height of the curved sheet at s along x and t along y (both 0..1): three
// cubic Bezier spans side by side that share their end control points, so
// the sheet is continuous, with a soft rise along y.
double NurbHeight(double s, double t) {
  static const double controls[10] = {0, 60, -40, 20, 80, -60, 30, 90, -20, 40};
  const int span = std::min(2, int(s * 3));
  const double w = s * 3 - span;
  const double b[4] = {(1 - w) * (1 - w) * (1 - w), 3 * w * (1 - w) * (1 - w), 3 * w * w * (1 - w), w * w * w};
  double z = 0;
  for (int i = 0; i < 4; ++i) z += b[i] * controls[3 * span + i];
  return z * (0.6 + 0.4 * std::sin(Pi * t));
}

// The sheet's leading edge as a thin ribbon whose first two vertices are
// the sheet's two leading corners (the set-up reads exactly those).
T3DSMesh NurbEdge(int steps) {
  T3DSMesh edge = NamedMesh("Edge");
  const auto x = [&](int i) { return -300 + 600.0 * i / steps; };
  AddVertex(edge, x(0), -100, NurbHeight(0, 0), 0, 0);
  AddVertex(edge, x(steps), -100, NurbHeight(1, 0), 1, 0);
  for (int i = 0; i <= steps; ++i) AddVertex(edge, x(i), -100, NurbHeight(double(i) / steps, 0) + 6, double(i) / steps, 1);
  for (int i = 1; i < steps; ++i) AddVertex(edge, x(i), -100, NurbHeight(double(i) / steps, 0), double(i) / steps, 0);
  const auto low = [&](int i) { return i == 0 ? 0u : i == steps ? 1u : uint32_t(steps + 2 + i); };
  const auto high = [](int i) { return uint32_t(2 + i); };
  for (int i = 0; i < steps; ++i) AddQuad(edge, low(i), low(i + 1), high(i + 1), high(i));
  return edge;
}

}  // namespace

TModel MakeNurbSurface() {
  TModel model;
  for (int p = 0; p < 3; ++p) {
    T3DSMesh patch = NamedMesh("Patch" + std::to_string(p));
    AddGrid(patch, 12, 12, [&](double u, double v) {
      const double s = (p + u) / 3;
      return TPoint{-300 + 600 * s, -100 + 200 * v, NurbHeight(s, v)};
    });
    model.push_back(patch);
  }
  model.push_back(NurbEdge(24));
  return model;
}

namespace {

struct TPolyhedron {
  std::vector<TPoint> Points;
  std::vector<TFace> Faces;
};

// The twelve corners of an icosahedron on the unit sphere, faces wound
// outwards.
TPolyhedron Icosahedron() {
  const double g = (1 + std::sqrt(5.0)) / 2;
  TPolyhedron p;
  p.Points = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0}, {0, -1, g}, {0, 1, g},
              {0, -1, -g}, {0, 1, -g}, {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
  p.Faces = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
             {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
             {3, 8, 9},  {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
  for (TPoint& point : p.Points) point = Unit(point);
  return p;
}

// Splits every triangle into four, pushing the new points out onto the
// unit sphere; neighbouring triangles share the point on their common edge.
TPolyhedron Subdivide(const TPolyhedron& in) {
  TPolyhedron out{in.Points, {}};
  std::vector<std::pair<uint64_t, uint32_t>> made;
  const auto middle = [&](uint32_t a, uint32_t b) {
    const uint64_t key = (uint64_t(std::min(a, b)) << 32) | std::max(a, b);
    for (const auto& e : made)
      if (e.first == key) return e.second;
    const TPoint& p = out.Points[a];
    const TPoint& q = out.Points[b];
    out.Points.push_back(Unit(TPoint{p.x + q.x, p.y + q.y, p.z + q.z}));
    made.emplace_back(key, uint32_t(out.Points.size() - 1));
    return uint32_t(out.Points.size() - 1);
  };
  for (const TFace& f : in.Faces) {
    const uint32_t ab = middle(f.a, f.b), bc = middle(f.b, f.c), ca = middle(f.c, f.a);
    out.Faces.insert(out.Faces.end(), {TFace{f.a, ab, ca}, TFace{f.b, bc, ab}, TFace{f.c, ca, bc}, TFace{ab, bc, ca}});
  }
  return out;
}

}  // namespace

TModel MakeKule() {
  TPolyhedron sphere = Icosahedron();
  for (int round = 0; round < 3; ++round) sphere = Subdivide(sphere);
  T3DSMesh m = NamedMesh("Kule");
  for (const TPoint& p : sphere.Points)
    AddVertex(m, 100 * p.x, 100 * p.y, 100 * p.z, 0.5 + std::atan2(p.y, p.x) / (2 * Pi), std::acos(-p.z) / Pi);
  m.Faces = sphere.Faces;
  return {m};
}

TModel MakeGrassTuft() {
  T3DSMesh m = NamedMesh("Grass");
  TRandom random(0x67A55);
  for (int blade = 0; blade < 9; ++blade) {
    const double a = 2 * Pi * blade / 9 + random.Next(), lean = 8 + 14 * random.Next();
    const double height = 40 + 20 * random.Next(), width = 2.5 + random.Next();
    const double dx = std::cos(a), dy = std::sin(a);
    const uint32_t first = uint32_t(m.Vertices.size());
    for (int level = 0; level <= 5; ++level) {
      const double t = level / 5.0, w = width * (1 - t), out = lean * t * t;
      AddVertex(m, dx * out - dy * w, dy * out + dx * w, height * t, 0, t);
      AddVertex(m, dx * out + dy * w, dy * out - dx * w, height * t, 1, t);
    }
    for (uint32_t level = 0; level < 5; ++level) {
      const uint32_t b = first + 2 * level;
      m.Faces.push_back(TFace{b, b + 1, b + 3});
      if (level < 4) m.Faces.push_back(TFace{b, b + 3, b + 2});
    }
  }
  return {m};
}

TModel MakeTunnel() {
  T3DSMesh walls = NamedMesh("Tunnel");
  const auto path = [](double v) {
    return TPoint{180 * std::sin(2 * Pi * v), -1200 + 2400 * v, 90 * std::sin(4 * Pi * v)};
  };
  AddSweep(walls, path, 120, 24, 60, 12);
  Flip(walls);  // seen from inside
  T3DSMesh ribs = NamedMesh("Ribs");
  for (int i = 1; i < 12; ++i) {
    const double v = i / 12.0;
    AddSweep(ribs, [&](double t) { return path(v - 0.004 + 0.008 * t); }, 114, 24, 1);
  }
  Flip(ribs);
  return {walls, ribs};
}

TModel MakeHelix() {
  TModel model;
  const double radius = 250, height = 1200, turns = 3;
  for (int strand = 0; strand < 2; ++strand) {
    T3DSMesh m = NamedMesh(strand == 0 ? "StrandA" : "StrandB");
    AddSweep(
        m,
        [&](double v) {
          const double a = 2 * Pi * turns * v + Pi * strand;
          return TPoint{radius * std::cos(a), radius * std::sin(a), -height / 2 + height * v};
        },
        30, 8, 180, 12);
    model.push_back(m);
  }
  T3DSMesh rungs = NamedMesh("Rungs");
  for (int i = 1; i < 36; ++i) {
    const double v = i / 36.0, a = 2 * Pi * turns * v, z = -height / 2 + height * v;
    AddTube(rungs, TPoint{radius * std::cos(a), radius * std::sin(a), z},
            TPoint{-radius * std::cos(a), -radius * std::sin(a), z}, 10, 6, 4);
  }
  model.push_back(rungs);
  return model;
}

namespace {

// A five-pointed star standing in the x-z plane (its front faces -y), with a
// raised ridge front and back; every facet has its own vertices so the
// edges stay sharp.
T3DSMesh StarMesh(const std::string& name, double outer, double inner, double depth, double twist) {
  T3DSMesh m = NamedMesh(name);
  std::vector<TPoint> rim;
  for (int i = 0; i < 10; ++i) {
    const double a = Pi / 2 + Pi * i / 5 + twist, r = (i % 2 == 0) ? outer : inner;
    rim.push_back(TPoint{r * std::cos(a), 0, r * std::sin(a)});
  }
  for (int side = 0; side < 2; ++side) {
    const TPoint tip{0, side == 0 ? -depth : depth, 0};
    for (int i = 0; i < 10; ++i) {
      const TPoint& p = rim[i];
      const TPoint& q = rim[(i + 1) % 10];
      const uint32_t a = AddVertex(m, tip.x, tip.y, tip.z, 0.5, 0.5);
      const uint32_t b = AddVertex(m, p.x, p.y, p.z, 0.5 + p.x / (2 * outer), 0.5 + p.z / (2 * outer));
      const uint32_t c = AddVertex(m, q.x, q.y, q.z, 0.5 + q.x / (2 * outer), 0.5 + q.z / (2 * outer));
      m.Faces.push_back(side == 0 ? TFace{a, b, c} : TFace{a, c, b});
    }
  }
  return m;
}

}  // namespace

TModel MakeStar() { return {StarMesh("Star", 2500, 1000, 500, 0)}; }

TModel MakeStranger() {
  TModel model;
  T3DSMesh coat = NamedMesh("Coat");
  AddLathe(coat, {{0, 38}, {31, 38}, {27, 90}, {23, 130}, {21, 148}, {12, 156}, {6, 158}, {0, 158}}, 24, 16);
  model.push_back(coat);
  T3DSMesh head = NamedMesh("Head");
  AddSphere(head, TPoint{0, 0, 168}, 11, 16, 12);
  model.push_back(head);
  T3DSMesh hat = NamedMesh("Hat");
  AddLathe(hat, {{0, 174}, {24, 174}, {24, 176}, {12, 177}, {11, 190}, {0, 191}}, 24, 10);
  model.push_back(hat);
  T3DSMesh arms = NamedMesh("Arms");
  for (int side = -1; side <= 1; side += 2) {
    AddTube(arms, TPoint{side * 22.0, 0, 148}, TPoint{side * 27.0, -4, 100}, 5.5, 8, 6);
    AddSphere(arms, TPoint{side * 27.0, -4, 96}, 5, 8, 6);
  }
  model.push_back(arms);
  T3DSMesh legs = NamedMesh("Legs");
  for (int side = -1; side <= 1; side += 2) {
    AddTube(legs, TPoint{side * 9.0, 0, 40}, TPoint{side * 10.0, 0, 3}, 6, 8, 6);
    AddSphere(legs, TPoint{side * 10.0, -4, 3}, 6, 8, 6);
  }
  model.push_back(legs);
  return model;
}

// ---- animated star ----------------------------------------------------------------------

namespace {

constexpr int AniStarFrames = 8;

// Face normals summed per vertex by area and normalised, as the engine does
// for static meshes.
std::vector<TVector> VertexNormals(const T3DSMesh& m) {
  std::vector<TVector> normals(m.Vertices.size());
  for (const TFace& f : m.Faces) {
    const TVector n = TriangleNormal(MakeTriangle(m.Vertices[f.a], m.Vertices[f.b], m.Vertices[f.c]));
    for (uint32_t i : {f.a, f.b, f.c}) normals[i] = TVector{normals[i].x + n.x, normals[i].y + n.y, normals[i].z + n.z};
  }
  for (TVector& n : normals) Normalize(n);
  return normals;
}

// Key k of an animation runs from frame KeyWord0 to frame KeyWord1 in
// KeyWord2 milliseconds; the last word holds the number of keys in use.
TAnimation Animation(int from, int step, int keys, uint32_t milliseconds) {
  TAnimation a;
  for (int k = 0; k < keys; ++k) {
    const int f0 = ((from + k * step) % AniStarFrames + AniStarFrames) % AniStarFrames;
    const int f1 = ((from + (k + 1) * step) % AniStarFrames + AniStarFrames) % AniStarFrames;
    a.Keys[size_t(k)] = TAniKey{uint32_t(f0), uint32_t(f1), milliseconds};
  }
  a.Reserved = uint32_t(keys);
  return a;
}

}  // namespace

TAniFile MakeAniStar() {
  TAniFile model;
  TAniFileMesh mesh;
  mesh.MaterialFile = "star.mat";
  for (int f = 0; f < AniStarFrames; ++f) {
    const double phase = 2 * Pi * f / AniStarFrames;
    const T3DSMesh frame = StarMesh("", 1000 * (1 + 0.25 * std::sin(phase)), 400, 200 + 60 * std::cos(phase),
                                    0.15 * (1 - std::cos(phase)));
    mesh.VertexFrames.push_back(frame.Vertices);
    mesh.NormalFrames.push_back(VertexNormals(frame));
    if (f == 0) {
      mesh.VertexCount = int32_t(frame.Vertices.size());
      mesh.TexCoords = frame.TexCoords;
      mesh.Faces = frame.Faces;
    }
  }
  model.Meshes.push_back(mesh);
  // 0 the full breathing loop; then slower and faster loops, loops
  // backwards, in double steps, and a few held frames.
  model.Animations[0] = Animation(0, 1, 8, 120);
  for (int i = 1; i < AnimationCount; ++i) {
    const bool held = i % 4 == 3, backwards = i % 2 == 0;
    const int stride = i % 3 == 2 ? 2 : 1;
    const int step = held ? 0 : (backwards ? -stride : stride);
    model.Animations[size_t(i)] = Animation(i % AniStarFrames, step, held ? 1 : 8 + i % 4, 60 + 20 * uint32_t(i));
  }
  return model;
}
