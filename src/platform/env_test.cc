// What every Env does alike: the real one of this platform and MemEnv.
#include "platform/env.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace sc
