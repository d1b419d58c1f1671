#include "import/curve_fit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/route_plan.h"

namespace sc {
namespace {

double Wrap(double angle) {
  while (angle > std::numbers::pi) angle -= 2 * std::numbers::pi;
  while (angle <= -std::numbers::pi) angle += 2 * std::numbers::pi;
  return angle;
}

// The track as a line with metres along it (in the plan frame), without
// repeated points.
class Line {
 public:
  explicit Line(const std::vector<PlanXY>& points) {
    for (const PlanXY& p : points) {
      if (!p_.empty() && p.x == p_.back().x && p.y == p_.back().y) continue;
      if (!p_.empty())
        a_.push_back(a_.back() + std::hypot(p.x - p_.back().x, p.y - p_.back().y));
      else
        a_.push_back(0);
      p_.push_back(p);
    }
  }
  size_t size() const { return p_.size(); }
  double length() const { return a_.back(); }
  const PlanXY& point(size_t i) const { return p_[i]; }
  double along(size_t i) const { return a_[i]; }

  // The point `s` metres along, clamped to the ends.
  PlanXY At(double s) const {
    if (s <= 0) return p_.front();
    if (s >= a_.back()) return p_.back();
    const size_t i = std::upper_bound(a_.begin(), a_.end(), s) - a_.begin() - 1;
    const double f = (s - a_[i]) / (a_[i + 1] - a_[i]);
    return {p_[i].x + f * (p_[i + 1].x - p_[i].x), p_[i].y + f * (p_[i + 1].y - p_[i].y)};
  }

  // The heading (radians, counter-clockwise from +x) of the chord from s - w
  // to s + w: the tangent at s for a circle; for w 0, of the segment at s.
  double Heading(double s, double w) const {
    if (w <= 0) {
      size_t i = std::upper_bound(a_.begin(), a_.end(), s) - a_.begin();
      i = std::clamp<size_t>(i, 1, p_.size() - 1);
      return std::atan2(p_[i].y - p_[i - 1].y, p_[i].x - p_[i - 1].x);
    }
    PlanXY a = At(s - w), b = At(s + w);
    if (a.x == b.x && a.y == b.y) a = At(s - w - 1), b = At(s + w + 1);
    return std::atan2(b.y - a.y, b.x - a.x);
  }

  // The curvature at s (1/metres, to the left positive) over chords of 2w.
  double Curvature(double s, double w) const {
    const double lo = std::max(s - w, w), hi = std::min(s + w, length() - w);
    if (hi <= lo) return 0;
    return Wrap(Heading(hi, w) - Heading(lo, w)) / (hi - lo);
  }

 private:
  std::vector<PlanXY> p_;
  std::vector<double> a_;
};

// Where a point stands against the line: metres along it and sideways from
// it (to the left positive). Follows the point forward from segment to
// segment, so a walk along the line costs little per point.
class Follower {
 public:
  explicit Follower(const Line& line) : line_(line) {}
  struct Place {
    double along = 0, offset = 0;
  };
  Place Locate(const PlanXY& p) {
    Place best;
    double best_d2 = -1;
    const size_t first = segment_ > 2 ? segment_ - 2 : 0;
    const double reach = (best_along_ < 0 ? 0 : best_along_) + 60;
    for (size_t i = first; i + 1 < line_.size(); ++i) {
      if (i > segment_ + 2 && line_.along(i) > reach) break;
      const PlanXY& a = line_.point(i);
      const PlanXY& b = line_.point(i + 1);
      const double vx = b.x - a.x, vy = b.y - a.y;
      const double len2 = vx * vx + vy * vy;
      double t = ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2;
      t = std::clamp(t, 0.0, 1.0);
      const double qx = a.x + t * vx - p.x, qy = a.y + t * vy - p.y;
      const double d2 = qx * qx + qy * qy;
      if (best_d2 < 0 || d2 < best_d2) {
        best_d2 = d2;
        best_segment_ = i;
        const double len = std::sqrt(len2);
        best.along = line_.along(i) + t * len;
        // Sideways: the cross product of the segment and the point.
        best.offset = (vx * (p.y - a.y) - vy * (p.x - a.x)) / len;
        if (t <= 0 || t >= 1) best.offset = std::copysign(std::sqrt(d2), best.offset);
      }
    }
    segment_ = best_segment_;
    best_along_ = best.along;
    return best;
  }

 private:
  const Line& line_;
  size_t segment_ = 0, best_segment_ = 0;
  double best_along_ = -1;
};

// A choice for one metre: straight (index 0) or a class to one side.
struct Choice {
  double k = 0;         // the plan's k: to the right positive
  double turn = 0;      // the heading's change per step, to the left positive
  int curve_class = 0;  // 0 straight
  bool left = false;
};

std::vector<Choice> Choices() {
  std::vector<Choice> choices = {{}};
  for (int i = 0; i < 6; ++i) {
    const double k = kCurveClasses[i].k;
    choices.push_back({k, -std::atan(k), i + 1, false});
    choices.push_back({-k, std::atan(k), i + 1, true});
  }
  return choices;
}

// The chord half-width for heading and curvature: about a segment of the
// track, so a map's sparse line is read over its own spacing. A line with a
// point every metre or so (one drawn metre by metre) is read segment by
// segment (0).
double ChordHalfWidth(const Line& line) {
  std::vector<double> steps;
  for (size_t i = 1; i < line.size(); ++i) steps.push_back(line.along(i) - line.along(i - 1));
  if (steps.empty()) return 1;
  std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
  const double median = steps[steps.size() / 2];
  return median <= 1.5 ? 0 : std::min(median, 40.0);
}

// A turn that draws the track's next metre to within this (radians per
// metre), with the plan this near the track (metres), is taken at once: the
// track is one the format itself draws there (a fifth of the smallest
// difference between two choices).
constexpr double kExact = 2e-5;
constexpr double kExactOffset = 0.25;
// Gains of the steering: sideways offset and heading error die away over
// about kHorizon metres, without overshoot (critically damped).
constexpr double kHorizon = 40;
constexpr double kHeadingGain = 2 / kHorizon;
constexpr double kOffsetGain = 1 / (kHorizon * kHorizon);
// How much better (turn per metre) another choice must follow the track
// before the current one is left.
constexpr double kKeep = 0.00015;

void AddTight(double along, double curvature, std::vector<TightPlace>* tight) {
  const double radius = 1 / std::abs(curvature);
  if (!tight->empty() && along - tight->back().to <= 20) {
    tight->back().to = along;
    tight->back().radius = std::min(tight->back().radius, radius);
  } else {
    tight->push_back({along, along, radius});
  }
}

void Measure(const Line& line, CurveFit* fit) {
  RoutePlan plan(static_cast<int32_t>(fit->plan_metres));
  plan.Start();
  for (const CurveRecord& r : fit->records) {
    plan.Straight(r.start + 1 - plan.filled());
    const double k = kCurveClasses[r.curve_class - 1].k;
    plan.Turn(r.left ? -k : k, r.start + r.length + 1 - plan.filled());
  }
  plan.Straight(fit->plan_metres + 1 - plan.filled());
  Follower follower(line);
  double sum2 = 0, px = 0, py = 0;
  int64_t metre = 0;
  fit->plan_length = 0;
  fit->max_distance = 0;
  plan.ForEachPoint([&](double x, double y) {
    const double d = std::abs(follower.Locate({x, y}).offset);
    sum2 += d * d;
    if (d > fit->max_distance) fit->max_distance = d, fit->max_distance_metre = metre;
    if (metre > 0) fit->plan_length += std::hypot(x - px, y - py);
    px = x, py = y;
    ++metre;
  });
  fit->rms_distance = metre > 0 ? std::sqrt(sum2 / static_cast<double>(metre)) : 0;
}

}  // namespace

CurveFit FitCurves(const std::vector<PlanXY>& track, int64_t max_metres) {
  CurveFit fit;
  const Line line(track);
  fit.track_length = line.length();
  if (line.size() < 2) return fit;
  const double w = ChordHalfWidth(line);
  const std::vector<Choice> choices = Choices();
  const double tightest = choices.back().turn;
  Follower follower(line);

  double x0 = RoutePlan::kStartX[0], y0 = RoutePlan::kStartY[0];
  double x1 = RoutePlan::kStartX[1], y1 = RoutePlan::kStartY[1];
  size_t current = 0;
  int64_t run_start = 0;  // the first metre of the current curve
  int64_t c = RoutePlan::kStartingPoints;
  const auto close_run = [&](int64_t end) {
    if (current == 0) return;
    fit.records.push_back(
        {run_start - 1, end - run_start, choices[current].curve_class, choices[current].left});
  };
  for (; c <= max_metres; ++c) {
    const Follower::Place place = follower.Locate({x1, y1});
    if (place.along >= line.length() - 0.5) break;
    const double dx = x1 - x0, dy = y1 - y0;
    const double step = std::hypot(dx, dy);
    const double heading = std::atan2(dy, dx);
    const double heading_error = Wrap(heading - line.Heading(place.along, w));
    const double curvature = line.Curvature(place.along + step / 2, std::max(w, 5.0));
    if (std::abs(curvature) * step > std::abs(tightest) * 1.02) {
      AddTight(place.along, curvature, &fit.tight);
    }
    // The turn that draws the track's next metre exactly, on a track read
    // segment by segment.
    size_t best = 0;
    bool drawn_exactly = false;
    if (w == 0) {
      const double exact = Wrap(line.Heading(place.along + step / 2, w) - heading);
      for (size_t i = 1; i < choices.size(); ++i) {
        if (std::abs(choices[i].turn - exact) < std::abs(choices[best].turn - exact)) best = i;
      }
      drawn_exactly = std::abs(choices[best].turn - exact) < kExact * step &&
                      std::abs(place.offset) < kExactOffset;
    }
    if (!drawn_exactly) {
      // Steer: the track's curvature, less what brings the heading error
      // and the sideways offset back to nothing over about kHorizon metres.
      const double want =
          (curvature - kHeadingGain * heading_error - kOffsetGain * place.offset) * step;
      best = 0;
      for (size_t i = 1; i < choices.size(); ++i) {
        if (std::abs(choices[i].turn - want) < std::abs(choices[best].turn - want)) best = i;
      }
      if (std::abs(choices[current].turn - want) <=
          std::abs(choices[best].turn - want) + kKeep * step) {
        best = current;
      }
    }
    if (best != current) {
      close_run(c);
      current = best;
      run_start = c;
    }
    const PlanStepPoint next = NextPlanPoint(x0, y0, x1, y1, current != 0, choices[current].k);
    x0 = x1, y0 = y1, x1 = next.x, y1 = next.y;
  }
  fit.plan_metres = c - 1;
  close_run(c);
  // A curve reaching the last metre is cut there.
  while (!fit.records.empty() && fit.records.back().start >= fit.plan_metres)
    fit.records.pop_back();
  if (!fit.records.empty()) {
    CurveRecord& last = fit.records.back();
    last.length = std::min(last.length, fit.plan_metres - last.start);
  }
  Measure(line, &fit);
  return fit;
}

}  // namespace sc
