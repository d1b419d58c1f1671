// Decompiling the longest route against compiling it: BM_CompileMaximumRoute
// compiles the two texts and encodes the three files (in memory, so the disk
// does not weigh on either side); BM_DecompileMaximumRoute turns those files
// back into the two texts, which includes compiling the texts again to
// compare every byte. Decompiling should take no longer than compiling.
#include <benchmark/benchmark.h>

#include "decompiler/decompile.h"
#include "decompiler/round_trip.h"
#include "maximum_route.h"

namespace sc {
namespace {

RunState Names() {
  RunState state;
  state.line_name = "Linea";
  state.train_number = "1";
  return state;
}

void BM_CompileMaximumRoute(benchmark::State& state) {
  const std::string line = testing::MaximumRouteLine();
  const std::string train = testing::MaximumRouteTrain();
  for (auto _ : state) {
    std::optional<CompiledBytes> bytes = CompileToBytes(line, train, Names());
    if (!bytes) state.SkipWithError("the maximum route did not compile");
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_CompileMaximumRoute)->Unit(benchmark::kMillisecond);

void BM_DecompileMaximumRoute(benchmark::State& state) {
  const std::optional<CompiledBytes> bytes =
      CompileToBytes(testing::MaximumRouteLine(), testing::MaximumRouteTrain(), Names());
  if (!bytes) {
    state.SkipWithError("the maximum route did not compile");
    return;
  }
  const CompiledScenarioFiles files = ScenarioFilesOf(*bytes);
  for (auto _ : state) {
    DecompiledScenario texts;
    std::string error;
    if (!Decompile(files, "bench", &texts, &error) || !texts.places.empty())
      state.SkipWithError("the maximum route did not decompile faithfully");
    benchmark::DoNotOptimize(texts);
  }
  state.counters["plan_bytes"] = static_cast<double>(bytes->plan->size());
}
BENCHMARK(BM_DecompileMaximumRoute)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sc
