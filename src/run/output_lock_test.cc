#include "run/output_lock.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/mem_env.h"

namespace sc {
namespace {

class OutputLockTest : public ::testing::Test {
 protected:
  OutputLockTest() {
    env_.folders.insert("out");
    // What a run ended by force left: temporaries of the names this run
    // writes, of a name it does not write, and a file that only looks alike.
    for (const char* name : {"a.dat.tmp-abc123", "a.dat.tmp-Q9z000", "b.sim.tmp-000001",
                             "c.dat.tmp-abc123", "a.dat.tmp-notes", "a.dat"}) {
      env_.files[JoinPath("out", name)] = "x";
    }
  }
  Status Lock(bool wait) {
    return LockOutputFolder(env_, "out", {JoinPath("out", "a.dat"), JoinPath("out", "b.sim")}, wait,
                            err_, &lock_);
  }
  bool Has(const char* name) { return env_.FileExists(JoinPath("out", name)); }

  MemEnv env_;
  std::ostringstream err_;
  std::unique_ptr<FileLock> lock_;
};

TEST_F(OutputLockTest, TheHolderRemovesTheTemporariesLeftForItsOwnNamesOnlyAndSaysSo) {
  ASSERT_TRUE(Lock(false).ok());
  EXPECT_FALSE(Has("a.dat.tmp-abc123"));
  EXPECT_FALSE(Has("a.dat.tmp-Q9z000"));
  EXPECT_FALSE(Has("b.sim.tmp-000001"));
  EXPECT_TRUE(Has("c.dat.tmp-abc123"));
  EXPECT_TRUE(Has("a.dat.tmp-notes"));
  EXPECT_TRUE(Has("a.dat"));
  EXPECT_EQ(err_.str(),
            "scenario-compiler: removed 3 temporary files left in out by an earlier run that was "
            "ended while it wrote\n");

  // Nothing left: nothing said.
  lock_.reset();
  err_.str("");
  ASSERT_TRUE(Lock(false).ok());
  EXPECT_EQ(err_.str(), "");
}

TEST_F(OutputLockTest, ARunThatDoesNotGetTheFolderTouchesNothing) {
  // Another run holds the folder: its temporaries are live.
  env_.held_locks.insert(JoinPath("out", kLockFileName));
  Status s = Lock(false);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message().find("another run is writing into this folder"), std::string::npos);
  EXPECT_TRUE(Has("a.dat.tmp-abc123"));
  EXPECT_TRUE(Has("b.sim.tmp-000001"));
}

TEST_F(OutputLockTest, ATemporaryThatCannotBeRemovedIsToldAndTheRunGoesOn) {
  env_.undeletable_paths.insert(JoinPath("out", "a.dat.tmp-abc123"));
  ASSERT_TRUE(Lock(false).ok());
  EXPECT_NE(err_.str().find("a.dat.tmp-abc123: Permission denied"), std::string::npos);
  EXPECT_NE(err_.str().find("removed 2 temporary files"), std::string::npos) << err_.str();
}

// Waiting with a stop to heed: the lock is taken once its holder lets go,
// unless a stop request comes first; then the run gets nothing and touches
// nothing.
TEST_F(OutputLockTest, AStopRequestEndsTheWait) {
  const std::string path = JoinPath("out", kLockFileName);
  for (bool stopped : {false, true}) {
    SCOPED_TRACE(stopped);
    std::unique_ptr<StopRequests> stop;
    ASSERT_TRUE(env_.CatchStopRequests(&stop).ok());
    env_.files[JoinPath("out", "a.dat.tmp-abc123")] = "x";
    env_.held_locks.insert(path);
    int waits = 0;
    env_.on_wait = [&] {
      if (++waits < 3) return false;
      if (!stopped) env_.held_locks.erase(path);  // the holder ends
      return stopped;
    };
    Status s = LockOutputFolder(env_, "out", {JoinPath("out", "a.dat")}, true, err_, &lock_,
                                stop.get());
    EXPECT_EQ(s.ok(), !stopped) << s.message();
    EXPECT_EQ(lock_ != nullptr, !stopped);
    EXPECT_EQ(Has("a.dat.tmp-abc123"), stopped);
    EXPECT_EQ(waits, 3);
    lock_.reset();
    env_.held_locks.clear();
  }
}

}  // namespace
}  // namespace sc
