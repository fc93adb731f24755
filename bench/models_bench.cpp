// Costs of the model code: the per-frame normal update against the load-time
// normal calculation on the same 10,000-vertex mesh, and 3DS parsing speed.
#include <benchmark/benchmark.h>

#include "Amb2Classes.h"
#include "Amb2_3ds.h"
#include "ModelsBytes.h"

namespace {

// 100 x 100 vertices, 19,602 faces.
void FillGridMesh(TMeshDataN& mesh) {
  const T3DSObjectBytes grid = GridObject("grid", 100, 100);
  for (size_t i = 0; i < grid.Vertices.size(); ++i) mesh.AddVertex(grid.Vertices[i], grid.Mapping[i]);
  for (const auto& f : grid.Faces) mesh.AddFace(MakeFace(f[0], f[1], f[2]));
}

void BM_UpdateNormals(benchmark::State& state) {
  TMeshDataN mesh;
  FillGridMesh(mesh);
  for (auto _ : state) {
    mesh.UpdateNormals();
    benchmark::DoNotOptimize(mesh.Normals.data());
  }
  state.counters["vertices"] = mesh.VertexCount;
  state.counters["faces"] = mesh.FaceCount;
}
BENCHMARK(BM_UpdateNormals)->Unit(benchmark::kMicrosecond);

void BM_CalcNormals(benchmark::State& state) {
  TMeshDataN mesh;
  FillGridMesh(mesh);
  for (auto _ : state) {
    mesh.CalcNormals();
    benchmark::DoNotOptimize(mesh.Normals.data());
  }
  state.counters["vertices"] = mesh.VertexCount;
  state.counters["faces"] = mesh.FaceCount;
}
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

// 40 objects of 250 x 250 vertices: about 110 MB of chunks.
void BM_Parse3DS(benchmark::State& state) {
  std::vector<T3DSObjectBytes> objects;
  for (int i = 0; i < 40; ++i) objects.push_back(GridObject("grid" + std::to_string(i), 250, 250));
  const std::vector<uint8_t> bytes = Build3DS(objects);
  for (auto _ : state) {
    T3DSFile file = Parse3DS(bytes.data(), bytes.size(), "bench.3ds");
    benchmark::DoNotOptimize(file.Meshes.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
  state.counters["file_MB"] = double(bytes.size()) / 1e6;
}
BENCHMARK(BM_Parse3DS)->Unit(benchmark::kMillisecond);

}  // namespace
