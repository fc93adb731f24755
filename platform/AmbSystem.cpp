// The small system seams: tick source, message sink, the data-folder change,
// whole-file reading and the way out after a fatal error.
//
// State: the installed tick source and message sink (empty = real
// behaviour). Leaves nothing behind.
#include "AmbSystem.h"

#include <SDL.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

namespace {

TickSource tickSource;
MessageSink messageSink;

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
  SDL_ShowSimpleMessageBox(icon, caption.c_str(), text.c_str(), nullptr);
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

void EnterDataFolder() {
  // Without the folder the files are looked for where we are.
  if (chdir("data") != 0) return;
}

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
