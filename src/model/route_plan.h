// The route plan: the ground plan of the track, one (x, y) point per metre,
// metres 0 to last_metre (route length + 7000). Metres 0 and 1 hold the
// 16-bit starting values (0, 0) and (0, 1); metres 2 to filled() - 1 hold
// computed doubles; metres from filled() on were never computed (empty).
//
// Every computed point follows from the two before it, so the plan is held as
// what drew it, not as points: the runs of straight and turning metres after
// the starting points (a few hundred bytes for a route with a thousand curves,
// where a million points would take 16 MB). The points are computed again,
// in order and with the same arithmetic, each time they are walked (Walker,
// ForEachPoint), so every walk gives the same doubles bit for bit.
#ifndef SC_MODEL_ROUTE_PLAN_H_
#define SC_MODEL_ROUTE_PLAN_H_

#include <algorithm>
#include <cstdint>
#include <vector>

namespace sc {

// A curve record's radius class: the first of the digits "1" to "6" found in
// its keyword, tried in this order, and the plan's turn per metre for it.
struct CurveClass {
  const char* digit;
  double k;
};
inline constexpr CurveClass kCurveClasses[] = {{"1", 0.0001}, {"2", 0.0002}, {"3", 0.0004},
                                               {"4", 0.001},  {"5", 0.002},  {"6", 0.003}};

// One metre of the plan: the point after (x0, y0) and (x1, y1), continuing
// their heading, turned by about k radians (to the right for k > 0) when
// `turn`. Every point of every plan is computed here, in this order of
// operations, so a point computed again is the same double bit for bit.
struct PlanStepPoint {
  double x, y;
};
inline PlanStepPoint NextPlanPoint(double x0, double y0, double x1, double y1, bool turn, double k) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  if (turn) return {x1 + (dx + dy * k), y1 + (dy - dx * k)};
  return {x1 + dx, y1 + dy};
}

class RoutePlan {
 public:
  // Metres 0 and 1, as the values stored for them.
  static constexpr int kStartingPoints = 2;
  static constexpr double kStartX[kStartingPoints] = {0, 0};
  static constexpr double kStartY[kStartingPoints] = {0, 1};

  explicit RoutePlan(int32_t last_metre) : last_metre_(last_metre) {}

  int32_t last_metre() const { return last_metre_; }
  // How many metres from 0 hold a point: 0 before Start(), otherwise 2 or
  // more, never more than last_metre() + 1.
  int64_t filled() const { return filled_; }

  // Places the starting points at metres 0 and 1 (heading along +y), as far
  // as the plan reaches, and drops every run drawn before.
  void Start();
  // Draws `metres` more metres (none when not positive), each continuing the
  // heading of the two before it; never past last_metre(). Only after
  // Start().
  void Straight(int64_t metres);
  // Like Straight, with the heading turned by about k radians at each metre
  // (to the right for k > 0); the step length is not renormalised.
  void Turn(double k, int64_t metres);

 private:
  struct Run {
    double k;        // the turn per metre; unused for a straight run
    int32_t metres;  // how many metres the run draws
    bool turn;       // false: straight
  };

 public:
  // Computes the points of metres 2 to filled() - 1 in order, as many at a
  // time as the caller asks for.
  class Walker {
   public:
    explicit Walker(const RoutePlan& plan) : runs_(plan.runs_) {}
    // Calls visit(x, y) for the next `count` points, fewer at the end; returns
    // how many it visited.
    template <typename Visit>
    int64_t Next(int64_t count, Visit&& visit);

   private:
    const std::vector<RoutePlan::Run>& runs_;
    size_t run_ = 0;
    int32_t done_in_run_ = 0;
    // The two points before the next one.
    double x0_ = kStartX[0], y0_ = kStartY[0];
    double x1_ = kStartX[1], y1_ = kStartY[1];
  };

  // Calls visit(x, y) for metres 0 to filled() - 1, in order.
  template <typename Visit>
  void ForEachPoint(Visit&& visit) const {
    for (int m = 0; m < kStartingPoints && m < filled_; ++m) visit(kStartX[m], kStartY[m]);
    Walker walker(*this);
    while (walker.Next(filled_, visit) > 0) {
    }
  }

 private:
  void Add(bool turn, double k, int64_t metres);

  int32_t last_metre_;
  int64_t filled_ = 0;
  std::vector<Run> runs_;
};

template <typename Visit>
int64_t RoutePlan::Walker::Next(int64_t count, Visit&& visit) {
  int64_t visited = 0;
  while (visited < count && run_ < runs_.size()) {
    const Run& run = runs_[run_];
    const int32_t n = static_cast<int32_t>(
        std::min<int64_t>(count - visited, int64_t{run.metres} - done_in_run_));
    double x0 = x0_, y0 = y0_, x1 = x1_, y1 = y1_;
    // Each point from the two before it: the same operations in the same
    // order on every walk.
    if (run.turn) {
      const double k = run.k;
      for (int32_t i = 0; i < n; ++i) {
        const PlanStepPoint next = NextPlanPoint(x0, y0, x1, y1, true, k);
        x0 = x1;
        y0 = y1;
        x1 = next.x;
        y1 = next.y;
        visit(x1, y1);
      }
    } else {
      for (int32_t i = 0; i < n; ++i) {
        const PlanStepPoint next = NextPlanPoint(x0, y0, x1, y1, false, 0);
        x0 = x1;
        y0 = y1;
        x1 = next.x;
        y1 = next.y;
        visit(x1, y1);
      }
    }
    x0_ = x0, y0_ = y0, x1_ = x1, y1_ = y1;
    visited += n;
    done_in_run_ += n;
    if (done_in_run_ == run.metres) {
      ++run_;
      done_in_run_ = 0;
    }
  }
  return visited;
}

}  // namespace sc

#endif  // SC_MODEL_ROUTE_PLAN_H_
