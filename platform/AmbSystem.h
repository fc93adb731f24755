// The small system seams of the program: the millisecond tick source, the
// message sink for modal error boxes, the data-folder search, where written
// files go and the one safe way they are written, the stop asked for by a
// signal and the exception that ends the program with a message.
//
// State: the installed tick source and message sink (both default to the real
// behaviour: SDL's tick counter and a modal box plus stderr); whether a stop
// signal has arrived; the hook of the file replacement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// A file error that ends the program: caught once in main, shown through the
// message sink, then the display is restored and the program exits non-zero.
class EFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An error that was already shown to the user and ends the program without a
// further message (a window or context that could not be made).
class EProgramStop : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Leaves the display as the program found it (desktop mode, cursor) and
// shuts the platform layer down; used on the way out after a fatal error.
void RestoreDisplay();

// Milliseconds since an arbitrary start, wrapping as an unsigned 32-bit value.
uint32_t TickCount();
using TickSource = std::function<uint32_t()>;
// Installs a replacement clock (tests, capture); an empty function restores
// the real one.
void SetTickSource(TickSource source);

// A modal message box: caption and text, one OK button. Goes through the sink.
// A fullscreen window is left while the box is up, so that it cannot hide it.
void ShowMessage(const std::string& caption, const std::string& text);
using MessageSink = std::function<void(const std::string& caption, const std::string& text)>;
// Installs a replacement sink (tests record messages); empty restores the box.
void SetMessageSink(MessageSink sink);
// Without a sink the text goes to stderr and then to the box shower, which
// the window unit installs (it knows the window the box belongs over); it
// answers false when a display that can show boxes could not show this one
// (an X server without the fonts a box needs). The message screen then shows
// the text in the program's own window until the user dismisses it, as the
// box would have stood; the runtime installs it (it draws the text).
using MessageBoxShower = std::function<bool(const std::string& caption, const std::string& text)>;
void SetMessageBoxShower(MessageBoxShower shower);
void SetMessageScreen(MessageSink screen);

// The folders the demo's files are looked for in, first match wins: "data"
// below the current folder, "data" beside the program (the build tree), the
// installed data folder reached from the program, then the installed data
// folder compiled in.
std::vector<std::string> DataFolderCandidates();
// Changes into `given`, or when it is empty into the first candidate that
// holds the demo's time-sync table; a folder passed over for lacking it is
// named on stderr, and then the folder that plays. Nothing found: stderr
// lists where it looked and the files are then looked for in the current
// folder. False only when `given` cannot be entered (stderr says why).
bool EnterDataFolder(const std::string& given);

// Where a file the program writes beside its data (the time-sync table, and
// any other) is read from and saved to. In a data folder that can be written,
// both are the plain name in it, as always; otherwise the file is saved to
// $XDG_DATA_HOME/tavix/ (~/.local/share/tavix/), and read from there once it
// exists there, from the data folder before that. Call inside the data folder.
struct TUserFile {
  std::string Read;
  std::string Write;
};
TUserFile UserFilePlace(const std::string& name);

// While alive, SIGINT and SIGTERM ask the program to stop (StopRequested)
// instead of ending it; a second signal ends it at once. The handlers
// that were there before come back at the end.
class TStopSignals {
 public:
  TStopSignals();
  ~TStopSignals();
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;
};
// True once SIGINT or SIGTERM arrived under a TStopSignals.
bool StopRequested();

// Reads a whole file into memory; throws EFileError "Cannot open file <name>"
// when it cannot be opened or read.
std::string ReadWholeFile(const std::string& fileName);

// Every file written for the user goes this one way: a fresh file beside the
// target (its folders made first), written, flushed to disk and given the
// usual mode, then renamed over the target and the folder synced, so that a
// full disk or a crash never costs the previous file. Throws EFileError
// "Cannot create file <name>" or "Cannot write file <name>: <reason>"; the
// target is then as it was.
void ReplaceFile(const std::string& fileName, const void* data, size_t size);
// Called with the temporary file's name once it is complete on disk, just
// before it replaces the target (tests stop the process there); nullptr: none.
using ReplaceFileHook = void (*)(const std::string& temporaryFile);
void SetReplaceFileHook(ReplaceFileHook hook);
