#include "compiler/record_reader.h"

#include "model/encoders.h"
#include "model/rounding.h"

namespace sc {
namespace {

constexpr double kCellLength = 50.0;

}  // namespace

bool RecordReader::NextKeyword(int dash_skips, bool end_in_skips, std::string* field) {
  if (in_.AtEnd()) return false;
  *field = in_.ReadText();
  if (in_.AtEnd()) return false;
  for (int i = 0; i < dash_skips && Contains(*field, "-"); ++i) {
    *field = in_.ReadText();
    if (end_in_skips && in_.AtEnd()) return false;
  }
  return true;
}

void RecordReader::Stop(int32_t code, int line) { state_.FailAt(code, name_, line); }

void RecordReader::StopAt(int32_t code, int32_t position, int line) {
  Stop(code, line);
  state_.error_position = position;
}

TrackGrid& RecordReader::Grid() {
  if (!c_.grid) in_.Fail(std::string("a record needs the track grid, but ") + grid_missing_);
  return *c_.grid;
}

bool RecordReader::InRange(int32_t position, int32_t margin, int line) {
  const TrackGrid& grid = Grid();
  const int64_t reach = int64_t{position} + margin;
  if (!FitsLong(reach)) in_.Fail("the position " + std::to_string(position) + " is out of range");
  if (static_cast<double>(reach) / kCellLength > grid.upper()) {
    StopAt(kErrBeyondGrid, position, line);
    return false;
  }
  return true;
}

Flow RecordReader::EncoderOutcome(int32_t code, int32_t position, int line) {
  if (code == kErrNone) return Flow::kNext;
  if (code == kErrReadFailure) in_.Fail("a value overflows while placing the record");
  StopAt(code, position, line);
  return Flow::kStop;
}

}  // namespace sc
