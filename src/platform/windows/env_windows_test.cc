// The Windows file system seam: Windows-1252 names, replacement by rename,
// the program's folder and "\" joins.
#include <gtest/gtest.h>

#include "platform/windows/windows_api.h"

#include <filesystem>
#include <memory>

#include "platform/env.h"
#include "platform/text_1252.h"
#include "test_support.h"

namespace sc {
namespace {

constexpr size_t kAnySize = size_t{1} << 30;

class WindowsEnvTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return JoinPath(dir_.path(), name); }
  size_t EntriesInFolder() const {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      (void)entry;
      ++n;
    }
    return n;
  }

  testing::TempFolder dir_;
  Env& env_ = *Env::Default();
};

TEST_F(WindowsEnvTest, NamesWithWindows1252LettersAreTheSameFileOnDisk) {
  const std::string name = "Citt\xE0 \x80 - Caff\xE8_linea.txt";
  Status written = env_.WriteFile(File(name), "bytes\r\n");
  ASSERT_TRUE(written.ok()) << written.message();
  EXPECT_TRUE(env_.FileExists(File(name)));
  std::string read;
  ASSERT_TRUE(env_.ReadFile(File(name), kAnySize, &read).ok());
  EXPECT_EQ(read, "bytes\r\n");
  // The name on disk is the UTF-16 form, whatever the system code page is.
  std::wstring wide_path =
      Cp1252ToWide(dir_.path()) + L"\\Citt\u00E0 \u20AC - Caff\u00E8_linea.txt";
  EXPECT_NE(::GetFileAttributesW(wide_path.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_TRUE(env_.DeleteFile(File(name)).ok());
  EXPECT_FALSE(env_.FileExists(File(name)));
}

TEST_F(WindowsEnvTest, ReplacementIsWholeAndLeavesNoTemporary) {
  const std::string target = File("grid.dat");
  ASSERT_TRUE(env_.WriteFile(target, std::string(5000, 'x')).ok());
  ASSERT_TRUE(env_.WriteFile(target, "new").ok());
  std::string read;
  ASSERT_TRUE(env_.ReadFile(target, kAnySize, &read).ok());
  EXPECT_EQ(read, "new");
  EXPECT_EQ(EntriesInFolder(), 1u);

  // A replacement given up before Commit leaves the old file alone.
  {
    std::unique_ptr<ReplacingFile> file;
    ASSERT_TRUE(env_.NewReplacingFile(target, &file).ok());
    ASSERT_TRUE(file->Append("abandoned").ok());
    EXPECT_EQ(EntriesInFolder(), 2u);
  }
  ASSERT_TRUE(env_.ReadFile(target, kAnySize, &read).ok());
  EXPECT_EQ(read, "new");
  EXPECT_EQ(EntriesInFolder(), 1u);

  // Larger than one write block: the bytes arrive in order.
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 % 251);
  ASSERT_TRUE(env_.WriteFile(target, big).ok());
  ASSERT_TRUE(env_.ReadFile(target, kAnySize, &read).ok());
  EXPECT_TRUE(read == big);
}

TEST_F(WindowsEnvTest, FilesFoldersAndFailures) {
  EXPECT_TRUE(env_.FolderExists(dir_.path()));
  EXPECT_FALSE(env_.FileExists(dir_.path()));
  EXPECT_FALSE(env_.FileExists(File("missing.txt")));
  EXPECT_FALSE(env_.FolderExists(File("missing")));
  EXPECT_TRUE(env_.DeleteFile(File("missing.txt")).ok());
  EXPECT_TRUE(env_.DeleteFile(File("missing\\missing.txt")).ok());

  std::string read;
  Status missing = env_.ReadFile(File("missing.txt"), kAnySize, &read);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.message().rfind(File("missing.txt") + ": ", 0), 0u) << missing.message();
  EXPECT_FALSE(env_.ReadFile(dir_.path(), kAnySize, &read).ok());

  std::unique_ptr<ReplacingFile> file;
  EXPECT_FALSE(env_.NewReplacingFile(dir_.path(), &file).ok());
  Status no_folder = env_.WriteFile(File("missing\\out.dat"), "x");
  ASSERT_FALSE(no_folder.ok());
  EXPECT_NE(no_folder.message().find("missing\\out.dat"), std::string::npos);
}

TEST_F(WindowsEnvTest, LocksNamesAndDevices) {
  std::unique_ptr<FileLock> first, second;
  bool busy = true;
  ASSERT_TRUE(env_.TryLockFile(File("lock"), &first, &busy).ok());
  EXPECT_FALSE(busy);
  ASSERT_TRUE(env_.TryLockFile(File("lock"), &second, &busy).ok());
  EXPECT_TRUE(busy);  // a second handle is another holder
  first.reset();
  ASSERT_TRUE(env_.TryLockFile(File("lock"), &second, &busy).ok());
  EXPECT_FALSE(busy);

  EXPECT_TRUE(env_.CheckNewFileName(File(std::string(255, 'n'))).ok());
  EXPECT_FALSE(env_.CheckNewFileName(File(std::string(256, 'n'))).ok());
  EXPECT_EQ(TemporaryPrefix("C:\\d\\" + std::string(300, 'n'), 255),
            "C:\\d\\" + std::string(235, 'n') + "~cb1ff1b5.tmp-");

  std::string read;
  Status device = env_.ReadFile("NUL", kAnySize, &read);
  EXPECT_FALSE(device.ok());
  EXPECT_NE(device.message().find("not a regular file"), std::string::npos) << device.message();
  ASSERT_TRUE(env_.WriteFile(File("big"), std::string(100, 'x')).ok());
  EXPECT_FALSE(env_.ReadFile(File("big"), 99, &read).ok());
}

TEST(WindowsPaths, JoinPathUsesBackslash) {
  struct Case {
    const char* folder;
    const char* name;
    const char* joined;
  };
  const Case cases[] = {
      {"C:\\scenari", "a.dat", "C:\\scenari\\a.dat"},
      {"C:\\", "a.dat", "C:\\a.dat"},
      {"out/", "a.dat", "out/a.dat"},
      {"C:", "a.dat", "C:a.dat"},  // the current folder of drive C
      {"", "a.dat", "a.dat"},
  };
  for (const Case& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << c.folder;
}

TEST(WindowsPaths, ProgramFolderHoldsTheRunningProgram) {
  std::string folder;
  ASSERT_TRUE(Env::Default()->ProgramFolder(&folder).ok());
  ASSERT_FALSE(folder.empty());
  if (folder.size() > 3) {
    EXPECT_NE(folder.back(), '\\');  // only a drive's root ends in a separator
  }
  EXPECT_TRUE(Env::Default()->FileExists(JoinPath(folder, "sc_tests.exe"))) << folder;
}

}  // namespace
}  // namespace sc
