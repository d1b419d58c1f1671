#include "present/terminal_text.h"

namespace sc {
namespace {

bool IsControl(unsigned char b) { return (b < 0x20 && b != '\n') || b == 0x7F; }

void AppendEscaped(unsigned char b, std::string* out) {
  static const char kHex[] = "0123456789ABCDEF";
  *out += "\\x";
  *out += kHex[b >> 4];
  *out += kHex[b & 0xF];
}

}  // namespace

std::string EscapeControlBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (IsControl(b)) {
      AppendEscaped(b, &out);
    } else {
      out += c;
    }
  }
  return out;
}

int ControlEscapingBuffer::overflow(int c) {
  if (c == traits_type::eof()) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  xsputn(&byte, 1);
  return target_ ? c : traits_type::eof();
}

std::streamsize ControlEscapingBuffer::xsputn(const char* s, std::streamsize n) {
  // Runs without a control byte go through as they are.
  std::streamsize run = 0;
  for (std::streamsize i = 0; i < n; ++i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (!IsControl(b)) continue;
    target_.write(s + run, i - run);
    std::string escaped;
    AppendEscaped(b, &escaped);
    target_ << escaped;
    run = i + 1;
  }
  target_.write(s + run, n - run);
  return target_ ? n : 0;
}

int ControlEscapingBuffer::sync() {
  target_.flush();
  return target_ ? 0 : -1;
}

}  // namespace sc
