// The small system seams: tick source, message sink, the data-folder search,
// where the files the program writes go, the stop signals, whole-file reading
// and the way out after a fatal error.
//
// State: the installed tick source and message sink (empty = real
// behaviour), the stop flag and the signal handlers that were there before
// TStopSignals. Leaves nothing behind.
#include "AmbSystem.h"

#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "Ambrel2.h"

namespace {

TickSource tickSource;
MessageSink messageSink;
volatile std::sig_atomic_t stopRequested = 0;
struct sigaction previousInt, previousTerm;

// A modal box needs a display; the offscreen and dummy drivers have none, and
// under them a box would pop up on whatever X server happens to be around.
bool DisplayCanShowBoxes() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) driver = SDL_getenv("SDL_VIDEODRIVER");
  if (!driver) return true;
  return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

void ShowMessageBox(const std::string& caption, const std::string& text) {
  std::cerr << caption << ": " << text << std::endl;
  if (!DisplayCanShowBoxes()) return;
  const Uint32 icon = caption == "Error" ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  SDL_Window* window = static_cast<SDL_Window*>(CurrentWindow().Window);
  const bool fullscreen = window && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  // Out of fullscreen and back the way Alt+Enter goes, so that the window
  // covers the display again also where no window manager makes it.
  if (fullscreen) ToggleFullscreen();
  SDL_ShowSimpleMessageBox(icon, caption.c_str(), text.c_str(), window);
  if (fullscreen) ToggleFullscreen();
}

// The first signal asks; a second one ends the program at once.
void NoteStopSignal(int) {
  stopRequested = 1;
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

std::string ProgramFolder() {
  char* base = SDL_GetBasePath();
  if (!base) return {};
  const std::string folder = base;
  SDL_free(base);
  return folder;
}

}  // namespace

uint32_t TickCount() {
  if (tickSource) return tickSource();
  return SDL_GetTicks();
}

void SetTickSource(TickSource source) { tickSource = std::move(source); }

void ShowMessage(const std::string& caption, const std::string& text) {
  if (messageSink) {
    messageSink(caption, text);
    return;
  }
  ShowMessageBox(caption, text);
}

void SetMessageSink(MessageSink sink) { messageSink = std::move(sink); }

std::vector<std::string> DataFolderCandidates() {
  std::vector<std::string> candidates{"data"};
  const std::string program = ProgramFolder();
  if (!program.empty()) {
    candidates.push_back(program + "data");
    // An install moved as a whole (a DESTDIR, an unpacked package) keeps
    // its data in the same place relative to the program.
    candidates.push_back(std::filesystem::path(program + TAVIX_DATA_FROM_PROGRAM).lexically_normal().string());
  }
  if (candidates.back() != TAVIX_INSTALLED_DATA) candidates.push_back(TAVIX_INSTALLED_DATA);
  return candidates;
}

bool EnterDataFolder(const std::string& given) {
  if (!given.empty()) {
    if (chdir(given.c_str()) == 0) return true;
    std::cerr << "tavix: cannot use the data folder " << given << ": " << std::strerror(errno) << "\n";
    return false;
  }
  const std::vector<std::string> candidates = DataFolderCandidates();
  // A folder counts only with the table in it: a started-from folder often
  // has a "data" of its own (a menu starts programs in the home folder).
  for (const std::string& folder : candidates)
    if (access((folder + "/timesync.dat").c_str(), R_OK) == 0 && chdir(folder.c_str()) == 0) return true;
  // The files are then looked for where we are, and the first one missing says so.
  std::cerr << "tavix: no data folder found; looked in:";
  for (const std::string& folder : candidates) std::cerr << " " << folder;
  std::cerr << "\n";
  return true;
}

TUserFile UserFilePlace(const std::string& name) {
  if (access(".", W_OK) == 0) return {name, name};
  // Relative or empty values of XDG_DATA_HOME are to be ignored.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::string folder = xdg && xdg[0] == '/' ? xdg : std::string(home ? home : "") + "/.local/share";
  const std::string own = folder + "/tavix/" + name;
  std::error_code error;
  return {std::filesystem::exists(own, error) ? own : name, own};
}

TStopSignals::TStopSignals() {
  stopRequested = 0;
  // SDL would turn both signals into a close request, which the demo ignores.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  struct sigaction action {};
  action.sa_handler = NoteStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
}

TStopSignals::~TStopSignals() {
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

std::string ReadWholeFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EFileError("Cannot open file " + fileName);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EFileError("Cannot open file " + fileName);
  return bytes;
}

void RestoreDisplay() {
  // SDL_Quit also leaves fullscreen and shows the cursor again.
  SDL_ShowCursor(SDL_ENABLE);
  SDL_Quit();
}
