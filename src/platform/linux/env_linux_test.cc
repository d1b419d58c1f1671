// The Linux file system seam: what only the real file system shows.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"
#include "test_support.h"

namespace sc {
namespace {

using testing::HasTemporaryFile;

// Holds a lock file and starts replacing two files, one still being written
// and one synced, then raises `signal_number`; exits 3 when setting up fails.
void RaiseWhileWriting(Env* env, const std::string& folder, int signal_number) {
  std::unique_ptr<FileLock> lock;
  std::unique_ptr<ReplacingFile> writing;
  std::unique_ptr<ReplacingFile> synced;
  bool busy = false;
  if (!env->TryLockFile(folder + "/.lock", &lock, &busy).ok() || busy ||
      !env->NewReplacingFile(folder + "/a.dat", &writing).ok() ||
      !env->NewReplacingFile(folder + "/b.dat", &synced).ok() ||
      !writing->Append(std::string(3 << 20, 'x')).ok() || !synced->Sync().ok() ||
      !HasTemporaryFile(folder)) {
    std::exit(3);
  }
  ::raise(signal_number);
  std::exit(4);
}

TEST(PosixEnv, ASignalRemovesTheLiveTemporariesAndTheLockFileAndEndsWithTheSignal) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    testing::TempFolder dir;
    Env* env = Env::Default();  // installs the handlers
    EXPECT_EXIT(RaiseWhileWriting(env, dir.path(), signal_number),
                ::testing::KilledBySignal(signal_number), "");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << signal_number;
  }
}

TEST(PosixEnv, AReplacedFileKeepsItsPermissionBits) {
  testing::TempFolder dir;
  const std::string path = dir.File("grid.dat");
  ASSERT_TRUE(Env::Default()->WriteFile(path, "old").ok());
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(Env::Default()->WriteFile(path, "new").ok());
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(PosixEnv, ALockHeldElsewhereIsReportedBusy) {
  testing::TempFolder dir;
  Env* env = Env::Default();
  std::unique_ptr<FileLock> first, second;
  bool busy = true;
  ASSERT_TRUE(env->TryLockFile(dir.File("lock"), &first, &busy).ok());
  EXPECT_FALSE(busy);
  ASSERT_TRUE(first);
  // A second open of the lock file is another holder, even in this process.
  ASSERT_TRUE(env->TryLockFile(dir.File("lock"), &second, &busy).ok());
  EXPECT_TRUE(busy);
  EXPECT_FALSE(second);
  first.reset();
  ASSERT_TRUE(env->TryLockFile(dir.File("lock"), &second, &busy).ok());
  EXPECT_FALSE(busy);
}

TEST(PosixEnv, TemporaryNamesOfLongTargetsFitTheLimit) {
  testing::TempFolder dir;
  const std::string path = dir.File(std::string(255, 'n'));
  EXPECT_TRUE(Env::Default()->CheckNewFileName(path).ok());
  EXPECT_FALSE(Env::Default()->CheckNewFileName(path + "n").ok());
  std::unique_ptr<ReplacingFile> file;
  Status s = Env::Default()->NewReplacingFile(path, &file);
  ASSERT_TRUE(s.ok()) << s.message();
  ASSERT_TRUE(file->Append("x").ok());
  ASSERT_TRUE(file->Commit().ok());
  EXPECT_EQ(testing::ReadFileOrDie(path), "x");
  EXPECT_EQ(TemporaryPrefix("/d/" + std::string(300, 'n'), 255),
            "/d/" + std::string(235, 'n') + "~cb1ff1b5.tmp-");
  EXPECT_EQ(TemporaryPrefix("/d/short", 255), "/d/short.tmp-");
}

// Two long names that share their first 244 bytes: the temporary left for
// one is not the other's.
TEST(PosixEnv, ShortenedTemporaryNamesOfDifferentTargetsDiffer) {
  testing::TempFolder dir;
  const std::string first = dir.File(std::string(240, 'n') + "_2001.sim");
  const std::string second = dir.File(std::string(240, 'n') + "_2002.sim");
  const std::string left = TemporaryPrefix(first, 255) + "a1b2c3";
  EXPECT_LE(BaseName(left).size(), 255u);
  testing::WriteFileOrDie(left, "half");
  std::vector<std::string> found;
  ASSERT_TRUE(Env::Default()->LeftTemporaries(second, &found).ok());
  EXPECT_TRUE(found.empty());
  ASSERT_TRUE(Env::Default()->LeftTemporaries(first, &found).ok());
  EXPECT_EQ(found, std::vector<std::string>{left});
}

// A link at the lock file's path, dangling or not, is refused: neither its
// target is created nor the file it names locked or removed.
TEST(PosixEnv, ALinkAtTheLockPathIsNeverFollowed) {
  testing::TempFolder dir;
  const std::string lock_path = dir.File("lock");
  std::filesystem::create_symlink(dir.File("target"), lock_path);
  for (bool exists : {false, true}) {
    if (exists) testing::WriteFileOrDie(dir.File("target"), "mine");
    std::unique_ptr<FileLock> lock;
    bool busy = false;
    Status tried = Env::Default()->TryLockFile(lock_path, &lock, &busy);
    EXPECT_FALSE(tried.ok());
    EXPECT_NE(tried.message().find("a symbolic link"), std::string::npos) << tried.message();
    lock.reset();  // had it been taken, waiting for it would never end
    Status waited = Env::Default()->LockFile(lock_path, &lock);
    EXPECT_FALSE(waited.ok());
    EXPECT_EQ(lock, nullptr);
    EXPECT_EQ(testing::PathExists(dir.File("target")), exists);
    EXPECT_TRUE(std::filesystem::is_symlink(lock_path));
  }
  EXPECT_EQ(testing::ReadFileOrDie(dir.File("target")), "mine");
}

}  // namespace
}  // namespace sc
