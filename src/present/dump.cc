#include "present/dump.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/format/grid_file.h"
#include "compiler/format/route_plan_file.h"
#include "compiler/format/station_file.h"
#include "compiler/input_limits.h"
#include "model/station_table.h"
#include "model/track_grid.h"
#include "platform/text_1252.h"

namespace sc {
namespace {

using Json = nlohmann::ordered_json;

// ---- Text helpers -------------------------------------------------------

// The shortest text that reads back as the same double.
std::string FormatDouble(double v) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  if (result.ec != std::errc()) return "?";  // cannot happen: the shortest form is under 30 bytes
  return std::string(buffer, result.ptr);
}

// ---- Grid ---------------------------------------------------------------

std::string CellKindName(uint8_t kind) {
  switch (kind) {
    case kKindFree: return "free";
    case kKindSignal: return "signal";
    case kKindSlowdownEnd: return "slowdown end";
    case kKindSlowdownStart: return "slowdown start";
    case kKindSlowdownWarning: return "slowdown warning";
    case kKindApproachBoard: return "slowdown approach board";
    case kKindMaxSpeedBoard: return "maximum-speed board";
    case kKindStationEnd: return "station end marker";
    case kKindMountainMarker: return "mountain marker";
    case kKindMarker: return "marker (abbattimento)";
    case kKindAbbattimentoZero: return "abbattimento (below 1)";
    case kKindSign: return "sign";
    default: return "kind " + std::to_string(kind);
  }
}

struct NamedNumber {
  const char* name;
  int64_t value;
};

// The fields after `kind`, in stored order.
std::array<NamedNumber, 10> CellFields(const TrackCell& c) {
  return {{{"value_a", c.value_a},
           {"value_b", c.value_b},
           {"value_c", c.value_c},
           {"value_d", c.value_d},
           {"timing", c.timing},
           {"countdown", c.countdown},
           {"mountain", c.mountain},
           {"speed_code", c.speed_code},
           {"gradient_code", c.gradient_code},
           {"adhesion", c.adhesion}}};
}

int64_t CellCentre(size_t index) { return ObjectMetreOf(static_cast<int64_t>(index)); }

void WriteGridText(const std::vector<TrackCell>& cells, std::ostream& out) {
  out << "grid: " << cells.size() << " cells, index 0 to " << cells.size() - 1
      << "; \"at M m\" is the cell centre, (index - 1) * 50 m\n";
  for (size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (c == TrackCell{}) continue;
    out << "cell " << i << " at " << CellCentre(i) << " m: kind " << int{c.kind} << " ("
        << CellKindName(c.kind) << ")";
    for (const NamedNumber& f : CellFields(c)) out << ", " << f.name << ' ' << f.value;
    out << '\n';
  }
}

void WriteGridJson(const std::vector<TrackCell>& cells, std::ostream& out) {
  Json doc = {{"file", "grid"}, {"cell_count", cells.size()}, {"cell_metres", kCellMetres}};
  Json rows = Json::array();
  for (size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (c == TrackCell{}) continue;
    Json row = {{"index", i},
                {"centre_m", CellCentre(i)},
                {"kind", c.kind},
                {"kind_name", CellKindName(c.kind)}};
    for (const NamedNumber& f : CellFields(c)) row[f.name] = f.value;
    rows.push_back(std::move(row));
  }
  doc["cells"] = std::move(rows);
  out << doc.dump(2) << '\n';
}

// ---- Stations -----------------------------------------------------------

// One stored field of a station record: a number, or the name's bytes.
struct RecordField {
  const char* name;
  int64_t number = 0;
  const std::string* text = nullptr;
  bool empty() const { return text ? text->empty() : number == 0; }
};

std::vector<RecordField> RecordFields(const StationRecord& r) {
  return {
      {"kind", r.kind},     {"start", r.start},   {"end", r.end},       {"position", r.position},
      {"byte_1", r.byte_1}, {"name", 0, &r.name}, {"word_1", r.word_1}, {"word_2", r.word_2},
      {"word_3", r.word_3}, {"word_4", r.word_4}, {"word_5", r.word_5}, {"byte_2", r.byte_2},
      {"byte_3", r.byte_3}, {"byte_4", r.byte_4}, {"byte_5", r.byte_5}, {"time_s", r.time_s}};
}

// What a slot holds and the meaning of its fields. A field without a label
// is shown by its stored name, and only when it is not empty; labelled
// fields are always shown.
struct SlotRole {
  const char* key;
  const char* title;
  std::vector<std::pair<std::string_view, const char*>> labels;
};

bool OnlyNameSet(const StationRecord& r) {
  StationRecord numbers = r;
  numbers.name.clear();
  return !r.name.empty() && numbers == StationRecord{};
}

SlotRole RoleOf(int slot, const StationRecord& r) {
  switch (slot) {
    case 0: return {"unused", "unused slot", {}};
    case kSlotKmRefTre:
    case kSlotKmRefDue:
    case kSlotKmRefUno:
      return {"kilometre_reference",
              "kilometre reference",
              {{"start", "first"}, {"end", "second"}, {"position", "third"}}};
    case kSlotTrainRoute:
      return {"train_and_route",
              "train and route data",
              {{"start", "braked_mass_percent"}, {"end", "route_length_m"}, {"position", "cars"}}};
    case kSlotBackgrounds:
      return {"backgrounds_line_marker_code",
              "backgrounds, line name, marker, competition code",
              {{"start", "background_one"},
               {"end", "background_three"},
               {"position", "background_two"},
               {"name", "line_name"},
               {"word_1", "marker"},
               {"time_s", "competition_code"}}};
    case kSlotRepetition:
      return {"repetition_train_sand_clock",
              "signal repetition, train number, sand, clock",
              {{"start", "repetition_first_m"},
               {"end", "repetition_last_m"},
               {"position", "repetition_codes"},
               {"name", "train_number"},
               {"word_1", "sand"},
               {"word_3", "clock_hours"},
               {"word_4", "clock_minutes"},
               {"word_5", "clock_seconds"}}};
    default:
      if (OnlyNameSet(r)) return {"sign", "sign", {{"name", "text"}}};
      return {"station", "station", {}};
  }
}

const char* LabelOf(const SlotRole& role, std::string_view field) {
  for (const auto& [stored, label] : role.labels) {
    if (stored == field) return label;
  }
  return nullptr;
}

// The fields to show for a slot, each with the name it is shown under.
// Stations show every field; other slots their labelled and non-empty ones.
std::vector<std::pair<const char*, RecordField>> ShownFields(const SlotRole& role,
                                                             const StationRecord& r) {
  const bool all = std::string_view(role.key) == "station";
  std::vector<std::pair<const char*, RecordField>> shown;
  for (const RecordField& f : RecordFields(r)) {
    const char* label = LabelOf(role, f.name);
    if (label || all || !f.empty()) shown.emplace_back(label ? label : f.name, f);
  }
  return shown;
}

void WriteStationsText(const StationTable& table, std::ostream& out) {
  out << "stations: " << kStationSlots << " slots, non-empty ones shown\n";
  for (int slot = 0; slot < kStationSlots; ++slot) {
    const StationRecord& r = table.slots[static_cast<size_t>(slot)];
    if (r == StationRecord{}) continue;
    const SlotRole role = RoleOf(slot, r);
    out << "slot " << slot << ' ' << role.title << ':';
    const char* separator = " ";
    for (const auto& [label, f] : ShownFields(role, r)) {
      out << separator << label << ' ';
      if (f.text)
        out << '"' << NativeText(*f.text) << '"';
      else
        out << f.number;
      separator = ", ";
    }
    out << '\n';
  }
}

void WriteStationsJson(const StationTable& table, std::ostream& out) {
  Json slots = Json::array();
  for (int slot = 0; slot < kStationSlots; ++slot) {
    const StationRecord& r = table.slots[static_cast<size_t>(slot)];
    if (r == StationRecord{}) continue;
    const SlotRole role = RoleOf(slot, r);
    Json fields = Json::object();
    for (const auto& [label, f] : ShownFields(role, r)) {
      if (f.text)
        fields[label] = Utf8From1252(*f.text);
      else
        fields[label] = f.number;
    }
    slots.push_back({{"slot", slot}, {"role", role.key}, {"fields", std::move(fields)}});
  }
  Json doc = {{"file", "stations"}, {"slot_count", kStationSlots}, {"slots", std::move(slots)}};
  out << doc.dump(2) << '\n';
}

// ---- Route plan ---------------------------------------------------------

std::string ElementText(const PlanElement& e) {
  if (e.type == kPlanEmpty) return "empty";
  return FormatDouble(e.value) + " (" + PlanElementTypeName(e.type) + ")";
}

void WritePlanText(RoutePlanReader& plan, std::ostream& out) {
  out << "route plan: " << plan.metres() << " metres, 0 to " << plan.metres() - 1
      << "; element types int16, double, empty\n";
  PlanElement x, y;
  for (size_t m = 0; plan.Next(&x, &y); ++m) {
    out << "metre " << m << ": x " << ElementText(x) << ", y " << ElementText(y) << '\n';
  }
}

Json ElementJson(const PlanElement& e) {
  Json j = {{"type", PlanElementTypeName(e.type)}};
  if (e.type == kPlanInt16) j["value"] = static_cast<int64_t>(e.value);
  if (e.type == kPlanDouble) j["value"] = std::isfinite(e.value) ? Json(e.value) : Json(nullptr);
  return j;
}

// One point per line, so that a plan of a million metres is written as it
// goes instead of as one document in memory.
void WritePlanJson(RoutePlanReader& plan, std::ostream& out) {
  out << "{\"file\": \"plan\", \"metre_count\": " << plan.metres() << ", \"points\": [\n";
  PlanElement x, y;
  for (size_t m = 0; plan.Next(&x, &y); ++m) {
    Json point = {{"metre", m}, {"x", ElementJson(x)}, {"y", ElementJson(y)}};
    out << point.dump() << (m + 1 < plan.metres() ? ",\n" : "\n");
  }
  out << "]}\n";
}

}  // namespace

Status DumpBytes(FileKind kind, std::string_view bytes, bool json, std::ostream& out) {
  switch (kind) {
    case FileKind::kGrid: {
      std::vector<TrackCell> cells;
      Status decoded = DecodeGridFile(bytes, &cells);
      if (!decoded.ok()) return decoded;
      json ? WriteGridJson(cells, out) : WriteGridText(cells, out);
      return Status::Ok();
    }
    case FileKind::kStations: {
      StationTable table;
      Status decoded = DecodeStationFile(bytes, &table);
      if (!decoded.ok()) return decoded;
      json ? WriteStationsJson(table, out) : WriteStationsText(table, out);
      return Status::Ok();
    }
    case FileKind::kPlan: {
      // Walked in place: a plan of millions of elements is never held.
      RoutePlanReader plan;
      Status opened = plan.Open(bytes);
      if (!opened.ok()) return opened;
      json ? WritePlanJson(plan, out) : WritePlanText(plan, out);
      return Status::Ok();
    }
  }
  return Status::Corruption("unknown file kind");
}

}  // namespace sc
