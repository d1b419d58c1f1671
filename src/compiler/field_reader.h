// The field reader shared by the line description reader and the train and
// service reader. It consumes a text file, held as bytes, one field at a time:
//
//  - blanks are space and tab; a line ends at CR LF, a lone LF or a lone CR;
//  - leading blanks of a field are skipped;
//  - a text field that starts with a double quote runs to the next double
//    quote (quotes dropped); otherwise it runs to the next comma or line end,
//    trailing blanks removed;
//  - a numeric field runs to the next blank, comma or line end; an empty one
//    is 0; it is an optional sign, digits, and optionally "." and digits; a
//    fraction is rounded half to even;
//  - after a field, blanks are skipped, then one comma is consumed if present,
//    or else the line end if present ("8   0   0 " gives 8, 0, 0).
//
// Any read failure (no byte left, a malformed number, a value outside its
// target's range, or a reader's own Fail) ends the reading: it unwinds to
// the nearest CatchReadFailure, which returns it as a value; the readers
// turn it into error code 25. Nothing else catches it, and it never leaves
// a reader.
#ifndef SC_COMPILER_FIELD_READER_H_
#define SC_COMPILER_FIELD_READER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/diagnostic.h"
#include "model/run_state.h"

namespace sc {

struct ReadFailure {
  std::string what;    // what went wrong, for the author
  int line = 0;        // 1-based line where it went wrong
  int column = 0;      // 1-based column of the field, 0 unknown
  int end_column = 0;  // 1-based column just past the field, 0 unknown
};

class FieldReader {
 public:
  // `bytes` must outlive the reader; `name` names the input in diagnostics.
  // A number with a fraction is reported to `sink` (when given), which must
  // outlive the reader.
  FieldReader(std::string_view bytes, std::string name, DiagnosticSink* sink = nullptr);

  // True when no byte remains.
  bool AtEnd() const { return pos_ >= bytes_.size(); }

  std::string ReadText();
  // A number field's text as it stands, not converted (for showing a file
  // as the readers read it); its place is kept as for any field.
  std::string ReadNumberText();
  int32_t ReadLong();     // signed 32-bit
  int16_t ReadInteger();  // signed 16-bit
  uint8_t ReadByte();     // unsigned 8-bit

  // The 1-based line on which the last field returned started.
  int line() const { return field_line_; }
  const std::string& name() const { return name_; }
  // Where the last field returned stands: its line, first column and the
  // column just past it (0 when it ran onto a later line).
  int column() const { return field_column_; }
  int end_column() const { return field_end_column_; }
  SourcePlace place() const { return {name_, field_line_, field_column_, field_end_column_}; }
  // Whether the last field was read as text.
  bool last_was_text() const { return last_was_text_; }
  // Whether the last field was a text in quotes.
  bool last_was_quoted() const { return last_was_quoted_; }
  // How many fields were read so far.
  int64_t fields_read() const { return fields_read_; }
  // The column where the next field starts when it starts on the last
  // field's line (more than blanks follow it there); 0 otherwise.
  int NextColumnOnLine() const;

  // Ends the reading with a failure at the current field's line: unwinds to
  // the enclosing CatchReadFailure.
  [[noreturn]] void Fail(const std::string& what) const;

 private:
  bool IsBlank(size_t at) const;
  bool IsLineEnd(size_t at) const;
  void SkipBlanks();
  void ConsumeLineEnd();
  void FinishField();
  void StartField(const char* what);
  int64_t ReadNumber(int64_t min, int64_t max, const char* type);
  void CountLineEnd(size_t next_line_start);
  // Warns at the opening quote of the quoted text `quoted` (closed at
  // `close`, the input's size when never) when it is not closed on its line.
  void WarnOpenQuote(std::string_view quoted, size_t close);

  std::string_view bytes_;
  std::string name_;
  size_t pos_ = 0;
  DiagnosticSink* sink_;
  int line_ = 1;           // line of pos_
  size_t line_start_ = 0;  // offset of line_'s first byte
  int field_line_ = 1;     // line of the last field
  int field_column_ = 1;
  int field_end_column_ = 0;
  int64_t fields_read_ = 0;
  bool last_was_text_ = false;
  bool last_was_quoted_ = false;
};

// Runs `read`, whose reads go through FieldReaders; returns the failure
// that ended it, or nullopt when it ran to its end. The one place a read
// failure is caught.
template <typename Read>
std::optional<ReadFailure> CatchReadFailure(Read&& read) {
  try {
    read();
    return std::nullopt;
  } catch (const ReadFailure& failure) {
    return failure;
  }
}

// Where a field stands, as editors count: 0-based line, 0-based byte
// columns [begin, end) of the field's text on its first line (quotes
// included for a quoted field; a quoted field running onto later lines ends
// one byte after its opening quote).
struct FieldSpan {
  int line = 0;
  int begin = 0;
  int end = 0;
  std::string text;
};

// The span of the last field `in` returned, holding `text`.
FieldSpan LastFieldSpan(const FieldReader& in, std::string text);

// Records a read failure of the input `name` in `state`: code 25 with the
// failure's line and what went wrong.
void RecordReadFailure(const ReadFailure& failure, const std::string& name, RunState& state);

// Parses a numeric field's text: "" is 0; otherwise an optional sign, one or
// more digits, optionally "." and one or more digits, rounded half to even.
// Returns false for anything else or a magnitude above 2^40. `had_fraction`,
// when given, says whether a fraction was rounded away.
bool ParseNumberField(std::string_view text, int64_t* value, bool* had_fraction = nullptr);

// ASCII-only case folding ("ignoring case" folds A-Z only).
bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle);
inline bool Contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

}  // namespace sc

#endif  // SC_COMPILER_FIELD_READER_H_
