#include "model/station_table.h"

#include <array>
#include <cstdint>
#include <optional>

#include "model/rounding.h"

namespace sc {
namespace {

// Platform-end kinds reach 150 m past the position; through kinds reach L.
constexpr int32_t kPlatformEndReach = 150;
// A non-zero `byte_4` lengthens a centred area by this much.
constexpr double kExtension = 50.0;
// `byte_5` only survives on stations at least this long.
constexpr int32_t kMinLengthForByte5 = 600;
// A kilometre reference whose third value is this gets kRefBonus added.
constexpr int32_t kRefBonusFlag = 1;
constexpr int32_t kRefBonus = 100;

std::optional<int32_t> ToLong(int64_t v) {
  if (!FitsLong(v)) return std::nullopt;
  return static_cast<int32_t>(v);
}

// A kilometre reference: the three Longs of slots 81 to 83.
struct KmRef {
  int32_t first = 0;
  int32_t second = 0;
  int32_t third = 0;
};

KmRef ReadRef(const StationRecord& r) { return {r.start, r.end, r.position}; }

void WriteRef(StationRecord& r, const KmRef& ref) {
  r.start = ref.first;
  r.end = ref.second;
  r.position = ref.third;
}

using RefOrder = std::array<KmRef, 3>;

// Ordering by first values (their sum is non-zero). The strictly largest
// goes first; of the two others the larger follows, and on a tie the one
// from the higher-numbered slot does. No strict largest: all zero.
RefOrder OrderByFirst(const KmRef& t, const KmRef& d, const KmRef& u) {
  if (t.first > d.first && t.first > u.first) {
    return d.first > u.first ? RefOrder{t, d, u} : RefOrder{t, u, d};
  }
  if (d.first > t.first && d.first > u.first) {
    return t.first > u.first ? RefOrder{d, t, u} : RefOrder{d, u, t};
  }
  if (u.first > t.first && u.first > d.first) {
    return t.first > d.first ? RefOrder{u, t, d} : RefOrder{u, d, t};
  }
  return RefOrder{};
}

// Ordering when the first values sum to 0: the last entry, in the order
// T, D, U, with a positive second value picks the order. None: all zero.
RefOrder OrderBySecond(const KmRef& t, const KmRef& d, const KmRef& u) {
  RefOrder order{};
  if (t.second > 0) order = {t, d, u};
  if (d.second > 0) order = {d, t, u};
  if (u.second > 0) order = {u, d, t};
  return order;
}

}  // namespace

bool ComputeStationArea(StationRecord& station, int32_t length, bool first) {
  const int64_t pos = station.position;
  int64_t start = 0;
  int64_t end = 0;
  bool centred = false;
  if (IsPlatformEnd(station.kind)) {
    start = pos - length;
    end = pos + kPlatformEndReach;
  } else if (IsThroughStation(station.kind)) {
    start = pos - length;
    end = pos + length;
  } else {
    centred = true;
    const double half = static_cast<double>(length) / 2.0;
    const double extra = station.byte_4 != 0 ? kExtension : 0.0;
    start = RoundToInt(static_cast<double>(pos) - half);
    end = RoundToInt(static_cast<double>(pos) + half + extra);
  }
  std::optional<int32_t> start32 = ToLong(start);
  std::optional<int32_t> end32 = ToLong(end);
  if (!start32 || !end32) return false;

  station.start = *start32;
  station.end = *end32;
  if (!centred) station.byte_4 = 0;
  if (length < kMinLengthForByte5) station.byte_5 = 0;
  if (first) {
    station.byte_4 = 0;
    station.byte_5 = 0;
  }
  return true;
}

bool ProgressiveOrdina(StationTable& table) {
  StationRecord& slot_t = table.slots[kSlotKmRefTre];
  StationRecord& slot_d = table.slots[kSlotKmRefDue];
  StationRecord& slot_u = table.slots[kSlotKmRefUno];
  const KmRef t = ReadRef(slot_t);
  const KmRef d = ReadRef(slot_d);
  const KmRef u = ReadRef(slot_u);

  // Summed left to right in 32 bits, as the header values are Longs.
  std::optional<int32_t> partial = ToLong(int64_t{t.first} + d.first);
  if (!partial) return false;
  std::optional<int32_t> sum = ToLong(int64_t{*partial} + u.first);
  if (!sum) return false;

  const RefOrder order = *sum != 0 ? OrderByFirst(t, d, u) : OrderBySecond(t, d, u);
  WriteRef(slot_t, order[0]);
  WriteRef(slot_d, order[1]);
  WriteRef(slot_u, order[2]);

  // The bonus goes slot by slot; an overflow stops at that slot, leaving
  // the earlier slots done.
  for (StationRecord* slot : {&slot_t, &slot_d, &slot_u}) {
    if (slot->position != kRefBonusFlag) continue;
    std::optional<int32_t> bumped = ToLong(int64_t{slot->end} + kRefBonus);
    if (!bumped) return false;
    slot->end = *bumped;
  }
  return true;
}

}  // namespace sc
