// mkdata: writes every file the demo loads (models, brush and material
// files, the time-sync table, pictures and music) into the folder given on
// its command line, the same bytes on every run; and, into a second folder
// when one is given, the program's menu icons, which the demo never loads.
//
// Usage: mkdata <folder> [<icon folder>]. Creates the folders if needed; on
// any failure it prints the reason and exits with status 1, leaving whatever
// was written.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>

#include "Amb2TimeSync.h"
#include "ImageWriters.h"
#include "ModelWriters.h"
#include "Models.h"
#include "Music.h"
#include "PictureIcon.h"
#include "Pictures.h"

namespace {

struct TModelFile {
  const char* Name;
  TModel (*Make)();
};

// Every 3DS file of the demo with the shape it holds. File names are matched
// exactly by the demo, case included.
const TModelFile ModelFiles[] = {
    {"fontene.3ds", MakeFountain},  {"mormi.3ds", MakeWordShape}, {"Atom.3ds", MakeAtom},
    {"ball.3ds", MakeBall},         {"slime.3ds", MakeSlime},     {"funplane.3ds", MakeFunPlane},
    {"nurb.3ds", MakeNurbSurface},  {"kule.3ds", MakeKule},       {"grass.3ds", MakeGrassTuft},
    {"tunnel.3ds", MakeTunnel},     {"helix.3ds", MakeHelix},     {"star.3ds", MakeStar},
    {"stranger.3ds", MakeStranger},
};

// Part moments on the demo clock: part 1 gets 30 s so its 30-second pulse
// plays out, parts 4 to 6 get 12 s each.
const uint32_t PartMoments[ScheduleEntries] = {4000,   9000,   39000,  59000,  79000,  91000,
                                               103000, 115000, 135000, 155000, 170000, 185000};

void WriteModels(const std::string& dir) {
  for (const TModelFile& file : ModelFiles) WriteBytes(dir + "/" + file.Name, Encode3DS(file.Make()));
}

// The landscape is lit grass; the environment dome shows the silver sky.
void WriteBrushes(const std::string& dir) {
  WriteBytes(dir + "/landskap.mat", EncodeMaterial(TexturedMaterial("grass.tga")));
  WriteBytes(dir + "/landskap.abr", EncodeBrushFile(MakeLandscape(), {"landskap.mat"}));

  WriteBytes(dir + "/env.mat", EncodeMaterial(TexturedMaterial("silver.jpg")));
  WriteBytes(dir + "/env.abr", EncodeBrushFile(MakeEnvDome(), {"env.mat"}));
}

// The animated star glows additively in the galaxy picture.
void WriteAnimatedStar(const std::string& dir) {
  Material galaxy = TexturedMaterial("galaxy.jpg");
  galaxy.Blend = true;
  galaxy.BlendColor = TColorRGBA{1.0f, 0.9f, 0.7f, 1.0f};
  WriteBytes(dir + "/star.mat", EncodeMaterial(galaxy));
  WriteBytes(dir + "/star.aab", EncodeAniBrushFile(MakeAniStar()));
}

void WriteTimeSync(const std::string& dir) {
  TTimeSyncTable table{};
  std::copy(std::begin(PartMoments), std::end(PartMoments), table.begin());
  const auto bytes = EncodeTimeSync(table);
  WriteBytes(dir + "/timesync.dat", TBytes(bytes.begin(), bytes.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: mkdata <folder> [<icon folder>]\n";
    return 2;
  }
  const std::string dir = argv[1];
  try {
    std::filesystem::create_directories(dir);
    WriteModels(dir);
    WriteBrushes(dir);
    WriteAnimatedStar(dir);
    WriteTimeSync(dir);
    WritePictures(dir);
    WriteMusic(dir);
    if (argc == 3) {
      std::filesystem::create_directories(argv[2]);
      WriteIcons(argv[2]);
    }
  } catch (const std::exception& e) {
    std::cerr << "mkdata: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
