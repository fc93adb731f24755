// tavix-capture: the command line around a capture run. Exit status 0 when
// every requested output was written, 1 when the demo or an output failed,
// 2 for a command line or folder that cannot be used.
#include <csignal>
#include <iostream>
#include <memory>

#include "AmbSystem.h"
#include "Ambrel2.h"
#include "CaptureOptions.h"
#include "CaptureSession.h"
#include "CaptureSetup.h"
#include "KeyScript.h"
#include "ShortSchedule.h"
#include "tvOptions.h"
#include "tvParts.h"

namespace {

int Capture(const TCaptureOptions& options, const std::vector<TScriptedKey>& keys) {
  // A dying encoder must show up as a failed write, not end the program.
  std::signal(SIGPIPE, SIG_IGN);
  TCaptureSession session(options);
  // The frame the size asked for (800 x 600 unless told), presented where
  // the bench is told to.
  SetDisplayChoice({TScreenMode::Window,
                    options.PresentWidth,
                    options.PresentHeight,
                    {TFrameSizeMode::Fixed, options.Width, options.Height}});
  const THeadlessResult result = RunHeadless(ShowParts(), session.HeadlessOptions(keys));
  for (const TRecordedMessage& message : result.Messages)
    std::cerr << "tavix: " << message.Caption << ": " << message.Text << "\n";
  const std::vector<std::string> problems = session.Finish(std::cout);
  for (const std::string& problem : problems) std::cerr << "tavix-capture: " << problem << "\n";
  return result.ExitCode != 0 || !problems.empty() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  TCaptureOptions options;
  std::vector<TScriptedKey> keys;
  std::unique_ptr<TShortSchedule> schedule;
  try {
    options = ParseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.Help) {
      std::cout << CaptureHelpText();
      return 0;
    }
    if (options.Version) {
      std::cout << "tavix-capture " << TavixVersion() << "\n";
      return 0;
    }
    options = PrepareCapture(options, DataFolderCandidates());
    if (options.PartMs != 0) {
      schedule = std::make_unique<TShortSchedule>(options.DataDir, options.PartMs);
      options.DataDir = schedule->Folder();
    }
    if (!options.KeysFile.empty()) keys = LoadKeyScript(options.KeysFile, MsPerFrame(options));
  } catch (const std::exception& e) {
    std::cerr << "tavix-capture: " << e.what() << "\n";
    return 2;
  }
  try {
    return Capture(options, keys);
  } catch (const std::exception& e) {
    std::cerr << "tavix-capture: " << e.what() << "\n";
    return 1;
  }
}
