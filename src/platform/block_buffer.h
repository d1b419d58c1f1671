// Gathers small appends into large blocks so that a file sees few, large
// writes; an append of a whole block or more goes straight through.
#ifndef SC_PLATFORM_BLOCK_BUFFER_H_
#define SC_PLATFORM_BLOCK_BUFFER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace sc {

class BlockBuffer {
 public:
  static constexpr size_t kBlock = size_t{1} << 20;

  BlockBuffer() { buffer_.reserve(kBlock); }

  // `write_all(bytes)` writes every byte or returns the failure.
  template <typename WriteAll>
  Status Append(std::string_view bytes, WriteAll&& write_all) {
    if (buffer_.size() + bytes.size() > kBlock) {
      Status s = Flush(write_all);
      if (!s.ok()) return s;
    }
    if (bytes.size() >= kBlock) return write_all(bytes);
    buffer_.append(bytes);
    return Status::Ok();
  }

  template <typename WriteAll>
  Status Flush(WriteAll&& write_all) {
    if (buffer_.empty()) return Status::Ok();
    Status s = write_all(std::string_view(buffer_));
    buffer_.clear();
    return s;
  }

 private:
  std::string buffer_;
};

}  // namespace sc

#endif  // SC_PLATFORM_BLOCK_BUFFER_H_
