// Music over the dummy sound device: loading into slots, playing once with
// the start tick recorded, bad slots, and a missing device staying silent.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "AmbBass.h"
#include "AmbSystem.h"
#include "SpineSupport.h"

namespace {

using namespace spine;

// A short 16-bit mono 44100 Hz saw tone as a RIFF/WAVE file.
std::string WaveFile(uint32_t samples) {
  auto u32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto u16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  const uint32_t dataBytes = samples * 2;
  std::string file = "RIFF" + u32(36 + dataBytes) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(44100) + u32(88200) +
                     u16(2) + u16(16) + "data" + u32(dataBytes);
  for (uint32_t i = 0; i < samples; ++i) file += u16(uint16_t((i % 100) * 300));
  return file;
}

class Music : public ::testing::Test {
 protected:
  void TearDown() override { FreeMusic(); }
  TScratchFolder folder;
  TMessageLog messages;
  TVirtualClock clock{777};
};

TEST_F(Music, LoadedSamplePlaysOnceAndRecordsItsStartTick) {
  ASSERT_TRUE(InitMusic(nullptr));
  WriteBytes(folder.File("tone.wav"), WaveFile(44100));
  EXPECT_EQ(LoadMusic(folder.File("tone.wav")), 0);
  EXPECT_EQ(LoadMusic(folder.File("tone.wav")), 1);
  EXPECT_EQ(MusicSampleCount(), 2);
  uint32_t tick = 0;
  EXPECT_FALSE(MusicStartTick(tick));
  clock.Tick = 4321;
  EXPECT_NE(PlayMusic(0, 100, 0), 0u);
  ASSERT_TRUE(MusicStartTick(tick));
  EXPECT_EQ(tick, 4321u);
  EXPECT_NE(PlayMusic(1, 50, -100), 0u);
  FreeMusic();
  EXPECT_EQ(MusicSampleCount(), 0);
  EXPECT_FALSE(MusicStartTick(tick));
  EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Music, MissingOrBrokenFilesAndEmptySlotsDoNothing) {
  ASSERT_TRUE(InitMusic(nullptr));
  EXPECT_EQ(LoadMusic(folder.File("abstract.mp3")), -1);
  WriteBytes(folder.File("broken.mp3"), "this is not music at all");
  EXPECT_EQ(LoadMusic(folder.File("broken.mp3")), -1);
  EXPECT_EQ(MusicSampleCount(), 0);
  EXPECT_EQ(PlayMusic(-1, 100, 0), 0u);
  EXPECT_EQ(PlayMusic(0, 100, 0), 0u);
  EXPECT_TRUE(messages.Shown.empty());
}

TEST_F(Music, TheDemoSongDecodesWhole) {
  const std::string song = std::string(TAVIX_DATA_DIR) + "/abstract.mp3";
  if (!std::ifstream(song)) GTEST_SKIP() << "no generated data";
  ASSERT_TRUE(InitMusic(nullptr));
  EXPECT_EQ(LoadMusic(song), 0);
  EXPECT_NE(PlayMusic(0, 100, 0), 0u);
}

TEST_F(Music, WithoutASoundDeviceEverythingIsSilent) {
  const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
  setenv("SDL_AUDIODRIVER", "no-such-device", 1);
  EXPECT_FALSE(InitMusic(nullptr));
  setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
  WriteBytes(folder.File("tone.wav"), WaveFile(100));
  EXPECT_EQ(LoadMusic(folder.File("tone.wav")), -1);
  EXPECT_EQ(PlayMusic(0, 100, 0), 0u);
  FreeMusic();
  EXPECT_TRUE(messages.Shown.empty());
}

}  // namespace
