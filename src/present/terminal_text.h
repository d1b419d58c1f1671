// Text meant for a person's terminal. A station name, a field of a scenario
// file or a file name may hold any byte; written raw, an escape sequence,
// BEL or backspace could move the cursor, retitle the window or clear the
// screen. Every human-readable output therefore goes out with the C0 control
// bytes (except the line end) and DEL written as "\xHH".
#ifndef SC_PRESENT_TERMINAL_TEXT_H_
#define SC_PRESENT_TERMINAL_TEXT_H_

#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace sc {

// `bytes` with every control byte but '\n' written as "\xHH".
std::string EscapeControlBytes(std::string_view bytes);

// A stream buffer that passes what is written to `target` escaped as by
// EscapeControlBytes. Bytes above 0x7F pass unchanged.
class ControlEscapingBuffer : public std::streambuf {
 public:
  explicit ControlEscapingBuffer(std::ostream& target) : target_(target) {}

 protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::ostream& target_;
};

}  // namespace sc

#endif  // SC_PRESENT_TERMINAL_TEXT_H_
