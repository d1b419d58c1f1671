#include "commands/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sc {
namespace {

// Each line end ("\r\n", "\r", "\n") ends one line; a line end at the very
// end starts none, and lines past the last are empty.
TEST(TextLines, EndsLinesAsTheFieldReaderDoes) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\r\nb\r\r", {"a", "", "b", ""}},
      {"\r\n\r\n", {"", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TextLines lines(c.text);
    ASSERT_EQ(lines.size(), c.lines.size());
    for (size_t i = 0; i < c.lines.size(); ++i)
      EXPECT_EQ(lines.Line(static_cast<int64_t>(i)), c.lines[i]);
    EXPECT_EQ(lines.Line(static_cast<int64_t>(c.lines.size())), "");
    EXPECT_EQ(lines.Line(-1), "");
  }
}

}  // namespace
}  // namespace sc
