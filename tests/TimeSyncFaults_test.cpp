// Saving the time-sync table when things go wrong part-way: the process
// killed once the new table is on disk but before it replaces the old one,
// a file system that runs out of room, and a table that cannot be replaced.
// In every case the previous timesync.dat stays exactly as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "AmbSystem.h"
#include "SpineSupport.h"
#include "tvCommon.h"

namespace {

using namespace spine;

std::string OldTable() {
  std::string bytes(804, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(uint8_t(i * 13 + 5));
  return bytes;
}

std::string TableOf(uint32_t entry) {
  std::string bytes;
  for (int i = 0; i < 201; ++i)
    for (int b = 0; b < 4; ++b) bytes += char(uint8_t(entry >> (8 * b)));
  return bytes;
}

std::string ErrorOfSave(const std::string& fileName) {
  try {
    SaveTimeSync(fileName);
  } catch (const EFileError& error) {
    return error.what();
  }
  return "";
}

TEST(TimeSyncFaults, KilledBeforeTheNewTableReplacesTheOldKeepsTheOld) {
  TScratchFolder folder;
  const std::string table = folder.File("timesync.dat");
  WriteBytes(table, OldTable());
  const pid_t child = fork();
  if (child == 0) {
    SetTimeSyncSaveHook([](const std::string&) { raise(SIGKILL); });
    TimeSyncTable.fill(0xAAAAAAAAu);
    SaveTimeSync(table);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the save never reached the hook";
  EXPECT_EQ(ReadBytes(table), OldTable());
  // The next start-up reads the old table, and the next save works beside
  // the temporary file the killed one left.
  ResetSpineState();
  LoadTimeSync(table);
  EXPECT_EQ(TimeSyncTable[0], 0x2C1F1205u);
  TimeSyncTable.fill(7);
  SaveTimeSync(table);
  EXPECT_EQ(ReadBytes(table), TableOf(7));
}

// A 16 KiB file system filled to the last block before the save.
class TinyFileSystem {
 public:
  explicit TinyFileSystem(const std::string& path) : path_(path) {
    mounted_ = mount("tavix-test", path.c_str(), "tmpfs", 0, "size=16k") == 0;
  }
  ~TinyFileSystem() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  void Fill() const {
    std::ofstream filler(path_ + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    for (int i = 0; i < 16 && filler.write(block.data(), std::streamsize(block.size())); ++i) filler.flush();
  }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST(TimeSyncFaults, FullDiskKeepsTheOldTableAndIsReported) {
  TScratchFolder folder;
  TinyFileSystem disk(folder.Path());
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small file system here";
  const std::string table = folder.File("timesync.dat");
  WriteBytes(table, OldTable());
  disk.Fill();
  TimeSyncTable.fill(0x55555555u);
  const std::string error = ErrorOfSave(table);
  EXPECT_EQ(error.rfind("Cannot write file " + table, 0), 0u) << error;
  EXPECT_EQ(ReadBytes(table), OldTable());
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"filler", "timesync.dat"}));
}

TEST(TimeSyncFaults, ATableThatCannotBeReplacedIsReportedAndNoTemporaryIsLeft) {
  TScratchFolder folder;
  const std::string table = folder.File("timesync.dat");
  std::filesystem::create_directory(table);
  WriteBytes(table + "/keep", "x");
  const std::string error = ErrorOfSave(table);
  EXPECT_EQ(error.rfind("Cannot write file " + table, 0), 0u) << error;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"timesync.dat"});
  EXPECT_EQ(ReadBytes(table + "/keep"), "x");
}

}  // namespace
