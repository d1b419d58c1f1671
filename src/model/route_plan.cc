#include "model/route_plan.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace sc {

void RoutePlan::Start() {
  runs_.clear();
  filled_ = std::clamp<int64_t>(int64_t{last_metre_} + 1, 0, kStartingPoints);
}

void RoutePlan::Straight(int64_t metres) { Add(false, 0, metres); }

void RoutePlan::Turn(double k, int64_t metres) { Add(true, k, metres); }

void RoutePlan::Add(bool turn, double k, int64_t metres) {
  if (filled_ < kStartingPoints) return;
  metres = std::min(metres, int64_t{last_metre_} + 1 - filled_);
  while (metres > 0) {
    // A run continuing the last one (the same turn, bit for bit) extends it.
    if (runs_.empty() || runs_.back().turn != turn ||
        (turn && std::bit_cast<uint64_t>(runs_.back().k) != std::bit_cast<uint64_t>(k)) ||
        runs_.back().metres == std::numeric_limits<int32_t>::max()) {
      runs_.push_back({k, 0, turn});
    }
    Run& run = runs_.back();
    const int64_t n = std::min<int64_t>(metres, std::numeric_limits<int32_t>::max() - run.metres);
    run.metres += static_cast<int32_t>(n);
    filled_ += n;
    metres -= n;
  }
}

}  // namespace sc
