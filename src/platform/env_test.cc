// What every Env does alike: the real one of this platform and MemEnv.
#include "platform/env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

TEST(Env, WriteAtPlacesBytesAtTheirOffsetsAndAGapReadsAsZeros) {
  testing::TempFolder folder;
  MemEnv mem;
  for (Env* env : {Env::Default(), static_cast<Env*>(&mem)}) {
    const std::string path = folder.File("positional.dat");
    std::unique_ptr<ReplacingFile> file;
    ASSERT_TRUE(env->NewReplacingFile(path, &file).ok());
    // Out of order, as the two columns of the route plan are written.
    ASSERT_TRUE(file->WriteAt(5, "world").ok());
    ASSERT_TRUE(file->WriteAt(0, "hello").ok());
    ASSERT_TRUE(file->WriteAt(12, "!").ok());
    ASSERT_TRUE(file->Sync().ok());
    ASSERT_TRUE(file->Commit().ok());
    std::string bytes;
    ASSERT_TRUE(env->ReadFile(path, 100, &bytes).ok());
    EXPECT_EQ(bytes, std::string("helloworld\0\0!", 13));
  }
}

TEST(Env, WriteFilesRenamesNothingUntilEveryFileIsSynced) {
  const std::vector<std::string> paths = {"/a", "/b", "/c"};
  const std::vector<Env::NewFile> files = {{"/a", "new a"}, {"/b", "new b"}, {"/c", "new c"}};
  // A failure to write or sync any one of them: every target as it was.
  for (const std::string& failing : paths) {
    for (bool at_sync : {false, true}) {
      MemEnv env;
      for (const std::string& p : paths) env.files[p] = "old";
      (at_sync ? env.failing_syncs : env.failing_writes).insert(failing);
      Status s = env.WriteFiles(files);
      ASSERT_FALSE(s.ok());
      EXPECT_EQ(s.message().rfind(failing + ": ", 0), 0u) << s.message();
      EXPECT_TRUE(env.commits.empty()) << failing;
      for (const std::string& p : paths) EXPECT_EQ(env.files[p], "old") << failing;
    }
  }
  // A rename failing part way: the files before it are new, the rest old.
  MemEnv env;
  for (const std::string& p : paths) env.files[p] = "old";
  env.failing_paths.insert("/b");
  EXPECT_FALSE(env.WriteFiles(files).ok());
  EXPECT_EQ(env.commits, std::vector<std::string>{"/a"});
  EXPECT_EQ(env.files["/b"], "old");
  EXPECT_EQ(env.files["/c"], "old");
}

// The in-memory Env keeps the promise the real ones make: a replacement's
// bytes reach the disk before it is renamed over its target, and a sync that
// fails stops the rename, however the replacement is made.
TEST(Env, EveryReplacementIsSyncedBeforeItIsRenamed) {
  const std::vector<Env::NewFile> files = {{"/a", "new a"}, {"/b", "new b"}};
  for (int way = 0; way < 4; ++way) {
    SCOPED_TRACE(way);
    MemEnv env;
    Status s;
    if (way == 2) {
      s = env.WriteFile("/a", "new a");
    } else if (way == 3) {
      s = env.WriteFiles(files);
    } else {
      std::unique_ptr<ReplacingFile> file;
      ASSERT_TRUE(env.NewReplacingFile("/a", &file).ok());
      ASSERT_TRUE(file->Append("new a").ok());
      if (way == 1) {
        ASSERT_TRUE(file->Sync().ok());
      }
      s = file->Commit();
    }
    ASSERT_TRUE(s.ok()) << s.message();
    std::vector<std::string> expected = {"sync /a", "rename /a"};
    if (way == 3) {
      std::sort(env.disk_log.begin(), env.disk_log.begin() + 2);
      expected = {"sync /a", "sync /b", "rename /a", "rename /b"};
    }
    EXPECT_EQ(env.disk_log, expected);
  }
}

TEST(Env, ASyncThatFailsLeavesTheTargetAsItWas) {
  // Sync called and failing, then Commit; or Commit alone, whose own sync
  // fails: the target keeps its bytes either way.
  for (bool sync_first : {true, false}) {
    MemEnv env;
    env.files["/a"] = "old";
    env.failing_syncs.insert("/a");
    std::unique_ptr<ReplacingFile> file;
    ASSERT_TRUE(env.NewReplacingFile("/a", &file).ok());
    ASSERT_TRUE(file->Append("new").ok());
    if (sync_first) {
      EXPECT_FALSE(file->Sync().ok());
    }
    EXPECT_FALSE(file->Commit().ok()) << sync_first;
    EXPECT_EQ(env.files["/a"], "old") << sync_first;
    EXPECT_TRUE(env.disk_log.empty()) << sync_first;
  }
}

}  // namespace
}  // namespace sc
