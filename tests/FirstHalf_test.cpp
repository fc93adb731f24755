// The show from the first intro picture to the spring-eased ball, played on
// the virtual clock with the generated data and a shortened time-sync table:
// the parts in order, a clean GL error state on every frame, and what the
// pictures show at chosen moments.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <map>

#include "AmbInput.h"
#include "Show2Support.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvEffect2.h"
#include "tvHeadless.h"

namespace {

constexpr int W = 800, H = 600;
constexpr int BottomBand = 112, TopBandStart = 488;

// A frame wanted in a part at the first moment its part time reaches From.
struct TProbe {
  int32_t Part;
  uint32_t From;
  TFrameShot Shot;
  uint32_t ShotTime = 0;
  bool Taken = false;
};

// GL state a part leaves behind for the next one, read at the end of a frame.
struct TPartState {
  bool Culling = false, Fog = false, SphereMap = false;
  GLint PolygonMode = 0;
  GLint TrailFormat = 0;  // internal format of the render texture
};

class FirstHalf : public testing::Test {
 protected:
  static inline std::string Data;
  static inline std::vector<int32_t> PartsSeen;
  static inline std::vector<std::string> Errors;
  static inline std::vector<TProbe> Probes;
  static inline THeadlessResult Result;
  static inline std::map<int32_t, TPartState> States;  // at part time 1 s
  static inline std::map<int32_t, int> FramesPerPart;

  // One run for the whole suite: part -1 lasts about 6 s, part 0 3 s and
  // parts 1 to 3 4 s each; Escape ends the run shortly before part 4.
  static void SetUpTestSuite() {
    Data = CopyDemoData();
    WriteTimeSyncFile(Data, {8000, 11000, 15000, 19000, 23000, 100000});
    Probes = {{-1, 500, {}}, {-1, 3600, {}}, {0, 0, {}},    {0, 1000, {}},
              {0, 2100, {}}, {1, 2000, {}},  {2, 2000, {}}, {3, 1000, {}}};
    THeadlessOptions options;
    options.DataDir = Data;
    options.Keys = {{DIK_ESCAPE, 22800, INT_MAX}};
    options.OnFrame = OnFrame;
    Result = RunHeadless(options);
  }

  static void TearDownTestSuite() { RemoveDemoData(Data); }

  static void OnFrame(const TGLWindow& window) {
    if (GLenum e = glGetError(); e != GL_NO_ERROR)
      Errors.push_back("GL error " + std::to_string(e) + " in part " + std::to_string(CurrentPart));
    if (PartsSeen.empty() || PartsSeen.back() != CurrentPart) PartsSeen.push_back(CurrentPart);
    ++FramesPerPart[CurrentPart];
    if (PartTime >= 1000 && !States.count(CurrentPart)) States[CurrentPart] = ReadPartState();
    for (TProbe& probe : Probes) {
      if (probe.Taken || probe.Part != CurrentPart || PartTime < probe.From) continue;
      probe.Shot = ReadFrame(window);
      probe.ShotTime = PartTime;
      probe.Taken = true;
    }
  }

  static TPartState ReadPartState() {
    TPartState state;
    state.Culling = glIsEnabled(GL_CULL_FACE);
    state.Fog = glIsEnabled(GL_FOG);
    state.SphereMap = glIsEnabled(GL_TEXTURE_GEN_S);
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    state.PolygonMode = modes[0];
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, RenderTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &state.TrailFormat);
    glBindTexture(GL_TEXTURE_2D, bound);
    return state;
  }

  static const TProbe& Probe(int32_t part, uint32_t from) {
    for (const TProbe& probe : Probes)
      if (probe.Part == part && probe.From == from && probe.Taken) return probe;
    throw std::runtime_error("no frame of part " + std::to_string(part) + " at " + std::to_string(from));
  }

  static bool Near(const TShotPixel& a, const TShotPixel& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
  }

  // Share of the 20 x 20 blocks of the rows [y0, y1) whose mean colour is
  // that of the picture stretched over the window (block means are blind to
  // the texture filtering of fine lines).
  static double PictureShare(const TFrameShot& shot, const TPixelBuffer& picture, int y0, int y1) {
    constexpr int Block = 20;
    int matching = 0, blocks = 0;
    for (int by = y0; by + Block <= y1; by += Block)
      for (int bx = 0; bx + Block <= W; bx += Block, ++blocks) {
        TShotPixel frameSum, pictureSum;
        for (int y = by; y < by + Block; ++y)
          for (int x = bx; x < bx + Block; ++x) {
            const TShotPixel f = shot.At(x, y), p = PictureAtWindowPixel(picture, x, y, W, H);
            frameSum = {frameSum.r + f.r, frameSum.g + f.g, frameSum.b + f.b};
            pictureSum = {pictureSum.r + p.r, pictureSum.g + p.g, pictureSum.b + p.b};
          }
        if (Near(frameSum, pictureSum, 12 * Block * Block)) ++matching;
      }
    return blocks ? static_cast<double>(matching) / blocks : 0;
  }

  static void CheckPartsFollowInOrderWithoutAGLError() {
    EXPECT_EQ(Result.ExitCode, 0);
    EXPECT_TRUE(Result.Messages.empty());
    EXPECT_EQ(PartsSeen, (std::vector<int32_t>{-1, 0, 1, 2, 3}));
    EXPECT_TRUE(Errors.empty()) << Errors.front();
  }

  static void CheckIntroPictureFadesOutAndTheLogoFadesIn() {
    const TPixelBuffer velkrona = DecodeDataPicture(Data, "velkrona.jpg");
    EXPECT_GT(PictureShare(Probe(-1, 500).Shot, velkrona, 0, H), 0.9);
    EXPECT_EQ(Probe(-1, 3600).Shot.MeanBrightness(), 0.0);

    // Part 0: black at its start, then the logo shows through in proportion.
    const TProbe& start = Probe(0, 0);
    const TProbe& middle = Probe(0, 1000);
    const double full = Probe(0, 2100).Shot.MeanBrightness();
    EXPECT_GT(full, 5.0);
    EXPECT_LE(start.Shot.MeanBrightness(), full * start.ShotTime / 2000.0 + 0.5);
    EXPECT_NEAR(middle.Shot.MeanBrightness() / full, middle.ShotTime / 2000.0, 0.03);
    EXPECT_GT(PictureShare(Probe(0, 2100).Shot, DecodeDataPicture(Data, "logo.jpg"), 0, H), 0.9);
  }

  // Where the letterbox picture is black, nothing brightens the black bands.
  static void CheckBandsAreBlackUnderTheLetterboxPicture() {
    const TPixelBuffer overlay = DecodeDataPicture(Data, "ws_tavix.jpg");
    for (int32_t part : {1, 2}) {
      const TFrameShot& shot = Probe(part, 2000).Shot;
      int checked = 0;
      for (int y = 1; y < H - 1; y += 3) {
        if (y >= BottomBand - 1 && y <= TopBandStart) continue;
        for (int x = 1; x < W - 1; x += 3) {
          bool dark = true;
          for (int d = -1; d <= 1 && dark; ++d)
            dark = Near(PictureAtWindowPixel(overlay, x + d, y + d, W, H), {0, 0, 0}, 2);
          if (!dark) continue;
          ++checked;
          ASSERT_TRUE(Near(shot.At(x, y), {0, 0, 0}, 3)) << "part " << part << " at " << x << ", " << y;
        }
      }
      EXPECT_GT(checked, 1000) << "part " << part;
      EXPECT_GT(shot.MeanBrightness(0, BottomBand, W, TopBandStart), 2.0) << "part " << part;
    }
  }

  // The fountain leaves culling off, the ball turns it on again; the atom
  // leaves a grey trail; nobody leaves fog or sphere mapping on.
  static void CheckStateCarriedFromPartToPart() {
    ASSERT_EQ(States.size(), 5u);  // parts -1 to 3
    EXPECT_FALSE(States[1].Culling);
    EXPECT_FALSE(States[2].Culling);
    EXPECT_TRUE(States[3].Culling);
    EXPECT_EQ(States[3].PolygonMode, GL_FILL);
    EXPECT_EQ(States[2].TrailFormat, GL_LUMINANCE);
    for (int32_t part : {1, 2, 3}) {
      EXPECT_FALSE(States[part].Fog) << part;
      EXPECT_FALSE(States[part].SphereMap) << part;
    }
    // Every frame of part 2 draws the atom twice; at 30 ms a frame the step
    // is 10, so ring k turns 2 k * 10 / 20 degrees a frame.
    EXPECT_FLOAT_EQ(AtomRings[1].AngleX, FramesPerPart[2] * 1.0f);
    EXPECT_FLOAT_EQ(AtomRings[5].AngleY, FramesPerPart[2] * -5.0f);
  }

  static void CheckBallPartShowsItsPictureOverTheWholeWindow() {
    const TPixelBuffer tavix = DecodeDataPicture(Data, "tavix.jpg");
    const TFrameShot& shot = Probe(3, 1000).Shot;
    EXPECT_GT(PictureShare(shot, tavix, 0, BottomBand), 0.9);
    EXPECT_GT(PictureShare(shot, tavix, TopBandStart, H), 0.9);
    EXPECT_GT(PictureShare(shot, tavix, 0, H), 0.6);
  }
};

// One run for all checks: the show is long to play.
TEST_F(FirstHalf, PlaysFromTheIntroPicturesToTheBall) {
  CheckPartsFollowInOrderWithoutAGLError();
  CheckIntroPictureFadesOutAndTheLogoFadesIn();
  CheckBandsAreBlackUnderTheLetterboxPicture();
  CheckStateCarriedFromPartToPart();
  CheckBallPartShowsItsPictureOverTheWholeWindow();
}

}  // namespace
