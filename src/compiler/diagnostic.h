// Diagnostics: what the compiler tells an author about their files. A
// diagnostic is a plain value (where, how bad, which class, what); the
// readers add them to a DiagnosticSink passed in explicitly. A sink made
// with DiagnosticSink::Off() collects nothing, and the readers test
// wants() before they build a message, so a run that shows none pays for
// none.
#ifndef SC_COMPILER_DIAGNOSTIC_H_
#define SC_COMPILER_DIAGNOSTIC_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/run_state.h"

namespace sc {

// A place in an input file. Lines and columns count from 1 (columns in
// bytes); 0 means unknown. end_column is the column just past the place.
struct SourcePlace {
  std::string file;  // the path as the author gave it
  int line = 0;
  int column = 0;
  int end_column = 0;
};

enum class Severity { kError, kWarning, kNote };

// "error", "warning" or "note".
const char* SeverityName(Severity s);

// A related place: "cell 41 was taken here by the signal at 2000 m".
struct DiagnosticNote {
  SourcePlace place;
  std::string message;
};

// The warning classes. Their names (WarningClassName) are part of the
// command line (-Wno-NAME) and of the JSON output: keep them stable.
enum class WarningClass : uint8_t {
  kUnknownKeyword,    // "unknown-keyword": a field no record test takes
  kShortLine,         // "short-line": a record took fields from the following line(s)
  kExtraFields,       // "extra-fields": fields left on a record's line
  kAmbiguousKeyword,  // "ambiguous-keyword": a field that several record tests take
  kFraction,          // "fraction": a number with a fraction, rounded
  kStoredValue,       // "stored-value": a value stored other than written
  kOffGrid,           // "off-grid": a write left out because it lies outside the grid
  kOverwrite,         // "overwrite": a cell overwritten without a check
  kLastField,         // "last-field": a keyword that is the last field of its file
  kHeaderRepeat,      // "header-repeat": a header record given twice
  kOutOfOrder,        // "out-of-order": a record behind the one before it, cut short or moved
  kNoEffect,          // "no-effect": a record or value that puts nothing where it asks
  kKeywordText,       // "keyword-text": words beside a keyword that change how it is read
  kOpenQuote,         // "open-quote": a quote not closed on its line
  kEncoding,          // "encoding": UTF-8 bytes in a file read as Windows-1252
};
inline constexpr int kWarningClassCount = 15;

const char* WarningClassName(WarningClass c);
std::optional<WarningClass> WarningClassFromName(std::string_view name);

// The one diagnostic value: the terminal, JSON, editor and page forms are
// all made from it.
struct Diagnostic {
  SourcePlace place;
  Severity severity = Severity::kWarning;
  WarningClass warning_class = WarningClass::kUnknownKeyword;  // warnings only
  ErrorCode code = kErrNone;                                   // the error code, for an error
  std::string message;                                         // without the position
  std::vector<DiagnosticNote> notes;
  // Where on the route (metres) the error's check stands, when it records one.
  std::optional<int64_t> position;
  // Names a diagnostic that has neither an error code nor a warning class
  // (an editor's note on a file's name, "file-name"; the reserved-place
  // message, "message 1250"). Empty otherwise.
  std::string tag;
};

// The message as the terminal and editors show it: " (position P m)" added
// when the diagnostic has a position (the page shows the position apart).
std::string DiagnosticMessage(const Diagnostic& d);

// What names a diagnostic's kind, as editors and the page show it: the tag
// when there is one, "error N" for an error with a code, the class name for
// a warning, else "".
std::string DiagnosticCode(const Diagnostic& d);

class DiagnosticSink {
 public:
  // Collects every diagnostic.
  DiagnosticSink() = default;
  // Collects nothing at all.
  static DiagnosticSink Off() {
    DiagnosticSink sink;
    sink.collect_ = false;
    sink.warnings_ = 0;
    return sink;
  }

  // Whether anything is collected (errors and their notes included).
  bool on() const { return collect_; }
  // Whether a warning of class `c` is collected.
  bool wants(WarningClass c) const { return (warnings_ >> static_cast<int>(c)) & 1u; }

  void Disable(WarningClass c) { warnings_ &= ~(1u << static_cast<int>(c)); }
  void DisableAllWarnings() { warnings_ = 0; }

  // Adds a warning of class `c` at `place` when that class is wanted;
  // returns the added diagnostic (for notes), or null.
  Diagnostic* Warn(WarningClass c, SourcePlace place, std::string message);
  // Adds a diagnostic as it is (when the sink is on).
  Diagnostic* Add(Diagnostic diagnostic);

  // A note for the error with `code` that a reader just set; it replaces
  // any earlier one. Kept apart because a later error may replace the code.
  void SetErrorNote(ErrorCode code, DiagnosticNote note) {
    if (!collect_) return;
    error_note_code_ = code;
    error_note_ = std::move(note);
  }
  // The note set for `code`, or null.
  const DiagnosticNote* ErrorNoteFor(ErrorCode code) const {
    return code != 0 && code == error_note_code_ ? &error_note_ : nullptr;
  }

  // The diagnostics in the order they were added. A pointer returned by
  // Warn or Add stays valid until the next one.
  const std::vector<Diagnostic>& diagnostics() const { return diagnostics_; }
  int warning_count() const;

 private:
  bool collect_ = true;
  uint32_t warnings_ = (1u << kWarningClassCount) - 1;
  std::vector<Diagnostic> diagnostics_;
  ErrorCode error_note_code_ = kErrNone;
  DiagnosticNote error_note_;
};

struct RunState;

// The run's error as a diagnostic: where the record that set it stands, its
// code and text, its position where the code records one, with the note the
// sink holds for it. Null when the error code is 0. The one place the run's
// error becomes a diagnostic.
std::optional<Diagnostic> ErrorDiagnostic(const RunState& state, const DiagnosticSink* sink);

// Everything a compile has to tell: the sink's diagnostics, then the run's
// error (ErrorDiagnostic) when there is one.
std::vector<Diagnostic> CompileDiagnostics(const DiagnosticSink& sink, const RunState& state);

}  // namespace sc

#endif  // SC_COMPILER_DIAGNOSTIC_H_
