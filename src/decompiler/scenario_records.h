// The records of the two text descriptions as a decompile recovers them from
// the compiled files, each with the values its text line carries.
#ifndef SC_DECOMPILER_SCENARIO_RECORDS_H_
#define SC_DECOMPILER_SCENARIO_RECORDS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "decompiler/plan_curves.h"
#include "model/station_table.h"
#include "model/track_grid.h"

namespace sc {

// The type a mountain range takes when it starts 150 m or less after the
// previous one's end (it joins it).
inline constexpr int32_t kJoinedType = 3;

struct ProfilePoint {
  int32_t position = 0;
  int32_t value = 0;
};

struct LineRecords {
  int32_t route_length = 0;
  // "progressiva chilometrica uno", "due", "tre": first, second, third.
  std::array<std::array<int32_t, 3>, 3> km_references{};
  int32_t background_uno = 0, background_due = 0, background_tre = 0;
  int repetition_codes = 4;  // the "4" or "9" of the keyword
  int32_t repetition_first = 0, repetition_last = 0;
  bool has_plan = false;
  std::vector<RecoveredCurve> curves;
  std::vector<ProfilePoint> gradients;
  struct Mountain {
    int32_t start, end, type;
  };
  std::vector<Mountain> mountains;
  struct Board {
    int32_t position, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced;
  };
  std::vector<Board> boards;
  struct Sign {
    int32_t position;
    std::string text;
  };
  std::vector<Sign> signs;
};

struct TrainRecords {
  int32_t cars = 0, braked_mass = 0;
  int32_t sand = 0;
  int32_t clock_hours = 0, clock_minutes = 0, clock_seconds = 0;
  std::vector<ProfilePoint> speeds;
  std::vector<ProfilePoint> adhesions;
  struct Station {
    int32_t position, kind, length;
    int32_t byte_1, byte_5, byte_4, word_1, word_2, byte_2, word_3, word_4, word_5, byte_3;
    int32_t hours, minutes, seconds;
    std::string name;
  };
  std::vector<Station> stations;
  struct Slowdown {
    int32_t x, v, l, f_tt, f_ta, d_v;
  };
  std::vector<Slowdown> slowdowns;
  struct Signal {
    int32_t position, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
  };
  std::vector<Signal> signals;
  std::vector<ProfilePoint> abbattimenti;  // position, value
};

// Recovers the line description's records from the station table, the grid
// and the curves (when there is a plan).
LineRecords RecoverLineRecords(const StationTable& stations, const std::vector<TrackCell>& cells,
                               const PlanCurves* plan);

// Recovers the train and service file's records, "abbattimento" entries
// excepted (they depend on what the finalisation places; see decompile.cc).
TrainRecords RecoverTrainRecords(const StationTable& stations, const std::vector<TrackCell>& cells);

}  // namespace sc

#endif  // SC_DECOMPILER_SCENARIO_RECORDS_H_
