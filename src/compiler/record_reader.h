// What the line description reader and the train and service reader share:
// the field reader over one input, the keyword loop that skips dashed fields,
// the range test, the way a record stops the reading with an error code, an
// encoder's outcome, and the profile fills.
#ifndef SC_COMPILER_RECORD_READER_H_
#define SC_COMPILER_RECORD_READER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/compilation.h"
#include "compiler/field_reader.h"
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

class RecordReader {
 protected:
  // `grid_missing` says, in a read failure, why a record found no grid.
  RecordReader(std::string_view bytes, const std::string& name, RunState& state,
               Compilation& compilation, const char* grid_missing)
      : in_(bytes, name), name_(name), state_(state), c_(compilation), grid_missing_(grid_missing) {}

  // Reads the next keyword field into `field`, skipping up to `dash_skips`
  // fields that hold a dash. False at the end of the file: the file's last
  // field is read but never a keyword. With `end_in_skips` false the skipped
  // fields are read without that test (reading past the end then fails).
  bool NextKeyword(int dash_skips, bool end_in_skips, std::string* field);

  // Sets `code`, located at the keyword field's `line` (and `position`).
  void Stop(int32_t code, int line);
  void StopAt(int32_t code, int32_t position, int line);

  // The grid; a read failure when no route length made one.
  TrackGrid& Grid();

  // False (code 15 set at `position`) when position + margin lies beyond
  // the grid; a sum that overflows 32 bits is a read failure.
  bool InRange(int32_t position, int32_t margin, int line);

  // kNext for 0; a read failure for code 25; otherwise the code is set at
  // `position` and the reading stops.
  Flow EncoderOutcome(int32_t code, int32_t position, int line);

  // Runs `read`; a read failure becomes code 25. False on a read failure.
  template <typename Read>
  bool Guarded(Read read) {
    try {
      read();
      return true;
    } catch (const ReadFailure& failure) {
      RecordReadFailure(failure, name_, state_);
      return false;
    }
  }

  FieldReader in_;
  const std::string& name_;
  RunState& state_;
  Compilation& c_;

 private:
  const char* grid_missing_;
};

}  // namespace sc

#endif  // SC_COMPILER_RECORD_READER_H_
