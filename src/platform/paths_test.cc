#include "platform/paths.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Paths, BaseNameAndFolder) {
  EXPECT_EQ(BaseName("a/b/c.txt"), "c.txt");
  EXPECT_EQ(BaseName("c.txt"), "c.txt");
  EXPECT_EQ(FolderOf("a/b/c.txt"), "a/b");
  EXPECT_EQ(FolderOf("c.txt"), ".");
  EXPECT_EQ(FolderOf("/c.txt"), "/");
  EXPECT_EQ(FolderOf(JoinPath("a", "c.txt")), "a");
  EXPECT_EQ(BaseName(JoinPath("a", "c.txt")), "c.txt");
}

}  // namespace
}  // namespace sc
