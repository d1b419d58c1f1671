#include "decompiler/round_trip.h"

#include "compiler/compilation.h"
#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "platform/mem_env.h"
#include "platform/paths.h"

namespace sc {

CompiledScenarioFiles ScenarioFilesOf(const CompiledBytes& bytes, const std::string& plan_name,
                                      const std::string& station_name,
                                      const std::string& grid_name) {
  CompiledScenarioFiles files;
  if (bytes.plan) files.plan = *bytes.plan;
  files.plan_name = plan_name;
  files.stations = bytes.stations;
  files.station_name = station_name;
  files.grid = bytes.grid;
  files.grid_name = grid_name;
  return files;
}

std::optional<CompiledBytes> CompileToBytes(const std::string& line_text,
                                            const std::string& train_text, const RunState& state,
                                            ErrorCode* error) {
  RunState run;
  run.line_name = state.line_name;
  run.train_number = state.train_number;
  run.compile_flag = state.compile_flag;
  Compilation compilation;
  const CompileInput input{"line", line_text, "train", train_text};
  const CompileOutcome outcome = CompileScenario(input, run, compilation);
  if (error) *error = run.error_code;
  if (run.error_code != kErrNone || !HasCompiledOutput(outcome, compilation)) return std::nullopt;
  MemEnv env;
  if (!WriteCompiledFiles(env, "out", run, compilation).ok()) return std::nullopt;
  CompiledBytes bytes;
  if (run.compile_flag != 0) bytes.plan = env.files[JoinPath("out", RoutePlanFileName(run))];
  bytes.stations = env.files[JoinPath("out", StationFileName(run))];
  bytes.grid = env.files[JoinPath("out", GridFileName(run))];
  return bytes;
}

TextPair SplitTextPair(std::string_view bytes) {
  constexpr std::string_view kSeparator = "\n@@@\n";
  const size_t split = bytes.find(kSeparator);
  if (split == std::string_view::npos) return {std::string(bytes), std::string()};
  return {std::string(bytes.substr(0, split)),
          std::string(bytes.substr(split + kSeparator.size()))};
}

std::string CheckRoundTrip(const CompiledBytes& compiled) {
  const CompiledScenarioFiles files = ScenarioFilesOf(compiled);
  DecompiledScenario texts;
  const Status decompiled = Decompile(files, "test", &texts);
  if (!decompiled.ok()) return "decompile failed: " + decompiled.message();
  std::string report;
  for (const IrreproduciblePlace& p : texts.places.shown()) {
    report += p.file + " byte " + std::to_string(p.offset) + " " + p.field + ": " + p.what + "\n";
  }
  RunState state;
  state.line_name = texts.line_name;
  state.train_number = texts.train_number;
  state.compile_flag = compiled.plan ? 1 : 0;
  ErrorCode code = kErrNone;
  const std::optional<CompiledBytes> again =
      CompileToBytes(texts.line_text, texts.train_text, state, &code);
  if (!again)
    return report + "the decompiled texts compile with error code " + std::to_string(code);
  if (again->plan != compiled.plan) report += "the route plan differs\n";
  if (again->stations != compiled.stations) report += "the station file differs\n";
  if (again->grid != compiled.grid) report += "the grid file differs\n";
  return report;
}

}  // namespace sc
