#include "decompiler/compare_compiled.h"

#include <bit>
#include <cstdio>

#include "compiler/format/grid_file.h"
#include "compiler/format/route_plan_file.h"
#include "decompiler/plan_curves.h"

namespace sc {
namespace {

std::string Differs(int64_t stored, int64_t built) {
  return "holds " + std::to_string(stored) + "; the text gives " + std::to_string(built);
}

// A station record's numeric fields, with their offsets from the record's
// start; `after_name` offsets count from the end of the name's bytes.
struct StationField {
  const char* name;
  size_t offset;
  bool after_name;
  int64_t (*get)(const StationRecord&);
};
constexpr size_t kNameOffset = 14;
const StationField kStationFields[] = {
    {"kind", 0, false, [](const StationRecord& r) -> int64_t { return r.kind; }},
    {"start", 1, false, [](const StationRecord& r) -> int64_t { return r.start; }},
    {"end", 5, false, [](const StationRecord& r) -> int64_t { return r.end; }},
    {"position", 9, false, [](const StationRecord& r) -> int64_t { return r.position; }},
    {"byte_1", 13, false, [](const StationRecord& r) -> int64_t { return r.byte_1; }},
    {"word_1", 16, true, [](const StationRecord& r) -> int64_t { return r.word_1; }},
    {"word_2", 18, true, [](const StationRecord& r) -> int64_t { return r.word_2; }},
    {"word_3", 20, true, [](const StationRecord& r) -> int64_t { return r.word_3; }},
    {"word_4", 22, true, [](const StationRecord& r) -> int64_t { return r.word_4; }},
    {"word_5", 24, true, [](const StationRecord& r) -> int64_t { return r.word_5; }},
    {"byte_2", 26, true, [](const StationRecord& r) -> int64_t { return r.byte_2; }},
    {"byte_3", 27, true, [](const StationRecord& r) -> int64_t { return r.byte_3; }},
    {"byte_4", 28, true, [](const StationRecord& r) -> int64_t { return r.byte_4; }},
    {"byte_5", 29, true, [](const StationRecord& r) -> int64_t { return r.byte_5; }},
    {"time_s", 30, true, [](const StationRecord& r) -> int64_t { return r.time_s; }},
};
constexpr size_t kStationRecordBytes = 34;

struct CellField {
  const char* name;
  size_t offset;
  int64_t (*get)(const TrackCell&);
};
const CellField kCellFields[] = {
    {"kind", 0, [](const TrackCell& c) -> int64_t { return c.kind; }},
    {"value_a", 1, [](const TrackCell& c) -> int64_t { return c.value_a; }},
    {"value_b", 3, [](const TrackCell& c) -> int64_t { return c.value_b; }},
    {"value_c", 5, [](const TrackCell& c) -> int64_t { return c.value_c; }},
    {"value_d", 7, [](const TrackCell& c) -> int64_t { return c.value_d; }},
    {"timing", 9, [](const TrackCell& c) -> int64_t { return c.timing; }},
    {"countdown", 10, [](const TrackCell& c) -> int64_t { return c.countdown; }},
    {"mountain", 11, [](const TrackCell& c) -> int64_t { return c.mountain; }},
    {"speed_code", 12, [](const TrackCell& c) -> int64_t { return c.speed_code; }},
    {"gradient_code", 13, [](const TrackCell& c) -> int64_t { return c.gradient_code; }},
    {"adhesion", 14, [](const TrackCell& c) -> int64_t { return c.adhesion; }},
};

std::string Element(uint16_t type, double value) {
  if (type == kPlanEmpty) return "nothing";
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%s %.17g", PlanElementTypeName(type), value);
  return buffer;
}

bool SameElement(const PlanElement& e, uint16_t type, double value) {
  return e.type == type && std::bit_cast<uint64_t>(e.value) ==
                               std::bit_cast<uint64_t>(type == kPlanEmpty ? 0.0 : value);
}

}  // namespace

void CompareStationTables(const std::string& file, const StationTable& stored,
                          const StationTable& built, IrreproduciblePlaces* places) {
  uint64_t record = 0;
  for (int slot = 0; slot < kStationSlots; ++slot) {
    const StationRecord& a = stored.slots[static_cast<size_t>(slot)];
    const StationRecord& b = built.slots[static_cast<size_t>(slot)];
    const std::string prefix = "slot " + std::to_string(slot) + " ";
    if (a.name != b.name) {
      places->Add(
          {file, record + kNameOffset, prefix + "name",
           "holds a text of " + std::to_string(a.name.size()) + " bytes the text does not give"});
    }
    for (const StationField& f : kStationFields) {
      if (f.get(a) == f.get(b)) continue;
      const uint64_t at = record + f.offset + (f.after_name ? a.name.size() : 0);
      places->Add({file, at, prefix + f.name, Differs(f.get(a), f.get(b))});
    }
    record += kStationRecordBytes + a.name.size();
  }
}

void CompareGrids(const std::string& file, const std::vector<TrackCell>& stored,
                  const TrackGrid& built, IrreproduciblePlaces* places) {
  const size_t n = std::min(stored.size(), built.cells().size());
  if (stored.size() != built.cells().size()) {
    places->Add(
        {file, n * kGridCellBytes, "cell count",
         Differs(static_cast<int64_t>(stored.size()), static_cast<int64_t>(built.cells().size()))});
  }
  for (size_t i = 0; i < n; ++i) {
    const TrackCell& a = stored[i];
    const TrackCell& b = built.cells()[i];
    if (a == b) continue;
    for (const CellField& f : kCellFields) {
      if (f.get(a) == f.get(b)) continue;
      places->Add({file, i * kGridCellBytes + f.offset, "cell " + std::to_string(i) + " " + f.name,
                   Differs(f.get(a), f.get(b))});
    }
  }
}

void ComparePlans(const std::string& file, const RoutePlanReader& opened, const RoutePlan& built,
                  IrreproduciblePlaces* places) {
  RoutePlanReader reader = opened;
  PlanOffsets offsets(opened);
  int64_t metre = 0;
  const auto compare = [&](uint16_t type, double x_value, double y_value) {
    PlanElement x, y;
    if (!reader.Next(&x, &y)) {
      ++metre;
      return;
    }
    const auto where = [&] { return " of metre " + std::to_string(metre); };
    if (!SameElement(x, type, x_value)) {
      places->Add(
          {file, offsets.x(), "x" + where(),
           "holds " + Element(x.type, x.value) + "; the text gives " + Element(type, x_value)});
    }
    if (!SameElement(y, type, y_value)) {
      places->Add(
          {file, offsets.y(), "y" + where(),
           "holds " + Element(y.type, y.value) + "; the text gives " + Element(type, y_value)});
    }
    offsets.Advance(x.type, y.type);
    ++metre;
  };
  built.ForEachPoint([&](double x, double y) {
    compare(metre < RoutePlan::kStartingPoints ? kPlanInt16 : kPlanDouble, x, y);
  });
  const int64_t built_metres = int64_t{built.last_metre()} + 1;
  while (metre < built_metres && metre < static_cast<int64_t>(reader.metres()))
    compare(kPlanEmpty, 0, 0);
  if (static_cast<int64_t>(reader.metres()) != built_metres) {
    places->Add(
        {file, 0, "metre count", Differs(static_cast<int64_t>(reader.metres()), built_metres)});
  }
}

}  // namespace sc
