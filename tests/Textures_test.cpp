// Pictures and materials: the decoders on ImageMagick's pictures, their
// refusals and limits; the loaders, the texture registry, the material file
// and the GL state each kind of material sets.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <new>
#include <sstream>
#include <tuple>

#include "Amb2Materials.h"
#include "Amb2Textures.h"
#include "AmbSystem.h"
#include "EngineSupport.h"
#include "ModelsBytes.h"
#include "SpineSupport.h"
#include "TGA.h"

// The largest single allocation since the last reset: from this program's
// operator new, or under ASan from its hook on every malloc, libjpeg's too.
namespace {
std::atomic<size_t> largestAllocation{0};

void NoteAllocation(const volatile void*, size_t size) {
  size_t seen = largestAllocation.load();
  while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {
  }
}
}  // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVIX_ALLOCATION_HOOK
#endif
#endif

#ifdef TAVIX_ALLOCATION_HOOK
#include <sanitizer/allocator_interface.h>
[[maybe_unused]] static const int allocationHook =
    __sanitizer_install_malloc_and_free_hooks(NoteAllocation, [](const volatile void*) {});
#else
void* operator new(size_t size) {
  NoteAllocation(nullptr, size);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// Not inlined: the compiler would see free() meet what operator new returned.
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, size_t) noexcept { std::free(p); }
#endif

namespace {

// The pixel every ImageMagick test picture holds at (x, y), y counted from
// the top row (see tests/fixtures/images/make.sh).
TRgba8 TestPicturePixel(int x, int yFromTop, bool alpha) {
  return TRgba8{10 + 30 * x, 10 + 60 * yFromTop, 100 + 10 * x + yFromTop, alpha ? 255 - 20 * x - 5 * yFromTop : 255};
}

// One pixel of a decoded buffer; row 0 is the bottom row.
TRgba8 PixelOf(const TPixelBuffer& image, int x, int row) {
  const size_t bpp = image.Format == TPixelFormat::RGBA ? 4 : 3;
  const uint8_t* p = image.Pixels.data() + (size_t(row) * image.Width + size_t(x)) * bpp;
  return TRgba8{p[0], p[1], p[2], bpp == 4 ? p[3] : 255};
}

bool HoldsTestPicture(const TPixelBuffer& image, bool alpha) {
  for (uint32_t row = 0; row < image.Height; ++row)
    for (uint32_t x = 0; x < image.Width; ++x)
      if (!(PixelOf(image, int(x), int(row)) == TestPicturePixel(int(x), int(image.Height - 1 - row), alpha)))
        return false;
  return true;
}

// Decodes `bytes` as a file "x.<ext>" with the decoder of that extension.
TDecodeResult Decode(const std::string& ext, const std::vector<uint8_t>& bytes, bool fromResource = false) {
  const auto decode = ext == "bmp" ? DecodeBmp : ext == "tga" ? DecodeTga : DecodeJpg;
  return decode(bytes.data(), bytes.size(), "x." + ext, fromResource);
}

TDecodeResult DecodeFixture(const std::string& name) {
  return Decode(name.substr(name.size() - 3), PictureFixtureBytes(name));
}

// An 18-byte TGA header: no id, the colour-map flag, the image type, the size and the depth.
std::vector<uint8_t> TgaHeader(uint8_t type, uint8_t colorMap, uint16_t width, uint16_t height, uint8_t depth) {
  return TByteBuilder().U16(uint16_t(colorMap << 8)).U16(type).U32(0).U32(0).U16(width).U16(height).U16(depth).Bytes;
}

// The 54 bytes of BMP headers of a 24-bit picture.
std::vector<uint8_t> BmpHeader(uint32_t width, uint32_t height, uint32_t imageSize) {
  TByteBuilder b;
  b.Text("BM").U32(0).U32(0).U32(54).U32(40).U32(width).U32(height).U16(1).U16(24).U32(0).U32(imageSize);
  b.Bytes.resize(54);
  return b.Bytes;
}

// A grey picture as libjpeg writes it by default.
std::vector<uint8_t> GreyJpeg(uint32_t width, uint32_t height) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  std::tie(c.image_width, c.image_height, c.input_components, c.in_color_space) =
      std::tuple(width, height, 1, JCS_GRAYSCALE);
  jpeg_set_defaults(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(width, 128);
  for (JSAMPROW rows[] = {row.data()}; c.next_scanline < height;) jpeg_write_scanlines(&c, rows, 1);
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

// A whole picture for the decoder `kind`: "bmp", "tga", "rle" (runs of 128) or "jpg".
std::vector<uint8_t> WholePicture(const std::string& kind, uint32_t width, uint32_t height) {
  const uint64_t pixels = uint64_t(width) * height;
  if (kind == "jpg") return GreyJpeg(width, height);
  std::vector<uint8_t> bytes = kind == "bmp"
                                   ? BmpHeader(width, height, 0)
                                   : TgaHeader(kind == "rle" ? 10 : 2, 0, uint16_t(width), uint16_t(height), 24);
  if (kind == "bmp") bytes.resize(54 + size_t((width * 3 + 3) / 4 * 4) * height);
  if (kind == "tga") bytes.resize(18 + pixels * 3);
  for (uint64_t i = 0; kind == "rle" && i < pixels; i += 128) bytes.insert(bytes.end(), {0xFF, 0, 0, 0});
  return bytes;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t length) {
  bytes.resize(length);
  return bytes;
}

std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height) {
  size_t frame = 0;  // the frame header (SOF0 or SOF2)
  while (!(jpeg.at(frame) == 0xFF && (jpeg.at(frame + 1) == 0xC0 || jpeg.at(frame + 1) == 0xC2))) ++frame;
  const uint8_t size[] = {uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width)};
  std::copy(size, size + 4, jpeg.begin() + long(frame) + 5);
  return jpeg;
}

// The progressive picture with its last scan repeated `extra` times.
std::vector<uint8_t> WithRepeatedScans(int extra) {
  const std::vector<uint8_t> jpeg = PictureFixtureBytes("progressive.jpg");
  size_t lastScan = 0;
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) lastScan = i;
  std::vector<uint8_t> many(jpeg.begin(), jpeg.end() - 2);  // without the end-of-image marker
  for (int i = 0; i < extra; ++i) many.insert(many.end(), jpeg.begin() + long(lastScan), jpeg.end() - 2);
  many.insert(many.end(), {0xFF, 0xD9});
  return many;
}

// Level 0 of a texture, bottom row first, its width, and a parameter.
std::vector<TRgba8> Texels(uint32_t texture, int& width, int& minFilter) {
  int height = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  std::vector<uint8_t> bytes(size_t(width) * size_t(height) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  std::vector<TRgba8> texels;
  for (size_t i = 0; i < bytes.size(); i += 4)
    texels.push_back(TRgba8{bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
  return texels;
}

// Texture 3, Blend 1, SphereMap 0, the mode, colour and blend colour 0.1 to
// 0.8, AlphaBlend 7 (any non-zero byte is true), the texture name.
std::vector<uint8_t> MaterialBytes(uint32_t mode, const std::string& textureName, int32_t nameLength) {
  TByteBuilder b;
  b.U32(3).U16(1).U32(mode);
  for (float f : {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f}) b.F32(f);
  return b.Text("\x07").I32(nameLength).Text(textureName).Bytes;
}

// The state a material sets: blending and its factors, texturing (and whether
// `texture` is bound), sphere mapping, colour tracking and the colour.
std::string MaterialState(uint32_t texture) {
  const std::map<GLint, const char*> factors = {{GL_ZERO, "zero"},        {GL_ONE, "one"},
                                                {GL_SRC_ALPHA, "alpha"},  {GL_ONE_MINUS_SRC_ALPHA, "1-alpha"},
                                                {GL_SRC_COLOR, "colour"}, {GL_DST_COLOR, "dst-colour"}};
  GLint src = 0, dst = 0, bound = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  const std::array<float, 4> c = CurrentColor();
  std::ostringstream state;
  state << "blend " << int(glIsEnabled(GL_BLEND)) << " " << factors.at(src) << "/" << factors.at(dst) << " texture "
        << int(glIsEnabled(GL_TEXTURE_2D)) << int(uint32_t(bound) == texture) << " sphere "
        << int(glIsEnabled(GL_TEXTURE_GEN_S)) << int(glIsEnabled(GL_TEXTURE_GEN_T)) << " tracking "
        << int(glIsEnabled(GL_COLOR_MATERIAL)) << " colour " << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
  return state.str();
}

// A GL context, and every message box recorded instead of shown.
class GLTextures : public ::testing::Test {
 protected:
  void SetUp() override { PrepareGL(); }
  spine::TMessageLog Log;
  const std::vector<std::string>& Messages = Log.Shown;
};

}  // namespace

TEST(Decoders, ImageMagickPicturesComeOutUprightWithTheirChannelsInPlace) {
  // BMP rows are padded to four bytes, the odd picture's too; writers often
  // leave the image-size field 0, and then the size comes from the rows.
  for (const char* name : {"rgb24.bmp", "odd24.bmp"}) {
    std::vector<uint8_t> unsized = PictureFixtureBytes(name);
    std::fill(unsized.begin() + 14 + 20, unsized.begin() + 14 + 24, 0);
    for (const TDecodeResult& r : {DecodeFixture(name), Decode("bmp", unsized)}) {
      ASSERT_TRUE(r.Ok) << name << ": " << r.Text;
      EXPECT_EQ(r.Image.Format, TPixelFormat::RGB);
      EXPECT_TRUE(r.Image.Width > 4 && HoldsTestPicture(r.Image, false)) << name;
    }
  }
  for (bool alpha : {false, true}) {
    const TDecodeResult raw = DecodeFixture(alpha ? "rgba32.tga" : "rgb24.tga");
    const TDecodeResult rle = DecodeFixture(alpha ? "rgba32rle.tga" : "rgb24rle.tga");
    ASSERT_TRUE(raw.Ok && rle.Ok) << raw.Text << rle.Text;
    EXPECT_EQ(raw.Image.Format, alpha ? TPixelFormat::RGBA : TPixelFormat::RGB);
    EXPECT_TRUE(HoldsTestPicture(raw.Image, alpha));
    EXPECT_EQ(raw.Image.Pixels, rle.Image.Pixels);
  }
  EXPECT_TRUE(HoldsTestPicture(DecodeFixture("odd24.tga").Image, false));

  for (const char* name : {"halves.jpg", "progressive.jpg"}) {  // 13 x 9, red over blue
    const TDecodeResult r = DecodeFixture(name);
    ASSERT_TRUE(r.Ok) << name;
    EXPECT_EQ(r.Image.Format, TPixelFormat::RGBA);
    EXPECT_EQ(std::make_pair(r.Image.Width, r.Image.Height), std::make_pair(13u, 9u));
    for (size_t i = 3; i < r.Image.Pixels.size(); i += 4) ASSERT_EQ(r.Image.Pixels[i], 255);
    EXPECT_TRUE(Near(PixelOf(r.Image, 6, 0), TRgba8{0, 0, 255, 255}, 24)) << name << ": bottom row is blue";
    EXPECT_TRUE(Near(PixelOf(r.Image, 6, 8), TRgba8{255, 0, 0, 255}, 24)) << name << ": top row is red";
  }
  const TRgba8 grey = PixelOf(DecodeFixture("grey.jpg").Image, 3, 2);
  EXPECT_TRUE(grey.r == grey.g && grey.g == grey.b && Near(grey, TRgba8{128, 128, 128, 255}, 3));
  EXPECT_TRUE(Decode("jpg", WithRepeatedScans(20)).Ok) << "a few repeated scans still decode";

  // A run of 2, a raw packet of 2, then a run of 128 cut at the image's end.
  std::vector<uint8_t> packets = TgaHeader(10, 0, 2, 3, 24);
  packets.insert(packets.end(), {0x81, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9, 0xFF, 10, 11, 12, 0x00, 99, 99, 99});
  EXPECT_EQ(Decode("tga", packets).Image.Pixels,
            std::vector<uint8_t>({3, 2, 1, 3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 12, 11, 10}));
  std::vector<uint8_t> early = TgaHeader(10, 0, 2, 2, 32);
  early.insert(early.end(), {0x7F, 1, 2, 3, 4, 5, 6, 7});  // raw packet of 128, data for one and a half
  EXPECT_EQ(Decode("tga", early).Image.Pixels, std::vector<uint8_t>({3, 2, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// Each refusal allocates nothing of the picture's size: a file too short for
// the picture it announces is refused before the allocation (run-length data
// may expand 128 times, no more).
TEST(Decoders, EveryRefusalGivesItsLoadersMessageWithoutThePicturesAllocation) {
  const std::vector<uint8_t> bmp = PictureFixtureBytes("rgb24.bmp"), jpeg = PictureFixtureBytes("halves.jpg");
  std::vector<uint8_t> palette = bmp, oneRow = bmp, tiny = BmpHeader(4096, 4096, 6);
  std::vector<uint8_t> run = TgaHeader(10, 0, 1, 129, 24), bigRun = TgaHeader(10, 0, 4096, 4096, 24);
  palette[14 + 32] = palette[14 + 33] = 0xFF;              // colours used: far more bytes than the file holds
  std::copy_n("\x18\0\0\0", 4, oneRow.begin() + 14 + 20);  // the data of one row of four
  tiny.resize(60);
  for (std::vector<uint8_t>* packets : {&run, &bigRun}) packets->insert(packets->end(), {0xFF, 1, 2, 3});
  const std::string tga = "TGA File Error: Couldn't load \"x.tga\". ", jpg = "BMP Unit: Couldn't load JPG - \"x.jpg\"";
  const std::tuple<std::string, std::vector<uint8_t>, bool, std::string> cases[] = {
      {"bmp", Cut(bmp, bmp.size() - 1), false, "BMP Unit: Error reading bitmap data"},
      {"bmp", Cut(bmp, bmp.size() - 1), true, "BMP Unit: Unable to read from resource - x.bmp"},
      {"bmp", Cut(bmp, 30), false, "BMP Unit: Error reading bitmap data"},
      {"bmp", palette, false, "BMP Unit: Error reading palette"},
      {"bmp", oneRow, false, "BMP Unit: Too little data for 8 x 4 pixels - x.bmp"},
      {"bmp", tiny, false, "BMP Unit: Too little data for 4096 x 4096 pixels - x.bmp"},
      {"tga", PictureFixtureBytes("palette.tga"), false, tga + "Only 24 and 32bit TGA supported."},
      {"tga", PictureFixtureBytes("grey.tga"), false, tga + "Only 24 and 32bit TGA supported."},
      {"tga", TgaHeader(2, 1, 1, 1, 24), false, tga + "Colormapped TGA files not supported."},
      {"tga", TgaHeader(10, 0, 1, 1, 16), false, tga + "Only 24 and 32 bit TGA files supported."},
      {"tga", Cut(TgaHeader(2, 0, 8, 4, 24), 17), true, "BMP Unit: Unable to read from resource - x.tga"},
      {"tga", TgaHeader(2, 0, 4096, 4096, 32), false, "TGA File Error: Couldn't read file \"x.tga\"."},
      {"tga", run, false, tga + "Too little data for 1 x 129 pixels."},
      {"tga", bigRun, false, tga + "Too little data for 4096 x 4096 pixels."},
      {"jpg", Cut(jpeg, 2), true, "BMP Unit: Couldn't load JPG Resource - \"x.jpg\""},
      {"jpg", WithRepeatedScans(300), false, jpg},
      {"jpg", WithJpegSize(jpeg, 0, 9), false, jpg},
      {"jpg", WithJpegSize(jpeg, 4096, 4096), false, jpg + ". Too little data for 4096 x 4096 pixels."},
      {"jpg", WithJpegSize(PictureFixtureBytes("progressive.jpg"), 16384, 1024), false,
       jpg + ". Too little data for 16384 x 1024 pixels."},
  };
  for (const auto& [ext, bytes, fromResource, message] : cases) {
    largestAllocation = 0;
    const TDecodeResult r = Decode(ext, bytes, fromResource);
    EXPECT_LT(largestAllocation.load(), size_t(1) << 20) << message;
    EXPECT_EQ(r.Ok ? "" : r.Caption + ": " + r.Text, message) << ext << ", " << bytes.size() << " bytes";
  }
  // A file shorter than the TGA header is the one refusal that is thrown.
  EXPECT_TRUE(Contains(ErrorOf<EFileError>([] { Decode("tga", Cut(TgaHeader(2, 0, 8, 4, 24), 17)); }), "x.tga"));
}

TEST(Decoders, EachTakesTheLargestPictureAndRefusesOnePastItInWidthHeightOrPixelCount) {
  const std::tuple<uint32_t, uint32_t, bool> edges[] = {
      {16384, 1024, true}, {1024, 16384, true}, {16385, 1, false}, {1, 16385, false}, {16384, 1025, false}};
  for (const std::string kind : {"bmp", "tga", "rle", "jpg"})
    for (const auto& [width, height, accepted] : edges) {
      const TDecodeResult r = Decode(kind == "rle" ? "tga" : kind, WholePicture(kind, width, height));
      EXPECT_EQ(r.Ok, accepted) << kind << ", " << width << " x " << height << ": " << r.Text;
    }
}

TEST_F(GLTextures, LoadersUploadUprightTexturesWithTheirFiltersOrShowTheirMessage) {
  uint32_t texture = 0;
  int w = 0, filter = 0;
  ASSERT_TRUE(LoadBmpFile(PictureFixture("rgb24.bmp"), texture, false));
  EXPECT_TRUE(Texels(texture, w, filter).at(0) == TestPicturePixel(0, 3, false));
  EXPECT_EQ(filter, GL_LINEAR);
  ASSERT_TRUE(LoadTgaMipmapped(PictureFixture("rgba32rle.tga"), texture));
  EXPECT_TRUE(Texels(texture, w, filter).at(1) == TestPicturePixel(1, 3, true));
  EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
  // Rows of 5 x 3 bytes are no multiple of four: uploaded unskewed, scaled by
  // GLU to a power of two with the corners keeping their colours.
  ASSERT_TRUE(LoadTgaFile(PictureFixture("odd24.tga"), texture, false));
  const std::vector<TRgba8> odd = Texels(texture, w, filter);
  EXPECT_TRUE(Near(odd.at(odd.size() - size_t(w)), TestPicturePixel(0, 0, false), 40));
  EXPECT_TRUE(Near(odd.at(0), TestPicturePixel(0, 2, false), 40));
  EXPECT_TRUE(Messages.empty());

  const std::string none = ScratchPath("none"), cut = WriteScratchFile("cut.tga", std::vector<uint8_t>(20, 0));
  texture = 1234;
  EXPECT_FALSE(LoadTgaFile(none + ".tga", texture, false) || LoadTgaMipmapped(none + ".tga", texture) ||
               LoadBmpFile(none + ".bmp", texture, false) || LoadJpgFile(none + ".jpg", texture, false) ||
               LoadTgaFile(cut, texture, false));
  EXPECT_THROW(LoadTgaMipmapped(WriteScratchFile("short.tga", std::vector<uint8_t>(5, 0)), texture), EFileError);
  EXPECT_EQ(texture, 1234u);
  EXPECT_EQ(Messages,
            (std::vector<std::string>{
                "TGA Texture: File not found  - " + none + ".tga", "TGA Texture: File not found  - " + none + ".tga",
                "BMP Unit: Error opening " + none + ".bmp", "BMP Unit: Couldn't load JPG - \"" + none + ".jpg\"",
                "TGA File Error: Couldn't load \"" + cut + "\". Only 24 and 32bit TGA supported."}));
}

TEST_F(GLTextures, DispatchGoesByTheUpperCasedLastFourCharactersAndStoredImagesByTheFirstDot) {
  const std::vector<uint8_t> jpeg = PictureFixtureBytes("halves.jpg");
  uint32_t texture = 77777;
  for (const std::string& name :
       {WriteScratchFile("photo.jpeg", jpeg), WriteScratchFile("a.png", jpeg), std::string("jpg")})
    LoadImageFile(name, texture, false);
  EXPECT_TRUE(texture == 77777u && Messages.empty());
  LoadImageFile(WriteScratchFile("PIC.Jpg", jpeg), texture, false);
  EXPECT_TRUE(texture != 77777u && glIsTexture(texture));

  RegisterResourceImage("JPEG", "logo", jpeg);
  RegisterResourceImage("TGA", "logo", PictureFixtureBytes("rgb24.tga"));
  RegisterResourceImage("BMP", "broken", std::vector<uint8_t>(60, 0xFF));
  RegisterResourceImage("JPEG", "nodot", jpeg);  // never reached without a "."
  texture = 55555;
  EXPECT_TRUE(LoadJpgFile("logo.jpg", texture, true) && texture != 55555u);
  texture = 55555;
  EXPECT_TRUE(LoadTgaFile("logo.x.y", texture, true) && texture != 55555u);
  texture = 55555;
  EXPECT_FALSE(LoadJpgFile("nodot", texture, true) || LoadBmpFile("logo.bmp", texture, true) ||
               LoadBmpFile("broken.bmp", texture, true));
  EXPECT_EQ(texture, 55555u);
  EXPECT_EQ(Messages, (std::vector<std::string>{"JPG Texture: File not found in resource - nodot",
                                                "BMP Texture: File not found in resource - logo.bmp",
                                                "BMP Unit: Unable to read from resource - broken.bmp"}));
}

TEST(MaterialFile, FieldsComeInFileOrderAndAShortFileLeavesTheRest) {
  const std::string path = WriteScratchFile("m.mat", MaterialBytes(1, "rock.tga", 8));
  Material m;
  m.LoadFromFile(path);
  EXPECT_TRUE(m.TextureID == 3u && m.Blend && !m.SphereMap && m.Mode == 1u && m.AlphaBlend);
  EXPECT_FLOAT_EQ(m.Color.g, 0.2f);
  EXPECT_FLOAT_EQ(m.BlendColor.a, 0.8f);
  EXPECT_EQ(m.TextureName, "rock.tga");
  EXPECT_EQ(m.FileName, path);
  Material partial;
  partial.Mode = 9;
  partial.TextureName = "kept.jpg";
  const std::vector<uint8_t> bytes = MaterialBytes(1, "", 0);
  ParseMaterial(partial, bytes.data(), 8, "m.mat");
  EXPECT_TRUE(partial.TextureID == 3u && partial.Blend);
  EXPECT_EQ(partial.Mode, 9u) << "only two of its four bytes are there";
  EXPECT_EQ(partial.TextureName, "kept.jpg");
  for (int32_t length : {-1, 9, 1 << 30}) {
    const std::vector<uint8_t> bad = MaterialBytes(1, "rock.tga", length);
    EXPECT_TRUE(Contains(ErrorOf<EFileError>([&] { ParseMaterial(m, bad.data(), bad.size(), "bad.mat"); }), "bad.mat"))
        << "name length " << length;
  }
}

TEST_F(GLTextures, TheRegistryDecodesOncePerExactNameAndMaterialsTryOnce) {
  RegisterTexture("reg-a", 5);
  RegisterTexture("reg-b", 6);
  RegisterTexture("reg-a", 7);
  EXPECT_EQ(FindTexture("reg-a"), 7u) << "the last entry wins";
  EXPECT_EQ(FindTexture("REG-A"), TextureNotFound);
  EXPECT_EQ(FindTexture("reg-a "), TextureNotFound);
  const std::vector<uint8_t> jpeg = PictureFixtureBytes("halves.jpg"), tga = PictureFixtureBytes("rgb24.tga");
  const std::string lower = WriteScratchFile("logo.jpg", jpeg), upper = WriteScratchFile("LOGO.JPG", jpeg);
  size_t entries = TextureRegistry().size();
  const uint32_t first = LoadTexture(lower);
  EXPECT_EQ(LoadTexture(lower), first);
  EXPECT_TRUE(LoadTexture(upper) != first && glIsTexture(first));
  EXPECT_EQ(LoadTexture(ScratchPath("missing.jpg")), TextureNotFound);
  EXPECT_EQ(LoadTexture(ScratchPath("missing.jpg")), TextureNotFound) << "a failure is tried again";
  EXPECT_EQ(TextureRegistry().size(), entries + 4);

  // A material chooses the trilinear loader by a last character "a".
  Material trilinear, linear, preset, broken;
  trilinear.TextureName = preset.TextureName = WriteScratchFile("a.tga", tga);
  linear.TextureName = WriteScratchFile("b.TGA", tga);
  preset.TextureID = 42;
  broken.TextureName = ScratchPath("gone.tga");
  entries = TextureRegistry().size();
  for (Material* m : {&trilinear, &linear, &preset, &broken, &broken}) m->PrepareTexture();
  int w = 0, filter = 0;
  Texels(trilinear.TextureID, w, filter);
  EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
  Texels(linear.TextureID, w, filter);
  EXPECT_EQ(filter, GL_LINEAR);
  EXPECT_EQ(preset.TextureID, 42u);
  EXPECT_EQ(broken.TextureID, TextureNotFound);
  EXPECT_EQ(TextureRegistry().size(), entries + 3);
  EXPECT_EQ(Messages.size(), 3u) << "two for the missing picture, one for the material";
}

TEST_F(GLTextures, EachKindOfMaterialSetsItsBlendingTexturingAndColour) {
  const uint32_t texture = LoadTexture(PictureFixture("rgb24.bmp"));
  const std::tuple<uint32_t, bool, bool, bool, const char*> cases[] = {
      // mode, blend, sphere map, alpha blend
      {0, false, true, true, "blend 0 zero/zero texture 00 sphere 00 tracking 1 colour 1 0 0 1"},
      {0, true, false, false, "blend 1 one/one texture 00 sphere 00 tracking 1 colour 0 0.5 0 0.25"},
      {1, false, true, false, "blend 0 zero/zero texture 11 sphere 11 tracking 0 colour 1 1 1 1"},
      {1, true, true, true, "blend 1 alpha/1-alpha texture 11 sphere 11 tracking 0 colour 0 0.5 0 0.25"},
      {1, true, false, false, "blend 1 colour/dst-colour texture 11 sphere 00 tracking 0 colour 0 0.5 0 0.25"},
      {2, true, true, true, "blend 0 zero/zero texture 10 sphere 10 tracking 1 colour 0.5 0.5 0.5 0.5"},
  };
  for (const auto& [mode, blend, sphereMap, alphaBlend, state] : cases) {
    for (const GLenum cap : {GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_COLOR_MATERIAL}) glEnable(cap);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    Material m;
    m.Mode = mode;
    m.Blend = blend;
    m.SphereMap = sphereMap;
    m.AlphaBlend = alphaBlend;
    m.TextureID = texture;
    m.Color = TColorRGBA{1, 0, 0, 1};
    m.BlendColor = TColorRGBA{0, 0.5f, 0, 0.25f};
    m.Apply();
    EXPECT_EQ(MaterialState(texture), state) << "mode " << mode << ", blend " << blend << ", sphere " << sphereMap;
  }
  GLint tracked = 0;
  glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &tracked);
  EXPECT_EQ(tracked, GL_AMBIENT_AND_DIFFUSE);
}
