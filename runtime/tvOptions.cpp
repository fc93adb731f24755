// The command line of tavix, read with CLI11; the help text is our own.
#include "tvOptions.h"

#include <CLI/CLI.hpp>
#include <cstdio>

std::string ParseLastWins(CLI::App& app, const std::vector<std::string>& args, const std::string& unknownNote) {
  // CLI11 takes the arguments last one first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    return error.what();
  }
  return app.remaining().empty() ? "" : "unknown option \"" + app.remaining().front() + "\"" + unknownNote;
}

TFrameSize ParseFrameSize(const std::string& text, bool nativeAllowed) {
  if (nativeAllowed && text == "native") return {TFrameSizeMode::Native, 0, 0};
  const std::string wanted = std::string("--size expects ") + (nativeAllowed ? "native or " : "") +
                             "a 4:3 WIDTHxHEIGHT from 320x240 (800x600 is the classic frame), not \"" + text + "\"";
  int width = 0, height = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%5dx%5d%c", &width, &height, &extra) != 2 || text.find_first_of("+- ") != text.npos ||
      width < 320 || width * 3 != height * 4)
    throw ETavixUsage(wanted);
  return {TFrameSizeMode::Fixed, width, height};
}

namespace {

int32_t ParseAudioOffset(const std::string& text) {
  int value = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%5d%c", &value, &extra) != 1 || text.find(' ') != text.npos || value < -2000 ||
      value > 2000)
    throw ETavixUsage("--audio-offset expects a whole number of ms from -2000 to 2000, not \"" + text + "\"");
  return value;
}

}  // namespace

TTavixOptions ParseTavixOptions(const std::vector<std::string>& args) {
  CLI::App app;
  app.set_help_flag();
  // Left-over arguments are reported by name, the same way for every kind.
  app.allow_extras();
  TTavixOptions options;
  bool window = false, fullscreen = false;
  app.add_flag("--help,-h", options.Help);
  app.add_flag("--version", options.Version);
  app.add_option("--data", options.DataDir)->type_name("DIR");
  app.add_flag("--edit", options.Edit);
  std::string size, offset;
  app.add_option("--size", size)->type_name("SIZE");
  app.add_option("--audio-offset", offset)->type_name("MS");
  app.add_flag("--window", window);
  app.add_flag("--fullscreen", fullscreen);
  const std::string fault = ParseLastWins(app, args);
  if (!fault.empty()) throw ETavixUsage(fault);
  if (app.count("--data") > 0 && options.DataDir.empty()) throw ETavixUsage("--data needs a folder");
  if (window && fullscreen) throw ETavixUsage("--window and --fullscreen cannot be used together");
  if (app.count("--size") > 0) options.Size = ParseFrameSize(size, true);
  if (app.count("--audio-offset") > 0) {
    options.AudioOffsetMs = ParseAudioOffset(offset);
    options.AudioOffsetGiven = true;
  }
  if (window) options.Screen = TScreenMode::Window;
  if (fullscreen) options.Screen = TScreenMode::Fullscreen;
  return options;
}

std::string TavixVersion() { return TAVIX_VERSION; }

std::string TavixHelpText() {
  return R"(Usage: tavix [--window | --fullscreen] [--size SIZE] [--audio-offset MS] [--data DIR] [--edit]

Plays the Tavix demo: a loading screen, then a fixed sequence of 3D scenes
over its music. The picture is drawn at the frame's size and scaled to fill
the screen or the window with its 4:3 shape kept (black bars where the shapes
differ); the desktop's resolution is never changed.

  --fullscreen   fill the screen (the default)
  --window       play in a window that can be resized
  --size SIZE    the frame's size: 800x600, the classic frame; native, the
                 largest 4:3 box of the screen or the window, following the
                 window; or any 4:3 WIDTHxHEIGHT from 320x240 up. By default
                 native on a graphics card and 800x600 on a software renderer
  --audio-offset MS  how much later the sound is heard than the sound
                 output says (a Bluetooth speaker, a television): the picture
                 waits that long, -2000..2000 (by default what the timeline's
                 keys set last, else 0)
  --data DIR     read the demo's files from DIR
  --edit         open the timeline (F2) as soon as the show begins
  --version      print the version and end
  --help         this text

Without --data the demo's files are read from the first of these folders
that holds timesync.dat: "data" below the current folder, "data" beside the
program, the installed data folder relative to the program, and the
installed data folder this program was built for.

Keys:
  Escape         end the demo (Ctrl+C or SIGTERM from a terminal do the same)
  Alt+Enter      switch between fullscreen and a window
  Tab            while held, show the scenes 100 ms ahead and run the
                 animations at their fastest
  2              set the demo clock to 25 seconds
  C, P, S        clear the time-sync table, record the next scene's start,
                 save the table to timesync.dat
  Space          show how long the current scene has been running
  Return         start a test shake of the camera
  F2             open or close the timeline, the editor of the scenes'
                 start moments (its keys are listed in its band and below)

Timeline keys (while it is open the keys above rest, but Escape):
  Up, Down       select the previous or next entry (entry N starts scene N)
  Left, Right    move the entry by one frame (1/60 s); with Shift by 10 ms,
                 with Ctrl by one step of the beat grid (the entry keeps its
                 distance to the grid; G snaps it onto a line)
  G              snap the entry to the nearest grid line
  Return         move the entry to the playhead
  Ctrl+Z, Ctrl+Y undo, redo (Ctrl+Shift+Z redoes too)
  Space          pause or resume picture and music
  J              jump to the entry, starting the preroll (2 s) before it
  I, O, L        loop from here, loop to here, loop on or off
  B, comma, period  bookmark here (again: remove), jump to the previous
                 or next bookmark
  -, =           tempo down or up by 0.1 BPM (Shift: 1 BPM)
  [, ]           move the grid by 1 ms (Shift: 10 ms)
  ;, '           the sound heard 5 ms earlier or later than the output
                 says (Shift: 50 ms), set by ear while the music plays
  M, D           beats a bar, steps a beat (1, 2, 3, 4, 6, 8)
  E              the tempo and grid found in the music again
  S              save timesync.dat (and the timeline's own timeline.txt)
  R              restore edits that were not saved when the demo last ended
  Mouse          click a marker to select it, drag it in the lane (the
                 upper strip), click the whole song's strip below it to jump
                 there, turn the wheel over the lane to zoom it

S saves timesync.dat into the data folder. When that folder cannot be
written, S saves to $XDG_DATA_HOME/tavix/timesync.dat (by default
~/.local/share/tavix/), and from then on the table is read from there. The timeline keeps its
settings in timeline.txt and unsaved edits in timesync-unsaved.dat beside
the table.
)";
}
