// The keyboard device: one snapshot of all 256 key states per poll, in the
// PC scan-code (set 1) numbering, taken from SDL's keyboard state or from an
// installed key source; and the key presses since the previous poll.
//
// State: the one device instance (created by CreateKeyboard, freed by
// FreeKeyboard) with its 256-byte snapshot and its presses; the optional key
// source; the presses noted since the last poll; for a key source, the
// previous snapshot and when each held key repeats.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

struct TGLWindow;

using TKeyStates = std::array<uint8_t, 256>;

// A key going down, or repeating while held, with the modifiers of that
// moment. Taken from the keyboard's events, so a tap shorter than a frame
// counts as surely as a long one.
struct TKeyPress {
  uint8_t Code = 0;  // set 1
  bool Shift = false, Control = false;
  bool Repeat = false;  // the key was already down
  bool operator==(const TKeyPress& other) const {
    return Code == other.Code && Shift == other.Shift && Control == other.Control && Repeat == other.Repeat;
  }
};
using TKeyPresses = std::vector<TKeyPress>;

class TAINKeyboardDevice {
 public:
  int32_t CreationResult = 0;
  TKeyStates KeyStates{};
  TKeyPresses Presses;  // not yet taken, in order; the oldest go beyond 64
};

// Fills a snapshot instead of the real keyboard (tests, scripted runs). A key
// is down when its byte is 128 or more.
using KeySource = std::function<void(TKeyStates& states)>;
void SetKeySource(KeySource source);

// The scan code (set 1, 0..255) of an SDL scancode value, 0 for keys that have none.
uint8_t ScanCodeFromSdl(int sdlScancode);

// Takes one snapshot from the key source or from SDL, and adds the presses
// since the previous one. Returns 0, or a not-acquired code with all keys up
// and no presses while the window is out of focus. A key source's snapshots
// are turned into presses as a keyboard repeats: a key that went down, then
// again after 400 ms held and every 50 ms after.
int32_t TakeKeySnapshot(TKeyStates& states, TKeyPresses& presses);
// The window pump reports every key that goes down or repeats (an SDL
// scancode and whether Shift and Ctrl are held).
void NoteKeyPress(int sdlScancode, bool shift, bool control, bool repeat);
// The window pump reports focus changes: keys read as up while the window is
// out of focus and are seen again once it has the focus back.
void NoteKeyboardFocus(bool focused);
// Whether the window has the focus as far as the pump has told; the mouse
// reads nothing held without it, as the keyboard does.
bool HasKeyboardFocus();

extern TAINKeyboardDevice* Keyboard;
