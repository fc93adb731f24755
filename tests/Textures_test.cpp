// The image decoders on pictures written by ImageMagick and on damaged
// bytes, and the loaders' uploads, messages and dispatch under a real
// offscreen GL context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Amb2Textures.h"
#include "AmbSystem.h"
#include "PicturesSupport.h"
#include "TGA.h"

namespace {

TDecodeResult DecodeFixture(TDecodeResult (*decode)(const uint8_t*, size_t, const std::string&, bool),
                            const std::string& name) {
  const std::vector<uint8_t> bytes = PictureFixtureBytes(name);
  return decode(bytes.data(), bytes.size(), name, false);
}

std::vector<uint8_t> TgaHeader(uint8_t imageType, uint8_t colorMapType, uint16_t width, uint16_t height,
                               uint8_t depth) {
  std::vector<uint8_t> h(18, 0);
  h[1] = colorMapType;
  h[2] = imageType;
  h[12] = uint8_t(width);
  h[13] = uint8_t(width >> 8);
  h[14] = uint8_t(height);
  h[15] = uint8_t(height >> 8);
  h[16] = depth;
  return h;
}

void ExpectFailure(const TDecodeResult& r, const std::string& caption, const std::string& text) {
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Caption, caption);
  EXPECT_EQ(r.Text, text);
}

// Offset of the frame header (SOF0/SOF2) so a test can rewrite the size.
size_t FrameHeaderOffset(const std::vector<uint8_t>& jpeg) {
  for (size_t i = 0; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i;
  return 0;
}

void SetJpegSize(std::vector<uint8_t>& jpeg, uint16_t width, uint16_t height) {
  const size_t sof = FrameHeaderOffset(jpeg);
  ASSERT_NE(sof, 0u);
  jpeg[sof + 5] = uint8_t(height >> 8);
  jpeg[sof + 6] = uint8_t(height);
  jpeg[sof + 7] = uint8_t(width >> 8);
  jpeg[sof + 8] = uint8_t(width);
}

class TextureUpload : public ::testing::Test {
 protected:
  void SetUp() override { OpenPicturesWindow(); }
  TMessageLog Log;
};

}  // namespace

TEST(BmpDecoder, ImageMagickPicturesComeOutUprightWithRedAndBlueInPlace) {
  for (const char* name : {"rgb24.bmp", "odd24.bmp"}) {
    // The same picture again with an image-size field of 0, as many writers
    // leave it: the size then comes from the padded rows.
    std::vector<uint8_t> unsized = PictureFixtureBytes(name);
    std::fill(unsized.begin() + 14 + 20, unsized.begin() + 14 + 24, 0);
    for (const TDecodeResult& r :
         {DecodeFixture(DecodeBmp, name), DecodeBmp(unsized.data(), unsized.size(), name, false)}) {
      ASSERT_TRUE(r.Ok) << name << ": " << r.Text;
      EXPECT_EQ(r.Image.Format, TPixelFormat::RGB);
      EXPECT_TRUE(HoldsTestPicture(r.Image, false)) << name;
    }
  }
  const TDecodeResult r = DecodeFixture(DecodeBmp, "rgb24.bmp");
  EXPECT_EQ(r.Image.Width, 8u);
  EXPECT_EQ(r.Image.Height, 4u);
  EXPECT_TRUE(PixelOf(r.Image, 0, 0) == TestPicturePixel(0, 3, false)) << "first data pixel is the bottom-left";
}

TEST(BmpDecoder, ShortAndAbsurdFilesGiveTheReadFailures) {
  std::vector<uint8_t> bmp = PictureFixtureBytes("rgb24.bmp");
  const std::vector<uint8_t> shortData(bmp.begin(), bmp.end() - 1);
  ExpectFailure(DecodeBmp(shortData.data(), shortData.size(), "a.bmp", false), "BMP Unit", "Error reading bitmap data");
  ExpectFailure(DecodeBmp(shortData.data(), shortData.size(), "a.bmp", true), "BMP Unit",
                "Unable to read from resource - a.bmp");
  ExpectFailure(DecodeBmp(bmp.data(), 30, "a.bmp", false), "BMP Unit", "Error reading bitmap data");

  std::vector<uint8_t> palette = bmp;
  palette[14 + 32] = 0xFF;  // colours used: far more bytes than the file holds
  palette[14 + 33] = 0xFF;
  ExpectFailure(DecodeBmp(palette.data(), palette.size(), "a.bmp", false), "BMP Unit", "Error reading palette");

  std::vector<uint8_t> huge = bmp;
  for (int i : {4, 5, 8, 9}) huge[14 + i] = 0xFF;  // 65535 x 65535 with the computed size
  std::fill(huge.begin() + 14 + 20, huge.begin() + 14 + 24, 0);
  ExpectFailure(DecodeBmp(huge.data(), huge.size(), "a.bmp", false), "BMP Unit", "Error reading bitmap data");
}

TEST(BmpDecoder, ADeclaredDataSizeSmallerThanTheImageLeavesTheRestBlack) {
  std::vector<uint8_t> bmp = PictureFixtureBytes("rgb24.bmp");
  bmp[14 + 20] = 24;  // one row of 8 pixels
  std::fill(bmp.begin() + 14 + 21, bmp.begin() + 14 + 24, 0);
  const TDecodeResult r = DecodeBmp(bmp.data(), bmp.size(), "a.bmp", false);
  ASSERT_TRUE(r.Ok);
  EXPECT_TRUE(PixelOf(r.Image, 7, 0) == TestPicturePixel(7, 3, false));
  EXPECT_TRUE(PixelOf(r.Image, 0, 1) == (TRgba8{0, 0, 0, 255}));
}

TEST(TgaDecoder, RawAndRunLengthFilesOfOnePictureDecodeIdentically) {
  for (bool alpha : {false, true}) {
    const TDecodeResult raw = DecodeFixture(DecodeTga, alpha ? "rgba32.tga" : "rgb24.tga");
    const TDecodeResult rle = DecodeFixture(DecodeTga, alpha ? "rgba32rle.tga" : "rgb24rle.tga");
    ASSERT_TRUE(raw.Ok && rle.Ok) << raw.Text << rle.Text;
    EXPECT_EQ(raw.Image.Format, alpha ? TPixelFormat::RGBA : TPixelFormat::RGB);
    EXPECT_TRUE(HoldsTestPicture(raw.Image, alpha));
    EXPECT_EQ(raw.Image.Pixels, rle.Image.Pixels);
  }
  const TDecodeResult odd = DecodeFixture(DecodeTga, "odd24.tga");
  ASSERT_TRUE(odd.Ok);
  EXPECT_TRUE(HoldsTestPicture(odd.Image, false));
}

TEST(TgaDecoder, UnsupportedKindsGetTheirOwnText) {
  const auto text = [](const char* why) { return std::string("Couldn't load \"x.tga\". ") + why; };
  const std::vector<uint8_t> palette = PictureFixtureBytes("palette.tga");
  const std::vector<uint8_t> grey = PictureFixtureBytes("grey.tga");
  ExpectFailure(DecodeTga(palette.data(), palette.size(), "x.tga", false), "TGA File Error",
                text("Only 24 and 32bit TGA supported."));
  ExpectFailure(DecodeTga(grey.data(), grey.size(), "x.tga", false), "TGA File Error",
                text("Only 24 and 32bit TGA supported."));
  const std::vector<uint8_t> mapped = TgaHeader(2, 1, 1, 1, 24);
  ExpectFailure(DecodeTga(mapped.data(), mapped.size(), "x.tga", false), "TGA File Error",
                text("Colormapped TGA files not supported."));
  const std::vector<uint8_t> sixteen = TgaHeader(10, 0, 1, 1, 16);
  ExpectFailure(DecodeTga(sixteen.data(), sixteen.size(), "x.tga", false), "TGA File Error",
                text("Only 24 and 32 bit TGA files supported."));
}

TEST(TgaDecoder, RunLengthPacketsStayInsideTheImageAndTheData) {
  std::vector<uint8_t> overrun = TgaHeader(10, 0, 2, 2, 24);
  overrun.insert(overrun.end(), {0xFF, 1, 2, 3, 0x00, 9, 9, 9});  // a run of 128 pixels, then more
  TDecodeResult r = DecodeTga(overrun.data(), overrun.size(), "x.tga", false);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Image.Pixels, std::vector<uint8_t>({3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));

  std::vector<uint8_t> early = TgaHeader(10, 0, 2, 2, 32);
  early.insert(early.end(), {0x7F, 1, 2, 3, 4, 5, 6, 7});  // raw packet of 128, data for one and a half
  r = DecodeTga(early.data(), early.size(), "x.tga", false);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Image.Pixels, std::vector<uint8_t>({3, 2, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(TgaDecoder, ShortFilesAndAbsurdSizes) {
  const std::vector<uint8_t> header = TgaHeader(2, 0, 8, 4, 24);
  EXPECT_THROW(
      {
        try {
          DecodeTga(header.data(), 17, "cut.tga", false);
        } catch (const EFileError& e) {
          EXPECT_NE(std::string(e.what()).find("cut.tga"), std::string::npos);
          throw;
        }
      },
      EFileError);
  ExpectFailure(DecodeTga(header.data(), 17, "cut.tga", true), "BMP Unit", "Unable to read from resource - cut.tga");
  ExpectFailure(DecodeTga(header.data(), header.size(), "cut.tga", false), "TGA File Error",
                "Couldn't read file \"cut.tga\".");
  std::vector<uint8_t> huge = TgaHeader(10, 0, 65535, 65535, 32);
  huge.insert(huge.end(), {0xFF, 1, 2, 3, 4});
  ExpectFailure(DecodeTga(huge.data(), huge.size(), "huge.tga", false), "TGA File Error",
                "Couldn't read file \"huge.tga\".");
}

TEST(JpegDecoder, OddSizedPicturesComeOutUprightAndOpaque) {
  for (const char* name : {"halves.jpg", "progressive.jpg"}) {
    const TDecodeResult r = DecodeFixture(DecodeJpg, name);
    ASSERT_TRUE(r.Ok) << name;
    EXPECT_EQ(r.Image.Format, TPixelFormat::RGBA);
    EXPECT_EQ(r.Image.Width, 13u);
    EXPECT_EQ(r.Image.Height, 9u);
    for (size_t i = 3; i < r.Image.Pixels.size(); i += 4) ASSERT_EQ(r.Image.Pixels[i], 255);
    EXPECT_TRUE(Near(PixelOf(r.Image, 6, 0), TRgba8{0, 0, 255, 255}, 24)) << name << ": bottom row is blue";
    EXPECT_TRUE(Near(PixelOf(r.Image, 6, 8), TRgba8{255, 0, 0, 255}, 24)) << name << ": top row is red";
  }
  const TDecodeResult grey = DecodeFixture(DecodeJpg, "grey.jpg");
  ASSERT_TRUE(grey.Ok);
  const TRgba8 p = PixelOf(grey.Image, 3, 2);
  EXPECT_TRUE(p.r == p.g && p.g == p.b && Near(p, TRgba8{128, 128, 128, 255}, 3));
}

TEST(JpegDecoder, DamagedFilesGiveTheLoadMessage) {
  const std::vector<uint8_t> jpeg = PictureFixtureBytes("halves.jpg");
  const std::string fileText = "Couldn't load JPG - \"bad.jpg\"";
  for (size_t cut : {size_t(0), size_t(2), size_t(100), jpeg.size() - 20})
    ExpectFailure(DecodeJpg(jpeg.data(), cut, "bad.jpg", false), "BMP Unit", fileText);
  std::mt19937 random(7);
  std::vector<uint8_t> garbage(4096);
  for (uint8_t& b : garbage) b = uint8_t(random());
  ExpectFailure(DecodeJpg(garbage.data(), garbage.size(), "bad.jpg", false), "BMP Unit", fileText);
  garbage[0] = 0xFF;
  garbage[1] = 0xD8;
  ExpectFailure(DecodeJpg(garbage.data(), garbage.size(), "bad.jpg", false), "BMP Unit", fileText);
  ExpectFailure(DecodeJpg(garbage.data(), 2, "bad.jpg", true), "BMP Unit", "Couldn't load JPG Resource - \"bad.jpg\"");
}

TEST(JpegDecoder, ZeroAndAbsurdDimensionsAreRefusedBeforeDecoding) {
  for (auto [w, h] : {std::pair<uint16_t, uint16_t>{0, 9}, {13, 0}, {65000, 65000}, {16385, 1}}) {
    std::vector<uint8_t> jpeg = PictureFixtureBytes("halves.jpg");
    SetJpegSize(jpeg, w, h);
    ExpectFailure(DecodeJpg(jpeg.data(), jpeg.size(), "big.jpg", false), "BMP Unit", "Couldn't load JPG - \"big.jpg\"");
  }
}

TEST(JpegDecoder, AProgressiveFileWithHundredsOfScansIsStopped) {
  const std::vector<uint8_t> jpeg = PictureFixtureBytes("progressive.jpg");
  size_t lastScan = 0;
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) lastScan = i;
  ASSERT_NE(lastScan, 0u);
  const size_t end = jpeg.size() - 2;  // the end-of-image marker
  std::vector<uint8_t> many(jpeg.begin(), jpeg.begin() + end);
  for (int i = 0; i < 300; ++i) many.insert(many.end(), jpeg.begin() + lastScan, jpeg.begin() + end);
  many.insert(many.end(), {0xFF, 0xD9});
  ExpectFailure(DecodeJpg(many.data(), many.size(), "scans.jpg", false), "BMP Unit",
                "Couldn't load JPG - \"scans.jpg\"");
  many.resize(end + 20 * (end - lastScan));
  many.insert(many.end(), {0xFF, 0xD9});
  EXPECT_TRUE(DecodeJpg(many.data(), many.size(), "scans.jpg", false).Ok) << "a few repeated scans still decode";
}

TEST_F(TextureUpload, LoadersUploadUprightTexturesWithTheirFilters) {
  uint32_t texture = 0;
  ASSERT_TRUE(LoadBmpFile(PictureFixture("rgb24.bmp"), texture, false));
  int w = 0, h = 0;
  std::vector<uint8_t> texels = TextureLevel0(texture, w, h);
  ASSERT_EQ(w, 8);
  EXPECT_TRUE((TRgba8{texels[0], texels[1], texels[2], texels[3]}) == TestPicturePixel(0, 3, false));
  EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  GLint env = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_MODULATE);

  ASSERT_TRUE(LoadTgaMipmapped(PictureFixture("rgba32rle.tga"), texture));
  texels = TextureLevel0(texture, w, h);
  EXPECT_TRUE((TRgba8{texels[4], texels[5], texels[6], texels[7]}) == TestPicturePixel(1, 3, true));
  EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);

  ASSERT_TRUE(LoadJpgFile(PictureFixture("halves.jpg"), texture, false));
  texels = TextureLevel0(texture, w, h);
  EXPECT_EQ(texels[3], 255);
  EXPECT_TRUE(Near(TRgba8{texels[size_t(w) * (h - 1) * 4], texels[size_t(w) * (h - 1) * 4 + 1],
                          texels[size_t(w) * (h - 1) * 4 + 2], 255},
                   TRgba8{255, 0, 0, 255}, 24))
      << "the top texel row is the picture's top";
  EXPECT_TRUE(Log.Messages.empty());
}

TEST_F(TextureUpload, RowsWhoseLengthIsNotAMultipleOfFourUploadUnskewed) {
  uint32_t texture = 0;
  ASSERT_TRUE(LoadTgaFile(PictureFixture("odd24.tga"), texture, false));
  int w = 0, h = 0;
  const std::vector<uint8_t> texels = TextureLevel0(texture, w, h);
  const size_t topLeft = size_t(w) * (h - 1) * 4;
  // GLU scales 5 x 3 to a power of two; the corners keep their colours.
  EXPECT_TRUE(
      Near(TRgba8{texels[topLeft], texels[topLeft + 1], texels[topLeft + 2], 255}, TestPicturePixel(0, 0, false), 40));
  EXPECT_TRUE(Near(TRgba8{texels[0], texels[1], texels[2], 255}, TestPicturePixel(0, 2, false), 40));
}

TEST_F(TextureUpload, FailuresShowTheirMessageAndKeepTheOutParameter) {
  const std::string folder = ScratchFolder();
  uint32_t texture = 1234;
  EXPECT_FALSE(LoadTgaFile(folder + "/none.tga", texture, false));
  EXPECT_FALSE(LoadTgaMipmapped(folder + "/none.tga", texture));
  EXPECT_FALSE(LoadBmpFile(folder + "/none.bmp", texture, false));
  EXPECT_FALSE(LoadJpgFile(folder + "/none.jpg", texture, false));
  const std::string truncated = WriteScratchFile(folder, "cut.tga", std::vector<uint8_t>(20, 0));
  EXPECT_FALSE(LoadTgaFile(truncated, texture, false));
  const std::string shortTga = WriteScratchFile(folder, "short.tga", std::vector<uint8_t>(5, 0));
  EXPECT_THROW(LoadTgaMipmapped(shortTga, texture), EFileError);
  EXPECT_EQ(texture, 1234u);
  using M = std::pair<std::string, std::string>;
  EXPECT_EQ(Log.Messages,
            (std::vector<M>{
                {"TGA Texture", "File not found  - " + folder + "/none.tga"},
                {"TGA Texture", "File not found  - " + folder + "/none.tga"},
                {"BMP Unit", "Error opening " + folder + "/none.bmp"},
                {"BMP Unit", "Couldn't load JPG - \"" + folder + "/none.jpg\""},
                {"TGA File Error", "Couldn't load \"" + truncated + "\". Only 24 and 32bit TGA supported."},
            }));
}

TEST_F(TextureUpload, DispatchGoesByTheUpperCasedLastFourCharacters) {
  const std::string folder = ScratchFolder();
  const std::vector<uint8_t> jpeg = PictureFixtureBytes("halves.jpg");
  uint32_t texture = 77;
  LoadImageFile(WriteScratchFile(folder, "photo.jpeg", jpeg), texture, false);
  LoadImageFile(WriteScratchFile(folder, "a.png", jpeg), texture, false);
  LoadImageFile("jpg", texture, false);
  EXPECT_EQ(texture, 77u);
  EXPECT_TRUE(Log.Messages.empty());
  LoadImageFile(WriteScratchFile(folder, "PIC.Jpg", jpeg), texture, false);
  EXPECT_NE(texture, 77u);
  EXPECT_TRUE(glIsTexture(texture));
}

TEST_F(TextureUpload, StoredImagesAreFoundByTheNameBeforeTheFirstDot) {
  RegisterResourceImage("JPEG", "logo", PictureFixtureBytes("halves.jpg"));
  RegisterResourceImage("TGA", "logo", PictureFixtureBytes("rgb24.tga"));
  RegisterResourceImage("BMP", "broken", std::vector<uint8_t>(60, 0xFF));
  RegisterResourceImage("JPEG", "nodot", PictureFixtureBytes("halves.jpg"));  // never reached without a "."
  uint32_t texture = 5;
  EXPECT_TRUE(LoadJpgFile("logo.jpg", texture, true));
  EXPECT_NE(texture, 5u);
  texture = 5;
  EXPECT_TRUE(LoadTgaFile("logo.x.y", texture, true));
  texture = 5;
  EXPECT_FALSE(LoadJpgFile("nodot", texture, true));
  EXPECT_FALSE(LoadBmpFile("logo.bmp", texture, true));
  EXPECT_FALSE(LoadBmpFile("broken.bmp", texture, true));
  EXPECT_EQ(texture, 5u);
  using M = std::pair<std::string, std::string>;
  EXPECT_EQ(Log.Messages, (std::vector<M>{{"JPG Texture", "File not found in resource - nodot"},
                                          {"BMP Texture", "File not found in resource - logo.bmp"},
                                          {"BMP Unit", "Unable to read from resource - broken.bmp"}}));
}
