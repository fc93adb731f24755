// The generated pictures and music: every picture decodes through the
// engine's own decoders with the size, channels and layout its scene needs,
// and the music is a long enough, loud-enough-safe MP3 that the music layer
// loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Amb2Textures.h"
#include "AmbBass.h"

namespace {

std::string DataFile(const std::string& name) { return std::string(TAVIX_DATA_DIR) + "/" + name; }

std::vector<uint8_t> ReadData(const std::string& name) {
  std::ifstream file(DataFile(name), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

enum class TKind { Jpg, Tga24, Tga32, Bmp };

struct TPictureEntry {
  const char* Name;
  TKind Kind;
  uint32_t Width, Height;
};

const TPictureEntry kPictures[] = {
    {"velkrona.jpg", TKind::Jpg, 1024, 512}, {"logo.jpg", TKind::Jpg, 1024, 512},
    {"tavix.jpg", TKind::Jpg, 1024, 512},    {"load.jpg", TKind::Jpg, 1024, 512},
    {"ws_tavix.jpg", TKind::Jpg, 1024, 512}, {"presents.jpg", TKind::Jpg, 512, 256},
    {"chrome.jpg", TKind::Jpg, 256, 256},    {"sunset.jpg", TKind::Jpg, 256, 256},
    {"sunset2.jpg", TKind::Jpg, 256, 256},   {"silver.jpg", TKind::Jpg, 256, 256},
    {"stjerne.jpg", TKind::Jpg, 512, 512},   {"galaxy.jpg", TKind::Jpg, 512, 512},
    {"kulehore.jpg", TKind::Jpg, 256, 256},  {"lyn.jpg", TKind::Jpg, 256, 256},
    {"sol.jpg", TKind::Jpg, 256, 256},       {"tavixm.jpg", TKind::Jpg, 256, 256},
    {"marl.jpg", TKind::Jpg, 256, 256},      {"tesk.jpg", TKind::Jpg, 256, 256},
    {"tavixm.bmp", TKind::Bmp, 256, 256},    {"clouds2.tga", TKind::Tga24, 256, 256},
    {"grass.tga", TKind::Tga24, 256, 256},   {"litegrass.tga", TKind::Tga24, 128, 128},
    {"particle.tga", TKind::Tga32, 64, 64},  {"purep.tga", TKind::Tga32, 128, 128},
    {"g1.tga", TKind::Tga32, 512, 64},       {"g2.tga", TKind::Tga32, 128, 64},
    {"g3.tga", TKind::Tga32, 256, 128},      {"g4.tga", TKind::Tga32, 512, 256},
    {"cr1.tga", TKind::Tga32, 512, 256},     {"cr2.tga", TKind::Tga32, 256, 256},
};

TDecodeResult Decode(const std::string& name, TKind kind) {
  std::vector<uint8_t> bytes = ReadData(name);
  if (kind == TKind::Jpg) return DecodeJpg(bytes.data(), bytes.size(), name, false);
  if (kind == TKind::Bmp) return DecodeBmp(bytes.data(), bytes.size(), name, false);
  return DecodeTga(bytes.data(), bytes.size(), name, false);
}

bool PowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

size_t Channels(const TPixelBuffer& image) { return image.Format == TPixelFormat::RGBA ? 4 : 3; }

const uint8_t* Pixel(const TPixelBuffer& image, uint32_t x, uint32_t rowFromBottom) {
  return &image.Pixels[(size_t(rowFromBottom) * image.Width + x) * Channels(image)];
}

// Sum of the brightest channel, weighted by alpha where there is one, over rows
// [first, last) counted from the bottom.
double LightInRows(const TPixelBuffer& image, uint32_t first, uint32_t last, uint32_t x0, uint32_t x1) {
  double sum = 0;
  for (uint32_t y = first; y < last; ++y) {
    for (uint32_t x = x0; x < x1; ++x) {
      const uint8_t* p = Pixel(image, x, y);
      double alpha = Channels(image) == 4 ? p[3] / 255.0 : 1.0;
      sum += std::max({p[0], p[1], p[2]}) * alpha;
    }
  }
  return sum;
}

uint8_t BrightestIn(const TPixelBuffer& image, uint32_t y0, uint32_t y1, uint32_t x0, uint32_t x1) {
  uint8_t best = 0;
  for (uint32_t y = y0; y < y1; ++y)
    for (uint32_t x = x0; x < x1; ++x)
      best = std::max({best, Pixel(image, x, y)[0], Pixel(image, x, y)[1], Pixel(image, x, y)[2]});
  return best;
}

TPixelBuffer Load(const std::string& name, TKind kind) {
  TDecodeResult result = Decode(name, kind);
  EXPECT_TRUE(result.Ok) << name << ": " << result.Text;
  return result.Image;
}

}  // namespace

TEST(DataPictures, EveryPictureDecodesWithItsSizeAndChannels) {
  for (const TPictureEntry& picture : kPictures) {
    SCOPED_TRACE(picture.Name);
    TDecodeResult result = Decode(picture.Name, picture.Kind);
    ASSERT_TRUE(result.Ok) << result.Caption << ": " << result.Text;
    const TPixelBuffer& image = result.Image;
    EXPECT_EQ(image.Width, picture.Width);
    EXPECT_EQ(image.Height, picture.Height);
    EXPECT_TRUE(PowerOfTwo(image.Width) && PowerOfTwo(image.Height));
    bool rgba = picture.Kind == TKind::Jpg || picture.Kind == TKind::Tga32;
    EXPECT_EQ(image.Format, rgba ? TPixelFormat::RGBA : TPixelFormat::RGB);
    EXPECT_EQ(image.Width * Channels(image) % 4, 0u) << "rows must keep the default unpack alignment";
    EXPECT_EQ(image.Pixels.size(), size_t(image.Width) * image.Height * Channels(image));
  }
}

TEST(DataPictures, OverlaysAndSpritesAreSeeThroughAroundTheirShapes) {
  for (const TPictureEntry& picture : kPictures) {
    if (picture.Kind != TKind::Tga32) continue;
    SCOPED_TRACE(picture.Name);
    TPixelBuffer image = Load(picture.Name, picture.Kind);
    size_t clear = 0, seeThrough = 0, solid = 0;
    for (size_t i = 3; i < image.Pixels.size(); i += 4) {
      clear += image.Pixels[i] == 0;
      seeThrough += image.Pixels[i] < 250;
      solid += image.Pixels[i] > 200;
    }
    EXPECT_GT(clear, 0u) << "no fully clear pixel";
    EXPECT_GT(seeThrough, image.Pixels.size() / 4 / 5) << "too little transparency";
    EXPECT_GT(solid, 0u) << "nothing opaque";
  }
  TPixelBuffer particle = Load("particle.tga", TKind::Tga32);
  for (uint32_t i = 0; i < 64; ++i) {
    EXPECT_EQ(Pixel(particle, i, 0)[3], 0);
    EXPECT_EQ(Pixel(particle, i, 63)[3], 0);
    EXPECT_EQ(Pixel(particle, 0, i)[3], 0);
    EXPECT_EQ(Pixel(particle, 63, i)[3], 0);
  }
  EXPECT_GT(Pixel(particle, 32, 32)[3], 230);
}

TEST(DataPictures, SomeTargaFilesAreRunLengthEncodedAndSomeRaw) {
  int runLength = 0, raw = 0;
  for (const TPictureEntry& picture : kPictures) {
    if (picture.Kind != TKind::Tga24 && picture.Kind != TKind::Tga32) continue;
    std::vector<uint8_t> bytes = ReadData(picture.Name);
    ASSERT_GE(bytes.size(), 18u) << picture.Name;
    runLength += bytes[2] == 10;
    raw += bytes[2] == 2;
  }
  EXPECT_GE(runLength, 2);
  EXPECT_GE(raw, 1);
}

// The letterbox title is added over every framed scene: only its bands may
// carry light, and its title sits in the top band on the right.
TEST(DataPictures, LetterboxTitleLightsOnlyTheBandsTitleOnTop) {
  TPixelBuffer image = Load("ws_tavix.jpg", TKind::Jpg);
  const uint32_t band = 112 * 512 / 600;  // window rows to picture rows
  EXPECT_LE(BrightestIn(image, band + 4, 512 - band - 4, 0, 1024), 8);
  EXPECT_GT(BrightestIn(image, 512 - band, 512, 0, 1024), 120);
  EXPECT_GT(BrightestIn(image, 0, band, 0, 1024), 60);
  EXPECT_GT(LightInRows(image, 512 - band, 512, 768, 1024), 2 * LightInRows(image, 0, band, 768, 1024));
}

// The progress bar (x 174..624, y 213..232 from the bottom of the window)
// runs in a dark well inside a lit frame.
TEST(DataPictures, LoadingScreenFramesTheProgressBarInADarkWell) {
  TPixelBuffer image = Load("load.jpg", TKind::Jpg);
  auto column = [](double x) { return uint32_t(x * 1024 / 800); };
  auto row = [](double y) { return uint32_t(y * 512 / 600); };
  EXPECT_LE(BrightestIn(image, row(214), row(231), column(176), column(622)), 40);
  EXPECT_GT(BrightestIn(image, row(236), row(242), column(380), column(420)), 120);
  EXPECT_GT(BrightestIn(image, row(203), row(209), column(380), column(420)), 120);
}

TEST(DataPictures, PicturesStandUprightAndTheBitmapMatchesItsJpeg) {
  // The emblem sits in the top right corner of the card; the corner below it is empty.
  TPixelBuffer credits = Load("cr2.tga", TKind::Tga32);
  EXPECT_GT(LightInRows(credits, 213, 256, 198, 238), 3 * LightInRows(credits, 0, 43, 198, 238));
  TPixelBuffer bitmap = Load("tavixm.bmp", TKind::Bmp), jpeg = Load("tavixm.jpg", TKind::Jpg);
  ASSERT_EQ(bitmap.Width, jpeg.Width);
  ASSERT_EQ(bitmap.Height, jpeg.Height);
  double difference = 0;
  for (uint32_t y = 0; y < bitmap.Height; ++y)
    for (uint32_t x = 0; x < bitmap.Width; ++x)
      for (int c = 0; c < 3; ++c) difference += std::abs(Pixel(bitmap, x, y)[c] - Pixel(jpeg, x, y)[c]);
  EXPECT_LT(difference / (bitmap.Width * bitmap.Height * 3.0), 6.0);
}

namespace {

struct TMp3Summary {
  size_t Frames = 0;
  bool AllLayer3At44k = true;
  bool AllStereo = true;
  uint32_t LowestKbps = 1000;
  size_t UnparsedBytes = 0;
};

// Walks MPEG-1 Layer III frame headers from the first sync to the end.
TMp3Summary ScanMp3(const std::vector<uint8_t>& bytes) {
  static const uint32_t kbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  TMp3Summary summary;
  size_t at = 0;
  while (at + 4 <= bytes.size()) {
    const uint8_t* h = &bytes[at];
    bool sync = h[0] == 0xFF && (h[1] & 0xE0) == 0xE0;
    uint32_t rate = kbps[h[2] >> 4];
    if (!sync || rate == 0 || (h[2] >> 2 & 3) == 3) break;
    summary.AllLayer3At44k &= (h[1] & 0x1E) == 0x1A && (h[2] >> 2 & 3) == 0;
    summary.AllStereo &= (h[3] >> 6) != 3;
    summary.LowestKbps = std::min(summary.LowestKbps, rate);
    at += 144 * rate * 1000 / 44100 + (h[2] >> 1 & 1);
    ++summary.Frames;
  }
  summary.UnparsedBytes = bytes.size() - std::min(at, bytes.size());
  return summary;
}

}  // namespace

TEST(DataMusic, TrackIsStereoLayer3AtFullRateLongEnoughForTheShow) {
  TMp3Summary mp3 = ScanMp3(ReadData("abstract.mp3"));
  EXPECT_TRUE(mp3.AllLayer3At44k);
  EXPECT_TRUE(mp3.AllStereo);
  EXPECT_GE(mp3.LowestKbps, 160u);
  EXPECT_EQ(mp3.UnparsedBytes, 0u);
  double seconds = mp3.Frames * 1152.0 / 44100.0;
  EXPECT_GE(seconds, 185.0);
  EXPECT_LE(seconds, 200.0);
}

TEST(DataMusic, MusicLayerDecodesTheTrack) {
  ASSERT_TRUE(InitMusic(nullptr));
  EXPECT_EQ(LoadMusic(DataFile("abstract.mp3")), 0);
  FreeMusic();
}
