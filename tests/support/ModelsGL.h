// GL helpers for the model tests: one small offscreen window per test
// program, and the triangles a piece of drawing code sends, captured with
// OpenGL's feedback mode (window coordinates, colour and texture coordinate
// of every corner, in the order OpenGL received them).
#pragma once

#include <array>
#include <functional>
#include <vector>

struct TFedVertex {
  float x = 0, y = 0, z = 0;
  float r = 0, g = 0, b = 0, a = 0;
  float s = 0, t = 0;
};
using TFedTriangle = std::array<TFedVertex, 3>;

constexpr int ModelsWindowSize = 64;

// Opens the window on first use; afterwards sets a pixel projection (object
// x, y = window x, y), identity modelview, and no lighting, culling,
// texturing, blending or depth test, so tests start from a known state.
void PrepareModelsGL();

// Runs `draw` in feedback mode and returns the triangles it sent.
std::vector<TFedTriangle> CaptureTriangles(const std::function<void()>& draw);
