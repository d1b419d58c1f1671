#include "present/text_1252.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Text1252, ToUtf8) {
  EXPECT_EQ(Utf8From1252("Citt\xE0"), "Citt\xC3\xA0");
  EXPECT_EQ(Utf8From1252("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Utf8From1252("\x9F"), "\xC5\xB8");      // Y with diaeresis
  // An unassigned byte keeps its value as a C1 control: nothing is lost.
  EXPECT_EQ(Utf8From1252("\x81"), "\xC2\x81");
  EXPECT_TRUE(IsUnassigned1252(0x9D));
  EXPECT_FALSE(IsUnassigned1252(0x9C));
}

}  // namespace
}  // namespace sc
