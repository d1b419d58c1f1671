#include "platform/file_watcher.h"

#include <gtest/gtest.h>

#include "platform/mem_env.h"

namespace sc {
namespace {

class FileWatcherTest : public testing::Test {
 protected:
  FileWatcherTest() {
    env_.files = {{"a.txt", "one"}, {"b.txt", "two"}};
    env_.modified_times = {{"a.txt", 100}, {"b.txt", 100}};
  }
  MemEnv env_;
};

TEST_F(FileWatcherTest, QuietFilesReportNothing) {
  FileWatcher watcher(env_, {"a.txt", "b.txt"});
  EXPECT_FALSE(watcher.Poll());
  EXPECT_FALSE(watcher.Poll());
}

TEST_F(FileWatcherTest, EachChangeOfTimeOrSizeIsReportedOnce) {
  FileWatcher watcher(env_, {"a.txt", "b.txt"});
  env_.modified_times["b.txt"] = 101;  // saved again, same size
  EXPECT_TRUE(watcher.Poll());
  EXPECT_FALSE(watcher.Poll());
  env_.files["a.txt"] = "one more";  // same time, other size
  EXPECT_TRUE(watcher.Poll());
  EXPECT_FALSE(watcher.Poll());
}

TEST_F(FileWatcherTest, ASaveInTwoStepsIsReportedAfterEachStep) {
  FileWatcher watcher(env_, {"a.txt", "b.txt"});
  env_.files["a.txt"] = "o";  // truncated and partly written
  env_.modified_times["a.txt"] = 200;
  EXPECT_TRUE(watcher.Poll());
  env_.files["a.txt"] = "one, complete";
  env_.modified_times["a.txt"] = 201;
  EXPECT_TRUE(watcher.Poll());
  EXPECT_FALSE(watcher.Poll());
}

TEST_F(FileWatcherTest, AFileThatGoesAndComesBackIsTwoChanges) {
  FileWatcher watcher(env_, {"a.txt", "b.txt"});
  env_.files.erase("a.txt");  // an editor replacing it: removed, then renamed in
  EXPECT_TRUE(watcher.Poll());
  EXPECT_FALSE(watcher.Poll());
  env_.files["a.txt"] = "one";
  EXPECT_TRUE(watcher.Poll());
  EXPECT_FALSE(watcher.Poll());
}

TEST_F(FileWatcherTest, AMissingFileAtTheStartIsWatchedForItsArrival) {
  FileWatcher watcher(env_, {"a.txt", "c.txt"});
  EXPECT_FALSE(watcher.Poll());
  env_.files["c.txt"] = "new";
  EXPECT_TRUE(watcher.Poll());
}

}  // namespace
}  // namespace sc
