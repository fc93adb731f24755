// The demo's shared state: frame state, shared assets, the time-sync table
// with its file, the program-wide random generator and the letterbox.
//
// State: everything declared in tvCommon.h. The table file is replaced
// whole on save, so a failed save leaves the previous file as it was.
#include "tvCommon.h"

#include <GL/gl.h>

#include <fstream>
#include <iostream>

#include "Amb2_2D.h"
#include "AmbFrame.h"
#include "AmbSystem.h"

// ---- frame state ------------------------------------------------------------

int32_t CurrentPart = FirstPart;
int32_t DemoTime = 0;
uint32_t StartTick = 0;
uint32_t FrameDelta = 0;
float FrameStep = 1.0f;
uint32_t PartTime = 0;
int32_t SyncLock = 0;
std::string OverlayText;
uint32_t ShakeStart = 0;
float SineClock = 0.0f;
float SineValue = 0.0f;
TCamera Camera;
TGLWindow MainWindow;

// ---- shared assets ------------------------------------------------------------

uint32_t FontSmall = 0, FontLarge = 0;
int32_t MusicSlot = -1;
uint32_t MusicChannel = 0;
TVector LightPosition;
uint32_t RenderTexture = 0;

std::unique_ptr<TAmbAniBrush> StarAniBrush;
std::unique_ptr<TAmbBrush> TunnelBrush;
std::unique_ptr<TAmbEnv> EnvObject;
std::unique_ptr<TAmbBrush> HelixBrush;
std::unique_ptr<TAmbBrush> StarBrush;

uint32_t TexClouds2 = 0, TexChrome = 0, TexLogo = 0, TexChrome2 = 0, TexSilver = 0, TexLiteGrass = 0, TexGrass = 0,
         TexVelkrona = 0, TexTavixM = 0, TexSol = 0, TexSunset = 0, TexSunset2 = 0, TexPurep = 0, TexGalaxy = 0,
         TexWsTavix = 0, TexKulehore = 0, TexLyn = 0, TexPresents = 0, TexCr1 = 0, TexCr2 = 0;
std::array<uint32_t, 4> TexG{};
uint32_t SlimeBackdrop = 0;
uint32_t TexMarl = 0, TexTavix = 0, TexTesk = 0;

// ---- time-sync table ----------------------------------------------------------

TTimeSyncTable TimeSyncTable{};
TTimeSyncTable TimeSyncInFile{};
uint32_t TimeSyncSaveCount = 0;
int32_t NextIndex = 0;
int32_t PlotIndex = 0;

void ResetTimeSync() { NextIndex = 0; }

int32_t NextPartDue() {
  if (NextIndex < 0 || NextIndex >= TimeSyncEntries) return -1;
  const int64_t entry = TimeSyncTable[size_t(NextIndex)];
  if (int64_t(DemoTime) <= entry) return -1;
  return NextIndex++;
}

bool PlotTimeSync() {
  // Past the last entry a plot has nowhere to go and is dropped.
  if (PlotIndex < 0 || PlotIndex >= TimeSyncEntries) return false;
  TimeSyncTable[size_t(PlotIndex)] = uint32_t(DemoTime);
  ++PlotIndex;
  return true;
}

void ClearTimeSync() {
  TimeSyncTable.fill(0);
  PlotIndex = 0;
}

void SetTimeSyncEntry(int32_t index, uint32_t moment) {
  if (index >= 0 && index < TimeSyncEntries) TimeSyncTable[size_t(index)] = moment;
}

void SaveTimeSync(const std::string& fileName) {
  const std::array<uint8_t, TimeSyncFileBytes> bytes = EncodeTimeSync(TimeSyncTable);
  ReplaceFile(fileName, bytes.data(), bytes.size());
}

void SaveTimeSyncForUser() {
  const std::string fileName = UserFilePlace(TimeSyncFile).Write;
  SaveTimeSync(fileName);
  TimeSyncInFile = TimeSyncTable;
  ++TimeSyncSaveCount;
  if (fileName != TimeSyncFile) std::cout << "tavix: time-sync table saved to " << fileName << std::endl;
}

void LoadTimeSync(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EFileError("Cannot open file " + fileName);
  std::array<char, TimeSyncFileBytes> bytes{};
  in.read(bytes.data(), bytes.size());
  if (in.bad()) throw EFileError("Cannot open file " + fileName);
  DecodeTimeSyncInto(TimeSyncTable, reinterpret_cast<const uint8_t*>(bytes.data()), size_t(in.gcount()));
  TimeSyncInFile = TimeSyncTable;
}

// ---- random numbers ------------------------------------------------------------

void ResetFrameState() {
  CurrentPart = FirstPart;
  DemoTime = 0;
  StartTick = FrameDelta = PartTime = ShakeStart = 0;
  FrameStep = 1.0f;
  SyncLock = 0;
  OverlayText.clear();
  SineClock = SineValue = 0.0f;
  Camera = TCamera{};
  TimeSyncTable.fill(0);
  TimeSyncInFile.fill(0);
  NextIndex = PlotIndex = 0;
}

namespace {
uint32_t randomSeed = 0;

uint32_t NextRandom() {
  randomSeed = randomSeed * 134775813u + 1u;
  return randomSeed;
}
}  // namespace

double Random() { return NextRandom() / 4294967296.0; }

int32_t RandomInt(int32_t n) {
  if (n <= 0) return 0;
  return int32_t((uint64_t(NextRandom()) * uint64_t(n)) >> 32);
}

void Randomize() { randomSeed = TickCount(); }

void SetRandomSeed(uint32_t seed) { randomSeed = seed; }

// ---- letterbox -----------------------------------------------------------------

namespace {

// The picture is added onto the frame, where black adds nothing: only the
// bands of it that hold light are drawn (its title and rules). Read from the
// texture once.
const std::vector<TImageBand>& LetterboxPictureBands() {
  static uint32_t bandsOf = 0xFFFFFFFFu;
  static std::vector<TImageBand> bands;
  if (bandsOf != TexWsTavix) bands = LitBands(TexWsTavix);
  bandsOf = TexWsTavix;
  return bands;
}

// What drawing the picture leaves switched on and off. The next frame's
// scene relies on it (its meshes on depth testing above all), so a frame
// without the picture must hand it on just the same.
void LeavePictureState() {
  glDisable(GL_COLOR_MATERIAL);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  SetPerspectiveProjection();
}

// The lower band's rows are 0 to 111, the upper band's 488 and up, 115 of
// them, in the layout's units: as many pixel rows at 800 x 600, their share
// of a larger frame's rows.
constexpr int BandRows = 112, UpperBandRow = 488, UpperBandRows = 115;
GLint PictureFirstRow() { return ScaledPixels(BandRows); }
GLint UpperBandFirstRow() { return ScaledPixels(UpperBandRow); }

// The frame's width in pixels.
GLint FrameWidth() {
  int width = MainWindow.Width, height = MainWindow.Height;
  GetFrameSize(width, height);
  return width;
}

// The scissor box in force before ScissorToPicture, while the scene is cut.
bool PictureScissored = false;
GLint SceneScissorBox[4];

void EndPictureScissor() {
  if (!PictureScissored) return;
  PictureScissored = false;
  glDisable(GL_SCISSOR_TEST);
  glScissor(SceneScissorBox[0], SceneScissorBox[1], SceneScissorBox[2], SceneScissorBox[3]);
}

// The bands are opaque black on whole pixel rows: clearing those rows gives
// the very pixels an opaque rectangle blends there, at a fraction of the
// cost. The scissor and the clear colour are put back as they were.
void ClearBands() {
  const GLint width = FrameWidth();
  GLfloat clearColour[4];
  GLint scissorBox[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
  glGetIntegerv(GL_SCISSOR_BOX, scissorBox);
  glEnable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  glScissor(0, 0, width, PictureFirstRow());
  glClear(GL_COLOR_BUFFER_BIT);
  glScissor(0, UpperBandFirstRow(), width, ScaledPixels(UpperBandRows));
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
  glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

}  // namespace

// The bands hide about a third of the frame; a scene's fill there (a
// full-window picture, the landscape, sprites) is work thrown away.
void ScissorToPicture() {
  if (!PictureScissored) glGetIntegerv(GL_SCISSOR_BOX, SceneScissorBox);
  PictureScissored = true;
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, PictureFirstRow(), FrameWidth(), UpperBandFirstRow() - PictureFirstRow());
}

void DrawLetterbox() {
  const float w = float(MainWindow.Width), h = float(MainWindow.Height);
  EndPictureScissor();
  Begin2D();
  ClearBands();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
  glColor4f(1, 1, 1, 1);
  // Without its picture the frame keeps just the bands.
  if (TexWsTavix != 0xFFFFFFFFu)
    DrawImageBands(TexWsTavix, 0, 0, w, h, LetterboxPictureBands());
  else
    LeavePictureState();
  End2D();
}
