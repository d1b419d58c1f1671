// Diagnostics shown to people and to programs. Text in the form C and C++
// compilers use on standard error:
//   FILE:LINE:COLUMN: warning: TEXT [-WCLASS]
//   FILE:LINE:COLUMN: note: TEXT
//   FILE:LINE:COLUMN: error N: TEXT (position P m)
// (the place shortened to what is known), or JSON, one object per line.
#ifndef SC_PRESENT_DIAGNOSTIC_OUTPUT_H_
#define SC_PRESENT_DIAGNOSTIC_OUTPUT_H_

#include <ostream>
#include <string>
#include <vector>

#include "compiler/diagnostic.h"

namespace sc {

enum class DiagnosticFormat { kText, kJson };

// A diagnostic and its notes as text lines, each ending in "\n"; the
// messages' Windows-1252 text in the terminal's encoding.
std::string DiagnosticText(const Diagnostic& d);

// A diagnostic as one JSON object (no line end): file, line, column,
// end_column, severity, class, code, message, notes. Texts are Windows-1252
// bytes shown as UTF-8.
std::string DiagnosticJson(const Diagnostic& d);

// Writes every diagnostic in `format`; in text, a summary line follows when
// there is a warning ("1 warning generated.", "2 warnings and 1 error
// generated."). An error alone has none.
void WriteDiagnostics(const std::vector<Diagnostic>& diagnostics, DiagnosticFormat format,
                      std::ostream& out);

}  // namespace sc

#endif  // SC_PRESENT_DIAGNOSTIC_OUTPUT_H_
