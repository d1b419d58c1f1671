// Decoders for the three compiled files: the exact inverse of the writers in
// compiled_files.h. Each checks the layout as it reads and, on a malformed
// file, returns false with a message ending in "at byte offset N", N being
// where the fault lies. They never read outside `bytes`.
#ifndef SC_COMPILER_COMPILED_DECODERS_H_
#define SC_COMPILER_COMPILED_DECODERS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/station_table.h"
#include "model/track_grid.h"

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

// The 87 station records in slot order. The file must hold exactly 87
// records: a short record, a name whose count runs past the end, or bytes
// left after slot 86 are errors.
bool DecodeStationFile(std::string_view bytes, StationTable* out, std::string* error);

// The track cells in index order, 15 bytes each. The size must be a non-zero
// multiple of 15.
bool DecodeGridFile(std::string_view bytes, std::vector<TrackCell>* out, std::string* error);

// The route plan: a sequence of variant elements, all of column 0 then all of
// column 1. The file must be non-empty with an even element count; an unknown
// type code or a short value is an error.
bool DecodeRoutePlan(std::string_view bytes, DecodedPlan* out, std::string* error);

// A route plan checked whole, then read metre by metre where it lies, so that
// a plan of any size is walked in constant memory.
class RoutePlanReader {
 public:
  // Checks the layout as DecodeRoutePlan does; false with its message.
  bool Open(std::string_view bytes, std::string* error);
  // Metres in each column.
  size_t metres() const { return metres_; }
  // The next metre's two elements; false after the last.
  bool Next(PlanElement* x, PlanElement* y);

 private:
  std::string_view bytes_;
  size_t metres_ = 0;
  size_t next_metre_ = 0;
  size_t x_offset_ = 0;
  size_t y_offset_ = 0;
};

// The name of a plan element type: "empty", "int16", "double".
const char* PlanElementTypeName(uint16_t type);

}  // namespace sc

#endif  // SC_COMPILER_COMPILED_DECODERS_H_
