#include "compiler/line_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "compiler/field_reader.h"
#include "compiler/input_limits.h"
#include "compiler/record_reader.h"
#include "model/encoders.h"
#include "model/rounding.h"
#include "model/track_grid.h"

namespace sc {
namespace {

// Dashed fields skipped in a row before a field is tested anyway.
constexpr int kHeaderDashSkips = 10;
constexpr int kBodyDashSkips = 2;
// A body curve may not move the plan cursor beyond this metre.
constexpr int64_t kCurveCursorLimit = 1000000;
constexpr int32_t kRepetitionStep = 50;
constexpr int32_t kFirstUsableSlot = 1;

// Curvature per metre for the radius classes "1" to "6", tried in order.
constexpr auto& kCurvatures = kCurveClasses;

// One reading of a line description. Holds the reader's cursors; the
// results go into the Compilation and the RunState passed in.
// The header's records, in the record table's order (the order they are
// tried).
enum HeaderTest {
  kRouteLength,
  kKmRefTre,
  kKmRefDue,
  kKmRefUno,
  kBackgroundUno,
  kBackgroundDue,
  kBackgroundTre,
  kRepetition
};

// The body's records, in the record table's order.
enum BodyTest { kGradient, kCurve, kMountain, kMaxSpeedBoard, kSign };

KeywordTests HeaderTests() { return TableKeywordTests(ScenarioFile::kLine, RecordPart::kHeader); }
KeywordTests BodyTests() { return TableKeywordTests(ScenarioFile::kLine, RecordPart::kBody); }
// The table's record for a header or body test.
const RecordFormat& Header(HeaderTest test) {
  return *RecordsOf(ScenarioFile::kLine, RecordPart::kHeader)[static_cast<size_t>(test)];
}
const RecordFormat& Body(BodyTest test) {
  return *RecordsOf(ScenarioFile::kLine, RecordPart::kBody)[static_cast<size_t>(test)];
}

class LineReader : RecordReader {
 public:
  LineReader(std::string_view bytes, const std::string& name, RunState& state,
             Compilation& compilation, DiagnosticSink* sink)
      : RecordReader(bytes, name, state, compilation, "no route length came before it", sink) {}

  LineReadResult Run();

 private:
  bool FindHeader();
  bool ReadHeader();
  bool HeaderRecord(const std::string& field, uint32_t matched, int line);
  bool RouteLength(int line);
  bool Repetition(const std::string& field, int line);
  void ReadKmReference(HeaderTest test, int slot);
  void WarnReferencesZeroed();
  void PrepareBody();

  Flow ReadBody();
  Flow BodyRecord(std::string& field, uint32_t matched, int line);
  Flow Gradient(int line);
  Flow Curve(const std::string& field, int line);
  void WarnCurve(const std::string& field, int32_t start, int32_t length, int64_t filled);
  Flow Mountain(int line);
  void CheckMountain(int32_t start, int32_t end, int32_t type, const MountainEncoded& result);
  Flow MaxSpeedBoard(int line);
  void WarnBoardStored(int32_t position, const BoardEncoded& result);
  Flow Sign(std::string& field, int line);
  void EndSteps();

  RoutePlan& Plan();
  void FillGradient(int64_t until);
  bool DrawUpTo(RoutePlan& plan, std::optional<double> k, int64_t until, int line);

  int64_t gradient_cursor_ = 0;
  int32_t previous_gradient_ = 0;
  int previous_gradient_record_ = kNoRecord;  // the record of previous_gradient_
  int32_t sign_slot_ = kFirstSignSlot;
  SourcePlace km_places_[3];    // the kilometre references tre, due, uno (line 0: none)
  SourcePlace gradient_place_;  // the previous gradient record (line 0: none)
  SourcePlace curve_place_;     // the previous curve record
};

LineReadResult LineReader::Run() {
  c_.stations.slots[kSlotBackgrounds].name = state_.line_name;
  c_.stations.slots[kSlotRepetition].name = state_.train_number;
  LineReadResult result = LineReadResult::kContinue;
  StartRecording();
  const bool read = Guarded([&] {
    if (!FindHeader()) {
      Stop(kErrNoGeneralSection, in_.line());
      result = LineReadResult::kStopped;
    } else if (!ReadHeader()) {
      result = LineReadResult::kStopped;
    } else {
      PrepareBody();
      if (ReadBody() == Flow::kStop) {
        result = LineReadResult::kStopped;
      } else {
        EndSteps();
      }
    }
  });
  return read ? result : LineReadResult::kFailed;
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
  std::string field;
  // No end-of-file test among the dashed fields: reading past the end is a
  // read failure.
  while (NextKeyword(kHeaderDashSkips, false, HeaderTests(), &field)) {
    const uint32_t matched = MatchKeyword(field, HeaderTests());
    const bool go_on = HeaderRecord(field, matched, in_.line());
    CheckRecord(field, matched, HeaderTests(), go_on ? Flow::kNext : Flow::kStop);
    if (!go_on) return false;

    // The block ends at a bracketed field that does not begin with a dash.
    size_t first = field.find_first_not_of(" \t");
    bool dash_first = first != std::string::npos && field[first] == '-';
    if (Contains(field, "[") && Contains(field, "]") && !dash_first) return true;
  }
  return true;
}

// The field's records, in the table's order. False when one stopped
// the reader with a code.
bool LineReader::HeaderRecord(const std::string& field, uint32_t matched, int line) {
  if (Has(matched, kRouteLength) && !RouteLength(line)) return false;
  if (Has(matched, kKmRefTre)) ReadKmReference(kKmRefTre, kSlotKmRefTre);
  if (Has(matched, kKmRefDue)) ReadKmReference(kKmRefDue, kSlotKmRefDue);
  if (Has(matched, kKmRefUno)) ReadKmReference(kKmRefUno, kSlotKmRefUno);
  StationRecord& backgrounds = c_.stations.slots[kSlotBackgrounds];
  int32_t value[1];
  if (Has(matched, kBackgroundUno)) {
    ReadAll(Header(kBackgroundUno), value);
    backgrounds.start = value[0];
  }
  if (Has(matched, kBackgroundDue)) {
    ReadAll(Header(kBackgroundDue), value);
    backgrounds.position = value[0];
  }
  if (Has(matched, kBackgroundTre)) {
    ReadAll(Header(kBackgroundTre), value);
    backgrounds.end = value[0];
  }
  if (Has(matched, kRepetition) && !Repetition(field, line)) return false;
  return true;
}

// Creates the grid, and the plan when requested, for the route length read.
bool LineReader::RouteLength(int line) {
  int32_t value[1];
  ReadAll(Header(kRouteLength), value);
  const int32_t length = value[0];
  c_.stations.slots[kSlotTrainRoute].end = length;
  // A failing length leaves the grid and plan of an earlier length record:
  // they exist from the first one on.
  if (length > kMaxRouteLength) {
    StopOnField(kErrRouteTooLong, line, "length");
    return false;
  }
  const int64_t grid_upper = GridUpperFor(length);
  const int64_t plan_last = int64_t{length} + kTrackBeyondRoute;
  const bool plan_requested = state_.compile_flag != 0;
  if (grid_upper < 0 || (plan_requested && plan_last < 0)) {
    in_.Fail("the route length " + std::to_string(length) + " leaves no track");
  }
  c_.grid.emplace(static_cast<int32_t>(grid_upper));
  c_.plan.reset();
  if (plan_requested) c_.plan.emplace(static_cast<int32_t>(plan_last));
  return true;
}

// The ordering zeroes all three references when no first value is strictly
// the largest (or, all first values 0, no second value is above 0).
void LineReader::WarnReferencesZeroed() {
  for (int slot : {kSlotKmRefTre, kSlotKmRefDue, kSlotKmRefUno}) {
    const StationRecord& r = c_.stations.slots[static_cast<size_t>(slot)];
    if (r.start != 0 || r.end != 0 || r.position != 0) return;
  }
  std::vector<SourcePlace> given;
  for (const SourcePlace& place : km_places_) {
    if (place.line != 0) given.push_back(place);
  }
  if (given.empty()) return;
  Diagnostic* d = sink_.Warn(
      WarningClass::kStoredValue, given.back(),
      "the kilometre references are all stored as 0: none has a first value strictly larger "
      "than the others' (or, all first values 0, none a second value above 0)");
  for (size_t i = 0; d && i + 1 < given.size(); ++i)
    d->notes.push_back({given[i], "another kilometre reference"});
}

void LineReader::ReadKmReference(HeaderTest test, int slot) {
  km_places_[static_cast<size_t>(slot - kSlotKmRefTre)] = keyword_place();
  StationRecord& ref = c_.stations.slots[slot];
  int32_t v[3];
  ReadAll(Header(test), v, nullptr, [&ref](size_t i, int32_t value) {
    int32_t* fields[] = {&ref.start, &ref.end, &ref.position};
    *fields[i] = value;
  });
  RecordSlot(slot);
}

// The signal repetition stretch and its number of codes (4 or 9, named in
// the keyword itself).
bool LineReader::Repetition(const std::string& field, int line) {
  StationRecord& rep = c_.stations.slots[kSlotRepetition];
  int32_t v[2];
  ReadAll(Header(kRepetition), v, nullptr,
          [&rep](size_t i, int32_t value) { (i == 0 ? rep.start : rep.end) = value; });
  if (rep.start % kRepetitionStep != 0) {
    StopOnField(kErrRepetitionFirst, line, "first");
    return false;
  }
  if (rep.end % kRepetitionStep != 0) {
    StopOnField(kErrRepetitionLast, line, "last");
    return false;
  }
  if (Contains(field, "4") && Contains(field, "9") &&
      sink_.wants(WarningClass::kAmbiguousKeyword)) {
    sink_.Warn(WarningClass::kAmbiguousKeyword, keyword_place(),
               "the signal repetition keyword holds both 4 and 9: 4 codes are stored");
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
  bool any_reference = false;
  for (int slot : {kSlotKmRefTre, kSlotKmRefDue, kSlotKmRefUno}) {
    const StationRecord& r = c_.stations.slots[static_cast<size_t>(slot)];
    any_reference = any_reference || r.start != 0 || r.end != 0 || r.position != 0;
  }
  if (!ProgressiveOrdina(c_.stations)) in_.Fail("the kilometre references overflow");
  if (any_reference && sink_.wants(WarningClass::kStoredValue)) WarnReferencesZeroed();
  c_.mountains.Reset();
  sign_slot_ = kFirstSignSlot;
  c_.next_sign_slot = sign_slot_;
  gradient_cursor_ = 0;
  previous_gradient_ = 0;
  if (!c_.plan) return;
  RoutePlan& plan = *c_.plan;
  if (plan.last_metre() < 1) in_.Fail("the route plan is too short for its starting points");
  plan.Start();
}

Flow LineReader::ReadBody() {
  std::string field;
  while (NextKeyword(kBodyDashSkips, true, BodyTests(), &field)) {
    const std::string keyword = sink_.on() ? field : std::string();
    uint32_t matched = MatchKeyword(field, BodyTests());
    const Flow flow = BodyRecord(field, matched, in_.line());
    CheckRecord(keyword, matched, BodyTests(), flow);
    if (flow != Flow::kNext) return flow;
  }
  return Flow::kEnd;
}

// The field's records, in the table's order; one field may match more
// than one. A sign record replaces `field` with its text.
Flow LineReader::BodyRecord(std::string& field, uint32_t matched, int line) {
  Flow flow = Flow::kNext;
  if (Has(matched, kGradient)) flow = Gradient(line);
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kCurve)) {
    if (state_.compile_flag != 0) {
      flow = Curve(field, line);
    } else {
      // Without a plan a curve's numbers are left to be skipped as stray
      // fields, on purpose: nothing to warn about on this line.
      QuietLine();
    }
  }
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kMountain)) flow = Mountain(line);
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kMaxSpeedBoard)) flow = MaxSpeedBoard(line);
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kSign)) flow = Sign(field, line);
  return flow;
}

RoutePlan& LineReader::Plan() {
  if (!c_.plan) in_.Fail("a curve needs the route plan, but no route length came before it");
  return *c_.plan;
}

// Writes the previous gradient + 100 into the cell at the cursor and
// advances, once and then while the cursor is below `until`; never past the
// grid's last cell.
void LineReader::FillGradient(int64_t until) {
  TrackGrid& grid = Grid();
  if (gradient_cursor_ > grid.upper()) return;
  const int64_t shifted = GradientCodeOf(previous_gradient_);
  if (!FitsLong(shifted))
    in_.Fail("the gradient " + std::to_string(previous_gradient_) + " overflows");
  const uint8_t code = Low8(shifted);
  const int64_t first = gradient_cursor_;
  FillFrom(gradient_cursor_, until, grid.upper(),
           [&](int64_t cell) { grid.at(cell).gradient_code = code; });
  RecordFill(previous_gradient_record_, CellPart::kGradient, first, gradient_cursor_);
}

Flow LineReader::Gradient(int line) {
  int32_t value = 0;
  int64_t cell = 0;
  if (!ReadProfilePoint(Body(kGradient), line, &value, &cell)) return Flow::kEnd;
  if (gradient_place_.line != 0 && cell <= gradient_cursor_ &&
      sink_.wants(WarningClass::kOutOfOrder)) {
    Diagnostic* d = sink_.Warn(
        WarningClass::kOutOfOrder, FieldPlace("position"),
        "the gradient record's cell " + std::to_string(cell) +
            " is not beyond where the profile stands (cell " + std::to_string(gradient_cursor_) +
            "): the profile runs forward only, so the previous gradient's stretch is cut short "
            "and this value starts later than written; write the records in the order of their "
            "positions");
    if (d) d->notes.push_back({gradient_place_, "the previous gradient record"});
  }
  gradient_place_ = keyword_place();
  if (cell > 0) FillGradient(cell);
  previous_gradient_ = value;
  const int64_t shifted = GradientCodeOf(value);
  if (Low8(shifted) != shifted && sink_.wants(WarningClass::kStoredValue)) {
    sink_.Warn(WarningClass::kStoredValue, FieldPlace("value"),
               "the gradient " + std::to_string(value) +
                   " is outside -100 to 155; its profile code " + std::to_string(shifted) +
                   " is stored as its low 8 bits, " + std::to_string(Low8(shifted)) +
                   " (gradient " + std::to_string(GradientOfCode(Low8(shifted))) + ")");
  }
  previous_gradient_record_ = CurrentRecord();
  return Flow::kNext;
}

// Draws the metres up to and including `until`, straight (no k) or turning
// by k, as metre-by-metre steps would: a step that would draw past the
// plan's last metre stops with code 103 before drawing, and so does the step
// that takes the cursor past the curve limit, after drawing. The metres are
// added as one run, so the plan holds no point.
bool LineReader::DrawUpTo(RoutePlan& plan, std::optional<double> k, int64_t until, int line) {
  const int64_t filled = plan.filled();
  const int64_t steps = until - filled + 1;
  if (steps <= 0) return true;
  // The step (counted from 0) that finds no metre left, and the one whose
  // metre passes the limit.
  const int64_t no_metre = std::max<int64_t>(int64_t{plan.last_metre()} - filled + 1, 0);
  const int64_t past_limit = std::max<int64_t>(kCurveCursorLimit - filled, 0);
  int64_t drawn = steps;
  bool stopped = false;
  if (no_metre < steps && no_metre <= past_limit) {
    drawn = no_metre;
    stopped = true;
  } else if (past_limit < steps) {
    drawn = past_limit + 1;
    stopped = true;
  }
  if (k) {
    plan.Turn(*k, drawn);
  } else {
    plan.Straight(drawn);
  }
  if (stopped) StopOn(kErrCurve, line, FieldsPlace("start", "length"));
  return !stopped;
}

// Straight up to the curve's start, then turning through its length. A
// curve starting behind the cursor is drawn from the cursor on.
Flow LineReader::Curve(const std::string& field, int line) {
  int32_t v[2];
  ReadAll(Body(kCurve), v);
  const int32_t start = v[0];
  const int32_t length = v[1];
  if (!InRange(start, kRangeMargin, line)) return Flow::kEnd;
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
  if (sink_.on()) WarnCurve(field, start, length, plan.filled());
  if (!DrawUpTo(plan, std::nullopt, start, line)) return Flow::kStop;
  const int64_t end = int64_t{start} + length;
  if (!FitsLong(end)) in_.Fail("the curve's start plus length overflows");
  if (!DrawUpTo(plan, *k, end, line)) return Flow::kStop;
  return Flow::kNext;
}

// A curve that turns no metre, a curve keyword with several radius digits,
// and a curve starting behind the plan drawn so far (`filled`: the next metre to draw).
void LineReader::WarnCurve(const std::string& field, int32_t start, int32_t length,
                           int64_t filled) {
  if (length <= 0 && sink_.wants(WarningClass::kNoEffect)) {
    sink_.Warn(WarningClass::kNoEffect, keyword_place(),
               "the curve's length is " + std::to_string(length) +
                   " m: it turns no metre, and the route plan runs straight on; give the length "
                   "the curve turns through");
  }
  int digits = 0;
  for (const auto& entry : kCurvatures) digits += Contains(field, entry.digit);
  if (digits > 1 && sink_.wants(WarningClass::kAmbiguousKeyword)) {
    sink_.Warn(WarningClass::kAmbiguousKeyword, keyword_place(),
               "the curve keyword " + field.substr(0, 60) +
                   " holds several radius digits: the lowest of 1 to 6 is taken");
  }
  if (curve_place_.line != 0 && int64_t{start} + 1 < filled &&
      sink_.wants(WarningClass::kOutOfOrder)) {
    Diagnostic* d =
        sink_.Warn(WarningClass::kOutOfOrder, FieldPlace("start"),
                   "the curve starts at " + std::to_string(start) +
                       " m, behind the route plan drawn so far (to " + std::to_string(filled - 1) +
                       " m): it turns from there on; write curves in the order "
                       "of their positions");
    if (d) d->notes.push_back({curve_place_, "the previous curve record"});
  }
  curve_place_ = keyword_place();
}

Flow LineReader::Mountain(int line) {
  int32_t v[3];
  ReadAll(Body(kMountain), v);
  const int32_t start = v[0];
  const int32_t end = v[1];
  const int32_t type = v[2];
  // Only the start is tested; the encoder skips cells beyond the grid.
  if (!InRange(start, kRangeMargin, line)) return Flow::kEnd;
  const MountainEncoded result = MemoMontagna(Grid(), c_.mountains, start, end, type);
  const Flow flow = Placed(result, "mountain range", start, line);
  if (flow == Flow::kNext && sink_.on()) CheckMountain(start, end, type, result);
  return flow;
}

// What the mountain encoder left out or stored other than written.
void LineReader::CheckMountain(int32_t start, int32_t end, int32_t type,
                               const MountainEncoded& result) {
  const int64_t first = result.first_cell;
  const int64_t last = result.last_cell;
  if (last < first && sink_.wants(WarningClass::kNoEffect)) {
    sink_.Warn(WarningClass::kNoEffect, FieldsPlace("start", "end"),
               "the mountain range from " + std::to_string(start) + " m to " + std::to_string(end) +
                   " m covers no cell (its last cell, " + std::to_string(last) +
                   ", lies before its first, " + std::to_string(first) + "): it marks nothing");
  }
  if (last > Grid().upper() && sink_.wants(WarningClass::kOffGrid)) {
    sink_.Warn(WarningClass::kOffGrid, FieldPlace("end"),
               "the mountain range ends at " + std::to_string(end) +
                   " m, beyond the track grid (last cell " + std::to_string(Grid().upper()) +
                   "); its cells past the grid are left out");
  }
  if (result.type.cut() && sink_.wants(WarningClass::kStoredValue)) {
    sink_.Warn(WarningClass::kStoredValue, FieldPlace("type"),
               "the mountain type " + std::to_string(type) +
                   " does not fit a byte; it is stored as " + std::to_string(result.type.stored));
  }
}

Flow LineReader::MaxSpeedBoard(int line) {
  int32_t v[9];
  ReadAll(Body(kMaxSpeedBoard), v);
  const int32_t position = v[0];
  const int32_t vas = v[1], vbs = v[2], vcs = v[3];
  const int16_t strisces = static_cast<int16_t>(v[4]);
  const int32_t vad = v[5], vbd = v[6], vcd = v[7];
  const int16_t strisced = static_cast<int16_t>(v[8]);
  if (!InRange(position, kRangeMargin, line)) return Flow::kEnd;
  const BoardEncoded result =
      MemoIndicatoriVMax(Grid(), position, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
  const Flow flow = Placed(result, "maximum-speed board", position, line);
  if (flow == Flow::kNext && sink_.wants(WarningClass::kStoredValue)) {
    WarnBoardStored(position, result);
  }
  return flow;
}

// The board's packed values that its cell does not hold as written: each
// speed pair rounded to a whole number and kept to 16 bits, the stripes
// kept to 16 bits.
void LineReader::WarnBoardStored(int32_t position, const BoardEncoded& result) {
  const char* names[3] = {"vad / 5 + vas x 20", "vbd / 5 + vbs x 20", "vcd / 5 + vcs x 20"};
  const char* fields[3][2] = {{"vas", "vad"}, {"vbs", "vbd"}, {"vcs", "vcd"}};
  const std::string board = "the maximum-speed board at " + std::to_string(position) + " m packs ";
  for (int i = 0; i < 3; ++i) {
    const Packed<double>& pair = result.speeds[i];
    if (!pair.cut()) continue;
    char written[32];
    const auto end = std::to_chars(written, written + sizeof written, pair.packed).ptr;
    sink_.Warn(WarningClass::kStoredValue, FieldsPlace(fields[i][0], fields[i][1]),
               board + names[i] + " = " + std::string(written, end) +
                   "; its cell holds a whole number in 16 bits and stores " +
                   std::to_string(pair.stored));
  }
  if (result.stripes.cut()) {
    sink_.Warn(WarningClass::kStoredValue, FieldsPlace("strisces", "strisced"),
               board + "strisces x 10 + strisced = " + std::to_string(result.stripes.packed) +
                   ", which does not fit 16 bits; it is stored as " +
                   std::to_string(result.stripes.stored));
  }
}

// A sign: its cell points at the next sign slot, which holds its text.
Flow LineReader::Sign(std::string& field, int line) {
  int32_t v[2];
  ReadAll(Body(kSign), v, &field);
  const int32_t position = v[0];
  if (field.size() > kMaxTextBytes) in_.Fail("a sign text is longer than 65535 bytes");
  if (!InRange(position, kRangeMargin, line)) return Flow::kEnd;
  // A taken cell is reported before a missing slot.
  if (sign_slot_ < kFirstUsableSlot && Grid().is_free(CellOf(position))) {
    in_.Fail("more signs than the station table has slots for");
  }
  const Flow flow = Placed(EncodeSign(Grid(), position, sign_slot_), "sign", position, line);
  if (flow != Flow::kNext) return flow;
  c_.stations.slots[static_cast<size_t>(sign_slot_)].name = field;
  RecordSlot(sign_slot_);
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
    plan.Straight(int64_t{plan.last_metre()} - 2 - plan.filled() + 1);
  }
}

}  // namespace

LineReadResult ReadLineDescription(std::string_view bytes, const std::string& name, RunState& state,
                                   Compilation& compilation, DiagnosticSink* diagnostics) {
  LineReader reader(bytes, name, state, compilation, diagnostics);
  return reader.Run();
}

}  // namespace sc
