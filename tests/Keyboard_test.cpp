// The keyboard: SDL scancodes onto PC set-1 scan codes, the snapshot and its
// key tests, the character table, and keys coming back after a focus change.
#include <gtest/gtest.h>

#include "AINKeyboard.h"
#include "AmbInput.h"
#include "Ambrel2.h"
#include "SpineSupport.h"

namespace {

using namespace spine;

// SDL scancodes are the USB keyboard usage numbers.
struct TUsbToSet1 {
  int Usb;
  uint8_t Set1;
};

TEST(Keyboard, SdlScancodesMapOntoSet1Codes) {
  const TUsbToSet1 samples[] = {
      {41, 0x01},  {30, 0x02},  {31, 0x03}, {39, 0x0B},  {45, 0x0C}, {43, 0x0F}, {20, 0x10},  {19, 0x19},  {40, 0x1C},
      {224, 0x1D}, {4, 0x1E},   {22, 0x1F}, {6, 0x2E},   {29, 0x2C}, {53, 0x29}, {225, 0x2A}, {49, 0x2B},  {56, 0x35},
      {229, 0x36}, {226, 0x38}, {44, 0x39}, {57, 0x3A},  {58, 0x3B}, {67, 0x44}, {68, 0x57},  {69, 0x58},  {83, 0x45},
      {71, 0x46},  {95, 0x47},  {86, 0x4A}, {87, 0x4E},  {98, 0x52}, {99, 0x53}, {100, 0x56}, {88, 0x9C},  {228, 0x9D},
      {84, 0xB5},  {85, 0x37},  {70, 0xB7}, {230, 0xB8}, {72, 0xC5}, {74, 0xC7}, {82, 0xC8},  {75, 0xC9},  {80, 0xCB},
      {79, 0xCD},  {77, 0xCF},  {81, 0xD0}, {78, 0xD1},  {73, 0xD2}, {76, 0xD3}, {227, 0xDB}, {231, 0xDC}, {101, 0xDD},
  };
  for (const TUsbToSet1& sample : samples) EXPECT_EQ(ScanCodeFromSdl(sample.Usb), sample.Set1) << sample.Usb;
  EXPECT_EQ(ScanCodeFromSdl(0), 0);
  EXPECT_EQ(ScanCodeFromSdl(511), 0);
}

TEST(Keyboard, CharacterTable) {
  const std::string chars = "abcdefghijklmnopqrstuvwxyz1234567890 .,-";
  const uint8_t codes[40] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, 0x31,
                             0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C, 0x02, 0x03,
                             0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x39, 0x34, 0x33, 0x0C};
  for (size_t i = 0; i < chars.size(); ++i) EXPECT_EQ(CharToScanCode(chars[i]), codes[i]) << chars[i];
  EXPECT_EQ(CharToScanCode('C'), 0);
  EXPECT_EQ(CharToScanCode('\0'), 0);
  EXPECT_EQ(CharToScanCode('!'), 0);
}

TEST(Keyboard, KeyDownReadsTheLastPollByTheLowEightBits) {
  THeldKeys keys;
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));  // no device yet
  CreateKeyboard(TGLWindow{});
  keys.Held = {DIK_ESCAPE};
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));  // not polled yet
  PollKeyboard();
  EXPECT_TRUE(KeyDown(DIK_ESCAPE));
  EXPECT_TRUE(KeyDown(0x101));
  EXPECT_FALSE(KeyDown(DIK_TAB));
  keys.Held.clear();
  EXPECT_TRUE(KeyDown(DIK_ESCAPE));  // still the old snapshot
  PollKeyboard();
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));
  FreeKeyboard();
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));
}

TEST(Keyboard, KeysAreSeenAgainAfterTheFocusComesBack) {
  THeldKeys keys;
  CreateKeyboard(TGLWindow{});
  keys.Held = {DIK_ESCAPE};
  NoteKeyboardFocus(false);
  EXPECT_NE(PollKeyboard(), 0);
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));
  NoteKeyboardFocus(true);
  EXPECT_EQ(PollKeyboard(), 0);
  EXPECT_TRUE(KeyDown(DIK_ESCAPE));
  FreeKeyboard();
}

}  // namespace
