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

#include "decompiler/irreproducible.h"

namespace sc {

struct RecoveredCurve {
  int32_t start = 0;   // the last straight metre before it
  int32_t length = 0;  // metres turned
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
// Where the y column of a route plan starts: after every x element. The
// bytes must decode (RoutePlanReader::Open).
uint64_t PlanYColumnOffset(std::string_view bytes);

// Reads the curves from a route plan's bytes. False with `error` ("... at
// byte offset N") when the file is malformed; metres that no curve record
// gives are added to `places` (named `file`), each read as straight on.
bool RecoverPlanCurves(std::string_view bytes, const std::string& file, PlanCurves* out,
                       IrreproduciblePlaces* places, std::string* error);

}  // namespace sc

#endif  // SC_DECOMPILER_PLAN_CURVES_H_
