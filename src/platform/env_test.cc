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

}  // namespace
}  // namespace sc
