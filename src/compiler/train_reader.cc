#include "compiler/train_reader.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "compiler/field_reader.h"
#include "model/encoders.h"
#include "model/rounding.h"
#include "model/station_table.h"
#include "model/track_grid.h"

namespace sc {
namespace {

// Dashed fields skipped in a row before a field is tested anyway.
constexpr int kDashSkips = 2;
constexpr double kCellLength = 50.0;
// A record's position plus this margin must still lie on the grid; a
// station needs room for its area and markers.
constexpr int32_t kRangeMargin = 100;
constexpr int32_t kStationRangeMargin = 800;
// The speed profile stores km/h divided by this.
constexpr double kSpeedUnit = 5.0;
// Profile tails leave the grid's last three cells alone.
constexpr int64_t kTailGap = 2;
constexpr int32_t kStationStep = 50;
constexpr int32_t kStationLengthStep = 100;
// Stations must start this far beyond the previous one's end.
constexpr int64_t kStationGap = 350;
// Station kinds from this value on get no countdown marks and no marker;
// kinds 5 and 6 get a marker but no countdown marks.
constexpr int kUnmarkedKinds = 25;
constexpr int kPlatformEndKindA = 5;
constexpr int kPlatformEndKindB = 6;
constexpr int kCountdownMarks = 4;
constexpr int kCountdownBase = 80;
constexpr int32_t kFirstStationSlot = 1;
// Texts are stored with a 16-bit byte count.
constexpr size_t kMaxTextBytes = 65535;


// 32-bit record arithmetic: a result outside a Long is a read failure.
int32_t CheckedLong(FieldReader& in, int64_t v, const char* what) {
  if (!FitsLong(v)) in.Fail(std::string(what) + " overflows");
  return static_cast<int32_t>(v);
}

bool FitsInteger(int32_t v) {
  return v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max();
}

// What the body loop does after a record.
enum class Flow {
  kNext,  // read the next record
  kEnd,   // go to End processing (end of file, or code 15)
  kStop,  // stop reading at once: no End processing
};

// One reading of a train and service file. Holds the profile cursors and the
// next station slot; the results go into the Compilation and RunState.
class TrainReader {
 public:
  TrainReader(std::string_view bytes, const std::string& name, RunState& state,
              Compilation& compilation)
      : in_(bytes, name), name_(name), state_(state), c_(compilation) {}

  TrainReadResult Run();

 private:
  // Sets `code`, located at the keyword field's `line`; `position` too when
  // given.
  void SetCode(int32_t code, int line);
  void SetCodeAt(int32_t code, int32_t position, int line);

  void FindGeneral();
  void ReadBody();
  Flow Record(const std::string& field, int line);
  Flow Velocity(int line);
  Flow Adhesion(int line);
  Flow Signal(int line);
  Flow Slowdown(int line);
  Flow Abbattimento(int line);
  Flow Station(int line);
  void ReadStationDetails(StationRecord& station);
  Flow StationMarks(const StationRecord& station, int32_t slot, int line);
  Flow EncoderOutcome(int32_t code, int32_t position, int line);
  void EndProcessing();

  TrackGrid& Grid();
  bool InRange(int32_t position, int32_t margin, int line);
  uint8_t SpeedCode();
  void FillSpeed(int64_t until);
  void FillAdhesion(int64_t until);

  FieldReader in_;
  const std::string& name_;
  RunState& state_;
  Compilation& c_;
  int64_t speed_fill_ = 0;
  int64_t adhesion_fill_ = 0;
  int32_t current_speed_ = 0;
  int32_t current_adhesion_ = 0;
  // Provenance of the current speed and adhesion.
  int speed_record_ = kNoRecord;
  int adhesion_record_ = kNoRecord;
  int32_t next_station_ = kFirstStationSlot;
};

void TrainReader::SetCode(int32_t code, int line) {
  state_.FailAt(code, name_, line);
}

void TrainReader::SetCodeAt(int32_t code, int32_t position, int line) {
  SetCode(code, line);
  state_.error_position = position;
}

TrainReadResult TrainReader::Run() {
  try {
    FindGeneral();
    ReadBody();
    return TrainReadResult::kDone;
  } catch (const ReadFailure& failure) {
    RecordReadFailure(failure, name_, state_);
    return TrainReadResult::kFailed;
  }
}

// Skips everything up to and including the first field holding
// "[generale]"; without one the whole file is skipped.
void TrainReader::FindGeneral() {
  while (!in_.AtEnd()) {
    if (ContainsIgnoringCase(in_.ReadText(), "[generale]")) return;
  }
}

// The body: one keyword field at a time until the end of the file or a
// record that ends the reading. The last field of the file is never
// interpreted.
void TrainReader::ReadBody() {
  for (;;) {
    if (in_.AtEnd()) break;
    std::string field = in_.ReadText();
    if (in_.AtEnd()) break;
    bool at_end = false;
    for (int i = 0; i < kDashSkips && Contains(field, "-"); ++i) {
      field = in_.ReadText();
      if (in_.AtEnd()) {
        at_end = true;
        break;
      }
    }
    if (at_end) break;
    const Flow flow = Record(field, in_.line());
    if (flow == Flow::kStop) return;
    if (flow == Flow::kEnd) break;
  }
  EndProcessing();
}

// Offers the field to every keyword test in turn; one field may match more
// than one.
Flow TrainReader::Record(const std::string& field, int line) {
  if (c_.provenance) c_.provenance->Begin(name_, line, field);
  auto has = [&field](const char* word) { return ContainsIgnoringCase(field, word); };
  StationRecord& train = c_.stations.slots[kSlotTrainRoute];
  StationRecord& extra = c_.stations.slots[kSlotRepetition];
  if (has("frenata") && has("massa")) train.start = in_.ReadLong();
  if (has("vetture")) train.position = in_.ReadLong();
  Flow flow = Flow::kNext;
  if (has("velocit")) flow = Velocity(line);
  if (flow != Flow::kNext) return flow;
  if (has("aderenza")) flow = Adhesion(line);
  if (flow != Flow::kNext) return flow;
  if (has("orologio")) {
    extra.word_3 = in_.ReadInteger();
    extra.word_4 = in_.ReadInteger();
    extra.word_5 = in_.ReadInteger();
  }
  if (has("sabbia")) extra.word_1 = in_.ReadInteger();
  if (has("segnale")) flow = Signal(line);
  if (flow != Flow::kNext) return flow;
  if (has("rallentamento")) flow = Slowdown(line);
  if (flow != Flow::kNext) return flow;
  if (has("abbattimento")) flow = Abbattimento(line);
  if (flow != Flow::kNext) return flow;
  if (has("stazione")) flow = Station(line);
  return flow;
}

TrackGrid& TrainReader::Grid() {
  if (!c_.grid) in_.Fail("a record needs the track grid, but the line description made none");
  return *c_.grid;
}

// False (code 15 set at `position`) when position + margin lies beyond the
// grid.
bool TrainReader::InRange(int32_t position, int32_t margin, int line) {
  const TrackGrid& grid = Grid();
  const int32_t reach = CheckedLong(in_, int64_t{position} + margin, "a record's position");
  if (static_cast<double>(reach) / kCellLength > grid.upper()) {
    SetCodeAt(kErrBeyondGrid, position, line);
    return false;
  }
  return true;
}

// The profile code of the current speed in km/h, taken when a cell is
// written: one that does not fit a byte is a read failure there, so a speed
// that is never written never fails.
uint8_t TrainReader::SpeedCode() {
  const int64_t code = RoundToInt(static_cast<double>(current_speed_) / kSpeedUnit);
  if (code < 0 || code > std::numeric_limits<uint8_t>::max()) {
    in_.Fail("the speed " + std::to_string(current_speed_) +
             " km/h does not fit the speed profile");
  }
  return static_cast<uint8_t>(code);
}

// Writes the current speed code from the fill index on, at least once and
// then while the index is below `until`, never into the grid's last cell
// nor beyond it.
void TrainReader::FillSpeed(int64_t until) {
  TrackGrid& grid = Grid();
  do {
    if (speed_fill_ >= grid.upper()) return;
    grid.at(speed_fill_).speed_code = SpeedCode();
    if (c_.provenance) c_.provenance->WroteBy(speed_record_, speed_fill_, CellPart::kSpeed);
    ++speed_fill_;
  } while (speed_fill_ < until);
}

// Writes the low byte of the current adhesion from the fill index on, at
// least once and then while the index is below `until`. Unlike the speed
// fill it does not stop short of the grid's last cell; cells past it are
// skipped.
void TrainReader::FillAdhesion(int64_t until) {
  TrackGrid& grid = Grid();
  do {
    if (grid.contains(adhesion_fill_)) {
      grid.at(adhesion_fill_).adhesion = Low8(current_adhesion_);
      if (c_.provenance) c_.provenance->WroteBy(adhesion_record_, adhesion_fill_, CellPart::kAdhesion);
    }
    ++adhesion_fill_;
  } while (adhesion_fill_ < until);
}

// The previous speed runs up to this line's cell; this line's speed becomes
// the current one, to be coded when the next fill or the tail writes it.
Flow TrainReader::Velocity(int line) {
  const int32_t position = in_.ReadLong();
  const int32_t speed = in_.ReadLong();
  if (!InRange(position, kRangeMargin, line)) return Flow::kEnd;
  const int64_t cell = RoundToInt(static_cast<double>(position) / kCellLength);
  if (cell > 0) FillSpeed(cell);
  current_speed_ = speed;
  if (c_.provenance) speed_record_ = c_.provenance->current();
  return Flow::kNext;
}

Flow TrainReader::Adhesion(int line) {
  const int32_t position = in_.ReadLong();
  const int32_t value = in_.ReadLong();
  if (!InRange(position, kRangeMargin, line)) return Flow::kEnd;
  const int64_t cell = RoundToInt(static_cast<double>(position) / kCellLength);
  if (cell > 0) FillAdhesion(cell);
  current_adhesion_ = value;
  if (c_.provenance) adhesion_record_ = c_.provenance->current();
  return Flow::kNext;
}

// Stops on the encoder's own failure only: a code left by an earlier reader
// does not count.
Flow TrainReader::EncoderOutcome(int32_t code, int32_t position, int line) {
  if (code == kErrNone) return Flow::kNext;
  if (code == kErrReadFailure) in_.Fail("a value overflows while placing the record");
  SetCodeAt(code, position, line);
  return Flow::kStop;
}

Flow TrainReader::Signal(int line) {
  int32_t v[11];
  for (int32_t& value : v) value = in_.ReadLong();
  const int32_t posizione = v[0];
  if (!InRange(posizione, kRangeMargin, line)) return Flow::kEnd;
  const int32_t code =
      MemoSegnale(Grid(), posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9],
                  v[10], c_.provenance);
  return EncoderOutcome(code, posizione, line);
}

Flow TrainReader::Slowdown(int line) {
  const int32_t x = in_.ReadLong();
  const int32_t v = in_.ReadLong();
  const int32_t l = in_.ReadLong();
  const int32_t f_tt = in_.ReadLong();
  const int32_t f_ta = in_.ReadLong();
  const int32_t d_v = in_.ReadLong();
  if (!InRange(x, kRangeMargin, line)) return Flow::kEnd;
  // The speed and the f_tt value are stored in 16-bit cell fields.
  if (!FitsInteger(v) || !FitsInteger(f_tt)) {
    in_.Fail("a slowdown's speed or f_tt value does not fit 16 bits");
  }
  const int32_t code = MemoRallentamento(Grid(), x, static_cast<int16_t>(v), l,
                                         static_cast<int16_t>(f_tt), f_ta, d_v, c_.provenance);
  return EncoderOutcome(code, x, line);
}

// Marks the cell at position / 50 (no +1): a positive value as kind 12
// carrying it, anything else as kind 13. The cell must be free.
Flow TrainReader::Abbattimento(int line) {
  const int32_t position = in_.ReadLong();
  const int32_t value = in_.ReadLong();
  if (!InRange(position, kRangeMargin, line)) return Flow::kEnd;
  TrackGrid& grid = Grid();
  const int64_t cell = RoundToInt(static_cast<double>(position) / kCellLength);
  if (!grid.is_free(cell)) {
    SetCodeAt(kErrAbbattimentoCellTaken, position, line);
    return Flow::kStop;
  }
  if (value > 0) {
    grid.at(cell).kind = kKindMarker;
    grid.at(cell).value_a = Wrap16(value);
  } else {
    grid.at(cell).kind = kKindAbbattimentoZero;
  }
  if (c_.provenance) c_.provenance->Wrote(cell, CellPart::kObject);
  return Flow::kNext;
}

// A station goes into the next station slot, its fields stored as they are
// read; then its area, its marks on the grid and the spacing checks.
// The station's numbers after its length, its time of day and its name, in
// file order.
void TrainReader::ReadStationDetails(StationRecord& station) {
  station.byte_1 = in_.ReadByte();
  station.byte_5 = in_.ReadByte();
  station.byte_4 = in_.ReadByte();
  station.word_1 = in_.ReadInteger();
  station.word_2 = in_.ReadInteger();
  station.byte_2 = in_.ReadByte();
  station.word_3 = in_.ReadInteger();
  station.word_4 = in_.ReadInteger();
  station.word_5 = in_.ReadInteger();
  station.byte_3 = in_.ReadByte();
  const int64_t hours = in_.ReadLong();
  const int64_t minutes = in_.ReadLong();
  const int64_t seconds = in_.ReadLong();
  // Checked before storing: the station file holds a name with a 16-bit count.
  std::string name = in_.ReadText();
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
    SetCode(kErrStationTableFull, line);
    return Flow::kStop;
  }
  StationRecord& station = c_.stations.slots[static_cast<size_t>(slot)];
  if (c_.provenance) c_.provenance->WroteSlot(slot);
  station.position = in_.ReadLong();
  if (!InRange(station.position, kStationRangeMargin, line)) return Flow::kEnd;
  if (station.position % kStationStep != 0) {
    SetCodeAt(kErrStationPosition, station.position, line);
    return Flow::kStop;
  }
  station.kind = in_.ReadByte();
  const int32_t length = in_.ReadLong();
  if (length % kStationLengthStep != 0) {
    SetCodeAt(kErrStationLength, station.position, line);
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
    SetCodeAt(kErrStationsTooClose, station.position, line);
    return Flow::kStop;
  }
  next_station_ = slot + 1;
  if (next_station_ >= c_.next_sign_slot) {
    SetCode(kErrStationTableFull, line);
    return Flow::kStop;
  }
  return Flow::kNext;
}

// Countdown marks 81 to 84 in the four cells before the station's end cell
// (not for kinds 5 and 6), then the end marker pointing at the slot. Marks
// outside the grid are skipped; a marker beyond it is code 15.
Flow TrainReader::StationMarks(const StationRecord& station, int32_t slot, int line) {
  if (station.kind >= kUnmarkedKinds) return Flow::kNext;
  TrackGrid& grid = Grid();
  const double end_cell = static_cast<double>(station.end) / kCellLength;
  if (station.kind != kPlatformEndKindA && station.kind != kPlatformEndKindB) {
    for (int i = 1; i <= kCountdownMarks; ++i) {
      const double q = end_cell - i - 1;
      if (q <= 1) continue;
      const int64_t cell = RoundToInt(q);
      if (!grid.contains(cell)) continue;
      grid.at(cell).countdown = static_cast<uint8_t>(kCountdownBase + i);
      if (c_.provenance) c_.provenance->Wrote(cell, CellPart::kCountdown);
    }
  }
  const double q = end_cell - 1;
  if (q <= 1) {
    SetCode(kErrStationTooEarly, line);
    return Flow::kStop;
  }
  const int64_t cell = RoundToInt(q);
  if (!grid.contains(cell)) {
    SetCodeAt(kErrBeyondGrid, station.position, line);
    return Flow::kEnd;
  }
  grid.at(cell).kind = kKindStationEnd;
  grid.at(cell).value_a = static_cast<int16_t>(slot);
  if (c_.provenance) c_.provenance->Wrote(cell, CellPart::kObject);
  return Flow::kNext;
}

// The last speed and adhesion run on to the grid's end (its last three cells
// keep 0, except that each tail writes its fill cell at least once), then the
// kilometre references must lie on the 50 m grid: code 2 replaces any code.
void TrainReader::EndProcessing() {
  if (c_.grid) {
    TrackGrid& grid = *c_.grid;
    const int64_t until = int64_t{grid.upper()} - kTailGap;
    do {
      if (grid.contains(speed_fill_)) {
        grid.at(speed_fill_).speed_code = SpeedCode();
        if (c_.provenance) c_.provenance->WroteBy(speed_record_, speed_fill_, CellPart::kSpeed);
      }
      ++speed_fill_;
    } while (speed_fill_ < until);
    FillAdhesion(until);
  }
  for (int slot : {kSlotKmRefTre, kSlotKmRefDue, kSlotKmRefUno}) {
    const StationRecord& ref = c_.stations.slots[static_cast<size_t>(slot)];
    if (ref.start % kStationStep != 0 || ref.end % kStationStep != 0) state_.Fail(kErrKmReference);
  }
}

}  // namespace

TrainReadResult ReadTrainService(std::string_view bytes, const std::string& name,
                                 RunState& state, Compilation& compilation) {
  TrainReader reader(bytes, name, state, compilation);
  return reader.Run();
}

}  // namespace sc
