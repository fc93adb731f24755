// Start-up with the wait screen, the loading screen and the asset manifest,
// and the shutdown.
//
// State: LoadingPicture and the loading observer. StartUp leaves the window
// open, every asset of tvCommon loaded, the scene set-ups done, the music
// playing or waiting for its moment, the time-sync table loaded and rewound, the clear colour black and
// fog disabled by the last fade frame. ShutDown releases only the tunnel
// brush, the selected font, the music, the keyboard and the window.
#include "tvLoading.h"

#include <GL/gl.h>

#include <charconv>
#include <vector>

#include "Amb2BasicDraw.h"
#include "Amb2Env.h"
#include "Amb2Lights.h"
#include "Amb2Materials.h"
#include "Amb2_2D.h"
#include "Amb2_3ds.h"
#include "AmbBass.h"
#include "AmbFrame.h"
#include "AmbInput.h"
#include "AmbSystem.h"
#include "Ambrel2.h"
#include "tvCommon.h"
#include "tvSoundSync.h"

uint32_t LoadingPicture = 0;

namespace {

LoadingObserver Observer;

constexpr int WaitScreenFrames = 301;
constexpr uint32_t ReadyFadeMs = 1600;
const TColorRGBA White{1, 1, 1, 1};
const TColorRGBA Black{0, 0, 0, 1};

// One step of the texture half of the manifest: load a file into a variable,
// make the render target, or show a progress screen.
enum class TStepKind { Texture, TgaTexture, RenderTarget, Progress };

struct TTextureStep {
  TStepKind Kind;
  const char* File;
  uint32_t* Target;
  float Percent;
};

std::vector<TTextureStep> TextureManifest() {
  using K = TStepKind;
  return {
      {K::TgaTexture, "clouds2.tga", &TexClouds2, 0},
      {K::Texture, "chrome.jpg", &TexChrome, 0},
      {K::Progress, nullptr, nullptr, 40},
      {K::Texture, "logo.jpg", &TexLogo, 0},
      {K::Texture, "chrome.jpg", &TexChrome2, 0},
      {K::Texture, "silver.jpg", &TexSilver, 0},
      {K::TgaTexture, "litegrass.tga", &TexLiteGrass, 0},
      {K::Progress, nullptr, nullptr, 43},
      {K::TgaTexture, "grass.tga", &TexGrass, 0},
      {K::Texture, "velkrona.jpg", &TexVelkrona, 0},
      {K::Texture, "tavixm.jpg", &TexTavixM, 0},
      {K::Progress, nullptr, nullptr, 48},
      {K::Texture, "sol.jpg", &TexSol, 0},
      {K::Texture, "sunset.jpg", &TexSunset, 0},
      {K::Texture, "sunset2.jpg", &TexSunset2, 0},
      {K::Progress, nullptr, nullptr, 52},
      // The general loader on purpose: it dispatches on the extension.
      {K::Texture, "purep.tga", &TexPurep, 0},
      {K::Texture, "stjerne.jpg", &SlimeBackdrop, 0},
      {K::Texture, "galaxy.jpg", &TexGalaxy, 0},
      {K::Progress, nullptr, nullptr, 55},
      {K::Texture, "ws_tavix.jpg", &TexWsTavix, 0},
      {K::Texture, "kulehore.jpg", &TexKulehore, 0},
      {K::Texture, "lyn.jpg", &TexLyn, 0},
      {K::Texture, "presents.jpg", &TexPresents, 0},
      {K::RenderTarget, nullptr, &RenderTexture, 0},
      {K::Progress, nullptr, nullptr, 58},
      {K::TgaTexture, "cr1.tga", &TexCr1, 0},
      {K::TgaTexture, "cr2.tga", &TexCr2, 0},
      {K::TgaTexture, "g1.tga", &TexG[0], 0},
      {K::TgaTexture, "g2.tga", &TexG[1], 0},
      {K::TgaTexture, "g3.tga", &TexG[2], 0},
      {K::TgaTexture, "g4.tga", &TexG[3], 0},
  };
}

void ShowWaitScreen() {
  for (int frame = 0; frame < WaitScreenFrames; ++frame) {
    ClearScreen();
    Begin2D();
    PrintText("Please wait...", 300, 300, White);
    End2D();
    PumpMessagesAndSwap(MainWindow);
  }
}

void SetUpLight() {
  SetLightNumber(GL_LIGHT0);
  InitLights();
  LightPosition = MakeVector(200, 200, 200);
  SetLightPosition(LightPosition);
  SetLightColors(White, White);
}

void CreateFonts() {
  FontLarge = CreateBitmapFont("Verdana", 50, true);
  SetFontBase(FontSmall);
}

void LoadMusicFile() {
  ShowLoadingProgress("Loading music", 5);
  InitMusic(MainWindow.Window);
  MusicSlot = LoadMusic("abstract.mp3");
}

// Manifest rows 1 to 5. Only the tunnel is ever released; none is drawn.
void Load3DObjects() {
  ShowLoadingProgress("Loading 3D data", 30);
  StarAniBrush = std::make_unique<TAmbAniBrush>();
  StarAniBrush->LoadFromFile("star.aab");
  StarAniBrush->Enabled = true;
  StarAniBrush->Scale(0.001f);
  StarAniBrush->Rotate(MakeVector(270, 0, 0));
  StarAniBrush->SetAnimation(0);
  ShowLoadingProgress("Loading 3D data", 33);
  TunnelBrush = Load3DSBrush("tunnel.3ds");
  TunnelBrush->Rotate(MakeVector(270, 0, 0));
  EnvObject = std::make_unique<TAmbEnv>();
  EnvObject->LoadFromFile("env.abr");
  EnvObject->Rotate(MakeVector(270, 0, 0));
  HelixBrush = Load3DSBrush("helix.3ds");
  HelixBrush->Rotate(MakeVector(270, 0, 0));
  HelixBrush->Scale(MakeVector(0.2f, 0.2f, 0.2f));
  ShowLoadingProgress("Loading 3D data", 35);
  StarBrush = Load3DSBrush("star.3ds");
  StarBrush->Scale(MakeVector(0.01f, 0.01f, 0.01f));
}

// Manifest rows 6 to 31; a file that fails to load leaves the registry's
// not-found handle in its variable and loading goes on.
void LoadTextures() {
  ShowLoadingProgress("Loading texture data", 37);
  for (const TTextureStep& step : TextureManifest()) {
    switch (step.Kind) {
      case TStepKind::Texture:
        *step.Target = LoadTexture(step.File);
        break;
      case TStepKind::TgaTexture:
        *step.Target = LoadTgaTexture(step.File);
        break;
      case TStepKind::RenderTarget:
        *step.Target = CreateEmptyTexture(ScaledPixels(512));
        break;
      case TStepKind::Progress:
        ShowLoadingProgress("Loading texture data", step.Percent);
        break;
    }
  }
}

void RunSceneSetups(const std::vector<TSetupStep>& setups) {
  for (const TSetupStep& step : setups) {
    ShowLoadingProgress(step.Label, step.Percent);
    step.Setup();
  }
}

// The loading screen darkens to black in one second and stays black for the
// rest of the fade; the time test comes before each frame, so at least one
// frame is drawn.
void FadeToBlack() {
  const uint32_t t0 = TickCount();
  while (TickCount() - t0 < ReadyFadeMs) {
    ClearScreen();
    DrawLoadingScreen("Ready", 100);
    Begin2D();
    glDisable(GL_FOG);
    const float alpha = static_cast<float>(TickCount() - t0) / 1000.0f;
    DrawRect(MakeColor(0, 0, 0, alpha), 0, 0, MainWindow.Width, MainWindow.Height);
    End2D();
    PumpMessagesAndSwap(MainWindow);
  }
}

// Words to lines of the width; a word wider than a line gets a line of its own.
std::vector<std::string> WrappedLines(const TTextureFont& font, const std::string& text, float width) {
  std::vector<std::string> lines(1);
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, end - at);
    const std::string joined = lines.back().empty() ? word : lines.back() + " " + word;
    if (TextWidth(font, joined) <= width || lines.back().empty())
      lines.back() = joined;
    else
      lines.push_back(word);
    at = end + 1;
  }
  return lines;
}

}  // namespace

void ShowMessageScreen(const std::string& caption, const std::string& text) {
  if (!CurrentWindow().Window) return;
  TTextureFont font = CreateTextureFont("Tahoma", 12, true);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  BeginFlat2D();
  FlatRect(MakeColor(0.15f, 0.15f, 0.2f, 1), 100, 180, 600, 240);
  FlatText(font, caption, 120, 210, White);
  int row = 232;
  for (const std::string& line : WrappedLines(font, text, 560)) FlatText(font, line, 120, row += 16, White);
  FlatText(font, "Return or a click goes on", 120, 400, MakeColor(0.7f, 0.7f, 0.7f, 1));
  EndFlat2D();
  PresentUntilDismissed(CurrentWindow());
  glPopAttrib();
  FreeTextureFont(font);
}

void SetLoadingObserver(LoadingObserver observer) { Observer = std::move(observer); }

std::string LoadingLine(const std::string& text, float percent) {
  // The fewest digits that read back as the same value, in plain notation
  // wherever that is no longer than the exponent form ("30", not "3e+01").
  char number[64];
  const std::to_chars_result end = std::to_chars(number, number + sizeof number, percent);
  return text + " - " + std::string(number, end.ptr) + "%";
}

void DrawLoadingScreen(const std::string& text, float percent) {
  Begin2D();
  DrawImageBlended(LoadingPicture, 0, 0, MainWindow.Width, MainWindow.Height);
  DrawRect(MakeColor(0.0f, 0.23437f, 1.0f, 0.8f), 174, 213, percent * 4.5f, 19);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  PrintTextOutlined(LoadingLine(text, percent).c_str(), 182, 382, White, Black);
  End2D();
}

void ShowLoadingProgress(const std::string& text, float percent) {
  if (Observer) Observer(text, percent);
  ClearScreen();
  DrawLoadingScreen(text, percent);
  PumpMessagesAndSwap(MainWindow);
}

void StartUp(const TPartTable& parts) {
  ResetFrameState();
  FarPlane = 4000.0f;
  MainWindow = MakeGLWindow(800, 600, 32, true, "Tavix");
  glClearColor(0, 0, 0, 1);
  // The wait screen's text needs a font, so the small one is made before the
  // first frame rather than together with the large one.
  FontSmall = CreateBitmapFont("Tahoma", 12, true);
  ShowWaitScreen();
  LoadingPicture = LoadTexture("load.jpg");
  ShowLoadingProgress("Initializing...", 0);
  CreateKeyboard(MainWindow);
  SetUpLight();
  CreateFonts();
  LoadMusicFile();
  Load3DObjects();
  LoadTextures();
  Camera.Field1 = 0;
  Camera.Field2 = 0;
  Camera.Eye = MakeVector(0, 0, 200);
  StartTick = TickCount();
  RunSceneSetups(parts.Setups);
  SetupFog(MakeColor(0.1f, 0.1f, 0.6f, 1.0f), 0, 100.0f, -100.0f, 300.0f);
  FadeToBlack();
  BeginMusic();
  LoadTimeSync(UserFilePlace(TimeSyncFile).Read);
  ShowLoadingProgress("Loading timesync", 99);
  ResetTimeSync();
  ShowLoadingProgress("Ready", 100);
}

void ShutDown() {
  TunnelBrush.reset();
  FreeBitmapFont();
  FreeMusic();
  FreeKeyboard();
  KillGLWindow(MainWindow);
}
