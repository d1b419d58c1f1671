// The record formats of the two text descriptions, as the readers read them:
// for every record its keyword test, its fields in reading order (name, type,
// unit, range) and what each becomes in the compiled files. One table drives
// the readers themselves (each record's keyword test, its part of the file,
// the order, types and widths of its fields: the readers keep only what each
// record does with its values), the format reference
// (docs/scenario-format.md), `explain`, and the language server's hover,
// completion and outline, so they never disagree. A reader's records are
// indexed in this table's order.
#ifndef SC_COMPILER_RECORD_FORMAT_H_
#define SC_COMPILER_RECORD_FORMAT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/provenance.h"
#include "model/station_table.h"
#include "model/track_grid.h"

namespace sc {

enum class ScenarioFile { kLine, kTrain };

// "line description" or "train and service file".
const char* ScenarioFileTitle(ScenarioFile file);

// Where a record is recognised: in the line description's header block or
// in a body (the train file has only a body).
enum class RecordPart { kHeader, kBody };

// How a field is read: the target's width decides the range; a text field
// runs to the next comma (or closing quote), a number to a blank or comma.
enum class FieldType { kLong, kInteger, kByte, kText };

const char* FieldTypeName(FieldType type);

// What the compiler does to a value before storing it.
enum class StoreRule {
  kAsRead,     // stored as read (after the target's range test)
  kSpeedCode,  // km/h divided by 5, rounded half to even, low 8 bits
  kLow8,       // low 8 bits
  kLow16,      // low 16 bits
  kGradient,   // low 8 bits of value + 100
};

struct FieldFormat {
  const char* name;
  FieldType type;
  const char* unit;     // "m", "km/h", "" for a plain number
  const char* range;    // accepted values beyond the type's, "" if none
  const char* becomes;  // where the value goes in the compiled files
  StoreRule store = StoreRule::kAsRead;
  // A metre on the route whose value lands in a grid cell: which cell rule
  // (model/track_grid.h) takes it there.
  CellRule cell = CellRule::kNone;
  // A field a station's slot holds: reads the value back from the compiled
  // slot (null for any other field).
  int64_t (*in_slot)(const StationRecord&) = nullptr;
  // The slot's position, whose grid cell is the one its end marker took:
  // only the compiled grid knows it (the area's end decides it).
  bool marker_cell = false;
  // A field a grid cell holds: the part of the cell the record writes (its
  // first cell of that part holds the value) and how to read the value back
  // from it (null for any other field).
  CellPart cell_part = CellPart::kObject;
  int64_t (*in_cell)(const TrackCell&) = nullptr;
};

struct RecordFormat {
  const char* name;  // short, stable: "station", "speed", "route length"
  ScenarioFile file;
  RecordPart part;
  // The keyword field must contain every one of these (up to two).
  const char* contains[2];
  bool ignore_case;
  const char* keyword;  // the keyword as the built-in scenario writes it
  const char* summary;  // one sentence for the author
  std::vector<FieldFormat> fields;
  const char* example;  // one complete line
  const char* notes;    // further rules, "" if none
  bool has_symbol;      // shown in an editor's outline
  // A record that sets one value: given again, the later wins (and the
  // compiler warns).
  bool once = false;
  // The keyword offered to an author who misspelt it, when not `keyword`.
  const char* suggestion = nullptr;
  // Characters the reader takes from anywhere in the keyword field, beside
  // its test (letters without case): a curve's radius digit and its s, the
  // repetition's number of codes. "" when the keyword says nothing more.
  const char* keyword_reads = "";
};

// Every record of both files, in the order the readers test them.
const std::vector<RecordFormat>& RecordFormats();

// The records of one part of one file, in the order the readers test them:
// the readers' keyword tests come from here.
const std::vector<const RecordFormat*>& RecordsOf(ScenarioFile file, RecordPart part);

// The records whose keyword test `field` passes, in test order. One field
// may pass more than one test; every matching record is read.
std::vector<const RecordFormat*> MatchRecords(ScenarioFile file, RecordPart part,
                                              std::string_view field);

// Section markers the built-in scenario writes; they are no records. The
// first opens the records ("[generale]"), the last ends the file ("[fine]").
const std::vector<const char*>& SectionMarkers(ScenarioFile file);

// The record named `name` (RecordFormat::name); the name must be one.
const RecordFormat& RecordNamed(std::string_view name);

// The section marker a record is written under, as in the built-in
// scenario: "[generale]" for the records that set one value, "[curve]" for
// a curve, "[abbattimenti]" for an abbattimento (a section the built-in
// scenario does not have).
const char* RecordSection(const RecordFormat& record);

// The value a number field holds once read and stored: nullopt when
// `written` is not a number or lies outside the field's type (a read
// failure, error 25). `read` gets the value read (fractions rounded).
struct StoredValue {
  int64_t read = 0;
  int64_t stored = 0;
  std::string text;      // as the author would read it: "130 km/h", "44", ...
  bool changed = false;  // the stored value says other than the value read
};
std::optional<StoredValue> StoreFieldValue(const FieldFormat& field, std::string_view written);

// A field's value for people, as written and as stored:
// "132 km/h -> stored as 130 km/h (code 26)", "1450 m, grid cell 30",
// "40000 m" when stored as written, "\"Vastro\"" for a text (its bytes as
// they stand).
std::string DescribeFieldValue(const FieldFormat& field, const std::string& written);

// The format reference in Markdown: every record with its fields in order,
// units, ranges, an example line, and the header records.
std::string FormatReferenceMarkdown();

}  // namespace sc

#endif  // SC_COMPILER_RECORD_FORMAT_H_
