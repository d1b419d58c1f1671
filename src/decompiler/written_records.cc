#include "decompiler/written_records.h"

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "compiler/field_reader.h"
#include "compiler/record_format.h"
#include "compiler/record_lines.h"
#include "decompiler/scenario_records.h"
#include "model/encoders.h"
#include "model/track_grid.h"

namespace sc {
namespace {

// One record as written: its fields' numbers as read (0 for a text) and its
// text field.
struct Written {
  const std::string* file = nullptr;
  const FileAnnotation* annotation = nullptr;
  const AnnotatedRecord* record = nullptr;
  std::vector<int64_t> values;
  std::string text;

  const FieldSpan& Span(size_t field) const {
    return annotation->fields[static_cast<size_t>(record->values[field])].span;
  }
  const FieldSpan& KeywordSpan() const {
    return annotation->fields[static_cast<size_t>(record->keyword)].span;
  }
  SourcePlace Place(const FieldSpan& span) const {
    return {*file, span.line + 1, span.begin + 1, span.end + 1};
  }
  int32_t Long(size_t field) const { return static_cast<int32_t>(values[field]); }
  int16_t Short(size_t field) const { return static_cast<int16_t>(values[field]); }
};

// The record's fields as read; false when one is no number the readers take.
bool ReadWritten(Written& w) {
  const std::vector<FieldFormat>& fields = w.record->format->fields;
  if (!w.record->complete || w.record->values.size() != fields.size()) return false;
  w.values.assign(fields.size(), 0);
  for (size_t i = 0; i < fields.size(); ++i) {
    const std::string& text = w.Span(i).text;
    if (fields[i].type == FieldType::kText) {
      w.text = text;
      continue;
    }
    std::optional<StoredValue> read = StoreFieldValue(fields[i], text);
    if (!read) return false;
    w.values[i] = read->read;
  }
  return true;
}

bool Named(const Written& w, const char* name) {
  return std::string(w.record->format->name) == name;
}

std::string FieldList(const std::vector<FieldFormat>& fields, const std::vector<int64_t>& v) {
  std::string out;
  for (size_t i = 0; i < fields.size() && i < v.size(); ++i) {
    if (fields[i].type == FieldType::kText) continue;
    out += (out.empty() ? "" : ", ") + std::string(fields[i].name) + " " + std::to_string(v[i]);
  }
  return out;
}

class Checker {
 public:
  Checker(const Compilation& c, DiagnosticSink& sink)
      : c_(c),
        grid_(*c.grid),
        sink_(sink),
        recorder_(c.provenance ? c.provenance : &c.writers_for_notes),
        scratch_(grid_.upper()),
        mountain_scratch_(grid_.upper()) {
    for (const Diagnostic& d : sink.diagnostics()) {
      if (d.severity != Severity::kWarning) continue;
      told_.insert({d.place.file, d.place.line});
      for (const DiagnosticNote& n : d.notes) told_.insert({n.place.file, n.place.line});
    }
    line_ = RecoverLineRecords(c.stations, grid_.cells(), nullptr);
    train_ = RecoverTrainRecords(c.stations, grid_.cells());
  }

  void CheckFile(const std::string& name, const std::string& text, ScenarioFile file) {
    const FileAnnotation annotation = AnnotateFile(file, text);
    for (const AnnotatedRecord& record : annotation.records) {
      Written w{&name, &annotation, &record, {}, {}};
      if (!ReadWritten(w)) continue;
      // A mountain range joins the ones before it: every range is placed
      // again in order, told or not.
      if (Named(w, "mountain")) {
        CheckMountain(w);
        continue;
      }
      if (Told(w)) continue;
      if (Named(w, "signal")) CheckSignal(w);
      if (Named(w, "slowdown")) CheckSlowdown(w);
      if (Named(w, "maximum-speed board")) CheckBoard(w);
      if (Named(w, "sign")) CheckSign(w);
      if (Named(w, "station")) CheckStation(w);
      if (Named(w, "speed")) CheckProfile(w, &TrackCell::speed_code);
      if (Named(w, "gradient")) CheckProfile(w, &TrackCell::gradient_code);
      if (Named(w, "adhesion")) CheckProfile(w, &TrackCell::adhesion);
    }
  }

 private:
  // Whether a warning or its note already stands on one of the record's lines.
  bool Told(const Written& w) const {
    const int first = w.KeywordSpan().line + 1;
    const int last = w.record->values.empty() ? first : w.Span(w.values.size() - 1).line + 1;
    for (int line = first; line <= last; ++line) {
      if (told_.count({*w.file, line})) return true;
    }
    return false;
  }

  void Warn(WarningClass c, const SourcePlace& place, std::string message) {
    sink_.Warn(c, place, std::move(message));
  }

  // The object cells `encoded` wrote on the scratch grid that the compiled
  // grid holds otherwise; the scratch cells are cleared again.
  std::vector<int64_t> ObjectCellsChanged(const Encoded& encoded) {
    std::vector<int64_t> changed;
    for (size_t i = 0; i < encoded.written.size(); ++i) {
      const CellRun& run = encoded.written[i];
      for (int64_t n = 0, cell = run.first; n < run.count; ++n, cell += run.step) {
        if (!scratch_.contains(cell)) continue;
        if (run.part == CellPart::kObject) {
          const TrackCell& want = scratch_.at(cell);
          const TrackCell& got = grid_.at(cell);
          if (want.kind != got.kind || want.value_a != got.value_a || want.value_b != got.value_b ||
              want.value_c != got.value_c || want.value_d != got.value_d ||
              want.timing != got.timing)
            changed.push_back(cell);
        }
        scratch_.at(cell) = TrackCell{};
      }
    }
    return changed;
  }

  // Tells a placed record whose cells the compiled grid holds otherwise:
  // at the first field where the record the decompiler recovers at its cell
  // (`held`, null when none) differs, else at the keyword.
  void TellObject(const Written& w, const std::vector<int64_t>& changed,
                  const std::vector<int64_t>* held) {
    if (changed.empty()) return;
    const std::vector<FieldFormat>& fields = w.record->format->fields;
    const std::string object = w.record->format->name;
    const int64_t cell = changed.front();
    const TrackCell& got = grid_.at(cell);
    if (held) {
      for (size_t i = 0; i < fields.size() && i < held->size(); ++i) {
        if ((*held)[i] == w.values[i] || (i == 0 && CellOf((*held)[0]) == CellOf(w.values[0])))
          continue;
        Warn(WarningClass::kStoredValue, w.Place(w.Span(i)),
             "the files hold " + std::to_string((*held)[i]) + " for this " + object + "'s " +
                 fields[i].name + " (written " + std::to_string(w.values[i]) + "): cell " +
                 std::to_string(cell) + " holds " + FieldList(fields, *held));
        return;
      }
    }
    Warn(WarningClass::kNoEffect, w.Place(w.KeywordSpan()),
         "the files do not hold this " + object + " as written: cell " + std::to_string(cell) +
             " holds kind " + std::to_string(got.kind) + " with values " +
             std::to_string(got.value_a) + ", " + std::to_string(got.value_b) + ", " +
             std::to_string(got.value_c) + ", " + std::to_string(got.value_d));
  }

  template <typename Record, typename Values>
  const std::vector<int64_t>* HeldAt(const std::vector<Record>& records, int64_t metre,
                                     int32_t Record::*position, Values values) {
    for (const Record& r : records) {
      if (CellOf(r.*position) == CellOf(metre)) {
        held_ = values(r);
        return &held_;
      }
    }
    return nullptr;
  }

  // A signal's aspects are packed in tens (s1 with d1, rapp with the
  // aspect pair sx x 3 + dx): a value that carries into its neighbour gives
  // the same bytes, but the files then hold other aspects than written, as
  // the decompiler reads them back. The time is compared only when sx is 2
  // (a rule: "signal-time-unused").
  void CheckSignal(const Written& w) {
    const SignalEncoded e =
        MemoSegnale(scratch_, w.Long(0), w.Long(1), w.Long(2), w.Long(3), w.Long(4), w.Long(5),
                    w.Long(6), w.Long(7), w.Long(8), w.Long(9), w.Long(10));
    std::vector<int64_t> changed = ObjectCellsChanged(e);
    if (e.code != kErrNone) return;
    using S = TrainRecords::Signal;
    const std::vector<int64_t>* held =
        HeldAt(train_.signals, w.values[0], &S::position, [](const S& g) {
          return std::vector<int64_t>{g.position, g.sx, g.s1, g.s2, g.s3,   g.rapp,
                                      g.dx,       g.d1, g.d2, g.d3, g.tempo};
        });
    constexpr size_t kTempo = 10;
    constexpr int64_t kTimedType = 2;
    if (held && w.values[1] != kTimedType) held_[kTempo] = w.values[kTempo];
    if (held && CellOf(held_[0]) == CellOf(w.values[0])) held_[0] = w.values[0];
    if (changed.empty() && held && held_ != w.values) changed.push_back(CellOf(w.values[0]));
    TellObject(w, changed, held);
  }

  void CheckSlowdown(const Written& w) {
    const SlowdownEncoded e = MemoRallentamento(scratch_, w.Long(0), w.Short(1), w.Long(2),
                                                w.Short(3), w.Long(4), w.Long(5));
    const std::vector<int64_t> changed = ObjectCellsChanged(e);
    if (e.code != kErrNone || changed.empty()) return;
    using D = TrainRecords::Slowdown;
    TellObject(w, changed, HeldAt(train_.slowdowns, w.values[0], &D::x, [](const D& d) {
                 return std::vector<int64_t>{d.x, d.v, d.l, d.f_tt, d.f_ta, d.d_v};
               }));
  }

  void CheckBoard(const Written& w) {
    const BoardEncoded e =
        MemoIndicatoriVMax(scratch_, w.Long(0), w.Long(1), w.Long(2), w.Long(3), w.Short(4),
                           w.Long(5), w.Long(6), w.Long(7), w.Short(8));
    const std::vector<int64_t> changed = ObjectCellsChanged(e);
    if (e.code != kErrNone || changed.empty()) return;
    using B = LineRecords::Board;
    TellObject(w, changed, HeldAt(line_.boards, w.values[0], &B::position, [](const B& b) {
                 return std::vector<int64_t>{b.position, b.vas, b.vbs, b.vcs,     b.strisces,
                                             b.vad,      b.vbd, b.vcd, b.strisced};
               }));
  }

  void CheckSign(const Written& w) {
    for (const LineRecords::Sign& s : line_.signs) {
      if (CellOf(s.position) != CellOf(w.values[0])) continue;
      if (s.text != w.text) {
        Warn(WarningClass::kStoredValue, w.Place(w.Span(1)),
             "the files hold the text \"" + s.text.substr(0, 60) + "\" for this sign (written \"" +
                 w.text.substr(0, 60) + "\")");
      }
      return;
    }
    Warn(WarningClass::kNoEffect, w.Place(w.KeywordSpan()),
         "the files hold no sign in cell " + std::to_string(CellOf(w.values[0])) +
             " for this record");
  }

  // The station slot the record filled, through the recorder; -1 none.
  int SlotOf(const Written& w) const {
    const FieldSpan& k = w.KeywordSpan();
    for (const SourceRecord& r : recorder_->records()) {
      if (r.file == *w.file && r.line == k.line + 1 && r.column == k.begin + 1)
        return r.slots.empty() ? -1 : r.slots.front();
    }
    return -1;
  }

  void CheckStation(const Written& w) {
    const int slot = SlotOf(w);
    if (slot < 0) return;
    const StationRecord& held = c_.stations.slots[static_cast<size_t>(slot)];
    const std::vector<FieldFormat>& fields = w.record->format->fields;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (fields[i].type == FieldType::kText) {
        if (held.name != w.text) {
          Warn(WarningClass::kStoredValue, w.Place(w.Span(i)),
               "the files hold the name \"" + held.name.substr(0, 60) +
                   "\" for this station (written \"" + w.text.substr(0, 60) + "\")");
          return;
        }
        continue;
      }
      if (fields[i].in_slot == nullptr) continue;
      const int64_t stored = fields[i].in_slot(held);
      // The station flags the format clears (a rule: "station-flags").
      const bool cleared_flag = stored == 0 && (std::string(fields[i].name) == "byte_4" ||
                                                std::string(fields[i].name) == "byte_5");
      if (stored == w.values[i] || cleared_flag) continue;
      Warn(WarningClass::kStoredValue, w.Place(w.Span(i)),
           "the files hold " + std::to_string(stored) + " for this station's " + fields[i].name +
               " (written " + std::to_string(w.values[i]) + ", slot " + std::to_string(slot) + ")");
      return;
    }
  }

  void CheckProfile(const Written& w, uint8_t TrackCell::*part) {
    const int64_t cell = ProfileCellOf(w.values[0]);
    if (!grid_.contains(cell)) return;
    const FieldFormat& field = w.record->format->fields[1];
    const std::optional<StoredValue> want = StoreFieldValue(field, w.Span(1).text);
    const int64_t held = grid_.at(cell).*part;
    if (!want || want->stored == held) return;
    Warn(WarningClass::kStoredValue, w.Place(w.Span(1)),
         "the files hold " + std::to_string(held) + " in cell " + std::to_string(cell) +
             " for this " + w.record->format->name + " (written " + w.Span(1).text +
             ", stored as " + std::to_string(want->stored) + ")");
  }

  // Places the range after the ones before it on a grid of its own; the
  // compiled grid must still hold its type in every cell it marks.
  void CheckMountain(const Written& w) {
    const MountainEncoded e =
        MemoMontagna(mountain_scratch_, mountains_, w.Long(0), w.Long(1), w.Long(2));
    if (e.code != kErrNone || Told(w)) return;
    int64_t first_lost = -1, lost = 0;
    uint8_t other = 0;
    for (int64_t cell = e.first_cell; cell <= e.last_cell; ++cell) {
      if (!grid_.contains(cell)) continue;
      // A range joining this one writes the joined type over its end (a
      // rule: "mountain-joined").
      const uint8_t held = grid_.at(cell).mountain;
      if (held == e.type.stored || held == kJoinedType) continue;
      if (first_lost < 0) {
        first_lost = cell;
        other = grid_.at(cell).mountain;
      }
      ++lost;
    }
    if (lost == 0) return;
    Warn(WarningClass::kOverwrite, w.Place(w.KeywordSpan()),
         std::to_string(lost) + " of this mountain range's cells hold another type than its " +
             std::to_string(e.type.stored) + " (from cell " + std::to_string(first_lost) + ": " +
             std::to_string(other) +
             "): a range placed later over them replaced it; ranges must not overlap");
  }

  const Compilation& c_;
  const TrackGrid& grid_;
  DiagnosticSink& sink_;
  const Provenance* recorder_;
  TrackGrid scratch_;
  TrackGrid mountain_scratch_;
  MountainRanges mountains_;
  LineRecords line_;
  TrainRecords train_;
  std::vector<int64_t> held_;
  std::set<std::pair<std::string, int>> told_;
};

}  // namespace

void WarnWrittenAgainstStored(const CompileInput& input, const Compilation& compilation,
                              DiagnosticSink& sink) {
  if (!sink.on() || !compilation.grid) return;
  Checker checker(compilation, sink);
  if (input.line_text)
    checker.CheckFile(input.line_file_name, *input.line_text, ScenarioFile::kLine);
  if (input.train_text) {
    checker.CheckFile(input.train_file_name, *input.train_text, ScenarioFile::kTrain);
  }
}

}  // namespace sc
