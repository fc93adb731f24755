// See ModelsBytes.h.
#include "ModelsBytes.h"

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "AmbSystem.h"

TByteBuilder& TByteBuilder::U16(uint16_t v) {
  Bytes.push_back(uint8_t(v));
  Bytes.push_back(uint8_t(v >> 8));
  return *this;
}

TByteBuilder& TByteBuilder::U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }

TByteBuilder& TByteBuilder::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return U32(bits);
}

TByteBuilder& TByteBuilder::Text(const std::string& s) {
  Bytes.insert(Bytes.end(), s.begin(), s.end());
  return *this;
}

size_t TByteBuilder::BeginChunk(uint16_t id) {
  const size_t start = Bytes.size();
  U16(id).U32(0);
  return start;
}

void TByteBuilder::EndChunk(size_t start) {
  const uint32_t length = uint32_t(Bytes.size() - start);
  for (int i = 0; i < 4; ++i) Bytes[start + 2 + size_t(i)] = uint8_t(length >> (8 * i));
}

static void AppendTriMesh(TByteBuilder& out, const T3DSObjectBytes& object) {
  const size_t mesh = out.BeginChunk(0x4100);
  const size_t vertices = out.BeginChunk(0x4110);
  out.U16(uint16_t(object.Vertices.size()));
  for (const TVector& v : object.Vertices) out.Vector(v);
  out.EndChunk(vertices);
  const size_t matrix = out.BeginChunk(0x4160);  // local matrix: skipped
  for (int i = 0; i < 12; ++i) out.F32(i % 4 == 0 ? 1.0f : 0.0f);
  out.EndChunk(matrix);
  const size_t faces = out.BeginChunk(0x4120);
  out.U16(uint16_t(object.Faces.size()));
  for (const auto& f : object.Faces) out.U16(f[0]).U16(f[1]).U16(f[2]).U16(f[3]);
  const size_t smoothing = out.BeginChunk(0x4150);
  for (size_t i = 0; i < object.Faces.size(); ++i) out.U32(1);
  out.EndChunk(smoothing);
  out.EndChunk(faces);
  if (!object.Mapping.empty()) {
    const size_t mapping = out.BeginChunk(0x4140);
    out.U16(uint16_t(object.Mapping.size()));
    for (const TTexCoord& t : object.Mapping) out.TexCoord(t);
    out.EndChunk(mapping);
  }
  out.EndChunk(mesh);
}

void Append3DSObject(TByteBuilder& out, const T3DSObjectBytes& object) {
  const size_t start = out.BeginChunk(0x4000);
  out.Text(object.Name).Bytes.push_back(0);
  if (object.IsCamera) {
    const size_t camera = out.BeginChunk(0x4700);
    for (int i = 0; i < 8; ++i) out.F32(float(i));
    out.EndChunk(camera);
  } else {
    AppendTriMesh(out, object);
  }
  out.EndChunk(start);
}

std::vector<uint8_t> Build3DS(const std::vector<T3DSObjectBytes>& objects, uint16_t root) {
  TByteBuilder out;
  const size_t main = out.BeginChunk(root);
  const size_t version = out.BeginChunk(0x0002);
  out.U32(3);
  out.EndChunk(version);
  const size_t editor = out.BeginChunk(0x3D3D);
  const size_t scale = out.BeginChunk(0x0100);  // master scale: skipped
  out.F32(1.0f);
  out.EndChunk(scale);
  for (const T3DSObjectBytes& object : objects) Append3DSObject(out, object);
  out.EndChunk(editor);
  const size_t keyframer = out.BeginChunk(0xB000);
  out.EndChunk(out.BeginChunk(0xB00A));
  out.EndChunk(keyframer);
  out.EndChunk(main);
  return out.Bytes;
}

T3DSObjectBytes GridObject(const std::string& name, int w, int h) {
  T3DSObjectBytes object;
  object.Name = name;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const float fx = float(x), fy = float(y);
      object.Vertices.push_back(MakeVector(fx, std::sin(fx * 0.3f) * std::cos(fy * 0.2f) * 2.0f, fy));
      object.Mapping.push_back(MakeTexCoord(fx / float(w), fy / float(h)));
    }
  }
  for (int y = 0; y + 1 < h; ++y) {
    for (int x = 0; x + 1 < w; ++x) {
      const uint16_t i = uint16_t(y * w + x);
      object.Faces.push_back({i, uint16_t(i + w), uint16_t(i + 1), 7});
      object.Faces.push_back({uint16_t(i + 1), uint16_t(i + w), uint16_t(i + w + 1), 7});
    }
  }
  return object;
}

std::string WriteScratchFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  // One folder per process: several test programs and build folders run at once.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tavix-models-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / name).string();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!file) throw std::runtime_error("cannot write scratch file " + path);
  return path;
}

std::string FileErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFileError& error) {
    return error.what();
  }
  return "(no error)";
}
