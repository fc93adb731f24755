// The small system seams: tick source, message sink, the data-folder search,
// where the files the program writes go and their safe replacement, the stop
// signals, whole-file reading and the way out after a fatal error.
//
// State: the installed tick source, message sink and box shower (empty =
// real behaviour), the stop flag and the signal handlers that were there
// before TStopSignals, the replacement's hook. Leaves nothing behind.
#include "AmbSystem.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
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

namespace {

TickSource tickSource;
MessageSink messageSink;
MessageBoxShower boxShower;
MessageSink messageScreen;
ReplaceFileHook replaceHook = nullptr;
volatile std::sig_atomic_t stopRequested = 0;
struct sigaction previousInt, previousTerm;

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
  std::cerr << caption << ": " << text << std::endl;
  if (boxShower && !boxShower(caption, text) && messageScreen) messageScreen(caption, text);
}

void SetMessageSink(MessageSink sink) { messageSink = std::move(sink); }

void SetMessageBoxShower(MessageBoxShower shower) { boxShower = std::move(shower); }

void SetMessageScreen(MessageSink screen) { messageScreen = std::move(screen); }

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
  // has a "data" of its own (a menu starts programs in the home folder). One
  // passed over is named, and then the folder that plays.
  bool passedOver = false;
  for (const std::string& folder : candidates) {
    if (access((folder + "/timesync.dat").c_str(), R_OK) == 0 && chdir(folder.c_str()) == 0) {
      if (passedOver) std::cerr << "tavix: playing the data in " << folder << "\n";
      return true;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) continue;
    std::cerr << "tavix: passed over the folder " << folder << ": it holds no timesync.dat\n";
    passedOver = true;
  }
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

namespace {

std::string FolderOf(const std::string& fileName) {
  const size_t slash = fileName.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : fileName.substr(0, slash);
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= size_t(written);
  }
  return true;
}

bool SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  return close(fd) == 0 && synced;
}

// The temporary file starts private; the file gets the usual mode.
bool OpenUpMode(int fd) {
  const mode_t mask = umask(0);
  umask(mask);
  return fchmod(fd, 0666 & ~mask) == 0;
}

// Writes, flushes and closes the temporary file; false on any failure.
bool FillTemporary(int fd, const void* data, size_t size) {
  const bool written = OpenUpMode(fd) && WriteAll(fd, static_cast<const uint8_t*>(data), size) && fsync(fd) == 0;
  return close(fd) == 0 && written;
}

}  // namespace

void SetReplaceFileHook(ReplaceFileHook hook) { replaceHook = hook; }

void ReplaceFile(const std::string& fileName, const void* data, size_t size) {
  std::error_code ignored;
  // A user's own folder may not be there yet; if it cannot be made, mkstemp says so.
  std::filesystem::create_directories(FolderOf(fileName), ignored);
  std::string temporary = fileName + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) throw EFileError("Cannot create file " + fileName);
  const bool filled = FillTemporary(fd, data, size);
  if (filled && replaceHook) replaceHook(temporary);
  if (!filled || std::rename(temporary.c_str(), fileName.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    unlink(temporary.c_str());
    throw EFileError("Cannot write file " + fileName + ": " + reason);
  }
  if (!SyncFolder(FolderOf(fileName))) throw EFileError("Cannot write file " + fileName + ": " + std::strerror(errno));
}
