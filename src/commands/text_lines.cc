#include "commands/text_lines.h"

namespace sc {

TextLines::TextLines(std::string_view text) : text_(text) {
  size_t pos = 0;
  while (pos < text.size()) {
    starts_.push_back(pos);
    const size_t stop = text.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) break;
    pos = stop + ((text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ? 2 : 1);
  }
}

std::string_view TextLines::Line(int64_t line) const {
  if (line < 0 || static_cast<size_t>(line) >= starts_.size()) return {};
  const size_t start = starts_[static_cast<size_t>(line)];
  const size_t stop = text_.find_first_of("\r\n", start);
  return text_.substr(start, (stop == std::string_view::npos ? text_.size() : stop) - start);
}

}  // namespace sc
