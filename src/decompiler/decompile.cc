#include "decompiler/decompile.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "compiler/compilation.h"
#include "compiler/compile.h"
#include "compiler/format/grid_file.h"
#include "compiler/format/station_file.h"
#include "decompiler/compare_compiled.h"
#include "decompiler/plan_curves.h"
#include "decompiler/record_text.h"
#include "decompiler/scenario_records.h"

namespace sc {
namespace {

// What compiling the texts built.
struct Built {
  RunState state;
  Compilation compilation;
  CompileOutcome outcome;
};

std::unique_ptr<Built> CompileTexts(const DecompiledScenario& texts, bool plan) {
  auto built = std::make_unique<Built>();
  built->state.line_name = texts.line_name;
  built->state.train_number = texts.train_number;
  built->state.compile_flag = plan ? 1 : 0;
  CompileInput input;
  input.line_file_name = "line description";
  input.line_text = texts.line_text;
  input.train_file_name = "train and service file";
  input.train_text = texts.train_text;
  built->outcome = CompileScenario(input, built->state, built->compilation);
  return built;
}

// The "abbattimento" entries: marker cells (kind 12 or 13) the compile of
// the texts so far does not give (MissingMarkers). The finalisation's own
// markers come back by compiling; an entry changes where later ones go, so
// this is repeated until nothing is added.
// The marker cells the compile does not give: first every one the
// finalisation could not have placed (another value, kind 13), all at once;
// when only cells holding the finalisation's own marker are left, the first
// of them alone, since an entry there moves where the run through a slowdown
// puts every later marker (the compile may give the rest by itself).
std::vector<size_t> MissingMarkers(const std::vector<TrackCell>& stored, const TrackGrid& built) {
  std::vector<size_t> records, finalisation;
  for (size_t i = 0; i < stored.size() && i < built.cells().size(); ++i) {
    const TrackCell& want = stored[i];
    if (want.kind != kKindMarker && want.kind != kKindAbbattimentoZero) continue;
    const TrackCell& got = built.cells()[i];
    if (got.kind == want.kind &&
        (want.kind == kKindAbbattimentoZero || got.value_a == want.value_a))
      continue;
    const bool own = want.kind == kKindMarker && want.value_a == kFinalMarkerValue;
    (own ? finalisation : records).push_back(i);
  }
  if (records.empty() && !finalisation.empty()) records.push_back(finalisation.front());
  return records;
}

bool AddAbbattimenti(const std::vector<TrackCell>& stored, const TrackGrid& built,
                     TrainRecords* train) {
  constexpr int64_t kWrap = 65536;  // a value is stored as its low 16 bits
  bool added = false;
  for (const size_t i : MissingMarkers(stored, built)) {
    const TrackCell& want = stored[i];
    const int32_t position = static_cast<int32_t>(ProfileMetreOf(static_cast<int64_t>(i)));
    const bool listed = std::any_of(train->abbattimenti.begin(), train->abbattimenti.end(),
                                    [&](const ProfilePoint& a) { return a.position == position; });
    if (listed) continue;
    int64_t value = 0;
    if (want.kind == kKindMarker) value = want.value_a > 0 ? want.value_a : want.value_a + kWrap;
    train->abbattimenti.push_back({position, static_cast<int32_t>(value)});
    added = true;
  }
  std::sort(train->abbattimenti.begin(), train->abbattimenti.end(),
            [](const ProfilePoint& a, const ProfilePoint& b) { return a.position < b.position; });
  return added;
}

std::vector<std::string> Preamble(const CompiledScenarioFiles& files, const std::string& program,
                                  const DecompiledScenario& out) {
  std::vector<std::string> lines = {"Decompiled by " + program + " from:"};
  if (files.plan) {
    lines.push_back("  route plan:   " + files.plan_name);
  } else {
    lines.push_back("  route plan:   none given, so no curve record can be recovered; compile");
    lines.push_back("                this line with --no-plan.");
  }
  lines.push_back("  station file: " + files.station_name);
  lines.push_back("  track grid:   " + files.grid_name);
  lines.push_back("Compiled as line '" + out.line_name + "', train '" + out.train_number +
                  "', the two text files give those files back byte for byte");
  if (!out.places.empty()) {
    const uint64_t n = out.places.total();
    lines.back() += ", except at " + std::to_string(n) + (n == 1 ? " place" : " places") +
                    " that no text can give (decompile lists them).";
  } else {
    lines.back() += ".";
  }
  lines.push_back("");
  return lines;
}

}  // namespace

Status Decompile(const CompiledScenarioFiles& files, const std::string& program,
                 DecompiledScenario* out) {
  StationTable table;
  std::vector<TrackCell> cells;
  Status decoded = DecodeStationFile(files.stations, &table);
  if (!decoded.ok()) {
    return Status::Corruption(files.station_name + ": " + decoded.message());
  }
  decoded = DecodeGridFile(files.grid, &cells);
  if (!decoded.ok()) {
    return Status::Corruption(files.grid_name + ": " + decoded.message());
  }
  // The plan's own account of metres no curve gives is more precise than the
  // comparison, where one such metre moves every later point.
  IrreproduciblePlaces plan_places;
  std::optional<PlanCurves> curves;
  RoutePlanReader plan_reader;
  if (files.plan) {
    decoded = plan_reader.Open(*files.plan);
    if (!decoded.ok()) {
      return Status::Corruption(files.plan_name + ": " + decoded.message());
    }
    RecoverPlanCurves(plan_reader, files.plan_name, &curves.emplace(), &plan_places);
  }
  out->line_name = table.slots[kSlotBackgrounds].name;
  out->train_number = table.slots[kSlotRepetition].name;
  const LineRecords line = RecoverLineRecords(table, cells, curves ? &*curves : nullptr);
  TrainRecords train = RecoverTrainRecords(table, cells);
  out->line_text = LineDescriptionText("", line);

  // Compiled until no entry is added; the last compile is of the final text.
  std::unique_ptr<Built> built;
  // Each round adds the entries no finalisation gives, or one of its own
  // markers the run put elsewhere.
  constexpr int kMarkerRounds = 32;
  for (int round = 0; round < kMarkerRounds; ++round) {
    out->train_text = TrainServiceText("", train);
    built = CompileTexts(*out, files.plan.has_value());
    const bool added =
        built->compilation.grid && AddAbbattimenti(cells, *built->compilation.grid, &train);
    if (!added) break;
    if (round + 1 == kMarkerRounds) {
      out->train_text = TrainServiceText("", train);
      built = CompileTexts(*out, files.plan.has_value());
    }
  }

  out->compile_error = built->state.error_code;
  if (!HasCompiledOutput(built->outcome, built->compilation)) {
    out->places.Add({files.grid_name, 0, "whole file",
                     "compiling the text writes no compiled file" +
                         (built->outcome.message ? " (" + MessageText(*built->outcome.message) + ")"
                                                 : std::string())});
  } else {
    if (files.plan) {
      // Field by field only where the steps do not already prove it.
      if (plan_places.empty() && built->compilation.plan &&
          !DrawsTheSamePlan(*built->compilation.plan, *curves)) {
        ComparePlans(files.plan_name, plan_reader, *built->compilation.plan, &out->places);
      }
      out->places.AddAll(plan_places);
    }
    CompareStationTables(files.station_name, table, built->compilation.stations, &out->places);
    CompareGrids(files.grid_name, cells, *built->compilation.grid, &out->places);
  }
  out->curves = static_cast<int>(line.curves.size());
  out->records = static_cast<int>(
      line.curves.size() + line.gradients.size() + line.mountains.size() + line.boards.size() +
      line.signs.size() + train.speeds.size() + train.adhesions.size() + train.stations.size() +
      train.slowdowns.size() + train.signals.size() + train.abbattimenti.size());
  const std::string preamble = PreambleText(Preamble(files, program, *out));
  out->line_text = LineDescriptionText(preamble, line);
  out->train_text = TrainServiceText(preamble, train);
  return Status::Ok();
}

}  // namespace sc
