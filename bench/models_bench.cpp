// Costs of the model code: the per-frame normal update against the load-time
// normal calculation on the same 10,000-vertex mesh, and 3DS parsing speed.
#include <benchmark/benchmark.h>

#include "Amb2Classes.h"
#include "Amb2_3ds.h"

namespace {

// A flat grid of w x h vertices, two faces per cell.
T3DSMesh Grid(const std::string& name, int w, int h) {
  T3DSMesh grid{name, {}, {}, {}};
  for (int i = 0; i < w * h; ++i) {
    grid.Vertices.push_back(MakeVector(float(i % w), float(i % 7), float(i / w)));
    grid.TexCoords.push_back(MakeTexCoord(float(i % w) / float(w), float(i / w) / float(h)));
    if (i % w + 1 < w && i / w + 1 < h) {
      grid.Faces.push_back(MakeFace(uint32_t(i), uint32_t(i + w), uint32_t(i + 1)));
      grid.Faces.push_back(MakeFace(uint32_t(i + 1), uint32_t(i + w), uint32_t(i + w + 1)));
    }
  }
  return grid;
}

// 100 x 100 vertices, 19,602 faces.
void FillGridMesh(TMeshDataN& mesh) {
  const T3DSMesh grid = Grid("grid", 100, 100);
  for (size_t i = 0; i < grid.Vertices.size(); ++i) mesh.AddVertex(grid.Vertices[i], grid.TexCoords[i]);
  for (const TFace& f : grid.Faces) mesh.AddFace(f);
}

// The normals of the grid, again and again, by one of the two passes.
void Normals(benchmark::State& state, void (TMeshDataN::*pass)()) {
  TMeshDataN mesh;
  FillGridMesh(mesh);
  for (auto _ : state) {
    (mesh.*pass)();
    benchmark::DoNotOptimize(mesh.Normals.data());
  }
  state.counters["vertices"] = mesh.VertexCount;
  state.counters["faces"] = mesh.FaceCount;
}

void BM_UpdateNormals(benchmark::State& state) { Normals(state, &TMeshDataN::UpdateNormals); }
BENCHMARK(BM_UpdateNormals)->Unit(benchmark::kMicrosecond);

void BM_CalcNormals(benchmark::State& state) { Normals(state, &TMeshDataN::CalcNormals); }
BENCHMARK(BM_CalcNormals)->Unit(benchmark::kMicrosecond);

// The per-vertex definition (every face scanned for every vertex): what a
// load would cost without the single pass.
void BM_VertexNormalPerVertex(benchmark::State& state) {
  TMeshDataN mesh;
  FillGridMesh(mesh);
  for (auto _ : state) {
    for (int32_t i = 0; i < mesh.VertexCount; ++i) mesh.Normals[i] = mesh.VertexNormal(i);
    benchmark::DoNotOptimize(mesh.Normals.data());
  }
  state.counters["vertices"] = mesh.VertexCount;
  state.counters["faces"] = mesh.FaceCount;
}
BENCHMARK(BM_VertexNormalPerVertex)->Unit(benchmark::kMillisecond);

// 40 objects of 180 x 180 vertices (64,082 faces, near the 16-bit limit of
// 3DS counts): about 46 MB of chunks.
void BM_Parse3DS(benchmark::State& state) {
  std::vector<T3DSMesh> objects;
  for (int i = 0; i < 40; ++i) objects.push_back(Grid("grid" + std::to_string(i), 180, 180));
  const std::vector<uint8_t> bytes = Encode3DS(objects);
  for (auto _ : state) {
    T3DSFile file = Parse3DS(bytes.data(), bytes.size(), "bench.3ds");
    benchmark::DoNotOptimize(file.Meshes.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
  state.counters["file_MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_Parse3DS)->Unit(benchmark::kMillisecond);

}  // namespace
