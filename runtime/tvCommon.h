// The demo's shared state: the frame state the main loop writes and the
// scenes read, the assets the start-up loads and the scenes use, the
// time-sync table, the program-wide random generator, and the letterbox
// overlay that the cinematic scenes end their frames with.
//
// Every asset is named after the file it comes from. Nothing here is
// released before the program ends except what ShutDown names.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Amb2Classes.h"
#include "Amb2Env.h"
#include "Amb2TimeSync.h"
#include "Ambrel2.h"

// ---- frame state ------------------------------------------------------------

struct TCamera {
  int32_t Field1 = 0;
  int32_t Field2 = 0;
  TVector Eye;
};

extern int32_t CurrentPart;  // -1 .. 11
extern int32_t DemoTime;     // ms on the demo clock
extern uint32_t StartTick;   // tick count at the demo clock's zero
extern uint32_t FrameDelta;  // ms, unsigned difference
extern float FrameStep;      // FrameDelta / 3, at most 10
extern uint32_t PartTime;    // ms since the current part began
extern int32_t SyncLock;     // frames since the last operator action
extern std::string OverlayText;
extern uint32_t ShakeStart;  // part time of the last test shake, 0 = none
extern float SineClock;
extern float SineValue;
extern TCamera Camera;
extern TGLWindow MainWindow;

// Every field above and the time-sync table as the program starts them: a
// show played again in the same process (tests, tools) starts as the first.
void ResetFrameState();

// ---- shared assets (loaded by StartUp) --------------------------------------

extern uint32_t FontSmall, FontLarge;
extern int32_t MusicSlot;
extern uint32_t MusicChannel;
extern TVector LightPosition;
extern uint32_t RenderTexture;

extern std::unique_ptr<TAmbAniBrush> StarAniBrush;  // "star.aab"
extern std::unique_ptr<TAmbBrush> TunnelBrush;      // "tunnel.3ds"
extern std::unique_ptr<TAmbEnv> EnvObject;          // "env.abr"
extern std::unique_ptr<TAmbBrush> HelixBrush;       // "helix.3ds"
extern std::unique_ptr<TAmbBrush> StarBrush;        // "star.3ds"

extern uint32_t TexClouds2, TexChrome, TexLogo, TexChrome2, TexSilver, TexLiteGrass, TexGrass, TexVelkrona, TexTavixM,
    TexSol, TexSunset, TexSunset2, TexPurep, TexGalaxy, TexWsTavix, TexKulehore, TexLyn, TexPresents, TexCr1, TexCr2;
extern std::array<uint32_t, 4> TexG;  // "g1.tga" .. "g4.tga"
extern uint32_t SlimeBackdrop;        // "stjerne.jpg", the slime parts' backdrop
// Loaded by SetupImages.
extern uint32_t TexMarl, TexTavix, TexTesk;

// ---- time-sync table ----------------------------------------------------------

extern TTimeSyncTable TimeSyncTable;
// The table as its file holds it: as last loaded, or saved by S; and how
// many saves of S there have been.
extern TTimeSyncTable TimeSyncInFile;
extern uint32_t TimeSyncSaveCount;
extern int32_t NextIndex;
extern int32_t PlotIndex;

void ResetTimeSync();
int32_t NextPartDue();
// Writes the demo clock into the next entry; false when the table is full
// and the plot was dropped.
bool PlotTimeSync();
void ClearTimeSync();
// One entry set to a moment (the timeline's edits); indices outside the table are ignored.
void SetTimeSyncEntry(int32_t index, uint32_t moment);
// Replaces the file safely (ReplaceFile), creating the folders leading to it.
void SaveTimeSync(const std::string& fileName);
void LoadTimeSync(const std::string& fileName);
// The table's own file; read from and saved to by the rule of UserFilePlace
// (the data folder, or the user's folder when the data cannot be written).
inline const std::string TimeSyncFile = "timesync.dat";
// The save of the S key, into UserFilePlace(TimeSyncFile).Write; a save outside
// the data folder says where it went on stdout.
void SaveTimeSyncForUser();

// ---- random numbers ------------------------------------------------------------

double Random();               // uniform in [0, 1)
int32_t RandomInt(int32_t n);  // uniform in 0 .. n-1
void Randomize();              // reseed from the tick source
void SetRandomSeed(uint32_t seed);

// ---- letterbox -----------------------------------------------------------------

// Leaves blending on with (GL_SRC_COLOR, GL_ONE), lighting, depth testing and
// texturing on and colour material off, whether or not the picture loaded;
// the scissor as it was before ScissorToPicture.
void DrawLetterbox();

// Keeps what follows between the letterbox bands, whose rows DrawLetterbox
// clears anyway: a scene that ends with the letterbox calls it once its
// last clear and its last copy of the screen are done. Clears are cut to the
// rows between the bands too until DrawLetterbox puts the scissor back.
void ScissorToPicture();
