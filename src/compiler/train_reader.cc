#include "compiler/train_reader.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "compiler/field_reader.h"
#include "compiler/record_reader.h"
#include "model/encoders.h"
#include "model/rounding.h"
#include "model/station_table.h"
#include "model/track_grid.h"

namespace sc {
namespace {

// Dashed fields skipped in a row before a field is tested anyway.
constexpr int kDashSkips = 2;
// A station needs more room than kRangeMargin: for its area and markers.
constexpr int32_t kStationRangeMargin = 800;
// Profile tails leave the grid's last three cells alone.
constexpr int64_t kTailGap = 2;
constexpr int32_t kStationStep = 50;
constexpr int32_t kStationLengthStep = 100;
// Stations must start this far beyond the previous one's end.
constexpr int64_t kStationGap = 350;
constexpr int kCountdownMarks = 4;
constexpr int kCountdownBase = 80;
// A signal marks every second cell of the four before it.
constexpr int kSignalCountdownMarks = 4;
constexpr int32_t kFirstStationSlot = 1;
// A station record is read in three steps, each checked before the next:
// its position (field 0), its kind and length (1 and 2), then the rest.
constexpr size_t kStationDetailsStart = 3;
constexpr size_t kStationDetailsEnd = 17;

// 32-bit record arithmetic: a result outside a Long is a read failure.
int32_t CheckedLong(FieldReader& in, int64_t v, const char* what) {
  if (!FitsLong(v)) in.Fail(std::string(what) + " overflows");
  return static_cast<int32_t>(v);
}

bool FitsInteger(int32_t v) {
  return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

// The records, in the record table's order (the order they are tried).
enum Test {
  kBraking,
  kCars,
  kVelocity,
  kAdhesion,
  kClock,
  kSand,
  kSignal,
  kSlowdown,
  kAbbattimento,
  kStation
};

// One reading of a train and service file. Holds the profile cursors and the
// next station slot; the results go into the Compilation and RunState.
// A signal line's eleven numbers in the order they stand, under the
// encoder's parameter names (left side sx, s1..s3; repetition rapp; right
// side dx, d1..d3; tempo, which the encoder may change).
struct SignalLine {
  int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

KeywordTests Tests() { return TableKeywordTests(ScenarioFile::kTrain, RecordPart::kBody); }
// The table's record for a test.
const RecordFormat& TableRecord(Test test) {
  return *RecordsOf(ScenarioFile::kTrain, RecordPart::kBody)[static_cast<size_t>(test)];
}

class TrainReader : RecordReader {
 public:
  TrainReader(std::string_view bytes, const std::string& name, RunState& state,
              Compilation& compilation, DiagnosticSink* sink)
      : RecordReader(bytes, name, state, compilation, "the line description made none", sink) {}

  TrainReadResult Run();

 private:
  void FindGeneral();
  void ReadBody();
  Flow Record(uint32_t matched, int line);
  Flow Velocity(int line);
  Flow Adhesion(int line);
  Flow Signal(int line);
  Flow Slowdown(int line);
  Flow Abbattimento(int line);
  Flow Station(int line);
  void ReadStationDetails(StationRecord& station);
  Flow StationMarks(const StationRecord& station, int32_t slot, int line);
  Flow PlaceStationMarks(const StationRecord& station, int32_t slot, int line, CellRuns& written);
  void EndProcessing();

  uint8_t SpeedCode();
  void FillSpeed(int64_t until, int64_t last);
  void WarnSpeedStored(int32_t speed);
  void WarnSignalStored(int32_t position, const SignalEncoded& result);
  void FillAdhesion(int64_t until);

  // Warns, with a note at the previous record of its profile, when a
  // profile record's cell is not beyond where that profile's fill stands.
  void WarnProfileBehind(const char* what, int64_t cell, int64_t fill, SourcePlace& previous);
  // Warns before a countdown mark `mark` replaces another mark in `cell`.
  void WarnCountdownOverwrite(int64_t cell, uint8_t mark, const std::string& object);

  SourcePlace speed_place_;     // the previous speed record (line 0: none)
  SourcePlace adhesion_place_;  // the previous adhesion record
  int64_t speed_fill_ = 0;
  int64_t adhesion_fill_ = 0;
  int32_t current_speed_ = 0;
  int32_t current_adhesion_ = 0;
  // The records of the current speed and adhesion.
  int speed_record_ = kNoRecord;
  int adhesion_record_ = kNoRecord;
  int32_t next_station_ = kFirstStationSlot;
};

TrainReadResult TrainReader::Run() {
  const bool read = Guarded([&] {
    FindGeneral();
    ReadBody();
  });
  return read ? TrainReadResult::kDone : TrainReadResult::kFailed;
}

// Skips everything up to and including the first field holding
// "[generale]"; without one the whole file is skipped.
void TrainReader::FindGeneral() {
  while (!in_.AtEnd()) {
    if (ContainsIgnoringCase(in_.ReadText(), "[generale]")) return;
  }
  if (sink_.wants(WarningClass::kNoEffect)) {
    sink_.Warn(WarningClass::kNoEffect, {name_, 1, 1, 0},
               "no field holds [generale]: the file is read to its end and nothing in it is "
               "used");
  }
}

void TrainReader::WarnProfileBehind(const char* what, int64_t cell, int64_t fill,
                                    SourcePlace& previous) {
  if (previous.line != 0 && cell <= fill && sink_.wants(WarningClass::kOutOfOrder)) {
    Diagnostic* d = sink_.Warn(
        WarningClass::kOutOfOrder, FieldPlace("position"),
        std::string("the ") + what + " record's cell " + std::to_string(cell) +
            " is not beyond where the profile stands (cell " + std::to_string(fill) +
            "): the profile runs forward only, so the previous " + what +
            "'s stretch is cut short and this value starts later than written; write the "
            "records in the order of their positions");
    if (d) d->notes.push_back({previous, "the previous " + std::string(what) + " record"});
  }
  previous = keyword_place();
}

void TrainReader::WarnCountdownOverwrite(int64_t cell, uint8_t mark, const std::string& object) {
  if (!sink_.wants(WarningClass::kOverwrite) || !Grid().contains(cell)) return;
  const uint8_t before = Grid().at(cell).countdown;
  if (before == 0 || before == mark) return;
  sink_.Warn(WarningClass::kOverwrite, FieldPlace("position"),
             "the " + object + "'s countdown mark " + std::to_string(mark) + " replaces the mark " +
                 std::to_string(before) + " in cell " + std::to_string(cell) +
                 ", written by an earlier signal or station");
}

// The body: one keyword field at a time until the end of the file or a
// record that ends the reading. The last field of the file is never
// interpreted.
void TrainReader::ReadBody() {
  std::string field;
  while (NextKeyword(kDashSkips, true, Tests(), &field)) {
    const uint32_t matched = MatchKeyword(field, Tests());
    const Flow flow = Record(matched, in_.line());
    CheckRecord(field, matched, Tests(), flow);
    if (flow == Flow::kStop) return;
    if (flow == Flow::kEnd) break;
  }
  EndProcessing();
}

// The keyword field's records, in the table's order; one field may match
// more than one.
Flow TrainReader::Record(uint32_t matched, int line) {
  StationRecord& train = c_.stations.slots[kSlotTrainRoute];
  StationRecord& extra = c_.stations.slots[kSlotRepetition];
  int32_t value[1];
  if (Has(matched, kBraking)) {
    ReadAll(TableRecord(kBraking), value);
    train.start = value[0];
  }
  if (Has(matched, kCars)) {
    ReadAll(TableRecord(kCars), value);
    train.position = value[0];
  }
  Flow flow = Flow::kNext;
  if (Has(matched, kVelocity)) flow = Velocity(line);
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kAdhesion)) flow = Adhesion(line);
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kClock)) {
    int32_t v[3];
    ReadAll(TableRecord(kClock), v, nullptr, [&extra](size_t i, int32_t value) {
      int16_t* words[] = {&extra.word_3, &extra.word_4, &extra.word_5};
      *words[i] = static_cast<int16_t>(value);
    });
  }
  if (Has(matched, kSand)) {
    ReadAll(TableRecord(kSand), value);
    extra.word_1 = static_cast<int16_t>(value[0]);
  }
  if (Has(matched, kSignal)) flow = Signal(line);
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kSlowdown)) flow = Slowdown(line);
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kAbbattimento)) flow = Abbattimento(line);
  if (flow != Flow::kNext) return flow;
  if (Has(matched, kStation)) flow = Station(line);
  return flow;
}

// The profile code of the current speed in km/h, taken when a cell is
// written: one that does not fit a byte is a read failure there, so a speed
// that is never written never fails.
uint8_t TrainReader::SpeedCode() {
  const int64_t code = SpeedCodeOf(current_speed_);
  if (code < 0 || code > std::numeric_limits<uint8_t>::max()) {
    in_.Fail("the speed " + std::to_string(current_speed_) +
             " km/h does not fit the speed profile");
  }
  return static_cast<uint8_t>(code);
}

// Writes the current speed code from the fill index on, at least once and
// then while the index is below `until`, never beyond cell `last`.
void TrainReader::FillSpeed(int64_t until, int64_t last) {
  TrackGrid& grid = Grid();
  const int64_t first = speed_fill_;
  FillFrom(speed_fill_, until, last, [&](int64_t cell) { grid.at(cell).speed_code = SpeedCode(); });
  RecordFill(speed_record_, CellPart::kSpeed, first, speed_fill_);
}

// A speed the profile cannot hold as written: stored to the nearest 5 km/h.
void TrainReader::WarnSpeedStored(int32_t speed) {
  const int64_t code = SpeedCodeOf(speed);
  if (speed % kSpeedStep == 0 || code < 0 || code > std::numeric_limits<uint8_t>::max()) {
    return;
  }
  sink_.Warn(WarningClass::kStoredValue, FieldPlace("speed"),
             "the speed " + std::to_string(speed) +
                 " km/h is not a multiple of 5; the speed profile stores " +
                 std::to_string(SpeedOfCode(code)) + " km/h");
}

// The signal's packed values that its cell or countdown marks cannot hold:
// the cell's 16-bit fields, the countdown marks' 8 bits and the timing byte
// wrap, so the simulator would read other aspects than the line gives.
void TrainReader::WarnSignalStored(int32_t position, const SignalEncoded& result) {
  const std::string at = "the signal at " + std::to_string(position) + " m ";
  // Each packed value and the fields it is made of, first to last in the
  // file.
  const struct {
    const char* what;
    const Packed<int64_t>& value;
    const char* first;
    const char* last;
  } packed[] = {{"s1 x 10 + d1", result.pairs[0], "s1", "d1"},
                {"s2 x 10 + d2", result.pairs[1], "s2", "d2"},
                {"s3 x 10 + d3", result.pairs[2], "s3", "d3"},
                {"rapp x 10 + sx x 3 + dx", result.aspects, "sx", "dx"}};
  for (const auto& p : packed) {
    if (!p.value.cut()) continue;
    sink_.Warn(WarningClass::kStoredValue, FieldsPlace(p.first, p.last),
               at + "packs " + p.what + " = " + std::to_string(p.value.packed) +
                   ", which does not fit 16 bits; it is stored as " +
                   std::to_string(p.value.stored));
  }
  const Packed<int64_t>& first_mark = result.marks[0];
  const Packed<int64_t>& last_mark = result.marks[kSignalCountdownMarks - 1];
  if (first_mark.cut() || last_mark.cut()) {
    sink_.Warn(WarningClass::kStoredValue, FieldsPlace("sx", "dx"),
               at + "has countdown marks " + std::to_string(first_mark.packed) + " to " +
                   std::to_string(last_mark.packed) +
                   " ((sx x 3 + dx) x 10 + 1 to 4), outside 0 to 255; they are stored as their "
                   "low 8 bits");
  }
  if (result.timing.cut()) {
    sink_.Warn(WarningClass::kStoredValue, FieldPlace("tempo"),
               at + "has the time " + std::to_string(result.timing.packed) +
                   ", outside 0 to 255; it is stored as its low 8 bits, " +
                   std::to_string(result.timing.stored));
  }
  if (result.time.cut()) {
    sink_.Warn(WarningClass::kStoredValue, FieldPlace("tempo"),
               at + "has the time " + std::to_string(result.time.packed) + ", which is stored as " +
                   std::to_string(result.time.stored) + ": times of 1 to 100 are raised to 101");
  }
}

// Writes the low byte of the current adhesion from the fill index on, at
// least once and then while the index is below `until`, up to the grid's
// last cell.
void TrainReader::FillAdhesion(int64_t until) {
  TrackGrid& grid = Grid();
  const uint8_t adhesion = Low8(current_adhesion_);
  const int64_t first = adhesion_fill_;
  FillFrom(adhesion_fill_, until, grid.upper(),
           [&](int64_t cell) { grid.at(cell).adhesion = adhesion; });
  RecordFill(adhesion_record_, CellPart::kAdhesion, first, adhesion_fill_);
}

// The previous speed runs up to this line's cell; this line's speed becomes
// the current one, to be coded when the next fill or the tail writes it.
Flow TrainReader::Velocity(int line) {
  int32_t speed = 0;
  int64_t cell = 0;
  if (!ReadProfilePoint(TableRecord(kVelocity), line, &speed, &cell)) return Flow::kEnd;
  if (sink_.on()) WarnProfileBehind("speed", cell, speed_fill_, speed_place_);
  // A speed line never writes the grid's last cell.
  if (cell > 0) FillSpeed(cell, int64_t{Grid().upper()} - 1);
  current_speed_ = speed;
  if (sink_.wants(WarningClass::kStoredValue)) WarnSpeedStored(speed);
  speed_record_ = CurrentRecord();
  return Flow::kNext;
}

Flow TrainReader::Adhesion(int line) {
  int32_t value = 0;
  int64_t cell = 0;
  if (!ReadProfilePoint(TableRecord(kAdhesion), line, &value, &cell)) return Flow::kEnd;
  if (sink_.on()) WarnProfileBehind("adhesion", cell, adhesion_fill_, adhesion_place_);
  if (cell > 0) FillAdhesion(cell);
  current_adhesion_ = value;
  if (Low8(value) != value && sink_.wants(WarningClass::kStoredValue)) {
    sink_.Warn(WarningClass::kStoredValue, FieldPlace("value"),
               "the adhesion " + std::to_string(value) +
                   " is outside 0 to 255; it is stored as its low 8 bits, " +
                   std::to_string(Low8(value)));
  }
  adhesion_record_ = CurrentRecord();
  return Flow::kNext;
}

Flow TrainReader::Signal(int line) {
  int32_t v[11];
  ReadAll(TableRecord(kSignal), v);
  const SignalLine signal{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]};
  const int32_t posizione = signal.posizione;
  if (!InRange(posizione, kRangeMargin, line)) return Flow::kEnd;
  const int64_t cell = CellOf(posizione);
  if (sink_.on() && Grid().is_free(cell)) {
    for (int k = 1; k <= kSignalCountdownMarks; ++k) {
      WarnCountdownOverwrite(cell - 2 * k, Low8(SignalCountdownMark(signal.sx, signal.dx, k)),
                             "signal");
    }
  }
  const SignalEncoded result =
      MemoSegnale(Grid(), posizione, signal.sx, signal.s1, signal.s2, signal.s3, signal.rapp,
                  signal.dx, signal.d1, signal.d2, signal.d3, signal.tempo);
  const Flow flow = Placed(result, "signal", posizione, line);
  if (flow != Flow::kNext) return flow;
  if (sink_.wants(WarningClass::kStoredValue)) WarnSignalStored(posizione, result);
  if (cell - 2 * kSignalCountdownMarks < 0 && sink_.wants(WarningClass::kOffGrid)) {
    sink_.Warn(WarningClass::kOffGrid, FieldPlace("position"),
               "the signal at " + std::to_string(posizione) +
                   " m is too close to the route start for its countdown marks (every second cell "
                   "before it); those before cell 0 are left out");
  }
  return flow;
}

Flow TrainReader::Slowdown(int line) {
  int32_t read[6];
  ReadAll(TableRecord(kSlowdown), read);
  const int32_t x = read[0], v = read[1], l = read[2], f_tt = read[3], f_ta = read[4],
                d_v = read[5];
  if (!InRange(x, kRangeMargin, line)) return Flow::kEnd;
  // The speed and the f_tt value are stored in 16-bit cell fields.
  if (!FitsInteger(v) || !FitsInteger(f_tt)) {
    in_.Fail("a slowdown's speed or f_tt value does not fit 16 bits");
  }
  const SlowdownEncoded result = MemoRallentamento(Grid(), x, static_cast<int16_t>(v), l,
                                                   static_cast<int16_t>(f_tt), f_ta, d_v);
  const Flow flow = Placed(result, "slowdown", x, line);
  if (flow == Flow::kNext && !result.warning_board && sink_.wants(WarningClass::kNoEffect)) {
    sink_.Warn(WarningClass::kNoEffect, FieldPlace("start"),
               "the slowdown at " + std::to_string(x) + " m starts at " +
                   std::to_string(kNoWarningLimit) +
                   " m or less: it gets no warning board 1200 m before it" +
                   (f_ta != 0 ? ", and no approach boards though f_ta is " + std::to_string(f_ta)
                              : std::string()));
  }
  // A length that keeps the end within the start's cell, or puts it before
  // the start: the start replaces its end marker, or the end comes first.
  if (flow == Flow::kNext && CellOf(int64_t{x} + l) <= CellOf(x) &&
      sink_.wants(WarningClass::kNoEffect)) {
    sink_.Warn(WarningClass::kNoEffect, keyword_place(),
               "the slowdown's length " + std::to_string(l) + " m puts its end in cell " +
                   std::to_string(CellOf(int64_t{x} + l)) + ", not after its start in cell " +
                   std::to_string(CellOf(x)) +
                   ": the slowdown does not end where written; give a length of 50 m or more");
  }
  if (result.last_value.cut() && sink_.wants(WarningClass::kStoredValue)) {
    sink_.Warn(WarningClass::kStoredValue, FieldPlace("d_v"),
               "the slowdown's last value " + std::to_string(d_v) +
                   " does not fit 16 bits; it is stored as " +
                   std::to_string(result.last_value.stored));
  }
  return flow;
}

// An abbattimento marker in its profile cell (EncodeAbbattimento), with a
// warning for a value the cell does not store as written.
Flow TrainReader::Abbattimento(int line) {
  int32_t v[2];
  ReadAll(TableRecord(kAbbattimento), v);
  const int32_t position = v[0];
  const int32_t value = v[1];
  if (!InRange(position, kRangeMargin, line)) return Flow::kEnd;
  const AbbattimentoEncoded result = EncodeAbbattimento(Grid(), position, value);
  const Flow flow = Placed(result, "abbattimento", position, line);
  if (flow != Flow::kNext || !result.value.cut() || !sink_.wants(WarningClass::kStoredValue)) {
    return flow;
  }
  if (value > 0) {
    sink_.Warn(WarningClass::kStoredValue, FieldPlace("value"),
               "the abbattimento value " + std::to_string(value) +
                   " does not fit 16 bits; it is stored as " + std::to_string(result.value.stored));
  } else {
    sink_.Warn(WarningClass::kStoredValue, FieldPlace("value"),
               "the abbattimento value " + std::to_string(value) +
                   " is below 0: the cell becomes kind 13, as for 0, and the value is not stored");
  }
  return flow;
}

// A station goes into the next station slot, its fields stored as they are
// read; then its area, its marks on the grid and the spacing checks.
// The station's numbers after its length, its time of day and its name, in
// file order.
// Stores the station's number i after its length (byte_1 .. byte_3 in file
// order; the time and name are stored once whole).
void StoreStationDetail(StationRecord& station, size_t i, int32_t value) {
  const auto byte = static_cast<uint8_t>(value);
  const auto word = static_cast<int16_t>(value);
  switch (i) {
    case 0: station.byte_1 = byte; break;
    case 1: station.byte_5 = byte; break;
    case 2: station.byte_4 = byte; break;
    case 3: station.word_1 = word; break;
    case 4: station.word_2 = word; break;
    case 5: station.byte_2 = byte; break;
    case 6: station.word_3 = word; break;
    case 7: station.word_4 = word; break;
    case 8: station.word_5 = word; break;
    case 9: station.byte_3 = byte; break;
    default: break;
  }
}

void TrainReader::ReadStationDetails(StationRecord& station) {
  const RecordFormat& record = TableRecord(kStation);
  int32_t v[kStationDetailsEnd - kStationDetailsStart];
  std::string name;
  ReadFields(record, kStationDetailsStart, kStationDetailsEnd, v, &name,
             [&station](size_t i, int32_t value) { StoreStationDetail(station, i, value); });
  const int64_t hours = v[10];
  const int64_t minutes = v[11];
  const int64_t seconds = v[12];
  // Checked before storing: the station file holds a name with a 16-bit count.
  if (name.size() > kMaxTextBytes) in_.Fail("a station name is longer than 65535 bytes");
  station.name = std::move(name);
  // Each step in 32 bits: an intermediate overflow fails even when the
  // whole time would fit.
  const char* time_what = "the station time";
  int32_t time_s = CheckedLong(in_, hours * 60, time_what);
  time_s = CheckedLong(in_, int64_t{time_s} + minutes, time_what);
  time_s = CheckedLong(in_, int64_t{time_s} * 60, time_what);
  station.time_s = CheckedLong(in_, int64_t{time_s} + seconds, time_what);
}

Flow TrainReader::Station(int line) {
  const int32_t slot = next_station_;
  // A station never goes into a slot above the sign texts' (slot 1 with the
  // next sign slot 1 is stored, and the check after storing fails).
  if (slot > c_.next_sign_slot) {
    Stop(kErrStationTableFull, line);
    return Flow::kStop;
  }
  StationRecord& station = c_.stations.slots[static_cast<size_t>(slot)];
  RecordSlot(slot);
  const RecordFormat& record = TableRecord(kStation);
  if (record.fields.size() != kStationDetailsEnd) {
    in_.Fail("the reader of the station record does not match the record table");
  }
  ReadFields(record, 0, 1, &station.position);
  if (!InRange(station.position, kStationRangeMargin, line)) return Flow::kEnd;
  if (station.position % kStationStep != 0) {
    StopAt(kErrStationPosition, station.position, line);
    return Flow::kStop;
  }
  int32_t kind_and_length[2];
  ReadFields(record, 1, kStationDetailsStart, kind_and_length, nullptr,
             [&station](size_t i, int32_t value) {
               if (i == 0) station.kind = static_cast<uint8_t>(value);
             });
  const int32_t length = kind_and_length[1];
  if (length % kStationLengthStep != 0) {
    StopAt(kErrStationLength, station.position, line, "length");
    return Flow::kStop;
  }
  ReadStationDetails(station);
  if (!ComputeStationArea(station, length, slot == kFirstStationSlot)) {
    in_.Fail("the station area overflows");
  }

  const Flow flow = StationMarks(station, slot, line);
  if (flow != Flow::kNext) return flow;

  if (slot > kFirstStationSlot &&
      CheckedLong(in_, int64_t{station.start} - kStationGap, "the station spacing") <
          c_.stations.slots[static_cast<size_t>(slot) - 1].end) {
    StopAt(kErrStationsTooClose, station.position, line);
    return Flow::kStop;
  }
  next_station_ = slot + 1;
  if (next_station_ >= c_.next_sign_slot) {
    Stop(kErrStationTableFull, line);
    return Flow::kStop;
  }
  return Flow::kNext;
}

// Places the station's marks and records what they wrote.
Flow TrainReader::StationMarks(const StationRecord& station, int32_t slot, int line) {
  if (!IsMarkedStation(station.kind)) return Flow::kNext;
  CellRuns written;
  const Flow flow = PlaceStationMarks(station, slot, line, written);
  RecordWrites(written, "station end marker", station.position);
  return flow;
}

// Countdown marks 81 to 84 in the four cells before the station's end cell
// (not for platform ends), then the end marker pointing at the slot. Marks
// outside the grid are skipped; a marker beyond it is code 15.
Flow TrainReader::PlaceStationMarks(const StationRecord& station, int32_t slot, int line,
                                    CellRuns& written) {
  TrackGrid& grid = Grid();
  const double end_cell = CellsIn(station.end);
  if (!IsPlatformEnd(station.kind)) {
    for (int i = 1; i <= kCountdownMarks; ++i) {
      const double q = end_cell - i - 1;
      if (q <= 1) {
        if (sink_.wants(WarningClass::kOffGrid)) {
          sink_.Warn(WarningClass::kOffGrid, FieldPlace("position"),
                     "the countdown mark " + std::to_string(kCountdownBase + i) +
                         " of the station '" + station.name +
                         "' would fall in cell 1 or before; it is left out");
        }
        continue;
      }
      const int64_t cell = RoundToInt(q);
      if (grid.contains(cell)) {
        if (sink_.on()) {
          WarnCountdownOverwrite(cell, static_cast<uint8_t>(kCountdownBase + i),
                                 "station '" + station.name + "'");
        }
        grid.at(cell).countdown = static_cast<uint8_t>(kCountdownBase + i);
        written.Add(CellPart::kCountdown, cell);
      } else if (sink_.wants(WarningClass::kOffGrid)) {
        sink_.Warn(WarningClass::kOffGrid, FieldPlace("position"),
                   "the countdown mark " + std::to_string(kCountdownBase + i) +
                       " of the station '" + station.name + "' falls in cell " +
                       std::to_string(cell) + ", beyond the track grid; it is left out");
      }
    }
  }
  const double q = end_cell - 1;
  if (q <= 1) {
    StopOnField(kErrStationTooEarly, line, "position");
    return Flow::kStop;
  }
  const int64_t cell = RoundToInt(q);
  if (!grid.contains(cell)) {
    StopAt(kErrBeyondGrid, station.position, line);
    return Flow::kEnd;
  }
  WarnOverwrite(cell, "end marker of the station '" + station.name + "'");
  grid.at(cell).kind = kKindStationEnd;
  grid.at(cell).value_a = static_cast<int16_t>(slot);
  written.Add(CellPart::kObject, cell);
  return Flow::kNext;
}

// The last speed and adhesion run on to the grid's end (its last three cells
// keep 0, except that each tail writes its fill cell at least once), then the
// kilometre references must lie on the 50 m grid: code 2 replaces any code.
void TrainReader::EndProcessing() {
  if (c_.grid) {
    const int64_t until = int64_t{c_.grid->upper()} - kTailGap;
    FillSpeed(until, c_.grid->upper());
    FillAdhesion(until);
  }
  for (int slot : {kSlotKmRefTre, kSlotKmRefDue, kSlotKmRefUno}) {
    const StationRecord& ref = c_.stations.slots[static_cast<size_t>(slot)];
    if (ref.start % kStationStep != 0 || ref.end % kStationStep != 0) state_.Fail(kErrKmReference);
  }
}

}  // namespace

TrainReadResult ReadTrainService(std::string_view bytes, const std::string& name, RunState& state,
                                 Compilation& compilation, DiagnosticSink* diagnostics) {
  TrainReader reader(bytes, name, state, compilation, diagnostics);
  return reader.Run();
}

KeywordTests TrainKeywordTests() { return Tests(); }

}  // namespace sc
