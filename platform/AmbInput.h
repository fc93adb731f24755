// The polled keyboard the program uses: create for the window, poll once per
// frame, test keys by scan code, release at the end.
//
// State: none of its own; the device lives in AINKeyboard.
#pragma once

#include <cstdint>

#include "AINKeyboard.h"

void CreateKeyboard(const TGLWindow& window);
// Takes this frame's snapshot; Escape reads as held once a stop signal came.
int32_t PollKeyboard();
bool KeyDown(uint32_t keyCode);
// The key presses the polls have seen since the last take (keys that went
// down or repeated, in order), however short the frame; taken, they are gone.
TKeyPresses TakeKeyPresses();
// Scan code of a lower-case letter, digit, space, '.', ',' or '-'; 0 otherwise.
uint8_t CharToScanCode(char c);
void FreeKeyboard();

constexpr uint8_t DIK_ESCAPE = 0x01;
constexpr uint8_t DIK_2 = 0x03;
constexpr uint8_t DIK_TAB = 0x0F;
constexpr uint8_t DIK_P = 0x19;
constexpr uint8_t DIK_RETURN = 0x1C;
constexpr uint8_t DIK_S = 0x1F;
constexpr uint8_t DIK_C = 0x2E;
constexpr uint8_t DIK_SPACE = 0x39;
// The timeline's keys beside the letters.
constexpr uint8_t DIK_MINUS = 0x0C;
constexpr uint8_t DIK_EQUALS = 0x0D;
constexpr uint8_t DIK_LBRACKET = 0x1A;
constexpr uint8_t DIK_RBRACKET = 0x1B;
constexpr uint8_t DIK_LCONTROL = 0x1D;
constexpr uint8_t DIK_LSHIFT = 0x2A;
constexpr uint8_t DIK_COMMA = 0x33;
constexpr uint8_t DIK_PERIOD = 0x34;
constexpr uint8_t DIK_RSHIFT = 0x36;
constexpr uint8_t DIK_F2 = 0x3C;
constexpr uint8_t DIK_RCONTROL = 0x9D;
constexpr uint8_t DIK_UP = 0xC8;
constexpr uint8_t DIK_LEFT = 0xCB;
constexpr uint8_t DIK_RIGHT = 0xCD;
constexpr uint8_t DIK_DOWN = 0xD0;
