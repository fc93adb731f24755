// See ModelsBytes.h.
#include "ModelsBytes.h"

#include <cmath>

// A triangle mesh with a local matrix and smoothing groups, which the reader skips.
static void AppendTriMesh(TByteBuilder& out, const T3DSObjectBytes& object) {
  out.Chunk(0x4110, [&](TByteBuilder& list) {
    list.U16(uint16_t(object.Vertices.size()));
    for (const TVector& v : object.Vertices) list.Vector(v);
  });
  out.Chunk(0x4160, [](TByteBuilder& matrix) {
    for (int i = 0; i < 12; ++i) matrix.F32(i % 4 == 0 ? 1.0f : 0.0f);
  });
  out.Chunk(0x4120, [&](TByteBuilder& list) {
    list.U16(uint16_t(object.Faces.size()));
    for (const auto& f : object.Faces) list.U16(f[0]).U16(f[1]).U16(f[2]).U16(f[3]);
    list.Chunk(0x4150, [&](TByteBuilder& smoothing) {
      smoothing.Bytes.resize(smoothing.Bytes.size() + 4 * object.Faces.size(), 1);
    });
  });
  if (object.Mapping.empty()) return;
  out.Chunk(0x4140, [&](TByteBuilder& list) {
    list.U16(uint16_t(object.Mapping.size()));
    for (const TTexCoord& t : object.Mapping) list.TexCoord(t);
  });
}

std::vector<uint8_t> Build3DS(const std::vector<T3DSObjectBytes>& objects, uint16_t root) {
  TByteBuilder out;
  out.Chunk(root, [&](TByteBuilder& main) {
    main.Chunk(0x0002, [](TByteBuilder& version) { version.U32(3); });
    main.Chunk(0x3D3D, [&](TByteBuilder& editor) {
      editor.Chunk(0x0100, [](TByteBuilder& scale) { scale.F32(1.0f); });  // master scale: skipped
      for (const T3DSObjectBytes& object : objects)
        editor.Chunk(0x4000, [&](TByteBuilder& named) {
          named.Text(object.Name).Bytes.push_back(0);
          if (object.IsCamera)
            named.Chunk(0x4700, [](TByteBuilder& camera) { camera.Bytes.resize(camera.Bytes.size() + 32); });
          else
            named.Chunk(0x4100, [&](TByteBuilder& mesh) { AppendTriMesh(mesh, object); });
        });
    });
    main.Chunk(0xB000, [](TByteBuilder& keyframer) { keyframer.Chunk(0xB00A, [](TByteBuilder&) {}); });
  });
  return out.Bytes;
}

T3DSObjectBytes GridObject(const std::string& name, int w, int h) {
  T3DSObjectBytes object;
  object.Name = name;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float fx = float(x), fy = float(y);
      object.Vertices.push_back(MakeVector(fx, std::sin(fx * 0.3f) * std::cos(fy * 0.2f) * 2.0f, fy));
      object.Mapping.push_back(MakeTexCoord(fx / float(w), fy / float(h)));
    }
  for (int y = 0; y + 1 < h; ++y)
    for (int x = 0; x + 1 < w; ++x) {
      const uint16_t i = uint16_t(y * w + x);
      object.Faces.push_back({i, uint16_t(i + w), uint16_t(i + 1), 7});
      object.Faces.push_back({uint16_t(i + 1), uint16_t(i + w), uint16_t(i + w + 1), 7});
    }
  return object;
}
