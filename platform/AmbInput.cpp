// The polled keyboard the program uses: create, poll a snapshot per frame,
// test keys by scan code, release.
//
// State: none of its own (the device is Keyboard in AINKeyboard).
#include "AmbInput.h"

#include "AINKeyboard.h"
#include "AmbSystem.h"

namespace {

struct TCharCode {
  char Char;
  uint8_t Code;
};

constexpr TCharCode CharCodes[40] = {
    {'a', 0x1E}, {'b', 0x30}, {'c', 0x2E}, {'d', 0x20}, {'e', 0x12}, {'f', 0x21}, {'g', 0x22}, {'h', 0x23},
    {'i', 0x17}, {'j', 0x24}, {'k', 0x25}, {'l', 0x26}, {'m', 0x32}, {'n', 0x31}, {'o', 0x18}, {'p', 0x19},
    {'q', 0x10}, {'r', 0x13}, {'s', 0x1F}, {'t', 0x14}, {'u', 0x16}, {'v', 0x2F}, {'w', 0x11}, {'x', 0x2D},
    {'y', 0x15}, {'z', 0x2C}, {'1', 0x02}, {'2', 0x03}, {'3', 0x04}, {'4', 0x05}, {'5', 0x06}, {'6', 0x07},
    {'7', 0x08}, {'8', 0x09}, {'9', 0x0A}, {'0', 0x0B}, {' ', 0x39}, {'.', 0x34}, {',', 0x33}, {'-', 0x0C},
};

}  // namespace

void CreateKeyboard(const TGLWindow&) {
  delete Keyboard;
  Keyboard = new TAINKeyboardDevice();
  // A new device starts out acquired, whatever became of an earlier window.
  NoteKeyboardFocus(true);
}

int32_t PollKeyboard() {
  if (!Keyboard) return 0;
  const int32_t result = TakeKeySnapshot(Keyboard->KeyStates, Keyboard->Presses);
  // A stop signal ends the demo the way Escape does, in or out of focus.
  if (StopRequested()) Keyboard->KeyStates[DIK_ESCAPE] = 0x80;
  return result;
}

bool KeyDown(uint32_t keyCode) { return Keyboard && Keyboard->KeyStates[keyCode & 0xFF] >= 0x80; }

TKeyPresses TakeKeyPresses() {
  TKeyPresses presses;
  if (Keyboard) presses.swap(Keyboard->Presses);
  return presses;
}

uint8_t CharToScanCode(char c) {
  for (const TCharCode& entry : CharCodes)
    if (entry.Char == c) return entry.Code;
  return 0;
}

void FreeKeyboard() {
  delete Keyboard;
  Keyboard = nullptr;
}
