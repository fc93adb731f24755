// The damaged-file matrix: one file of every format the demo reads, cut to
// half its length or with one count or size field set huge, in a private
// copy of the data played headless. A model, brush or material file stops
// the program with an error naming the file and what is wrong; a picture
// gives its loader's message and the show plays on. The grass map
// "tavixm.bmp" is read as data, not as a picture: damaged, it stops the program. Never a crash or a hang.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "HardenSupport.h"
#include "Show2Support.h"

namespace {

namespace fs = std::filesystem;

using TDamage = std::function<void(std::vector<uint8_t>&)>;

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  if (at + 4 > b.size()) throw std::runtime_error("field outside the file");
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

void Put16BE(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b.at(at) = uint8_t(v >> 8);
  b.at(at + 1) = uint8_t(v);
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b.at(at + size_t(i));
  return v;
}

// Offset of the count of the first vertex list, found by walking the chunks
// the importer walks (an object chunk starts with its zero-terminated name).
size_t FirstVertexCount(const std::vector<uint8_t>& b, size_t start, size_t end) {
  for (size_t at = start; at + 6 <= end;) {
    const uint16_t id = uint16_t(b[at] | (b[at + 1] << 8));
    const size_t length = Get32(b, at + 2);
    if (length < 6) break;
    if (id == 0x4110) return at + 6;
    size_t body = at + 6;
    if (id == 0x4000)
      while (body < end && b[body++] != 0) {
      }
    if (id == 0x4D4D || id == 0x3D3D || id == 0x4000 || id == 0x4100)
      if (const size_t found = FirstVertexCount(b, body, at + length)) return found;
    at += length;
  }
  return 0;
}

// Offset of a JPEG's frame height (the start-of-frame segment).
size_t JpegFrameHeight(const std::vector<uint8_t>& b) {
  for (size_t at = 2; at + 4 < b.size(); at += 2 + (size_t(b[at + 2]) << 8 | b[at + 3]))
    if (b[at] == 0xFF && (b[at + 1] == 0xC0 || b[at + 1] == 0xC1 || b[at + 1] == 0xC2)) return at + 5;
  throw std::runtime_error("no frame header");
}

// Offset of a material file's texture name length: the last field before the name.
size_t MaterialNameLength(const std::vector<uint8_t>& b) {
  for (size_t length = 0; length + 4 <= b.size(); ++length)
    if (Get32(b, b.size() - 4 - length) == length) return b.size() - 4 - length;
  throw std::runtime_error("no name length");
}

void Halve(std::vector<uint8_t>& b) { b.resize(b.size() / 2); }

struct TDamagedCase {
  std::string Name;  // test name
  std::string File;
  TDamage Damage;
  bool Fatal;           // a model, brush, material or map file: the program stops
  std::string Caption;  // a picture: the loader's message box
  std::string Text;
};

std::vector<TDamagedCase> Matrix() {
  return {
      {"Truncated3ds", "tunnel.3ds", Halve, true, "", ""},
      {"HugeVertexCount3ds", "tunnel.3ds",
       [](auto& b) {
         const size_t at = FirstVertexCount(b, 0, b.size());
         if (at == 0) throw std::runtime_error("no vertex list");
         b.at(at) = b.at(at + 1) = 0xFF;
       },
       true, "", ""},
      {"TruncatedAbr", "env.abr", Halve, true, "", ""},
      {"HugeVertexCountAbr", "env.abr", [](auto& b) { Put32(b, 4, 0x7FFFFFFF); }, true, "", ""},
      {"TruncatedAab", "star.aab", Halve, true, "", ""},
      {"HugeVertexCountAab", "star.aab", [](auto& b) { Put32(b, 4, 0x7FFFFFFF); }, true, "", ""},
      {"TruncatedMaterial", "env.mat", [](auto& b) { b.pop_back(); }, true, "", ""},
      {"HugeNameLengthMaterial", "env.mat", [](auto& b) { Put32(b, MaterialNameLength(b), 0x7FFFFFF0); }, true, "", ""},
      {"TruncatedTga", "clouds2.tga", Halve, false, "TGA File Error", "Couldn't read file \"clouds2.tga\"."},
      {"HugeSizeTga", "clouds2.tga", [](auto& b) { Put32(b, 12, 0xFFFFFFFF); }, false, "TGA File Error",
       "Couldn't read file \"clouds2.tga\"."},
      {"TruncatedBmp", "tavixm.bmp", Halve, true, "", ""},
      {"HugeSizeBmp", "tavixm.bmp", [](auto& b) { Put32(b, 18, 0x7FFFFFFF); }, true, "", ""},
      {"TruncatedJpg", "logo.jpg", Halve, false, "BMP Unit", "Couldn't load JPG - \"logo.jpg\""},
      {"HugeSizeJpg", "logo.jpg",
       [](auto& b) {
         Put16BE(b, JpegFrameHeight(b), 0xFFFF);
         Put16BE(b, JpegFrameHeight(b) + 2, 0xFFFF);
       },
       false, "BMP Unit", "Couldn't load JPG - \"logo.jpg\""},
  };
}

class DamagedFile : public ::testing::TestWithParam<TDamagedCase> {};

TEST_P(DamagedFile, IsRefusedClearlyOrPlaysOn) {
  if (!fs::exists(fs::path(TAVIX_DATA_DIR) / "timesync.dat")) GTEST_SKIP() << "no generated data";
  const TDamagedCase& c = GetParam();
  const std::string data = ShortShowData();
  std::vector<uint8_t> bytes = ReadFileBytes(data + "/" + c.File);
  ASSERT_FALSE(bytes.empty());
  c.Damage(bytes);
  WriteFileBytes(data + "/" + c.File, bytes);
  const TIsolatedRun run = PlayIsolated(data);
  RemoveDemoData(data);
  ASSERT_TRUE(run.Finished) << run.Fault;
  if (c.Fatal) {
    EXPECT_NE(run.ExitCode, 0);
    ASSERT_EQ(run.Messages.size(), 1u);
    EXPECT_EQ(run.Messages[0].Caption, "Error");
    EXPECT_NE(run.Messages[0].Text.find(c.File), std::string::npos) << run.Messages[0].Text;
    EXPECT_EQ(run.Messages[0].Text.find("Cannot open"), std::string::npos) << run.Messages[0].Text;
    EXPECT_FALSE(run.PartsDrawn.count(0));
    return;
  }
  EXPECT_EQ(run.ExitCode, 0);
  ASSERT_FALSE(run.Messages.empty());
  for (const TRecordedMessage& m : run.Messages) {
    EXPECT_EQ(m.Caption, c.Caption);
    EXPECT_EQ(m.Text, c.Text);
  }
  EXPECT_TRUE(run.PartsDrawn.count(10)) << "the show stopped before its last part";
}

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TDamagedCase& c, std::ostream* out) { *out << c.Name; }

std::string CaseName(const ::testing::TestParamInfo<TDamagedCase>& info) { return info.param.Name; }

INSTANTIATE_TEST_SUITE_P(EveryFormat, DamagedFile, ::testing::ValuesIn(Matrix()), CaseName);

}  // namespace
