// The start-up on the virtual clock with the generated data: the loading
// screens in order, the wait screen's text, the progress bar, the demo clock
// and the music around the set-ups, the fade, and what a missing file does.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>

#include "Amb2Materials.h"
#include "Amb2_2D.h"
#include "AmbBass.h"
#include "AmbInput.h"
#include "AmbSystem.h"
#include "Show2Support.h"
#include "ShowFrames.h"
#include "tvCommon.h"
#include "tvEffect1.h"
#include "tvEffect4.h"
#include "tvHeadless.h"
#include "tvLoading.h"
#include "tvVectorSlime.h"

namespace {

const std::vector<TLoadingStep> ExpectedSteps = {
    {"Initializing...", 0},
    {"Loading music", 5},
    {"Loading 3D data", 30},
    {"Loading 3D data", 33},
    {"Loading 3D data", 35},
    {"Loading texture data", 37},
    {"Loading texture data", 40},
    {"Loading texture data", 43},
    {"Loading texture data", 48},
    {"Loading texture data", 52},
    {"Loading texture data", 55},
    {"Loading texture data", 58},
    {"Particle System", 60},
    {"Vegetables", 62},
    {"Dynamic Objects", 65},
    {"Deform", 70},
    {"Wave", 75},
    {"NURB System", 79},
    {"leet slimez0r", 80},
    {"Uncompressing images...", 95},
    {"Loading timesync", 99},
    {"Ready", 100},
};

// What the observer saw at one loading screen.
struct TStepMoment {
  TLoadingStep Step;
  uint32_t Tick = 0;
  uint64_t FramesBefore = 0;  // the index of the screen's own frame
  bool MusicPlaying = false;
  uint32_t MusicTick = 0;  // when the music started, if it is playing
  uint32_t Font = 0;
};

// Records every loading screen, and copies of chosen frames: by index, or
// counted from the frame of a loading screen.
struct TStartUpWatch {
  std::vector<TStepMoment> Moments;
  std::vector<std::pair<TLoadingStep, uint64_t>> ShotsAfter;
  std::vector<uint64_t> WantedFrames;
  std::map<uint64_t, TFrameShot> Shots;
  std::function<void()> InLoop;  // runs once, at the first frame of the loop
  uint64_t Frames = 0;
  bool LoopSeen = false;

  THeadlessResult Run(const std::string& dataDir) {
    SetLoadingObserver([this](const std::string& text, float percent) { OnStep({text, percent}); });
    THeadlessOptions options;
    options.DataDir = dataDir;
    options.Keys = {{DIK_ESCAPE, 0, INT_MAX}};
    options.OnFrame = [this](const TGLWindow& window) { OnFrame(window); };
    THeadlessResult result = RunHeadless(options);
    SetLoadingObserver({});
    return result;
  }

  void OnStep(const TLoadingStep& step) {
    uint32_t musicTick = 0;
    const bool playing = MusicStartTick(musicTick);
    Moments.push_back({step, TickCount(), Frames, playing, musicTick, FontBase()});
    for (const auto& [wanted, offset] : ShotsAfter)
      if (wanted == step) WantedFrames.push_back(Frames + offset);
  }

  void OnFrame(const TGLWindow& window) {
    for (uint64_t wanted : WantedFrames)
      if (wanted == Frames) Shots[Frames] = ReadFrame(window);
    const bool inLoop = !Moments.empty() && Moments.back().Step.Text == "Ready" && Moments.back().FramesBefore < Frames;
    if (inLoop && !LoopSeen && InLoop) InLoop();
    LoopSeen = LoopSeen || inLoop;
    ++Frames;
  }

  const TStepMoment& At(const TLoadingStep& step) const {
    for (const TStepMoment& m : Moments)
      if (m.Step == step) return m;
    throw std::runtime_error("loading screen not shown: " + step.Text);
  }

  const TFrameShot& ShotAfter(const TLoadingStep& step, uint64_t offset) const {
    return Shots.at(At(step).FramesBefore + offset);
  }

  std::vector<TLoadingStep> Steps() const {
    std::vector<TLoadingStep> steps;
    for (const TStepMoment& m : Moments) steps.push_back(m.Step);
    return steps;
  }
};

bool HasMessageContaining(const THeadlessResult& result, const std::string& part) {
  for (const TRecordedMessage& m : result.Messages)
    if (m.Text.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(LoadingLine, PrintsThePercentageInItsShortestForm) {
  EXPECT_EQ(LoadingLine("Loading music", 5), "Loading music - 5%");
  EXPECT_EQ(LoadingLine("Loading 3D data", 33), "Loading 3D data - 33%");
  EXPECT_EQ(LoadingLine("Loading 3D data", 30), "Loading 3D data - 30%");
  EXPECT_EQ(LoadingLine("Initializing...", 0), "Initializing... - 0%");
  EXPECT_EQ(LoadingLine("Ready", 100), "Ready - 100%");
  EXPECT_EQ(LoadingLine("Half", 12.5f), "Half - 12.5%");
  EXPECT_EQ(LoadingLine("Third", 100.0f / 3), "Third - 33.333332%");
}

// One run with the generated data: the screens, their timing on the tick
// source and what they show.
TEST(StartUp, ShowsItsScreensInOrderOnTheVirtualClock) {
  const TLoadingStep music{"Loading music", 5}, textures{"Loading texture data", 58};
  const TLoadingStep images{"Uncompressing images...", 95}, timesync{"Loading timesync", 99};
  TStartUpWatch watch;
  watch.WantedFrames = {10};
  watch.ShotsAfter = {{music, 0}, {textures, 0}, {images, 2}, {images, 18}, {images, 41}, {images, 54}};
  watch.InLoop = [] {
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0] + clear[1] + clear[2], 0.0f);
    EXPECT_EQ(clear[3], 1.0f);
  };
  const THeadlessResult result = watch.Run(TAVIX_DATA_DIR);
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_TRUE(result.Messages.empty()) << result.Messages.front().Caption << ": " << result.Messages.front().Text;
  ASSERT_EQ(watch.Steps(), ExpectedSteps);
  EXPECT_TRUE(watch.LoopSeen);

  // 301 pumps of the wait screen; one of them may take a window event
  // instead of presenting.
  EXPECT_GE(watch.At({"Initializing...", 0}).FramesBefore, 300u);
  EXPECT_LE(watch.At({"Initializing...", 0}).FramesBefore, 301u);
  // "Please wait..." sits on a baseline 300 pixels below the top, from x 300.
  const TFrameShot& wait = watch.Shots.at(10);
  EXPECT_GT(wait.MeanBrightness(300, 300, 400, 312), 20.0);
  EXPECT_EQ(wait.MeanBrightness(0, 0, 800, 280), 0.0);
  EXPECT_EQ(watch.At(music).Font, FontSmall);

  // The bar starts at x 174, 19 pixels high from y 213, 4.5 pixels per percent.
  const TShotPixel inBar = watch.ShotAfter(textures, 0).At(400, 222);
  EXPECT_GE(inBar.b, 190);
  EXPECT_LE(inBar.r, 60);
  const TShotPixel pastBar = watch.ShotAfter(textures, 0).At(460, 222);
  const TShotPixel noBarYet = watch.ShotAfter(music, 0).At(460, 222);
  EXPECT_EQ(pastBar.r, noBarYet.r);
  EXPECT_EQ(pastBar.b, noBarYet.b);

  // The demo clock starts after the textures and before the first set-up.
  EXPECT_GE(StartTick, watch.At(textures).Tick);
  EXPECT_LE(StartTick, watch.At({"Particle System", 60}).Tick);

  // The fade: 54 frames of 30 ms after the last set-up's screen, frame k
  // darkened by k * 3 %, black from the second second on.
  EXPECT_EQ(watch.At(timesync).FramesBefore - watch.At(images).FramesBefore, 1u + 54u);
  const double first = watch.ShotAfter(images, 2).MeanBrightness() / (1 - 0.03);
  EXPECT_GT(first, 5.0);
  EXPECT_NEAR(watch.ShotAfter(images, 18).MeanBrightness() / (1 - 0.51), first, first * 0.03);
  EXPECT_EQ(watch.ShotAfter(images, 41).MeanBrightness(), 0.0);
  EXPECT_EQ(watch.ShotAfter(images, 54).MeanBrightness(), 0.0);

  // The music starts after the fade; the table is loaded by the end.
  EXPECT_FALSE(watch.At(images).MusicPlaying);
  ASSERT_TRUE(watch.At(timesync).MusicPlaying);
  EXPECT_GE(watch.At(timesync).MusicTick - watch.At(images).Tick, 1600u);
  EXPECT_EQ(TimeSyncTable, ReadTimeSyncMoments(std::string(TAVIX_DATA_DIR) + "/timesync.dat"));
}

TEST(StartUp, FillsTheSharedAssetsAndTheSceneSetUps) {
  TStartUpWatch watch;
  watch.InLoop = [] {
    EXPECT_EQ(TexChrome2, TexChrome);
    EXPECT_EQ(SlimeBackdrop, FindTexture("stjerne.jpg"));
    EXPECT_EQ(TexLyn, FindTexture("lyn.jpg"));
    EXPECT_EQ(TexG[3], FindTexture("g4.tga"));
    EXPECT_EQ(TexTavix, FindTexture("tavix.jpg"));
    EXPECT_TRUE(glIsTexture(RenderTexture));
    EXPECT_TRUE(glIsTexture(LoadingPicture));
    EXPECT_NE(FontLarge, FontSmall);
  };
  watch.Run(TAVIX_DATA_DIR);
  EXPECT_FLOAT_EQ(FarPlane, 4000.0f);
  EXPECT_EQ(Camera.Eye.z, 200.0f);
  EXPECT_EQ(LightPosition.x, 200.0f);
  ASSERT_TRUE(StarAniBrush && EnvObject && HelixBrush && StarBrush);
  EXPECT_TRUE(StarAniBrush->Enabled);
  EXPECT_FALSE(TunnelBrush);  // the only brush the shutdown releases

  // The fountain's waiting sprites sit on the shape's vertices but the last.
  const TMeshDataNM& shape = *ShapeBrush->Meshes[0];
  ASSERT_GT(shape.VertexCount, 1);
  for (int32_t i = 0; i <= ParticleMax; ++i) {
    const TParticle& p = Particles[i];
    const bool waiting = i < shape.VertexCount - 1;
    EXPECT_EQ(p.Age < 0, waiting) << i;
    if (waiting) {
      EXPECT_EQ(p.Position.y, shape.Vertices[i].y) << i;
    }
    EXPECT_EQ(p.Color.r, 0.3f);
    EXPECT_TRUE(p.Color.b >= 0.5f && p.Color.b < 1.0f);
    if (testing::Test::HasFailure()) break;
  }

  // The ball's springs rest at zero with the vertex distances as radii.
  const TMeshDataNM& ball = *BallBrush->Meshes[0];
  ASSERT_EQ(BallVertexCount, ball.VertexCount);
  ASSERT_EQ(BallRot.size(), static_cast<size_t>(BallVertexCount));
  EXPECT_FLOAT_EQ(BallMove[1].Radius, VectorDistance(ball.Vertices[1], MakeVector(0, 0, 0)));
  EXPECT_EQ(BallMesh->FaceCount, ball.FaceCount);
  EXPECT_EQ(BallMesh->Faces.back().c, ball.Faces.back().c);
  EXPECT_EQ(BallMesh->TexCoords.back().u, ball.TexCoords.back().u);
  EXPECT_EQ(SlimeVertexCount, SlimeBrush->Meshes[0]->VertexCount);
}

TEST(StartUp, MissingBallModelStopsWithAFileError) {
  const std::string data = CopyDemoData("ball.3ds");
  TStartUpWatch watch;
  const THeadlessResult result = watch.Run(data);
  RemoveDemoData(data);
  EXPECT_NE(result.ExitCode, 0);
  EXPECT_TRUE(HasMessageContaining(result, "Cannot open file ball.3ds"));
  ASSERT_FALSE(watch.Moments.empty());
  EXPECT_EQ(watch.Moments.back().Step, (TLoadingStep{"leet slimez0r", 80}));
  EXPECT_FALSE(watch.LoopSeen);
}

TEST(StartUp, MissingPictureIsReportedAndTheShowPlaysOn) {
  const std::string data = CopyDemoData("lyn.jpg");
  // Parts -1 to 1 pass one frame each; part 2, which draws the picture, holds.
  WriteTimeSyncFile(data, {1, 2, 3, 1000000});
  std::map<int32_t, int> framesPerPart;
  std::vector<GLenum> errors;
  SetLoadingObserver({});
  THeadlessOptions options;
  options.DataDir = data;
  options.Keys = {{DIK_ESCAPE, 3500, INT_MAX}};
  options.OnFrame = [&](const TGLWindow&) {
    ++framesPerPart[CurrentPart];
    if (GLenum e = glGetError(); e != GL_NO_ERROR) errors.push_back(e);
  };
  const THeadlessResult result = RunHeadless(options);
  RemoveDemoData(data);
  EXPECT_EQ(result.ExitCode, 0);
  ASSERT_EQ(result.Messages.size(), 1u);
  EXPECT_NE(result.Messages[0].Text.find("lyn.jpg"), std::string::npos) << result.Messages[0].Text;
  EXPECT_GT(framesPerPart[2], 10);
  EXPECT_TRUE(errors.empty());
}
