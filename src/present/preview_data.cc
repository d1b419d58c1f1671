#include "present/preview_data.h"

#include <cmath>
#include <set>
#include <string>

#include "compiler/format/grid_file.h"
#include "compiler/format/route_plan_file.h"
#include "compiler/format/station_file.h"

namespace sc {
namespace {

// The plan advances one metre per point, so no point of a real route lies
// farther from its start than the plan is long; this bound is far beyond any
// file the compiler writes and keeps every drawn number small.
constexpr double kMaxPlanDistance = 1e8;  // metres (100,000 km)

bool IsValue(const PlanElement& e) { return e.type != kPlanEmpty && std::isfinite(e.value); }

// The plan's points from metre 0 up to the first metre that is empty or not
// finite in either column.
std::vector<PlanPoint> PointsOf(RoutePlanReader& plan) {
  std::vector<PlanPoint> points;
  PlanElement x, y;
  while (plan.Next(&x, &y) && IsValue(x) && IsValue(y)) points.push_back({x.value, y.value});
  return points;
}

std::vector<PlanPoint> PointsOf(const RoutePlan& plan) {
  std::vector<PlanPoint> points;
  points.reserve(static_cast<size_t>(plan.filled()));
  bool finite = true;
  plan.ForEachPoint([&](double x, double y) {
    finite = finite && std::isfinite(x) && std::isfinite(y);
    if (finite) points.push_back({x, y});
  });
  return points;
}

// The route length from slot 84; when that is not positive, the length the
// grid was made for.
int64_t RouteLength(const StationTable& stations, size_t cell_count) {
  int64_t length = stations.slots[kSlotTrainRoute].end;
  if (length > 0) return length;
  int64_t from_grid = (static_cast<int64_t>(cell_count) - 1) * kCellMetres - kTrackBeyondRoute;
  return std::max<int64_t>(from_grid, kCellMetres);
}

std::set<int> SignSlots(const std::vector<TrackCell>& cells) {
  std::set<int> slots;
  for (const TrackCell& c : cells) {
    if (c.kind == kKindSign) slots.insert(c.value_a);
  }
  return slots;
}

void CollectStations(const PreviewData& data, PreviewObjects* out) {
  std::set<int> sign_slots = SignSlots(data.cells);
  for (int slot = 1; slot < kFirstSignSlot + 1; ++slot) {
    const StationRecord& r = data.stations.slots[slot];
    if (r == StationRecord{} || sign_slots.count(slot)) break;
    out->stations.push_back({slot, &r});
  }
}

void CollectCells(const PreviewData& data, PreviewObjects* out) {
  size_t unclosed = 0;  // slowdowns from here on wait for their end board
  for (size_t i = 0; i < data.cells.size(); ++i) {
    const TrackCell& c = data.cells[i];
    int64_t metre = ObjectMetre(i);
    switch (c.kind) {
      case kKindSignal: out->signals.push_back({metre, &c}); break;
      case kKindMaxSpeedBoard: out->max_speed_boards.push_back({metre, &c}); break;
      case kKindSlowdownStart: out->slowdowns.push_back({metre, metre, c.value_a}); break;
      case kKindSlowdownEnd:
        for (; unclosed < out->slowdowns.size(); ++unclosed) out->slowdowns[unclosed].end = metre;
        break;
      case kKindSign: {
        std::string text;
        if (c.value_a >= 0 && c.value_a < kStationSlots) text = data.stations.slots[c.value_a].name;
        out->signs.push_back({metre, text});
        break;
      }
      default: break;
    }
  }
}

}  // namespace

int64_t ObjectMetre(size_t index) { return ObjectMetreOf(static_cast<int64_t>(index)); }

Status PreviewFromCompiledFiles(const std::optional<std::string>& plan_bytes,
                                std::string_view station_bytes, std::string_view grid_bytes,
                                PreviewData* out) {
  PreviewData data;
  auto fail = [](const char* what, const Status& s) {
    return Status::Corruption(what + (": " + s.message()));
  };
  Status s = DecodeStationFile(station_bytes, &data.stations);
  if (!s.ok()) return fail("station file", s);
  s = DecodeGridFile(grid_bytes, &data.cells);
  if (!s.ok()) return fail("grid file", s);
  if (plan_bytes) {
    RoutePlanReader plan;  // read in place: only the drawn points are held
    s = plan.Open(*plan_bytes);
    if (!s.ok()) return fail("route plan", s);
    data.plan = PointsOf(plan);
    for (size_t m = 0; m < data.plan->size(); ++m) {
      const PlanPoint& p = (*data.plan)[m];
      if (std::abs(p.x) > kMaxPlanDistance || std::abs(p.y) > kMaxPlanDistance) {
        return Status::Corruption("route plan: the point at metre " + std::to_string(m) +
                                  " lies more than 100000 km from the route start; the file is "
                                  "damaged");
      }
    }
  }
  data.route_length = RouteLength(data.stations, data.cells.size());
  *out = std::move(data);
  return Status::Ok();
}

PreviewData PreviewFromCompilation(const Compilation& compilation) {
  PreviewData data;
  data.stations = compilation.stations;
  if (compilation.grid) data.cells = compilation.grid->cells();
  if (compilation.plan) data.plan = PointsOf(*compilation.plan);
  data.route_length = RouteLength(data.stations, data.cells.size());
  return data;
}

PreviewObjects CollectObjects(const PreviewData& data) {
  PreviewObjects out;
  CollectStations(data, &out);
  CollectCells(data, &out);
  for (int slot : {kSlotKmRefUno, kSlotKmRefDue, kSlotKmRefTre}) {
    const StationRecord& r = data.stations.slots[slot];
    if (r.start != 0 || r.end != 0 || r.position != 0) out.km_references.push_back({slot, &r});
  }
  return out;
}

}  // namespace sc
