// The frame loop's logic on a virtual clock with held keys: the keyboard,
// the time-sync table and its saves, the demo clock, the operator keys and
// the test shake.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <map>

#include "AmbInput.h"
#include "Ambrel2.h"
#include "EngineSupport.h"
#include "SpineSupport.h"
#include "Tavix.h"
#include "tvCommon.h"
#include "tvHeadless.h"
#include "tvPulsar.h"

namespace {

using namespace spine;

bool fsyncFails = false;

}  // namespace

// This program's fsync stands in for the C library's and fails while asked to.
extern "C" int fsync(int fd) {
  if (!fsyncFails) return int(syscall(SYS_fsync, fd));
  errno = EIO;
  return -1;
}

namespace {

// SDL scancodes are the USB keyboard usage numbers; the keys the demo reads,
// then one of each block: keypad, extended, unknown.
TEST(Keyboard, SdlScancodesMapOntoSet1Codes) {
  const std::pair<int, uint8_t> samples[] = {{41, 0x01}, {43, 0x0F}, {31, 0x03},  {6, 0x2E},   {19, 0x19},
                                             {22, 0x1F}, {44, 0x39}, {40, 0x1C},  {226, 0x38}, {230, 0xB8},
                                             {58, 0x3B}, {69, 0x58}, {95, 0x47},  {88, 0x9C},  {228, 0x9D},
                                             {82, 0xC8}, {76, 0xD3}, {101, 0xDD}, {0, 0},      {511, 0}};
  for (const auto& [usb, set1] : samples) EXPECT_EQ(ScanCodeFromSdl(usb), set1) << usb;
}

TEST(Keyboard, CharactersAndKeyNamesMapOntoScanCodes) {
  const std::string chars = "aqzpm190 .,-C!";
  const uint8_t codes[] = {0x1E, 0x10, 0x2C, 0x19, 0x32, 0x02, 0x0A, 0x0B, 0x39, 0x34, 0x33, 0x0C, 0x00, 0x00};
  for (size_t i = 0; i < chars.size(); ++i) EXPECT_EQ(CharToScanCode(chars[i]), codes[i]) << chars[i];
  const std::pair<const char*, uint8_t> names[] = {
      {"Escape", 0x01}, {"tab", 0x0F}, {"Return", 0x1C},   {"Space", 0x39}, {"2", 0x03},     {"C", 0x2E},
      {"F2", 0x3C},     {"f12", 0x58}, {"PageDown", 0xD1}, {"Shift", 0x2A}, {"RCtrl", 0x9D}, {"Alt", 0x38},
      {"[", 0x1A},      {"'", 0x28},   {"=", 0x0D},        {"F13", 0},      {"+", 0},        {"Ctrl+Z", 0}};
  for (const auto& [name, code] : names) EXPECT_EQ(ScanCodeFromKeyName(name), code) << name;
}

// KeyDown reads the last poll by the key code's low eight bits; out of focus
// every key reads as up, and held keys are seen again once it comes back.
TEST(Keyboard, KeyDownReadsTheLastPoll) {
  THeldKeys keys;
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));  // no device yet
  CreateKeyboard(TGLWindow{});
  keys.Held = {DIK_ESCAPE};
  EXPECT_FALSE(KeyDown(DIK_ESCAPE));  // not polled yet
  EXPECT_EQ(PollKeyboard(), 0);
  EXPECT_TRUE(KeyDown(0x101));
  EXPECT_FALSE(KeyDown(DIK_TAB));
  keys.Held = {DIK_TAB};
  EXPECT_TRUE(KeyDown(DIK_ESCAPE));  // still the last snapshot
  NoteKeyboardFocus(false);
  EXPECT_NE(PollKeyboard(), 0);
  EXPECT_FALSE(KeyDown(DIK_TAB));
  NoteKeyboardFocus(true);
  EXPECT_EQ(PollKeyboard(), 0);
  EXPECT_TRUE(KeyDown(DIK_TAB));
  FreeKeyboard();
  EXPECT_FALSE(KeyDown(DIK_TAB));
}

class MainLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    CurrentPart = -1;
    DemoTime = SyncLock = 0;
    FrameDelta = PartTime = ShakeStart = 0;
    FrameStep = 1.0f;
    SineClock = SineValue = 0.0f;
    OverlayText.clear();
    ClearTimeSync();
    ResetTimeSync();
    CreateKeyboard(TGLWindow{});
    StartTick = 1000;
    BeginSchedule();
    TimeSyncTable.fill(0xFFFFFFFFu);
  }
  void TearDown() override { FreeKeyboard(); }

  // Steps 1-8 and 11 of a frame, then the tick moves on by ms.
  void Frame(uint32_t ms = 10) {
    StartFrame();
    UpdateFrameState();
    UpdateSineClock();
    clock.Tick += ms;
  }

  TVirtualClock clock{1000};
  THeldKeys keys;
  TScratchFolder folder;
};
using TimeSync = MainLoop;

std::string PatternBytes(size_t size, uint8_t seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = char(uint8_t(seed + i * 7));
  return bytes;
}

// A file fills the entries it covers, a partial last entry only in its low
// bytes (each entry's byte order is the regression replay's); a save replaces
// the file with the table's 804 bytes in the usual file mode, and no
// temporary file stays behind.
TEST_F(TimeSync, FileBytesAreTheTableLittleEndian) {
  const std::pair<const char*, std::string> files[] = {{"full", PatternBytes(804, 3)},
                                                       {"empty", ""},
                                                       {"short", "\x01\x02\x03\x04\x05\x06"},
                                                       {"overlong", PatternBytes(900, 9)}};
  for (const auto& [name, bytes] : files) {
    TimeSyncTable.fill(0xFFFFFFFFu);
    WriteBytes(folder.File("in.dat"), bytes);
    LoadTimeSync(folder.File("in.dat"));
    const std::string image = (bytes + std::string(804, '\xFF')).substr(0, 804);
    SaveTimeSync(folder.File("out.dat"));
    const auto contents = folder.Contents();
    EXPECT_EQ(contents.at("out.dat"), image) << name;
    EXPECT_EQ(contents.size(), 2u) << name;
  }
  struct stat info {};
  ASSERT_EQ(stat(folder.File("out.dat").c_str(), &info), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
  EXPECT_EQ(ErrorOf<EFileError>([&] { LoadTimeSync(folder.File("none.dat")); }),
            "Cannot open file " + folder.File("none.dat"));
}

// While alive, writes past the cap fail (not SIGXFSZ); no cap for 0.
struct TFileSizeLimit {
  explicit TFileSizeLimit(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit capped{bytes, saved.rlim_max};
    if (bytes > 0) setrlimit(RLIMIT_FSIZE, &capped);
  }
  ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
  rlimit saved{};
};

// However a save fails, it names the file and leaves the folder exactly as
// it was: the old table byte for byte, no temporary file.
TEST_F(TimeSync, FailedSavesNameTheFileAndChangeNothing) {
  const std::string old = PatternBytes(804, 1);
  const struct {
    const char *Name, *Target, *Message;
    rlim_t SizeCap;
    std::map<std::string, std::string> Files;
    bool SyncFails = false;
  } faults[] = {{"table is a folder", "timesync.dat", "Cannot write file ", 0, {{"timesync.dat/keep", old}}},
                {"folder is a file", "plain/timesync.dat", "Cannot create file ", 0, {{"plain", old}}},
                {"file size limit", "timesync.dat", "Cannot write file ", 100, {{"timesync.dat", old}}},
                {"disk error on sync", "timesync.dat", "Cannot write file ", 0, {{"timesync.dat", old}}, true}};
  for (const auto& f : faults) {
    const TScratchFolder scratch;
    for (const auto& [name, bytes] : f.Files) {
      std::filesystem::create_directories(std::filesystem::path(scratch.File(name)).parent_path());
      WriteBytes(scratch.File(name), bytes);
    }
    TimeSyncTable.fill(0x55555555u);
    const std::string error = ErrorOf<EFileError>([&] {
      const TFileSizeLimit limit(f.SizeCap);
      fsyncFails = f.SyncFails;
      SaveTimeSync(scratch.File(f.Target));
    });
    fsyncFails = false;
    EXPECT_EQ(error.rfind(f.Message + scratch.File(f.Target), 0), 0u) << f.Name << ": " << error;
    EXPECT_EQ(scratch.Contents(), f.Files) << f.Name;
  }
}

// Killed once the new table is complete but before it replaces the old
// one, the save leaves the old table as it was, and the next save works.
TEST_F(TimeSync, ASaveKilledBeforeTheSwapKeepsTheOldTable) {
  const std::string table = folder.File("timesync.dat"), old = PatternBytes(804, 2);
  WriteBytes(table, old);
  const pid_t child = fork();
  if (child == 0) {
    SetReplaceFileHook([](const std::string&) { raise(SIGKILL); });
    SaveTimeSync(table);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the save never reached its last step";
  EXPECT_EQ(ReadBytes(table), old);
  TimeSyncTable.fill(0xFFFFFFFFu);
  SaveTimeSync(table);
  EXPECT_EQ(ReadBytes(table), std::string(804, '\xFF'));
}

// An entry fires on the first query whose clock is strictly past it, one
// entry per query; a clock before zero is past nothing.
TEST_F(TimeSync, AnEntryFiresOnceTheClockIsStrictlyPastIt) {
  const struct {
    uint32_t Entry;
    int32_t Next, Clock, Due;
  } cases[] = {{1000, 0, 1000, -1}, {1000, 0, 1001, 0}, {1000, 3, 1001, 3}, {0xFFFFFFFFu, 0, INT32_MAX, -1},
               {0, 0, -5, -1},      {0, 0, 1, 0},       {0, 201, 1, -1}};
  for (const auto& c : cases) {
    TimeSyncTable.fill(c.Entry);
    NextIndex = c.Next;
    DemoTime = c.Clock;
    EXPECT_EQ(NextPartDue(), c.Due) << c.Entry << " at " << c.Clock;
    EXPECT_EQ(NextIndex, c.Due == -1 ? c.Next : c.Next + 1);
  }
}

// The step is a third of the clock's advance, at most 10 (also when the clock
// went back). Tab moves the scenes and the next part query 100 ms ahead but
// not the clock; the key 2 sets the clock to 25 s.
TEST_F(MainLoop, DemoClockAndItsKeys) {
  TimeSyncTable[0] = 2050;
  clock.Tick = 3000;
  Frame(6);
  EXPECT_EQ(DemoTime, 2000);
  EXPECT_FLOAT_EQ(FrameStep, 10.0f);  // the first frame comes from a clock at 0
  Frame(31);
  EXPECT_FLOAT_EQ(FrameStep, 2.0f);
  keys.Held = {DIK_TAB};
  Frame();
  EXPECT_EQ(FrameDelta, 31u);
  EXPECT_FLOAT_EQ(FrameStep, 10.0f);
  EXPECT_EQ(DemoTime, 2137);
  keys.Held.clear();
  Frame();
  EXPECT_EQ(CurrentPart, 0);  // queried with last frame's 2137
  EXPECT_EQ(DemoTime, 2047);
  EXPECT_FLOAT_EQ(FrameStep, 10.0f);  // the clock went back 90 ms
  Frame();
  EXPECT_FLOAT_EQ(FrameStep, 10.0f / 3.0f);
  EXPECT_NEAR(SineValue, std::sin(0.0353333), 1e-6);
  keys.Held = {DIK_2};
  Frame();
  keys.Held.clear();
  Frame();
  EXPECT_EQ(DemoTime, 25010);
}

// The locked keys act once the lock is past 500, all in the same frame: the
// last that acts sets the lock, the last that writes one shows its message.
TEST_F(MainLoop, OperatorKeysAndTheirLocks) {
  const uint32_t U = 0xFFFFFFFFu;  // an entry nobody wrote
  const struct {
    const char* Name;
    std::set<uint8_t> Keys;
    int32_t Lock, Plotted;
    const char* Message;
    int32_t LockAfter;
    uint32_t Entry0, Entry200, Shake;
  } cases[] = {{"locked at 500", {DIK_C}, 500, 0, "old", 501, U, U, 0},
               {"C", {DIK_C}, 501, 0, "Timesync CLEARED", 1, 0, 0, 0},
               {"P", {DIK_P}, 501, 200, "Timesync PLOT[200]: 2000", 301, U, 2000, 0},
               {"P with Tab", {DIK_TAB, DIK_P}, 501, 0, "Timesync PLOT[0]: 2100", 301, 2100, U, 0},
               {"P, table full", {DIK_P}, 501, 201, "Timesync FULL: plot dropped", 301, U, U, 0},
               {"C and P", {DIK_C, DIK_P}, 501, 7, "Timesync PLOT[0]: 2000", 301, 2000, 0, 0},
               {"S", {DIK_S}, 501, 0, "Timesync SAVED", 1, U, U, 0},
               {"Space", {DIK_SPACE}, 501, 0, "Ploted time: 1750", 1, U, U, 0},
               {"Return", {DIK_RETURN}, 501, 0, "old", 401, U, U, 1750}};
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path);
  clock.Tick = 1250;
  BeginSchedule();
  for (const auto& c : cases) {
    TimeSyncTable.fill(U);
    NextIndex = 5;
    PlotIndex = c.Plotted;
    SyncLock = c.Lock;
    OverlayText = "old";
    ShakeStart = 0;
    keys.Held = c.Keys;
    clock.Tick = 3000;
    Frame();
    EXPECT_EQ(OverlayText, c.Message) << c.Name;
    EXPECT_EQ(SyncLock, c.LockAfter) << c.Name;
    EXPECT_EQ(TimeSyncTable[0], c.Entry0) << c.Name;
    EXPECT_EQ(TimeSyncTable[200], c.Entry200) << c.Name;
    EXPECT_EQ(ShakeStart, c.Shake) << c.Name;
    EXPECT_EQ(NextIndex, 5) << c.Name;
    EXPECT_EQ(ReadBytes("timesync.dat"), std::string(c.Keys.count(DIK_S) ? 804 : 0, '\xFF')) << c.Name;
    std::filesystem::remove("timesync.dat");
  }
  // A save that fails is not caught here: the program stops with its error.
  std::filesystem::create_directory("timesync.dat");
  SyncLock = 501;
  keys.Held = {DIK_S};
  EXPECT_THROW(Frame(), EFileError);
  std::filesystem::current_path(previous);
}

// Once started the shake never stops: (Pulse - 0.5) * 80 on each axis inside
// its 500 ms, -40 at their edges and after them.
TEST(Shake, TranslatesTheModelviewOnAllThreeAxes) {
  const TGLWindow window = MakeGLWindow(64, 64, 32, false, "shake");
  const struct {
    uint32_t Start, Time;
    float Shift;
  } cases[] = {{0, 1250, 0}, {1000, 1000, -40}, {1000, 1250, -47.25f}, {1000, 1500, -40}, {1000, 2000, -40}};
  for (const auto& c : cases) {
    ShakeStart = c.Start;
    PartTime = c.Time;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ApplyShake();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i : {12, 13, 14}) EXPECT_NEAR(m[i], c.Shift, 0.01f) << c.Start << " at " << c.Time;
  }
  ShakeStart = PartTime = 0;
  KillGLWindow(window);
}

}  // namespace
