#include "compiler/field_reader.h"

#include <algorithm>
#include <utility>

namespace sc {

FieldReader::FieldReader(std::string_view bytes, std::string name, DiagnosticSink* sink)
    : bytes_(bytes), name_(std::move(name)), sink_(sink && sink->on() ? sink : nullptr) {}

void FieldReader::Fail(const std::string& what) const {
  throw ReadFailure{what, field_line_, field_column_, field_end_column_};
}

bool FieldReader::IsBlank(size_t at) const {
  return at < bytes_.size() && (bytes_[at] == ' ' || bytes_[at] == '\t');
}

bool FieldReader::IsLineEnd(size_t at) const {
  return at < bytes_.size() && (bytes_[at] == '\r' || bytes_[at] == '\n');
}

void FieldReader::SkipBlanks() {
  while (IsBlank(pos_)) ++pos_;
}

void FieldReader::CountLineEnd(size_t next_line_start) {
  ++line_;
  line_start_ = next_line_start;
}

void FieldReader::ConsumeLineEnd() {
  if (bytes_[pos_] == '\r') {
    ++pos_;
    if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
  } else {
    ++pos_;
  }
  CountLineEnd(pos_);
}

int FieldReader::NextColumnOnLine() const {
  if (line_ != field_line_) return 0;
  size_t at = pos_;
  while (IsBlank(at)) ++at;
  if (at >= bytes_.size() || IsLineEnd(at)) return 0;
  return static_cast<int>(at - line_start_) + 1;
}

void FieldReader::FinishField() {
  SkipBlanks();
  if (pos_ < bytes_.size() && bytes_[pos_] == ',') {
    ++pos_;
  } else if (IsLineEnd(pos_)) {
    ConsumeLineEnd();
  }
}

void FieldReader::StartField(const char* what) {
  field_end_column_ = 0;  // known once the field is read
  if (AtEnd()) {
    field_line_ = line_;
    field_column_ = static_cast<int>(pos_ - line_start_) + 1;
    Fail(std::string("the file ends where ") + what + " was expected");
  }
  SkipBlanks();
  field_line_ = line_;
  field_column_ = static_cast<int>(pos_ - line_start_) + 1;
  ++fields_read_;
}

std::string FieldReader::ReadText() {
  StartField("a text field");
  last_was_text_ = true;
  std::string text;
  last_was_quoted_ = pos_ < bytes_.size() && bytes_[pos_] == '"';
  if (last_was_quoted_) {
    size_t close = bytes_.find('"', pos_ + 1);
    if (close == std::string_view::npos) close = bytes_.size();
    const size_t open = pos_;
    text.assign(bytes_.substr(pos_ + 1, close - pos_ - 1));
    WarnOpenQuote(text, close);
    // A quoted field may span lines (CR LF, lone LF or lone CR); keep the
    // line count right.
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
        CountLineEnd(open + 1 + i + 1);
      }
    }
    // The field ends at the closing quote: whatever follows it, up to a
    // comma or line end, is the next field.
    pos_ = close < bytes_.size() ? close + 1 : close;
    field_end_column_ = line_ == field_line_ ? static_cast<int>(pos_ - line_start_) + 1 : 0;
  } else {
    size_t begin = pos_;
    while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !IsLineEnd(pos_)) ++pos_;
    size_t end = pos_;
    while (end > begin && (bytes_[end - 1] == ' ' || bytes_[end - 1] == '\t')) --end;
    text.assign(bytes_.substr(begin, end - begin));
    field_end_column_ = static_cast<int>(end - line_start_) + 1;
  }
  FinishField();
  return text;
}

void FieldReader::WarnOpenQuote(std::string_view quoted, size_t close) {
  const size_t line_end = quoted.find_first_of("\r\n");
  if (line_end == std::string_view::npos && close < bytes_.size()) return;
  if (!sink_ || !sink_->wants(WarningClass::kOpenQuote)) return;
  const int end = field_column_ + 1 + static_cast<int>(std::min<size_t>(line_end, quoted.size()));
  std::string where = "the file's end";
  if (close < bytes_.size()) {
    int closing_line = field_line_;
    for (size_t i = 0; i < quoted.size(); ++i) {
      closing_line += quoted[i] == '\n' ||
                      (quoted[i] == '\r' && (i + 1 == quoted.size() || quoted[i + 1] != '\n'));
    }
    where = "the quote on line " + std::to_string(closing_line);
  }
  sink_->Warn(WarningClass::kOpenQuote, {name_, field_line_, field_column_, end},
              "this quote is not closed on its line: the text runs on to " + where +
                  " and takes every record in between; close the quote");
}

std::string FieldReader::ReadNumberText() {
  StartField("a number");
  last_was_text_ = false;
  last_was_quoted_ = false;
  size_t begin = pos_;
  while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !IsBlank(pos_) && !IsLineEnd(pos_)) ++pos_;
  std::string text(bytes_.substr(begin, pos_ - begin));
  field_end_column_ = static_cast<int>(pos_ - line_start_) + 1;
  FinishField();
  return text;
}

int64_t FieldReader::ReadNumber(int64_t min, int64_t max, const char* type) {
  const std::string text = ReadNumberText();
  int64_t value = 0;
  bool had_fraction = false;
  if (!ParseNumberField(text, &value, &had_fraction)) {
    Fail("\"" + std::string(text.substr(0, 40)) + "\" is not a number");
  }
  if (value < min || value > max) {
    Fail(std::to_string(value) + " does not fit " + type + " (" + std::to_string(min) + " to " +
         std::to_string(max) + ")");
  }
  if (text.empty() && sink_) {
    sink_->Warn(WarningClass::kStoredValue, place(),
                "this number field is empty (nothing before the next comma or the line's end); "
                "it is stored as 0");
  }
  if (had_fraction && sink_) {
    sink_->Warn(WarningClass::kFraction, place(),
                "\"" + std::string(text) +
                    "\" has a fraction; this field takes whole numbers and stores " +
                    std::to_string(value));
  }
  return value;
}

int32_t FieldReader::ReadLong() {
  return static_cast<int32_t>(ReadNumber(INT32_MIN, INT32_MAX, "a 32-bit number"));
}

int16_t FieldReader::ReadInteger() {
  return static_cast<int16_t>(ReadNumber(INT16_MIN, INT16_MAX, "a 16-bit number"));
}

uint8_t FieldReader::ReadByte() { return static_cast<uint8_t>(ReadNumber(0, 255, "a byte")); }

FieldSpan LastFieldSpan(const FieldReader& in, std::string text) {
  FieldSpan span;
  span.line = in.line() - 1;
  span.begin = in.column() - 1;
  span.end = in.end_column() != 0 ? in.end_column() - 1 : span.begin + 1;
  span.text = std::move(text);
  return span;
}

void RecordReadFailure(const ReadFailure& failure, const std::string& name, RunState& state) {
  state.FailAt(kErrReadFailure, name, failure.line, failure.column, failure.end_column);
  state.error_detail = failure.what;
}

bool ParseNumberField(std::string_view text, int64_t* value, bool* had_fraction) {
  if (text.empty()) {
    *value = 0;
    return true;
  }
  size_t i = 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  constexpr int64_t kLimit = int64_t{1} << 40;
  int64_t whole = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    whole = whole * 10 + (text[i] - '0');
    if (whole > kLimit) return false;
  }
  std::string_view fraction;
  if (i < text.size()) {
    if (text[i] != '.') return false;
    fraction = text.substr(i + 1);
    for (char c : fraction) {
      if (c < '0' || c > '9') return false;
    }
  }
  // "1." and ".5" are numbers; ".", "+" and "-." are not.
  if (digits == 0 && fraction.empty()) return false;
  if (!fraction.empty()) {
    // Half to even, decided on the digits: above one half rounds up, exactly
    // one half rounds to the even neighbour.
    char first = fraction[0];
    bool rest_zero = fraction.find_first_not_of('0', 1) == std::string_view::npos;
    if (first > '5' || (first == '5' && !rest_zero) ||
        (first == '5' && rest_zero && whole % 2 == 1)) {
      ++whole;
    }
    if (had_fraction) *had_fraction = first != '0' || !rest_zero;
  }
  *value = negative ? -whole : whole;
  return true;
}

bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  if (needle.size() > haystack.size()) return false;
  for (size_t start = 0; start + needle.size() <= haystack.size(); ++start) {
    size_t k = 0;
    while (k < needle.size() && fold(haystack[start + k]) == fold(needle[k])) ++k;
    if (k == needle.size()) return true;
  }
  return needle.empty();
}

}  // namespace sc
