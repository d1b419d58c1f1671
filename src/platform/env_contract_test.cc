// What every Env promises, checked against the in-memory Env and this
// platform's real one (POSIX on Linux, Windows under wine).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/env.h"
#include "platform/mem_env.h"
#include "test_support.h"

namespace sc {
namespace {

constexpr size_t kAnySize = size_t{1} << 30;

// One Env under test with a folder it can write into.
class EnvUnderTest {
 public:
  virtual ~EnvUnderTest() = default;
  virtual Env& env() = 0;
  virtual std::string folder() = 0;
  virtual void MakeFolder(const std::string& path) = 0;
  // Whether another spelling of a path names the same file (not in memory).
  virtual bool HasSpellings() const = 0;
};

class InMemory : public EnvUnderTest {
 public:
  InMemory() { env_.folders.insert("dir"); }
  Env& env() override { return env_; }
  std::string folder() override { return "dir"; }
  void MakeFolder(const std::string& path) override { env_.folders.insert(path); }
  bool HasSpellings() const override { return false; }

 private:
  MemEnv env_;
};

class OnDisk : public EnvUnderTest {
 public:
  Env& env() override { return *Env::Default(); }
  std::string folder() override { return dir_.path(); }
  void MakeFolder(const std::string& path) override { std::filesystem::create_directory(path); }
  bool HasSpellings() const override { return true; }

 private:
  testing::TempFolder dir_;
};

struct EnvKind {
  const char* name;
  std::function<std::unique_ptr<EnvUnderTest>()> make;
};

class EnvContract : public ::testing::TestWithParam<EnvKind> {
 protected:
  void SetUp() override { under_ = GetParam().make(); }
  Env& env() { return under_->env(); }
  std::string File(const std::string& name) { return JoinPath(under_->folder(), name); }

  std::unique_ptr<EnvUnderTest> under_;
};

TEST_P(EnvContract, WrittenBytesReadBackExactlyAndReplaceWhole) {
  // A Windows-1252 name: a e-acute and the euro sign.
  const std::string path = File("Caff\xE9 \x80.bin");
  std::string bytes("a\0b\r\n\xFF", 6);
  ASSERT_TRUE(env().WriteFile(path, bytes).ok());
  EXPECT_TRUE(env().FileExists(path));
  EXPECT_FALSE(env().FolderExists(path));
  std::string read;
  ASSERT_TRUE(env().ReadFile(path, kAnySize, &read).ok());
  EXPECT_EQ(read, bytes);

  ASSERT_TRUE(env().WriteFile(path, "x").ok());
  ASSERT_TRUE(env().ReadFile(path, kAnySize, &read).ok());
  EXPECT_EQ(read, "x");
}

TEST_P(EnvContract, AMissingFileIsNotFoundAndAFolderIsNoFile) {
  std::string read;
  Status missing = env().ReadFile(File("missing"), kAnySize, &read);
  EXPECT_TRUE(missing.IsNotFound()) << missing.message();
  EXPECT_NE(missing.message().find("missing"), std::string::npos);
  EXPECT_FALSE(env().FileExists(File("missing")));

  const std::string folder = File("sub");
  under_->MakeFolder(folder);
  EXPECT_TRUE(env().FolderExists(folder));
  EXPECT_FALSE(env().FileExists(folder));
  Status read_folder = env().ReadFile(folder, kAnySize, &read);
  EXPECT_FALSE(read_folder.ok());
  EXPECT_FALSE(read_folder.IsNotFound());
  std::unique_ptr<ReplacingFile> file;
  EXPECT_FALSE(env().NewReplacingFile(folder, &file).ok());
  EXPECT_TRUE(env().FolderExists(folder));
}

TEST_P(EnvContract, MakeFoldersMakesTheMissingFoldersAndStopsAtAFile) {
  const std::string deep = JoinPath(File("new \xE9"), "a");
  bool made = false;
  ASSERT_TRUE(env().MakeFolders(deep, &made).ok());
  EXPECT_TRUE(made);
  EXPECT_TRUE(env().FolderExists(File("new \xE9")) && env().FolderExists(deep));
  ASSERT_TRUE(env().MakeFolders(deep, &made).ok());
  EXPECT_FALSE(made);

  // A file in the way of the folder, or of a folder above it: named, with
  // the system's reason, and left as it is.
  const std::string file = File("file");
  ASSERT_TRUE(env().WriteFile(file, "x").ok());
  for (const std::string& blocked : {file, JoinPath(file, "sub")}) {
    Status s = env().MakeFolders(blocked, &made);
    EXPECT_FALSE(s.ok()) << blocked;
    EXPECT_EQ(s.message().rfind(file + ": ", 0), 0u) << s.message();
    EXPECT_FALSE(made);
  }
  EXPECT_TRUE(env().FileExists(file));
}

TEST_P(EnvContract, AFileOverTheLimitIsRefusedWithItsPath) {
  const std::string path = File("big.txt");
  ASSERT_TRUE(env().WriteFile(path, "12345").ok());
  std::string read;
  ASSERT_TRUE(env().ReadFile(path, 5, &read).ok());
  Status big = env().ReadFile(path, 4, &read);
  EXPECT_FALSE(big.ok());
  EXPECT_FALSE(big.IsNotFound());
  EXPECT_NE(big.message().find(path), std::string::npos) << big.message();
}

TEST_P(EnvContract, ANameTooLongIsRefusedBeforeWriting) {
  EXPECT_TRUE(env().CheckNewFileName(File(std::string(200, 'n'))).ok());
  EXPECT_FALSE(env().CheckNewFileName(File(std::string(300, 'n'))).ok());
}

TEST_P(EnvContract, AnUncommittedReplacementLeavesThePreviousFile) {
  const std::string path = File("kept.txt");
  ASSERT_TRUE(env().WriteFile(path, "before").ok());
  {
    std::unique_ptr<ReplacingFile> file;
    ASSERT_TRUE(env().NewReplacingFile(path, &file).ok());
    ASSERT_TRUE(file->Append("after").ok());
  }
  std::string read;
  ASSERT_TRUE(env().ReadFile(path, kAnySize, &read).ok());
  EXPECT_EQ(read, "before");

  {
    std::unique_ptr<ReplacingFile> file;
    ASSERT_TRUE(env().NewReplacingFile(File("new.txt"), &file).ok());
  }
  EXPECT_FALSE(env().FileExists(File("new.txt")));
}

TEST_P(EnvContract, DeleteRemovesAndAMissingFileIsNoError) {
  const std::string path = File("gone.txt");
  ASSERT_TRUE(env().WriteFile(path, "x").ok());
  EXPECT_TRUE(env().DeleteFile(path).ok());
  EXPECT_FALSE(env().FileExists(path));
  EXPECT_TRUE(env().DeleteFile(path).ok());
}

TEST_P(EnvContract, SameFile) {
  const std::string a = File("\xE0.txt");
  const std::string b = File("b.txt");
  ASSERT_TRUE(env().WriteFile(a, "x").ok());
  ASSERT_TRUE(env().WriteFile(b, "x").ok());
  EXPECT_TRUE(env().SameFile(a, a));
  EXPECT_FALSE(env().SameFile(a, b));
  EXPECT_FALSE(env().SameFile(a, File("missing")));
  EXPECT_FALSE(env().SameFile(File("missing"), File("missing")));
  if (under_->HasSpellings()) {
    EXPECT_TRUE(env().SameFile(a, JoinPath(JoinPath(under_->folder(), "."), "\xE0.txt")));
  }
}

TEST_P(EnvContract, ProgramFolderIsAFolder) {
  if (!under_->HasSpellings()) static_cast<MemEnv&>(env()).program_folder = "dir";
  std::string folder;
  ASSERT_TRUE(env().ProgramFolder(&folder).ok());
  EXPECT_TRUE(env().FolderExists(folder)) << folder;
}

TEST_P(EnvContract, LeftTemporariesAreTheTemporaryNamesOfThatFileOnly) {
  const std::string target = File("Caff\xE9.dat");
  const std::vector<std::string> left = {File("Caff\xE9.dat.tmp-Zz0099"),
                                         File("Caff\xE9.dat.tmp-abc123")};
  for (const std::string& path : left) ASSERT_TRUE(env().WriteFile(path, "half").ok());
  for (const char* other :
       {"Caff\xE9.dat", "Caff\xE9.dat.tmp-abc12", "Caff\xE9.dat.tmp-abc1234",
        "Caff\xE9.dat.tmp-abc 12", "Caff\xE9.da.tmp-abc123", "Other.dat.tmp-abc123"}) {
    ASSERT_TRUE(env().WriteFile(File(other), "x").ok());
  }
  std::vector<std::string> found;
  ASSERT_TRUE(env().LeftTemporaries(target, &found).ok());
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, left);

  if (dynamic_cast<MemEnv*>(&env())) return;
  // The real temporary of a replacement being written, also of a name so
  // long that the temporary's is shortened.
  for (const std::string& name : {std::string("new.dat"), std::string(250, 'n')}) {
    std::unique_ptr<ReplacingFile> file;
    ASSERT_TRUE(env().NewReplacingFile(File(name), &file).ok());
    ASSERT_TRUE(env().LeftTemporaries(File(name), &found).ok());
    EXPECT_EQ(found.size(), 1u) << name.size();
    file.reset();
    ASSERT_TRUE(env().LeftTemporaries(File(name), &found).ok());
    EXPECT_TRUE(found.empty()) << name.size();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Envs, EnvContract,
    ::testing::Values(EnvKind{"InMemory", [] { return std::make_unique<InMemory>(); }},
                      EnvKind{"OnDisk", [] { return std::make_unique<OnDisk>(); }}),
    [](const ::testing::TestParamInfo<EnvKind>& info) { return std::string(info.param.name); });

// The lock file exists while it is held, and a waiter granted the lock of a
// file its holder removed takes the lock of the path's new file instead.
TEST(LockFileOnDisk, ThereOnlyWhileHeldAndAWaiterTakesOver) {
  testing::TempFolder dir;
  Env* env = Env::Default();
  const std::string path = dir.File(".lock");
  std::unique_ptr<FileLock> first, second, third;
  bool busy = true;
  ASSERT_TRUE(env->TryLockFile(path, &first, &busy).ok());
  ASSERT_FALSE(busy);
  EXPECT_TRUE(env->FileExists(path));
  Status waited;
  std::thread waiter([&] { waited = env->LockFile(path, &second); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  first.reset();
  waiter.join();
  ASSERT_TRUE(waited.ok()) << waited.message();
  ASSERT_TRUE(second);
  EXPECT_TRUE(env->FileExists(path));
  ASSERT_TRUE(env->TryLockFile(path, &third, &busy).ok());
  EXPECT_TRUE(busy);
  second.reset();
  EXPECT_FALSE(env->FileExists(path));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(LockFileOnDisk, ALockFileLeftByAKilledHolderIsTakenAndRemoved) {
  testing::TempFolder dir;
  Env* env = Env::Default();
  const std::string path = dir.File(".lock");
  ASSERT_TRUE(env->WriteFile(path, "").ok());
  std::unique_ptr<FileLock> lock;
  bool busy = true;
  ASSERT_TRUE(env->TryLockFile(path, &lock, &busy).ok());
  EXPECT_FALSE(busy);
  lock.reset();
  EXPECT_FALSE(env->FileExists(path));
}

}  // namespace
}  // namespace sc
