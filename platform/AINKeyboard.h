// The keyboard device: one snapshot of all 256 key states per poll, in the
// PC scan-code (set 1) numbering, taken from SDL's keyboard state or from an
// installed key source.
//
// State: the one device instance (created by CreateKeyboard, freed by
// FreeKeyboard) with its 256-byte snapshot; the optional key source.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

struct TGLWindow;

using TKeyStates = std::array<uint8_t, 256>;

class TAINKeyboardDevice {
 public:
  int32_t CreationResult = 0;
  TKeyStates KeyStates{};
};

// Fills a snapshot instead of the real keyboard (tests, scripted runs). A key
// is down when its byte is 128 or more.
using KeySource = std::function<void(TKeyStates& states)>;
void SetKeySource(KeySource source);

// The scan code (set 1, 0..255) of an SDL scancode value, 0 for keys that have none.
uint8_t ScanCodeFromSdl(int sdlScancode);

// Takes one snapshot from the key source or from SDL. Returns 0, or a
// not-acquired code with all keys up while the window is out of focus.
int32_t TakeKeySnapshot(TKeyStates& states);
// The window pump reports focus changes: keys read as up while the window is
// out of focus and are seen again once it has the focus back.
void NoteKeyboardFocus(bool focused);
// Whether the window has the focus as far as the pump has told; the mouse
// reads nothing held without it, as the keyboard does.
bool HasKeyboardFocus();

extern TAINKeyboardDevice* Keyboard;
