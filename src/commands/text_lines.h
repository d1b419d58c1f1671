// The lines of a text description, found once: each line ends at "\r\n",
// "\r" or "\n", as the field reader counts them. Any line's text is then a
// lookup, so placing many diagnostics costs no more than reading the text.
#ifndef SC_COMMANDS_TEXT_LINES_H_
#define SC_COMMANDS_TEXT_LINES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace sc {

class TextLines {
 public:
  // `text` must outlive the object.
  explicit TextLines(std::string_view text);

  // How many lines there are: a line end at the very end starts none.
  size_t size() const { return starts_.size(); }
  // The text of 0-based line `line` without its line end; "" for a line
  // past the last (or before the first).
  std::string_view Line(int64_t line) const;

 private:
  std::string_view text_;
  std::vector<size_t> starts_;  // where each line starts in text_
};

}  // namespace sc

#endif  // SC_COMMANDS_TEXT_LINES_H_
