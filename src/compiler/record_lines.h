// What the compiler makes of each field of a text description, for people
// and editors: which fields are keywords, which record each belongs to and
// which field of it, and which are skipped and why. It walks the file with
// the readers' own field reader and the record table, without compiling:
// the readers stay the authority on stored values and errors.
#ifndef SC_COMPILER_RECORD_LINES_H_
#define SC_COMPILER_RECORD_LINES_H_

#include <string>
#include <string_view>
#include <vector>

#include "compiler/field_reader.h"
#include "compiler/record_format.h"

namespace sc {

enum class FieldRole {
  kPreamble,     // before "[generale]": ignored
  kSection,      // a section marker
  kDashSkipped,  // holds a "-": skipped
  kKeyword,      // the keyword of a record
  kUnknown,      // a keyword field no record test matches: ignored
  kValue,        // a field of a record
  kLast,         // the file's last field: read, never processed
};

struct AnnotatedField {
  FieldSpan span;
  FieldRole role = FieldRole::kPreamble;
  int record = -1;       // index into FileAnnotation::records (kKeyword, kValue)
  int field_index = -1;  // which of the record's fields (kValue)
};

struct AnnotatedRecord {
  const RecordFormat* format = nullptr;
  int keyword = -1;         // index into FileAnnotation::fields
  std::vector<int> values;  // indexes into FileAnnotation::fields, in field order
  bool complete = true;     // false: the file ended inside it
};

struct FileAnnotation {
  ScenarioFile file = ScenarioFile::kLine;
  std::vector<AnnotatedField> fields;
  std::vector<AnnotatedRecord> records;
  // Set when the readers would stop with a read failure here (a field that is
  // not a number or out of its type's range, or the file ending inside a
  // record); the walk ends there.
  std::string failure;
  int failure_field = -1;  // index into fields, or -1 at the end of the file
};

// Walks `bytes` as a `file` is read (the route plan taken as built, so
// curves are read).
FileAnnotation AnnotateFile(ScenarioFile file, std::string_view bytes);

// Which kind a file's content shows: how many of the train file's records
// against how many of the line description's, a record shown when the words
// of its keyword test appear anywhere in the content (records whose test the
// other file's keywords also pass are not counted). False on a tie.
bool ScenarioFileFromContent(std::string_view bytes, ScenarioFile* file);

}  // namespace sc

#endif  // SC_COMPILER_RECORD_LINES_H_
