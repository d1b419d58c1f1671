// The Linux Env's durability, seen from outside: fsync is replaced for this
// test program by one that records which file it was asked to sync and
// whether the target already named that file (renamed before its bytes were
// on disk), and that can be made to fail. Outside these tests it passes every
// call straight to the system.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"
#include "test_support.h"

namespace sc {
namespace {

struct SyncSeen {
  dev_t device;
  ino_t inode;
  bool target_named_it;  // the rename had already happened
};

// What the replaced fsync records; syncs come from several threads.
struct SyncWatch {
  std::mutex mutex;
  bool recording = false;
  bool failing = false;
  std::string target;
  std::vector<SyncSeen> seen;
};

SyncWatch& Watch() {
  static SyncWatch watch;
  return watch;
}

}  // namespace
}  // namespace sc

extern "C" int fsync(int fd) {
  sc::SyncWatch& watch = sc::Watch();
  {
    std::lock_guard<std::mutex> hold(watch.mutex);
    if (watch.recording) {
      struct stat held, named;
      if (::fstat(fd, &held) == 0) {
        const bool target = ::stat(watch.target.c_str(), &named) == 0 &&
                            named.st_dev == held.st_dev && named.st_ino == held.st_ino;
        watch.seen.push_back({held.st_dev, held.st_ino, target});
      }
      if (watch.failing) {
        errno = EIO;
        return -1;
      }
    }
  }
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace sc {
namespace {

// Records the syncs while it lives.
class RecordingSyncs {
 public:
  RecordingSyncs(const std::string& target, bool failing) {
    std::lock_guard<std::mutex> hold(Watch().mutex);
    Watch().seen.clear();
    Watch().recording = true;
    Watch().failing = failing;
    Watch().target = target;
  }
  ~RecordingSyncs() {
    std::lock_guard<std::mutex> hold(Watch().mutex);
    Watch().recording = false;
    Watch().failing = false;
  }
  std::vector<SyncSeen> seen() {
    std::lock_guard<std::mutex> hold(Watch().mutex);
    return Watch().seen;
  }
};

// The ways a file is replaced: Commit alone (which syncs), Sync then Commit,
// WriteFile, and WriteFiles (whose syncs run on threads of their own).
enum class Way { kCommitAlone, kSyncThenCommit, kWriteFile, kWriteFiles };
constexpr Way kWays[] = {Way::kCommitAlone, Way::kSyncThenCommit, Way::kWriteFile,
                         Way::kWriteFiles};

Status Replace(Way way, const std::string& path, const std::string& other) {
  switch (way) {
    case Way::kWriteFile: return Env::Default()->WriteFile(path, "new");
    case Way::kWriteFiles: return Env::Default()->WriteFiles({{other, "other"}, {path, "new"}});
    default: break;
  }
  std::unique_ptr<ReplacingFile> file;
  Status s = Env::Default()->NewReplacingFile(path, &file);
  if (s.ok()) s = file->Append("new");
  if (s.ok() && way == Way::kSyncThenCommit) s = file->Sync();
  if (s.ok()) s = file->Commit();
  return s;
}

// The target's new bytes were synced while the target still named the old
// file; a sync that fails stops the rename, whichever way the file is made.
TEST(PosixEnvSync, TheNewBytesAreSyncedBeforeTheRenameAndAFailedSyncStopsIt) {
  for (bool failing : {false, true}) {
    for (Way way : kWays) {
      SCOPED_TRACE(std::to_string(static_cast<int>(way)) + (failing ? ", failing" : ""));
      testing::TempFolder dir;
      const std::string path = dir.File("grid.dat");
      testing::WriteFileOrDie(path, "old");
      std::vector<SyncSeen> seen;
      Status s;
      {
        RecordingSyncs recording(path, failing);
        s = Replace(way, path, dir.File("other.dat"));
        seen = recording.seen();
      }
      if (failing) {
        EXPECT_NE(s.message().find("Input/output error"), std::string::npos) << s.message();
        EXPECT_EQ(testing::ReadFileOrDie(path), "old");
        EXPECT_FALSE(testing::HasTemporaryFile(dir.path()));
        continue;
      }
      ASSERT_TRUE(s.ok()) << s.message();
      EXPECT_EQ(testing::ReadFileOrDie(path), "new");
      struct stat target;
      ASSERT_EQ(::stat(path.c_str(), &target), 0);
      bool synced_before = false;
      for (const SyncSeen& sync : seen) {
        synced_before |=
            sync.device == target.st_dev && sync.inode == target.st_ino && !sync.target_named_it;
      }
      EXPECT_TRUE(synced_before) << seen.size() << " syncs, none of the new file before its rename";
    }
  }
}

}  // namespace
}  // namespace sc
