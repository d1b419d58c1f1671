#include "compiler/line_reader.h"

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/field_reader.h"
#include "model/encoders.h"
#include "model/rounding.h"
#include "compiler/input_limits.h"
#include "model/track_grid.h"

namespace sc {
namespace {

// Dashed fields skipped in a row before a field is tested anyway.
constexpr int kHeaderDashSkips = 10;
constexpr int kBodyDashSkips = 2;
// A body curve may not move the plan cursor beyond this metre.
constexpr int64_t kCurveCursorLimit = 1000000;
// A record's position plus this margin must still lie on the grid.
constexpr double kRangeMargin = 100.0;
constexpr double kCellLength = 50.0;
constexpr int64_t kGradientOffset = 100;
constexpr int32_t kRepetitionStep = 50;
// Texts are stored with a 16-bit byte count.
constexpr size_t kMaxTextBytes = 65535;
constexpr int32_t kFirstUsableSlot = 1;

// Curvature per metre for the radius classes "1" to "6", tried in order.
constexpr struct {
  const char* digit;
  double k;
} kCurvatures[] = {{"1", 0.0001}, {"2", 0.0002}, {"3", 0.0004},
                   {"4", 0.001},  {"5", 0.002},  {"6", 0.003}};


// What the body loop does after a record.
enum class Flow {
  kNext,     // read the next record
  kEndBody,  // leave the body; the end steps run (code 0 or 15)
  kStop,     // the reader stopped with an error code; no end steps
};

// One reading of a line description. Holds the reader's cursors; the
// results go into the Compilation and the RunState passed in.
class LineReader {
 public:
  LineReader(std::string_view bytes, const std::string& name, RunState& state,
             Compilation& compilation)
      : in_(bytes, name), name_(name), state_(state), c_(compilation) {}

  LineReadResult Run();

 private:
  // Stops with `code`, locating it at the keyword field's `line`.
  void Stop(int32_t code, int line);
  void StopAt(int32_t code, int32_t position, int line);

  bool FindHeader();
  bool ReadHeader();
  bool HeaderRecord(const std::string& field, int line);
  bool RouteLength(int line);
  bool Repetition(const std::string& field, int line);
  void ReadKmReference(int slot);
  void PrepareBody();

  Flow ReadBody();
  Flow BodyRecord(std::string& field, int line);
  Flow Gradient(int line);
  Flow Curve(const std::string& field, int line);
  Flow Mountain(int line);
  Flow MaxSpeedBoard(int line);
  Flow Sign(std::string& field, int line);
  Flow EncoderOutcome(int32_t code, int32_t position, int line);
  void EndSteps();

  TrackGrid& Grid();
  RoutePlan& Plan();
  bool InRange(int32_t position, int line);
  void FillGradient(int64_t until);
  bool StepStraight(RoutePlan& plan, int line);
  bool StepTurn(RoutePlan& plan, double k, int line);
  void WriteStraight(RoutePlan& plan);

  FieldReader in_;
  const std::string& name_;
  RunState& state_;
  Compilation& c_;
  int64_t gradient_cursor_ = 0;
  int32_t previous_gradient_ = 0;
  int32_t sign_slot_ = kFirstSignSlot;
};

void LineReader::Stop(int32_t code, int line) {
  state_.FailAt(code, name_, line);
}

void LineReader::StopAt(int32_t code, int32_t position, int line) {
  Stop(code, line);
  state_.error_position = position;
}

LineReadResult LineReader::Run() {
  c_.stations.slots[kSlotBackgrounds].name = state_.line_name;
  c_.stations.slots[kSlotRepetition].name = state_.train_number;
  try {
    if (!FindHeader()) {
      Stop(kErrNoGeneralSection, in_.line());
      return LineReadResult::kStopped;
    }
    if (!ReadHeader()) return LineReadResult::kStopped;
    PrepareBody();
    if (ReadBody() == Flow::kStop) return LineReadResult::kStopped;
    EndSteps();
    return LineReadResult::kContinue;
  } catch (const ReadFailure& failure) {
    RecordReadFailure(failure, name_, state_);
    return LineReadResult::kFailed;
  }
}

// Skips the preamble. False when the file ends first. There is no test
// before the first read: an empty file is a read failure.
bool LineReader::FindHeader() {
  for (;;) {
    std::string field = in_.ReadText();
    if (in_.AtEnd()) return false;
    if (ContainsIgnoringCase(field, "[generale]")) return true;
  }
}

// The header block. False when a record stopped the reader with a code.
bool LineReader::ReadHeader() {
  for (;;) {
    if (in_.AtEnd()) return true;
    std::string field = in_.ReadText();
    if (in_.AtEnd()) return true;
    // No end-of-file test here: reading past the end is a read failure.
    for (int i = 0; i < kHeaderDashSkips && Contains(field, "-"); ++i) field = in_.ReadText();
    if (!HeaderRecord(field, in_.line())) return false;

    // The block ends at a bracketed field that does not begin with a dash.
    size_t first = field.find_first_not_of(" \t");
    bool dash_first = first != std::string::npos && field[first] == '-';
    if (Contains(field, "[") && Contains(field, "]") && !dash_first) return true;
  }
}

bool LineReader::HeaderRecord(const std::string& field, int line) {
  if (ContainsIgnoringCase(field, "lunghezza") && ContainsIgnoringCase(field, "percorso")) {
    if (!RouteLength(line)) return false;
  }
  if (Contains(field, "progressiva")) {
    if (Contains(field, "tre")) ReadKmReference(kSlotKmRefTre);
    if (Contains(field, "due")) ReadKmReference(kSlotKmRefDue);
    if (Contains(field, "uno")) ReadKmReference(kSlotKmRefUno);
  }
  if (Contains(field, "sfondo")) {
    StationRecord& backgrounds = c_.stations.slots[kSlotBackgrounds];
    if (Contains(field, "uno")) backgrounds.start = in_.ReadLong();
    if (Contains(field, "due")) backgrounds.position = in_.ReadLong();
    if (Contains(field, "tre")) backgrounds.end = in_.ReadLong();
  }
  if (Contains(field, "segnali") && Contains(field, "ripetizione")) {
    if (!Repetition(field, line)) return false;
  }
  return true;
}

// Creates the grid, and the plan when requested, for the route length read.
bool LineReader::RouteLength(int line) {
  const int32_t length = in_.ReadLong();
  c_.stations.slots[kSlotTrainRoute].end = length;
  // A failing length leaves the grid and plan of an earlier length record:
  // they exist from the first one on.
  if (length > kMaxRouteLength) {
    Stop(kErrRouteTooLong, line);
    return false;
  }
  const int64_t grid_upper = GridUpperFor(length);
  const int64_t plan_last = int64_t{length} + kPlanBeyondRoute;
  const bool plan_requested = state_.compile_flag != 0;
  if (grid_upper < 0 || (plan_requested && plan_last < 0)) {
    in_.Fail("the route length " + std::to_string(length) + " leaves no track");
  }
  c_.grid.emplace(static_cast<int32_t>(grid_upper));
  c_.plan.reset();
  if (plan_requested) c_.plan.emplace(static_cast<int32_t>(plan_last));
  return true;
}

void LineReader::ReadKmReference(int slot) {
  StationRecord& ref = c_.stations.slots[slot];
  ref.start = in_.ReadLong();
  ref.end = in_.ReadLong();
  ref.position = in_.ReadLong();
}

// The signal repetition stretch and its number of codes (4 or 9, named in
// the keyword itself).
bool LineReader::Repetition(const std::string& field, int line) {
  StationRecord& rep = c_.stations.slots[kSlotRepetition];
  rep.start = in_.ReadLong();
  rep.end = in_.ReadLong();
  if (rep.start % kRepetitionStep != 0) {
    Stop(kErrRepetitionFirst, line);
    return false;
  }
  if (rep.end % kRepetitionStep != 0) {
    Stop(kErrRepetitionLast, line);
    return false;
  }
  if (Contains(field, "4")) {
    rep.position = 4;
  } else if (Contains(field, "9")) {
    rep.position = 9;
  } else {
    Stop(kErrRepetitionCodes, line);
    return false;
  }
  if (rep.end == 0) rep.position = 0;
  return true;
}

// Orders the kilometre references and resets the body's cursors; the plan
// starts at the origin heading along +y.
void LineReader::PrepareBody() {
  if (!ProgressiveOrdina(c_.stations)) in_.Fail("the kilometre references overflow");
  c_.mountains.Reset();
  sign_slot_ = kFirstSignSlot;
  c_.next_sign_slot = sign_slot_;
  gradient_cursor_ = 0;
  previous_gradient_ = 0;
  if (!c_.plan) return;
  RoutePlan& plan = *c_.plan;
  if (plan.last_metre < 1) in_.Fail("the route plan is too short for its starting points");
  plan.x[0] = 0;
  plan.y[0] = 0;
  plan.x[1] = 0;
  plan.y[1] = 1;
  plan.filled = 2;
}

Flow LineReader::ReadBody() {
  for (;;) {
    if (in_.AtEnd()) return Flow::kEndBody;
    std::string field = in_.ReadText();
    if (in_.AtEnd()) return Flow::kEndBody;
    for (int i = 0; i < kBodyDashSkips && Contains(field, "-"); ++i) {
      field = in_.ReadText();
      if (in_.AtEnd()) return Flow::kEndBody;
    }
    Flow flow = BodyRecord(field, in_.line());
    if (flow != Flow::kNext) return flow;
  }
}

// Offers the field to every record test in turn; one field may match more
// than one.
Flow LineReader::BodyRecord(std::string& field, int line) {
  Flow flow = Flow::kNext;
  if (ContainsIgnoringCase(field, "pendenza")) flow = Gradient(line);
  if (flow != Flow::kNext) return flow;
  // Without a plan a curve's numbers are left to be skipped as stray fields.
  if (state_.compile_flag != 0 && ContainsIgnoringCase(field, "curva")) flow = Curve(field, line);
  if (flow != Flow::kNext) return flow;
  if (ContainsIgnoringCase(field, "montagna")) flow = Mountain(line);
  if (flow != Flow::kNext) return flow;
  if (ContainsIgnoringCase(field, "indicatori_v")) flow = MaxSpeedBoard(line);
  if (flow != Flow::kNext) return flow;
  if (ContainsIgnoringCase(field, "indicat") && ContainsIgnoringCase(field, "cartello")) {
    flow = Sign(field, line);
  }
  return flow;
}

TrackGrid& LineReader::Grid() {
  if (!c_.grid) in_.Fail("a record needs the track grid, but no route length came before it");
  return *c_.grid;
}

RoutePlan& LineReader::Plan() {
  if (!c_.plan) in_.Fail("a curve needs the route plan, but no route length came before it");
  return *c_.plan;
}

// False (code 15 set) when position + 100 m lies beyond the grid.
bool LineReader::InRange(int32_t position, int line) {
  const TrackGrid& grid = Grid();
  // position + 100 is 32-bit arithmetic: a position that overflows it cannot
  // be read, like any other overflow.
  if (!FitsLong(int64_t{position} + static_cast<int64_t>(kRangeMargin))) {
    in_.Fail("the position " + std::to_string(position) + " is out of range");
  }
  if (grid.upper() < (static_cast<double>(position) + kRangeMargin) / kCellLength) {
    StopAt(kErrBeyondGrid, position, line);
    return false;
  }
  return true;
}

// Writes the previous gradient + 100 into the cell at the cursor and
// advances, once and then while the cursor is below `until`; never past the
// grid's last cell.
void LineReader::FillGradient(int64_t until) {
  TrackGrid& grid = Grid();
  if (gradient_cursor_ > grid.upper()) return;
  const int64_t shifted = int64_t{previous_gradient_} + kGradientOffset;
  if (!FitsLong(shifted)) in_.Fail("the gradient " + std::to_string(previous_gradient_) + " overflows");
  const uint8_t code = Low8(shifted);
  do {
    grid.at(gradient_cursor_).gradient_code = code;
    ++gradient_cursor_;
  } while (gradient_cursor_ < until && gradient_cursor_ <= grid.upper());
}

Flow LineReader::Gradient(int line) {
  const int32_t position = in_.ReadLong();
  const int32_t value = in_.ReadLong();
  if (!InRange(position, line)) return Flow::kEndBody;
  const int64_t cell = RoundToInt(static_cast<double>(position) / kCellLength);
  if (cell > 0) FillGradient(cell);
  previous_gradient_ = value;
  return Flow::kNext;
}

// The next metre continues the heading of the two before it.
void LineReader::WriteStraight(RoutePlan& plan) {
  const size_t c = static_cast<size_t>(plan.filled);
  const double dx = plan.x[c - 1] - plan.x[c - 2];
  const double dy = plan.y[c - 1] - plan.y[c - 2];
  plan.x[c] = plan.x[c - 1] + dx;
  plan.y[c] = plan.y[c - 1] + dy;
  ++plan.filled;
}

// A body step: stops with code 103 when the plan has no metre left or the
// cursor passes the curve limit.
bool LineReader::StepStraight(RoutePlan& plan, int line) {
  if (plan.filled > plan.last_metre) {
    Stop(kErrCurve, line);
    return false;
  }
  WriteStraight(plan);
  if (plan.filled > kCurveCursorLimit) {
    Stop(kErrCurve, line);
    return false;
  }
  return true;
}

// Like StepStraight, with the heading turned by about k radians (to the
// right for k > 0); the step length is not renormalised.
bool LineReader::StepTurn(RoutePlan& plan, double k, int line) {
  if (plan.filled > plan.last_metre) {
    Stop(kErrCurve, line);
    return false;
  }
  const size_t c = static_cast<size_t>(plan.filled);
  const double dx = plan.x[c - 1] - plan.x[c - 2];
  const double dy = plan.y[c - 1] - plan.y[c - 2];
  plan.x[c] = plan.x[c - 1] + (dx + dy * k);
  plan.y[c] = plan.y[c - 1] + (dy - dx * k);
  ++plan.filled;
  if (plan.filled > kCurveCursorLimit) {
    Stop(kErrCurve, line);
    return false;
  }
  return true;
}

// Straight up to the curve's start, then turning through its length. A
// curve starting behind the cursor is drawn from the cursor on.
Flow LineReader::Curve(const std::string& field, int line) {
  const int32_t start = in_.ReadLong();
  const int32_t length = in_.ReadLong();
  if (!InRange(start, line)) return Flow::kEndBody;
  std::optional<double> k;
  for (const auto& entry : kCurvatures) {
    if (Contains(field, entry.digit)) {
      k = entry.k;
      break;
    }
  }
  if (!k) {
    Stop(kErrCurve, line);
    return Flow::kStop;
  }
  if (ContainsIgnoringCase(field, "s")) k = -*k;

  RoutePlan& plan = Plan();
  while (plan.filled <= start) {
    if (!StepStraight(plan, line)) return Flow::kStop;
  }
  const int64_t end = int64_t{start} + length;
  if (!FitsLong(end)) in_.Fail("the curve's start plus length overflows");
  while (plan.filled <= end) {
    if (!StepTurn(plan, *k, line)) return Flow::kStop;
  }
  return Flow::kNext;
}

Flow LineReader::EncoderOutcome(int32_t code, int32_t position, int line) {
  if (code == kErrNone) return Flow::kNext;
  if (code == kErrReadFailure) in_.Fail("a value overflows while placing the record");
  StopAt(code, position, line);
  return Flow::kStop;
}

Flow LineReader::Mountain(int line) {
  const int32_t start = in_.ReadLong();
  const int32_t end = in_.ReadLong();
  const int32_t type = in_.ReadLong();
  // Only the start is tested; the encoder skips cells beyond the grid.
  if (!InRange(start, line)) return Flow::kEndBody;
  return EncoderOutcome(MemoMontagna(Grid(), c_.mountains, start, end, type), start, line);
}

Flow LineReader::MaxSpeedBoard(int line) {
  const int32_t position = in_.ReadLong();
  const int32_t vas = in_.ReadLong();
  const int32_t vbs = in_.ReadLong();
  const int32_t vcs = in_.ReadLong();
  const int16_t strisces = in_.ReadInteger();
  const int32_t vad = in_.ReadLong();
  const int32_t vbd = in_.ReadLong();
  const int32_t vcd = in_.ReadLong();
  const int16_t strisced = in_.ReadInteger();
  if (!InRange(position, line)) return Flow::kEndBody;
  const int32_t code =
      MemoIndicatoriVMax(Grid(), position, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
  return EncoderOutcome(code, position, line);
}

// A sign: its cell points at the next sign slot, which holds its text.
Flow LineReader::Sign(std::string& field, int line) {
  const int32_t position = in_.ReadLong();
  field = in_.ReadText();
  if (field.size() > kMaxTextBytes) in_.Fail("a sign text is longer than 65535 bytes");
  if (!InRange(position, line)) return Flow::kEndBody;
  TrackGrid& grid = Grid();
  const int64_t cell = CellOf(position);
  if (!grid.is_free(cell)) {
    StopAt(kErrSignCellTaken, position, line);
    return Flow::kStop;
  }
  if (sign_slot_ < kFirstUsableSlot) in_.Fail("more signs than the station table has slots for");
  grid.at(cell).kind = kKindSign;
  grid.at(cell).value_a = static_cast<int16_t>(sign_slot_);
  c_.stations.slots[static_cast<size_t>(sign_slot_)].name = field;
  --sign_slot_;
  c_.next_sign_slot = sign_slot_;
  return Flow::kNext;
}

// The last gradient runs on to the grid's end (its last three cells keep 0);
// the plan runs straight on, its last two metres left empty.
void LineReader::EndSteps() {
  // The gradient tail writes at least one cell, so it needs the grid even
  // when the body placed nothing.
  if (!c_.grid) in_.Fail("the line description has no route length (\"lunghezza percorso\")");
  FillGradient(int64_t{c_.grid->upper()} - 2);
  if (c_.plan) {
    RoutePlan& plan = *c_.plan;
    while (plan.filled <= int64_t{plan.last_metre} - 2) WriteStraight(plan);
  }
}

}  // namespace

LineReadResult ReadLineDescription(std::string_view bytes, const std::string& name,
                                   RunState& state, Compilation& compilation) {
  LineReader reader(bytes, name, state, compilation);
  return reader.Run();
}

}  // namespace sc
