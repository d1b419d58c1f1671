// The largest inputs the program accepts. Files larger than these are
// refused before they are read, so a huge or endless file can neither exhaust
// memory nor stall the run.
#ifndef SC_COMPILER_INPUT_LIMITS_H_
#define SC_COMPILER_INPUT_LIMITS_H_

#include <cstddef>
#include <cstdint>

#include "model/track_grid.h"

namespace sc {

// The longest route a line description may declare, in metres.
constexpr int32_t kMaxRouteLength = 1000000;
// The largest compiled file: the route plan of the longest route, two
// columns of one 10-byte element per metre from metre 0 to the last. The
// station file (87 records of at most 65569 bytes) and the track grid (15
// bytes per 50 m) are smaller.
constexpr size_t kMaxCompiledFileBytes =
    2 * static_cast<size_t>(kMaxRouteLength + kTrackBeyondRoute + 1) * 10;

// The largest text description (line description or train and service
// file). Their records carry no size limit of their own; a line description
// with a record for every metre of the longest route stays under this.
constexpr size_t kMaxTextInputBytes = size_t{64} << 20;

}  // namespace sc

#endif  // SC_COMPILER_INPUT_LIMITS_H_
