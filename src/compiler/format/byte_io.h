// Little-endian fields written into and read from the compiled files' bytes,
// shared by their encoders and decoders.
#ifndef SC_COMPILER_FORMAT_BYTE_IO_H_
#define SC_COMPILER_FORMAT_BYTE_IO_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace sc {

// Little-endian writers into a byte buffer.
inline void PutU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

inline void PutU16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

inline void PutI16(std::string& out, int16_t v) { PutU16(out, static_cast<uint16_t>(v)); }

inline void PutI32(std::string& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((u >> shift) & 0xFF));
}

// Reads little-endian fields from the front of a byte string and remembers
// where it is. A read that does not fit leaves the position unchanged.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t offset() const { return offset_; }
  size_t remaining() const { return bytes_.size() - offset_; }

  bool U8(uint8_t* v) {
    uint64_t raw;
    if (!Raw(1, &raw)) return false;
    *v = static_cast<uint8_t>(raw);
    return true;
  }
  bool U16(uint16_t* v) {
    uint64_t raw;
    if (!Raw(2, &raw)) return false;
    *v = static_cast<uint16_t>(raw);
    return true;
  }
  bool I16(int16_t* v) {
    uint16_t u;
    if (!U16(&u)) return false;
    *v = static_cast<int16_t>(u);
    return true;
  }
  bool I32(int32_t* v) {
    uint64_t raw;
    if (!Raw(4, &raw)) return false;
    *v = static_cast<int32_t>(static_cast<uint32_t>(raw));
    return true;
  }
  bool F64(double* v) {
    uint64_t raw;
    if (!Raw(8, &raw)) return false;
    *v = std::bit_cast<double>(raw);
    return true;
  }
  bool Text(size_t n, std::string* v) {
    if (remaining() < n) return false;
    v->assign(bytes_.substr(offset_, n));
    offset_ += n;
    return true;
  }

 private:
  bool Raw(size_t width, uint64_t* v) {
    if (remaining() < width) return false;
    uint64_t r = 0;
    for (size_t i = 0; i < width; ++i) {
      r |= static_cast<uint64_t>(static_cast<uint8_t>(bytes_[offset_ + i])) << (8 * i);
    }
    *v = r;
    offset_ += width;
    return true;
  }

  std::string_view bytes_;
  size_t offset_ = 0;
};

// A malformed file: "<what> at byte offset <offset>".
inline Status Corrupt(const std::string& what, size_t offset) {
  return Status::Corruption(what + " at byte offset " + std::to_string(offset));
}

}  // namespace sc

#endif  // SC_COMPILER_FORMAT_BYTE_IO_H_
