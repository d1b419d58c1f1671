// Decompiling the longest route against compiling it, each as its command
// does the work, with real files in a temporary folder:
// - BM_CompileMaximumRoute: compile the two texts and write the three
//   compiled files (WriteCompiledFiles, as `compile`);
// - BM_DecompileMaximumRoute: read the three files and turn them back into
//   the two texts, which includes compiling the texts again to compare every
//   byte, and write the texts (as `decompile`).
// Decompiling should take no longer than compiling.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "compiler/compilation.h"
#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "compiler/input_limits.h"
#include "decompiler/decompile.h"
#include "maximum_route.h"
#include "platform/env.h"
#include "platform/paths.h"

namespace sc {
namespace {

RunState Names() {
  RunState state;
  state.line_name = "Linea";
  state.train_number = "1";
  return state;
}

std::string Folder() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("sc_bench_decompile_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return folder.string();
}

bool Compile(const std::string& folder, const std::string& line, const std::string& train) {
  RunState state = Names();
  Compilation compilation;
  CompileScenario({"line", line, "train", train}, state, compilation);
  return state.error_code == kErrNone &&
         WriteCompiledFiles(*Env::Default(), folder, state, compilation).ok();
}

void BM_CompileMaximumRoute(benchmark::State& state) {
  const std::string line = testing::MaximumRouteLine();
  const std::string train = testing::MaximumRouteTrain();
  const std::string folder = Folder();
  for (auto _ : state) {
    if (!Compile(folder, line, train)) state.SkipWithError("the maximum route did not compile");
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_CompileMaximumRoute)->Unit(benchmark::kMillisecond);

void BM_DecompileMaximumRoute(benchmark::State& state) {
  const std::string folder = Folder();
  if (!Compile(folder, testing::MaximumRouteLine(), testing::MaximumRouteTrain())) {
    state.SkipWithError("the maximum route did not compile");
    return;
  }
  Env& env = *Env::Default();
  const RunState names = Names();
  for (auto _ : state) {
    std::string plan, stations, grid;
    if (!env.ReadFile(JoinPath(folder, RoutePlanFileName(names)), kMaxCompiledFileBytes, &plan)
             .ok() ||
        !env.ReadFile(JoinPath(folder, StationFileName(names)), kMaxCompiledFileBytes, &stations)
             .ok() ||
        !env.ReadFile(JoinPath(folder, GridFileName(names)), kMaxCompiledFileBytes, &grid).ok()) {
      state.SkipWithError("the compiled files could not be read");
      break;
    }
    CompiledScenarioFiles files;
    files.plan = plan;
    files.stations = stations;
    files.grid = grid;
    DecompiledScenario texts;
    if (!Decompile(files, "bench", &texts).ok() || !texts.places.empty()) {
      state.SkipWithError("the maximum route did not decompile faithfully");
      break;
    }
    if (!env.WriteFiles({{JoinPath(folder, "Linea_linea.txt"), texts.line_text},
                         {JoinPath(folder, "Linea_1-.txt"), texts.train_text}})
             .ok()) {
      state.SkipWithError("the texts could not be written");
    }
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_DecompileMaximumRoute)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sc
