#include "decompiler/plan_curves.h"

#include <bit>
#include <cmath>
#include <cstdio>

#include "compiler/format/route_plan_file.h"
#include "model/route_plan.h"

namespace sc {
namespace {

constexpr int kClasses = static_cast<int>(std::size(kCurveClasses));

bool SameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

// The point a step draws: straight on (turn 0) or turned by a radius class,
// +class to the right and -class to the left.
PlanStepPoint StepPoint(double x0, double y0, double x1, double y1, int turn) {
  if (turn == 0) return NextPlanPoint(x0, y0, x1, y1, false, 0);
  const double k = kCurveClasses[(turn > 0 ? turn : -turn) - 1].k;
  return NextPlanPoint(x0, y0, x1, y1, true, turn > 0 ? k : -k);
}

// How a metre follows from the two before it: the step that draws it bit for
// bit (`exact`), or else the step that comes nearest. The step of the metre
// before is tried first: curves are long.
int StepOf(double x0, double y0, double x1, double y1, double x, double y, int previous,
           bool* exact) {
  const PlanStepPoint same = StepPoint(x0, y0, x1, y1, previous);
  if (SameBits(same.x, x) && SameBits(same.y, y)) {
    *exact = true;
    return previous;
  }
  int nearest = 0;
  double nearest_distance = 0;
  for (int turn = 0; turn <= kClasses; ++turn) {
    for (int sign : {1, -1}) {
      if (turn == 0 && sign < 0) continue;
      const PlanStepPoint p = StepPoint(x0, y0, x1, y1, sign * turn);
      if (SameBits(p.x, x) && SameBits(p.y, y)) {
        *exact = true;
        return sign * turn;
      }
      const double distance = std::fabs(p.x - x) + std::fabs(p.y - y);
      if ((turn == 0 || distance < nearest_distance) && distance == distance) {
        nearest = sign * turn;
        nearest_distance = distance;
      }
    }
  }
  *exact = false;
  return nearest;
}

std::string Number(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

// Collects turning runs into curve records.
class CurveRuns {
 public:
  explicit CurveRuns(std::vector<RecoveredCurve>* out) : out_(out) {}
  void Step(int64_t metre, int turn) {
    if (turn != turn_) {
      Close(metre);
      turn_ = turn;
      first_ = metre;
    }
  }
  void Close(int64_t metre) {
    if (turn_ != 0) {
      RecoveredCurve curve;
      curve.start = static_cast<int32_t>(first_ - 1);
      curve.length = static_cast<int32_t>(metre - first_);
      curve.radius_class = turn_ > 0 ? turn_ : -turn_;
      curve.left = turn_ < 0;
      out_->push_back(curve);
    }
    turn_ = 0;
  }

 private:
  std::vector<RecoveredCurve>* out_;
  int turn_ = 0;
  int64_t first_ = 0;
};

}  // namespace

size_t PlanElementBytes(uint16_t type) {
  switch (type) {
    case kPlanInt16: return kPlanInt16Bytes;
    case kPlanDouble: return kPlanDoubleBytes;
    default: return kPlanEmptyBytes;
  }
}

void PlanOffsets::Advance(uint16_t x_type, uint16_t y_type) {
  x_ += PlanElementBytes(x_type);
  y_past_start_ += PlanElementBytes(y_type);
}

void RecoverPlanCurves(const RoutePlanReader& opened, const std::string& file, PlanCurves* out,
                       IrreproduciblePlaces* places) {
  RoutePlanReader reader = opened;
  out->metres = static_cast<int64_t>(reader.metres());
  PlanOffsets offsets(opened);
  CurveRuns runs(&out->curves);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool ended = false;  // an empty metre was met: the rest must be empty
  int previous_step = 0;
  PlanElement x, y;
  for (int64_t m = 0; reader.Next(&x, &y); ++m) {
    const auto place = [&](uint64_t offset, const char* column, const std::string& what) {
      places->Add({file, offset, std::string(column) + " of metre " + std::to_string(m), what});
    };
    if (m < RoutePlan::kStartingPoints) {
      const double want_x = RoutePlan::kStartX[m], want_y = RoutePlan::kStartY[m];
      if (x.type != kPlanInt16 || x.value != want_x)
        place(offsets.x(), "x", "holds something other than the starting value " + Number(want_x));
      if (y.type != kPlanInt16 || y.value != want_y)
        place(offsets.y(), "y", "holds something other than the starting value " + Number(want_y));
      out->filled = m + 1;
    } else if (x.type == kPlanEmpty && y.type == kPlanEmpty) {
      ended = true;
    } else if (ended || x.type != kPlanDouble || y.type != kPlanDouble) {
      place(offsets.x(), "x",
            "holds a point where a curve record leaves none, or a point of the "
            "wrong type");
    } else {
      bool exact = false;
      const int step = StepOf(x0, y0, x1, y1, x.value, y.value, previous_step, &exact);
      previous_step = step;
      if (!exact) {
        // The nearest step stands in for the point, so that the metres
        // after it are read from what the text gives.
        const PlanStepPoint p = StepPoint(x0, y0, x1, y1, step);
        place(offsets.x(), "x",
              "holds the point (" + Number(x.value) + ", " + Number(y.value) +
                  "), which no curve record draws; the nearest, (" + Number(p.x) + ", " +
                  Number(p.y) + "), is " + (step == 0 ? "straight on" : "a curve's turn"));
        x.value = p.x;
        y.value = p.y;
      }
      runs.Step(m, step);
      out->filled = m + 1;
    }
    offsets.Advance(x.type, y.type);
    x0 = x1, y0 = y1;
    x1 = x.value, y1 = y.value;
  }
  runs.Close(out->filled);
}

bool DrawsTheSamePlan(const RoutePlan& built, const PlanCurves& curves) {
  if (int64_t{built.last_metre()} + 1 != curves.metres || built.filled() != curves.filled)
    return false;
  int64_t metre = 0;
  size_t curve = 0;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool same = true;
  built.ForEachPoint([&](double x, double y) {
    if (metre < RoutePlan::kStartingPoints) {
      same = same && x == RoutePlan::kStartX[metre] && y == RoutePlan::kStartY[metre];
    } else {
      while (curve < curves.curves.size() &&
             metre > int64_t{curves.curves[curve].start} + curves.curves[curve].length)
        ++curve;
      int turn = 0;
      if (curve < curves.curves.size() && metre > curves.curves[curve].start) {
        const RecoveredCurve& c = curves.curves[curve];
        turn = c.left ? -c.radius_class : c.radius_class;
      }
      const PlanStepPoint p = StepPoint(x0, y0, x1, y1, turn);
      same = same && SameBits(p.x, x) && SameBits(p.y, y);
    }
    x0 = x1, y0 = y1;
    x1 = x, y1 = y;
    ++metre;
  });
  return same;
}

}  // namespace sc
