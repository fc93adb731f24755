// The texture registry (decode once per exact name, failures retried), the
// material file reader, and the GL state that materials and the switches
// leave, read back from a real offscreen context.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

#include "Amb2Materials.h"
#include "AmbSystem.h"
#include "PicturesSupport.h"

namespace {

size_t EntriesNamed(const std::string& name) {
  size_t n = 0;
  for (const TTexRegItem& item : TextureRegistry()) n += item.Name == name;
  return n;
}

template <typename T>
void Put(std::vector<uint8_t>& bytes, const T& value) {
  const auto* p = reinterpret_cast<const uint8_t*>(&value);
  bytes.insert(bytes.end(), p, p + sizeof(T));
}

std::vector<uint8_t> MaterialBytes(uint32_t textureId, uint32_t mode, const std::string& textureName,
                                   int32_t nameLength) {
  std::vector<uint8_t> b;
  Put(b, textureId);
  b.push_back(1);  // Blend
  b.push_back(0);  // SphereMap
  Put(b, mode);
  for (float f : {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f}) Put(b, f);
  b.push_back(7);  // AlphaBlend: any non-zero byte is true
  Put(b, nameLength);
  b.insert(b.end(), textureName.begin(), textureName.end());
  return b;
}

std::array<float, 4> CurrentColor() {
  std::array<float, 4> c{};
  glGetFloatv(GL_CURRENT_COLOR, c.data());
  return c;
}

std::array<GLint, 2> BlendFactors() {
  GLint src = 0, dst = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  return {src, dst};
}

class GLMaterials : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenPicturesWindow();
    Folder = ScratchFolder();
  }
  std::string Folder;
  TMessageLog Log;
};

}  // namespace

TEST(TextureRegistry, TheLastEntryOfAnExactNameWins) {
  RegisterTexture("reg-a", 5);
  RegisterTexture("reg-b", 6);
  RegisterTexture("reg-a", 7);
  EXPECT_EQ(FindTexture("reg-a"), 7u);
  EXPECT_EQ(FindTexture("REG-A"), TextureNotFound);
  EXPECT_EQ(FindTexture("reg-a "), TextureNotFound);
}

TEST(MaterialFile, AShortFileLeavesTheLaterFieldsAsTheyWere) {
  Material m;
  m.Mode = 9;
  m.TextureName = "kept.jpg";
  m.AlphaBlend = true;
  const std::vector<uint8_t> bytes = MaterialBytes(3, 1, "", 0);
  ParseMaterial(m, bytes.data(), 8, "m.mat");
  EXPECT_EQ(m.TextureID, 3u);
  EXPECT_TRUE(m.Blend);
  EXPECT_EQ(m.Mode, 9u) << "only two of its four bytes are there";
  EXPECT_EQ(m.TextureName, "kept.jpg");
  EXPECT_TRUE(m.AlphaBlend);
}

TEST(MaterialFile, ABadNameLengthIsAFileErrorNamingTheFile) {
  for (int32_t length : {-1, 9, 1 << 30}) {
    Material m;
    const std::vector<uint8_t> bytes = MaterialBytes(0, 1, "rock.tga", length);
    try {
      ParseMaterial(m, bytes.data(), bytes.size(), "bad.mat");
      ADD_FAILURE() << "length " << length << " accepted";
    } catch (const EFileError& e) {
      EXPECT_NE(std::string(e.what()).find("bad.mat"), std::string::npos);
    }
  }
}

TEST(MaterialFile, LoadFromFileReadsTheFieldsInFileOrderOrRaisesTheOpenError) {
  const std::string folder = ScratchFolder();
  const std::string path = WriteScratchFile(folder, "m.mat", MaterialBytes(0, 1, "rock.tga", 8));
  Material m;
  m.LoadFromFile(path);
  EXPECT_TRUE(m.Blend && !m.SphereMap && m.AlphaBlend);
  EXPECT_EQ(m.Mode, 1u);
  EXPECT_FLOAT_EQ(m.Color.g, 0.2f);
  EXPECT_FLOAT_EQ(m.BlendColor.a, 0.8f);
  EXPECT_EQ(m.TextureName, "rock.tga");
  EXPECT_EQ(m.FileName, path);
  EXPECT_THROW(m.LoadFromFile(folder + "/missing.mat"), EFileError);
}

TEST_F(GLMaterials, OneDecodePerExactNameAndFailuresAreRetried) {
  const std::vector<uint8_t> jpeg = PictureFixtureBytes("halves.jpg");
  const std::string lower = WriteScratchFile(Folder, "logo.jpg", jpeg);
  const std::string upper = WriteScratchFile(Folder, "LOGO.JPG", jpeg);
  const uint32_t first = LoadTexture(lower);
  EXPECT_EQ(LoadTexture(lower), first);
  EXPECT_EQ(EntriesNamed(lower), 1u);
  const uint32_t second = LoadTexture(upper);
  EXPECT_NE(second, first);
  EXPECT_TRUE(glIsTexture(first) && glIsTexture(second));

  const std::string missing = Folder + "/missing.jpg";
  EXPECT_EQ(LoadTexture(missing), TextureNotFound);
  EXPECT_EQ(LoadTexture(missing), TextureNotFound);
  EXPECT_EQ(Log.Messages.size(), 2u);
  EXPECT_EQ(EntriesNamed(missing), 2u);
}

TEST_F(GLMaterials, PrepareTextureChoosesTheLoaderByTheLastCharacter) {
  const std::vector<uint8_t> tga = PictureFixtureBytes("rgb24.tga");
  Material trilinear, linear, preset;
  trilinear.TextureName = WriteScratchFile(Folder, "a.tga", tga);
  linear.TextureName = WriteScratchFile(Folder, "b.TGA", tga);
  preset.TextureName = trilinear.TextureName;
  preset.TextureID = 42;
  const size_t entries = TextureRegistry().size();
  trilinear.PrepareTexture();
  linear.PrepareTexture();
  preset.PrepareTexture();
  EXPECT_EQ(TextureParameter(trilinear.TextureID, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(TextureParameter(linear.TextureID, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(preset.TextureID, 42u);
  EXPECT_EQ(TextureRegistry().size(), entries + 2);

  Material broken;
  broken.TextureName = Folder + "/gone.tga";
  broken.PrepareTexture();
  broken.PrepareTexture();
  EXPECT_EQ(broken.TextureID, TextureNotFound);
  EXPECT_EQ(Log.Messages.size(), 1u) << "a failed material does not try again";
}

TEST_F(GLMaterials, ColourModeBlendsAdditivelyInTheBlendColour) {
  Material m;
  m.Mode = 0;
  m.Color = TColorRGBA{1, 0, 0, 1};
  m.BlendColor = TColorRGBA{0, 0.5f, 0, 1};
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_TEXTURE_GEN_S);
  m.Blend = true;
  m.Apply();
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(BlendFactors(), (std::array<GLint, 2>{GL_ONE, GL_ONE}));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0, 0.5f, 0, 1}));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_TEXTURE_GEN_S));
  m.Blend = false;
  m.Apply();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{1, 0, 0, 1}));
}

TEST_F(GLMaterials, TexturedModeBindsSphereMapsAndBlendsByAlphaOrColour) {
  Material m;
  m.Mode = 1;
  m.TextureID = LoadTexture(PictureFixture("rgb24.bmp"));
  m.SphereMap = true;
  m.Blend = true;
  m.BlendColor = TColorRGBA{1, 1, 1, 0.25f};
  glEnable(GL_COLOR_MATERIAL);
  glBindTexture(GL_TEXTURE_2D, 0);
  m.AlphaBlend = true;
  m.Apply();
  GLint bound = 0, tracked = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &tracked);
  EXPECT_EQ(uint32_t(bound), m.TextureID);
  EXPECT_EQ(tracked, GL_AMBIENT_AND_DIFFUSE);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_TEXTURE_GEN_S) && glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(BlendFactors(), (std::array<GLint, 2>{GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}));
  EXPECT_EQ(CurrentColor()[3], 0.25f);
  m.AlphaBlend = false;
  m.SphereMap = false;
  m.Apply();
  EXPECT_EQ(BlendFactors(), (std::array<GLint, 2>{GL_SRC_COLOR, GL_DST_COLOR}));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));

  m.Mode = 2;
  glDisable(GL_BLEND);
  glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
  m.Apply();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{0.5f, 0.5f, 0.5f, 0.5f}));
}

TEST_F(GLMaterials, ResetMaterialStateTurnsEverythingOffAndTheColourWhite) {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  EnableSphereMap();
  glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
  ResetMaterialState();
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_BLEND) || glIsEnabled(GL_TEXTURE_GEN_S) ||
               glIsEnabled(GL_TEXTURE_GEN_T));
  EXPECT_EQ(CurrentColor(), (std::array<float, 4>{1, 1, 1, 1}));
}
