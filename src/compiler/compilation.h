// What a compile builds: the track grid, the station table and the route
// plan, with the readers' shared counters.
#ifndef SC_COMPILER_COMPILATION_H_
#define SC_COMPILER_COMPILATION_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "compiler/provenance.h"
#include "model/encoders.h"
#include "model/provenance.h"
#include "model/station_table.h"
#include "model/track_grid.h"

namespace sc {

// Allocates like std::allocator, but an element made without a value is left
// uninitialised instead of zeroed: a million-metre plan is written metre by
// metre anyway, and zero-filling it first costs a pass over 16 MB.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// One column of the route plan, a value per metre.
using PlanColumn = std::vector<double, UninitialisedAllocator<double>>;

// The route plan: the ground plan of the track, one (x, y) point per metre,
// metres 0 to last_metre (route length + 7000). Metres 0 and 1 hold the
// 16-bit starting values (0, 0) and (0, 1); metres 2 to filled - 1 hold
// computed doubles; metres from `filled` on were never computed (empty).
// Its columns are not zero-filled when made: every metre below `filled` is
// written before it is read, and the metres from `filled` on are never read.
struct RoutePlan {
  explicit RoutePlan(int32_t last) : last_metre(last), x(static_cast<size_t>(last) + 1), y(x.size()) {}
  int32_t last_metre;
  PlanColumn x;
  PlanColumn y;
  int64_t filled = 0;
};

struct Compilation {
  StationTable stations;
  std::optional<TrackGrid> grid;  // created by the line description reader
  std::optional<RoutePlan> plan;  // only when the plan is requested
  MountainRanges mountains;
  // The next free sign slot (80 down); the train reader stops stations below it.
  int32_t next_sign_slot = kFirstSignSlot;
  // Which record placed each cell's object; kept only with diagnostics on.
  CellProvenance placements;
  // Optional: records which input record wrote each cell (null: not asked).
  Provenance* provenance = nullptr;
};

}  // namespace sc

#endif  // SC_COMPILER_COMPILATION_H_
