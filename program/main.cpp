// The demo program: its options choose how the picture is shown and where
// the data is; it hands the table of parts and the timeline to the frame
// loop. A command line that cannot be run ends with the usage, before any
// window.
#include <iostream>

#include "Ambrel2.h"
#include "Tavix.h"
#include "tvOptions.h"
#include "tvParts.h"
#include "tvSoundSync.h"
#include "tvTimeline.h"

int main(int argc, char** argv) {
  TTavixOptions options;
  try {
    options = ParseTavixOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const ETavixUsage& error) {
    std::cerr << "tavix: " << error.what() << "\nTry 'tavix --help' for the options and keys.\n";
    return 2;
  }
  if (options.Help) {
    std::cout << TavixHelpText();
    return 0;
  }
  if (options.Version) {
    std::cout << "tavix " << TavixVersion() << "\n";
    return 0;
  }
  TDisplayChoice display;
  display.Screen = options.Screen;
  display.Size = options.Size;
  SetDisplayChoice(display);
  if (options.AudioOffsetGiven) SetAudioOffset(options.AudioOffsetMs);
  return RunTavix(ShowParts(), TimelineHooks(options.Edit, options.AudioOffsetGiven), options.DataDir);
}
