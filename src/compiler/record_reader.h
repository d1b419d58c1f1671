// What the line description reader and the train and service reader share:
// the field reader over one input, the keyword loop that skips dashed fields,
// the range test, the way a record stops the reading with an error code, an
// encoder's outcome turned into diagnostics and into the record of who wrote
// each cell, and the profile fills.
#ifndef SC_COMPILER_RECORD_READER_H_
#define SC_COMPILER_RECORD_READER_H_

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compilation.h"
#include "compiler/diagnostic.h"
#include "compiler/field_reader.h"
#include "compiler/record_format.h"
#include "model/encoders.h"
#include "model/provenance.h"
#include "model/run_state.h"

namespace sc {

// What a reader does after a record.
enum class Flow {
  kNext,  // read the next record
  kEnd,   // leave the body: the end steps run (end of file, or code 15)
  kStop,  // the reader stopped with an error code; no end steps
};

// Writes cells from `cursor` on (write(cell)), at least once and then while
// the cursor is below `until`; stops, leaving the cursor, at the first cell
// above `last`.
template <typename Write>
void FillFrom(int64_t& cursor, int64_t until, int64_t last, Write write) {
  do {
    if (cursor > last) return;
    write(cursor);
    ++cursor;
  } while (cursor < until);
}

// A record test on a keyword field: every word must be in the field.
struct KeywordTest {
  const char* keyword;   // the keyword as authors write it (for suggestions)
  const char* words[2];  // the second may be null
  bool ignore_case;
  bool once;                // a record that sets one value: given twice, the later wins
  const char* reads = "";   // taken from anywhere in the field (RecordFormat::keyword_reads)
  const char* record = "";  // the record's name
};
using KeywordTests = std::span<const KeywordTest>;

// The keyword tests of one part of one file, in the record table's order
// (test i is RecordsOf(file, part)[i]).
KeywordTests TableKeywordTests(ScenarioFile file, RecordPart part);

// Bit i is set when test i takes `field`.
uint32_t MatchKeyword(std::string_view field, KeywordTests tests);

// A keyword within edit distance 2 of `field`, or one that differs only in
// case from a case-sensitive test; "" when none is close.
std::string SuggestKeyword(std::string_view field, KeywordTests tests);

// The warning for a field that none of `tests` takes, with the suggestion
// when one is close; the compiler and the editor check word it alike.
std::string UnknownKeywordMessage(std::string_view field, KeywordTests tests);

// What a keyword field's words beside its keywords do to how it is read:
// a word beside the keyword that holds one of the characters its record
// takes from anywhere in the field ("curva destra": the s turns it left),
// or a mark before the keyword that looks like a comment ("# curvad2": the
// format has none, the record is read). Words of one or two characters
// ("4", "d2") are taken as meant. "" when the field reads as its keywords
// alone. `matched` as MatchKeyword gave it.
std::string KeywordTextMessage(std::string_view field, uint32_t matched, KeywordTests tests);

// A well-formed UTF-8 sequence of two to four bytes, as a file typed in
// UTF-8 holds where Windows-1252 would have one byte.
struct Utf8Sequence {
  size_t offset = 0;
  size_t length = 0;
  uint32_t code_point = 0;
};
// The UTF-8 multi-byte sequences in `text`, in order.
std::vector<Utf8Sequence> Utf8SequencesIn(std::string_view text);
// What the author of `sequence` (in `text`) likely meant, and how the
// Windows-1252 reading stores it.
std::string Utf8Message(std::string_view text, const Utf8Sequence& sequence);

// A record's position plus this margin must still lie on the grid.
inline constexpr int32_t kRangeMargin = 100;

// Whether test number `test` is set in `matched`.
constexpr bool Has(uint32_t matched, int test) { return (matched >> test) & 1u; }

class RecordReader {
 protected:
  // `grid_missing` says, in a read failure, why a record found no grid.
  // `sink` (may be null: nothing collected) must outlive the reader.
  RecordReader(std::string_view bytes, const std::string& name, RunState& state,
               Compilation& compilation, const char* grid_missing, DiagnosticSink* sink)
      : in_(bytes, name, sink),
        name_(name),
        state_(state),
        c_(compilation),
        sink_(sink ? *sink : off_),
        recorder_(compilation.Recorder(sink_.on())),
        grid_missing_(grid_missing) {
    keyword_.file = name;
  }

  // Reads the next keyword field into `field`, skipping up to `dash_skips`
  // fields that hold a dash. False at the end of the file: the file's last
  // field is read but never a keyword (a warning when `tests` take it). With
  // `end_in_skips` false the skipped fields are read without that test
  // (reading past the end then fails).
  bool NextKeyword(int dash_skips, bool end_in_skips, KeywordTests tests, std::string* field);

  // The diagnostics of one keyword field, after its records were read:
  // `matched` as MatchKeyword gave it; `flow` what the records said.
  // Warns about a field no test takes (unless it is a section marker, a
  // dash field or empty), one that several take, a record that read on
  // into the following lines and fields left on its line.
  void CheckRecord(const std::string& field, uint32_t matched, KeywordTests tests, Flow flow);

  // No unknown-keyword warning for the rest of the keyword's line.
  void QuietLine() { last_warned_line_ = keyword_.line; }

  // The place of the current record's keyword field.
  const SourcePlace& keyword_place() const { return keyword_; }
  // Where the current record's field `name` (its name in the record table)
  // stands, as read: the place a warning about its value points at. The
  // keyword's place when the field was not read (or nothing is collected).
  SourcePlace FieldPlace(std::string_view name) const;
  // The stretch from field `first` to field `last` of the current record,
  // for a value made of several fields: both read on one line give their
  // whole stretch, otherwise FieldPlace(first).
  SourcePlace FieldsPlace(std::string_view first, std::string_view last) const;

  // Adds a taken-cell note to the error just set: what stands in `cell`
  // and which record put it there.
  void NoteTakenCell(int64_t cell);
  // Warns, with a note at the record that placed it, before the current
  // record's `object` overwrites the object in `cell`.
  void WarnOverwrite(int64_t cell, const std::string& object);

  // What an encoder did with the current record: a code stops the reading
  // at `position` (kStop), with a note on what took the taken cell, and
  // code 25 is a read failure; then the cells it wrote are recorded as the
  // current record's, placing `object` at `position`. kNext for code 0.
  Flow Placed(const Encoded& result, const char* object, int32_t position, int line);
  // Records the cells of `written` as the current record's, placing
  // `object` at `position` (when anybody records).
  void RecordWrites(const CellRuns& written, const char* object, int32_t position);
  // Records that the profile value of `record` filled `part` of the cells
  // first .. end - 1.
  void RecordFill(int record, CellPart part, int64_t first, int64_t end);
  // Records that the current record filled station table slot `slot`.
  void RecordSlot(int slot);
  // The current record's id for RecordFill (kNoRecord when nobody records).
  int CurrentRecord() const;
  // A fresh compile: forgets the writers an earlier one kept for the notes.
  void StartRecording();

  // Sets `code`, located at the keyword field's `line`: at the keyword
  // itself, or for StopOnField at the current record's field `field` whose
  // value fails the check.
  void Stop(ErrorCode code, int line);
  void StopOnField(ErrorCode code, int line, std::string_view field);
  // Sets `code` at `line`, with the columns of `place` when it stands there.
  void StopOn(ErrorCode code, int line, const SourcePlace& place);
  // Sets `code` for the check at `position`, located at the record's field
  // `field`, by default its position (its first field).
  void StopAt(ErrorCode code, int32_t position, int line, std::string_view field = {});

  // The grid; a read failure when no route length made one.
  TrackGrid& Grid();

  // False (code 15 set at `position`) when position + margin lies beyond
  // the grid; a sum that overflows 32 bits is a read failure.
  bool InRange(int32_t position, int32_t margin, int line);

  // Reads the fields [first, last) of `record`, in the table's order and
  // each to its type's width, into values[0 ..]; a text field's text goes
  // into `text` (its value stays 0). Each value is handed to `store` (its
  // index in values, the value) as soon as it is read, for records whose
  // fields go straight into the station table: a read that fails part-way
  // leaves the fields before it stored, and the files are still written.
  void ReadFields(const RecordFormat& record, size_t first, size_t last, int32_t* values,
                  std::string* text = nullptr,
                  const std::function<void(size_t, int32_t)>& store = {});
  // Reads every field of `record`, whose field count must be N.
  template <size_t N>
  void ReadAll(const RecordFormat& record, int32_t (&values)[N], std::string* text = nullptr,
               const std::function<void(size_t, int32_t)>& store = {}) {
    if (record.fields.size() != N)
      in_.Fail(std::string("the reader of the ") + record.name +
               " record does not match the record table");
    ReadFields(record, 0, N, values, text, store);
  }

  // A profile record (gradient, speed, adhesion): reads its position and
  // value; false (code 15 set) when the position is beyond the grid.
  // `cell` is the position's profile cell, where the previous value's fill
  // ends.
  bool ReadProfilePoint(const RecordFormat& record, int line, int32_t* value, int64_t* cell);

  // Runs `read`; a read failure becomes code 25. False on a read failure.
  template <typename Read>
  bool Guarded(Read read) {
    std::optional<ReadFailure> failure = CatchReadFailure(read);
    if (failure) RecordReadFailure(*failure, name_, state_);
    return !failure;
  }

  FieldReader in_;
  const std::string& name_;
  RunState& state_;
  Compilation& c_;
  DiagnosticSink off_ = DiagnosticSink::Off();
  DiagnosticSink& sink_;
  // Who wrote each cell: null when nobody asked and no diagnostics are
  // collected.
  Provenance* recorder_;

 private:
  void WarnUnknown(const std::string& field, KeywordTests tests);
  // Warns at each UTF-8 multi-byte sequence in the text field just read.
  void WarnUtf8(const std::string& text);
  void WarnDashSkipped(const std::string& field, KeywordTests tests);
  void WarnRepeat(const std::string& field, uint32_t matched, KeywordTests tests);
  // The name of the first field of the record read last ("" when none).
  std::string_view FirstFieldName() const;

  const char* grid_missing_;
  SourcePlace keyword_;
  // The record whose fields the current record read last, and where each
  // of its fields stands (line 0: not read); kept only while collecting.
  struct FieldColumns {
    int line = 0;
    int column = 0;
    int end_column = 0;
  };
  const RecordFormat* fields_record_ = nullptr;
  std::vector<FieldColumns> field_places_;
  int64_t keyword_field_count_ = 0;
  int last_warned_line_ = 0;
  // The first place of each `once` record given so far (by test index).
  std::vector<SourcePlace> once_seen_;
};

}  // namespace sc

#endif  // SC_COMPILER_RECORD_READER_H_
