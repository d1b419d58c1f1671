#include "platform/block_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace sc {
namespace {

TEST(BlockBuffer, GathersSmallAppendsAndPassesLargeOnesThrough) {
  std::vector<size_t> writes;
  auto write = [&](std::string_view b) {
    writes.push_back(b.size());
    return Status::Ok();
  };
  BlockBuffer buffer;
  const std::string small(1000, 'a');
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(buffer.Append(small, write).ok());
  EXPECT_TRUE(writes.empty());
  // A block-sized append first flushes what was gathered, in order.
  ASSERT_TRUE(buffer.Append(std::string(BlockBuffer::kBlock, 'b'), write).ok());
  EXPECT_EQ(writes, (std::vector<size_t>{3000, BlockBuffer::kBlock}));
  ASSERT_TRUE(buffer.Flush(write).ok());
  EXPECT_EQ(writes.size(), 2u);  // nothing left to flush
}

TEST(BlockBuffer, WriteFailureIsReturned) {
  BlockBuffer buffer;
  auto failing = [](std::string_view) { return Status::IoError("x: No space left on device"); };
  ASSERT_TRUE(buffer.Append("abc", failing).ok());
  Status s = buffer.Flush(failing);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.message(), "x: No space left on device");
}

}  // namespace
}  // namespace sc
