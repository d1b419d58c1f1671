// The station table: 87 records, slots 0 to 86. Slots 1 upwards hold the
// stations, slots 80 downwards the sign texts, slots 81 to 86 the scenario's
// header values.
#ifndef SC_MODEL_STATION_TABLE_H_
#define SC_MODEL_STATION_TABLE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sc {

// The longest text a record holds: its byte count is stored in 16 bits.
constexpr size_t kMaxTextBytes = 65535;

// Station kinds (a station's `kind`, the second number of its line) that
// change how its area is computed and how it is marked on the track:
// - platform ends (5 and 6): the area runs from the position back by the
//   length and 150 m past it; the end marker gets no countdown marks;
// - through stations (7 and 8): the area reaches the length either side;
// - any other kind is centred on the position;
// - kinds from 25 upwards are unmarked: no end marker, no countdown marks.
inline constexpr uint8_t kStationPlatformEndA = 5;
inline constexpr uint8_t kStationPlatformEndB = 6;
inline constexpr uint8_t kStationThroughA = 7;
inline constexpr uint8_t kStationThroughB = 8;
inline constexpr uint8_t kFirstUnmarkedStationKind = 25;

constexpr bool IsPlatformEnd(uint8_t kind) {
  return kind == kStationPlatformEndA || kind == kStationPlatformEndB;
}
constexpr bool IsThroughStation(uint8_t kind) {
  return kind == kStationThroughA || kind == kStationThroughB;
}
constexpr bool IsMarkedStation(uint8_t kind) { return kind < kFirstUnmarkedStationKind; }

// One slot, fields in the order they are stored in the station file.
struct StationRecord {
  uint8_t kind = 0;
  int32_t start = 0;
  int32_t end = 0;
  int32_t position = 0;
  uint8_t byte_1 = 0;
  std::string name;  // Windows-1252 bytes
  int16_t word_1 = 0;
  int16_t word_2 = 0;
  int16_t word_3 = 0;
  int16_t word_4 = 0;
  int16_t word_5 = 0;
  uint8_t byte_2 = 0;
  uint8_t byte_3 = 0;
  uint8_t byte_4 = 0;
  uint8_t byte_5 = 0;
  int32_t time_s = 0;

  bool operator==(const StationRecord&) const = default;
};

// Header slots.
inline constexpr int kSlotKmRefTre = 81;
inline constexpr int kSlotKmRefDue = 82;
inline constexpr int kSlotKmRefUno = 83;
inline constexpr int kSlotTrainRoute = 84;
inline constexpr int kSlotBackgrounds = 85;
inline constexpr int kSlotRepetition = 86;
// The first sign slot; signs count down from here.
inline constexpr int kFirstSignSlot = 80;
inline constexpr int kStationSlots = 87;

struct StationTable {
  std::array<StationRecord, kStationSlots> slots;

  // Every numeric field to 0 and every name to "", slots 0 to 86.
  void Clear() { slots.fill(StationRecord{}); }
};

// Computes a station's `start` and `end` from its `position`, `kind` and
// length, and applies the `byte_4` and `byte_5` rules (`first` is true for
// the station in slot 1). Returns false when the 32-bit arithmetic overflows.
bool ComputeStationArea(StationRecord& station, int32_t length, bool first);

// progressive_ordina: orders the kilometre references in slots 81 to 83 and
// applies the +100 rule. Returns false when the 32-bit arithmetic overflows.
bool ProgressiveOrdina(StationTable& table);

}  // namespace sc

#endif  // SC_MODEL_STATION_TABLE_H_
