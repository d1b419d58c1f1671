// Curve records fitted to a track: the straights and curves of the six radius
// classes that make the compiler's route plan follow the track's shape.
//
// The plan is drawn one metre at a time (model/route_plan.h), each point from
// the two before it, and a turning metre lengthens the step a little without
// renormalising it, so every curve stretches everything drawn after it. The
// fitter therefore never lays out ideal arcs: it draws the plan metre by
// metre with the compiler's own step (NextPlanPoint), and at each metre
// chooses straight or one class and side from where that plan stands against
// the track (its sideways offset and heading error) and from how the track
// curves just ahead. A class is kept until another follows the track
// clearly better, so records stay few. The result is then measured again by
// walking a RoutePlan built from the records, as the compiler will.
#ifndef SC_IMPORT_CURVE_FIT_H_
#define SC_IMPORT_CURVE_FIT_H_

#include <cstdint>
#include <vector>

#include "import/local_projection.h"

namespace sc {

// One "curva" record: metres start + 1 to start + length turn.
struct CurveRecord {
  int64_t start = 0;
  int64_t length = 0;
  int curve_class = 1;  // 1 to 6 (kCurveClasses)
  bool left = false;
};

// A stretch of track that curves tighter than the tightest class.
struct TightPlace {
  double from = 0, to = 0;  // metres along the track
  double radius = 0;        // the smallest radius there, metres
};

struct CurveFit {
  std::vector<CurveRecord> records;  // ascending, never overlapping
  int64_t plan_metres = 0;           // the plan metre that reaches the track's end
  double plan_length = 0;            // metres drawn by the plan's steps up to there
  double track_length = 0;           // the projected track's length
  double max_distance = 0;           // the plan's points from the track, metres
  int64_t max_distance_metre = 0;    // where that is (plan metre)
  double rms_distance = 0;
  std::vector<TightPlace> tight;
};

// Fits records to `track` (two points or more, in the plan frame: starting at
// (0, 0) heading along +y, as LocalProjection gives it), at most
// `max_metres` plan metres long.
CurveFit FitCurves(const std::vector<PlanXY>& track, int64_t max_metres);

}  // namespace sc

#endif  // SC_IMPORT_CURVE_FIT_H_
