// The route plan file, "<line>_linea.dat": the plan's x column for every
// metre, then its y column, as variant elements with no header. An element
// is a 16-bit type code, then its value: nothing for an empty element, 2
// bytes for a 16-bit integer (metres 0 and 1), 8 for a double (metres 2 up
// to those computed); the metres never computed are empty.
#ifndef SC_COMPILER_FORMAT_ROUTE_PLAN_FILE_H_
#define SC_COMPILER_FORMAT_ROUTE_PLAN_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/route_plan.h"
#include "platform/env.h"

namespace sc {

// Type codes of a route plan element.
enum PlanElementType : uint16_t {
  kPlanEmpty = 0,   // never computed; no value bytes
  kPlanInt16 = 2,   // 16-bit integer (the starting values of metres 0 and 1)
  kPlanDouble = 5,  // computed point
};

// One route plan element. `value` holds the 16-bit integer exactly or the
// double bit for bit; it is 0 for an empty element.
struct PlanElement {
  uint16_t type = kPlanEmpty;
  double value = 0;
};

// A decoded route plan: x[m] and y[m] are the two columns at metre m.
struct DecodedPlan {
  std::vector<PlanElement> x;
  std::vector<PlanElement> y;
};

// Bytes of an element of each type, code included.
constexpr size_t kPlanEmptyBytes = 2;
constexpr size_t kPlanInt16Bytes = 4;
constexpr size_t kPlanDoubleBytes = 10;

// Encodes the plan into `file` with positional writes, both columns in one
// walk over the plan's points, in blocks of a few hundred kilobytes: the
// file is never held whole in memory.
Status WriteRoutePlan(const RoutePlan& plan, ReplacingFile& file);

// The route plan: a sequence of variant elements, all of column 0 then all of
// column 1. The file must be non-empty with an even element count; an unknown
// type code or a short value is a corruption ("... at byte offset N").
Status DecodeRoutePlan(std::string_view bytes, DecodedPlan* out);

// A route plan checked whole, then read metre by metre where it lies, so that
// a plan of any size is walked in constant memory.
class RoutePlanReader {
 public:
  // Checks the layout as DecodeRoutePlan does, with its corruption.
  Status Open(std::string_view bytes);
  // Metres in each column.
  size_t metres() const { return metres_; }
  // The byte offset where the second column starts (found by Open).
  size_t second_column() const { return second_column_; }
  // The next metre's two elements; false after the last.
  bool Next(PlanElement* x, PlanElement* y);

 private:
  std::string_view bytes_;
  size_t metres_ = 0;
  size_t next_metre_ = 0;
  size_t x_offset_ = 0;
  size_t y_offset_ = 0;
  size_t second_column_ = 0;
};

// The name of a plan element type: "empty", "int16", "double".
const char* PlanElementTypeName(uint16_t type);

}  // namespace sc

#endif  // SC_COMPILER_FORMAT_ROUTE_PLAN_FILE_H_
