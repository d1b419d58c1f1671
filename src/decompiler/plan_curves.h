// The curve records behind a route plan. Every computed metre of a plan
// follows from the two before it, straight on or turned by the turn per metre
// of one of the six radius classes; a run of metres turned alike is one curve
// record. Each metre is recomputed from the file's own two points before it
// with the plan's arithmetic (NextPlanPoint) and must come out bit for bit;
// one that matches no step is a place no curve record can give.
#ifndef SC_DECOMPILER_PLAN_CURVES_H_
#define SC_DECOMPILER_PLAN_CURVES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/format/route_plan_file.h"
#include "decompiler/irreproducible.h"

namespace sc {

struct RecoveredCurve {
  int32_t start = 0;     // the last straight metre before it
  int32_t length = 0;    // metres turned
  int radius_class = 1;  // 1 to 6, index into kCurveClasses plus 1
  bool left = false;     // "curvas"; otherwise "curvad"
};

struct PlanCurves {
  std::vector<RecoveredCurve> curves;  // in position order
  int64_t metres = 0;                  // metres in the plan (both columns)
  int64_t filled = 0;                  // metres from 0 that hold a point
};

// Bytes of a route plan element of `type`, its code included.
size_t PlanElementBytes(uint16_t type);
// The byte offsets of a route plan's elements, metre by metre: the x
// column's counted as it goes, the y column's from where that column starts
// (as the reader that opened the plan found it).
class PlanOffsets {
 public:
  explicit PlanOffsets(const RoutePlanReader& opened) : y_start_(opened.second_column()) {}
  uint64_t x() const { return x_; }
  uint64_t y() const { return y_start_ + y_past_start_; }
  // Past the metre whose elements have these types.
  void Advance(uint16_t x_type, uint16_t y_type);

 private:
  uint64_t y_start_;
  uint64_t x_ = 0;
  uint64_t y_past_start_ = 0;  // bytes of y elements passed so far
};

// Reads the curves from a route plan: `opened` is a reader of it just opened
// (RoutePlanReader::Open checked the layout). Metres that no curve record
// gives are added to `places` (named `file`), each read as the nearest step.
void RecoverPlanCurves(const RoutePlanReader& opened, const std::string& file, PlanCurves* out,
                       IrreproduciblePlaces* places);

// Whether `built` is the plan the curves were read from, bit for bit: the
// same metres, the same computed metres, and each point the one the curves'
// steps draw. Where RecoverPlanCurves found every metre exactly, the file
// holds those very points, so this proves `built` gives the file's bytes
// without decoding the file again.
bool DrawsTheSamePlan(const RoutePlan& built, const PlanCurves& curves);

}  // namespace sc

#endif  // SC_DECOMPILER_PLAN_CURVES_H_
