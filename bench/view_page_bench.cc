// The viewer page for the largest route: a 1000000 m line with curves along
// its whole length and a train with signals, stations and slowdowns along all
// of it. BM_CompileLargest times the compile without and with the provenance
// recorder (its cost when on; off it is one test per write);
// BM_RenderViewPage the page itself, reporting its size in bytes.
#include <benchmark/benchmark.h>

#include <string>

#include "compiler/compile.h"
#include "model/provenance.h"
#include "present/preview_data.h"
#include "present/view_page.h"

namespace sc {
namespace {

constexpr int32_t kRouteLength = 1000000;

std::string LargestLine() {
  std::string text =
      "[generale]\r\nlunghezza percorso,    " + std::to_string(kRouteLength) + "\r\n[curve]\r\n";
  int n = 0;
  for (int32_t start = 800; start + 600 < kRouteLength; start += 1000, ++n) {
    text += std::string(n % 2 == 0 ? "curvad" : "curvas") + std::to_string(1 + n % 6) + ",  " +
            std::to_string(start) + ",  600\r\n";
  }
  for (int32_t m = 0; m < kRouteLength; m += 10000) {
    text += "pendenza,  " + std::to_string(m) + ",  " + std::to_string(m / 10000 % 13 - 6) + "\r\n";
  }
  return text + "[fine]\r\n";
}

std::string LargestTrain() {
  std::string text = "[generale]\r\naderenza,  0,  100\r\n";
  for (int32_t m = 0; m < kRouteLength; m += 25000) {
    text += "velocita,  " + std::to_string(m) + ",  " + std::to_string(80 + m / 25000 % 8 * 10) +
            "\r\n";
  }
  for (int32_t m = 10000, n = 1; m < kRouteLength - 10000; m += 20000, ++n) {
    text += "stazione,  " + std::to_string(m) +
            ",  12,  600,  1, 1, 0,  4,1,1,  2,1,1,  0,  8, 0, 0, Stazione " + std::to_string(n) +
            "\r\n";
  }
  for (int32_t m = 5000; m < kRouteLength - 5000; m += 10000) {
    text += "segnale,  " + std::to_string(m) + ",  2, 4, 0,  0, 0,  1,  3,0,0, 0\r\n";
  }
  return text + "[fine]\r\n";
}

void Compile(const CompileInput& input, Provenance* provenance, Compilation* compilation) {
  RunState state;
  state.line_name = "Massimo";
  state.train_number = "1";
  compilation->provenance = provenance;
  CompileScenario(input, state, *compilation);
}

void BM_CompileLargest(benchmark::State& bench) {
  const CompileInput input{"Massimo_linea.txt", LargestLine(), "Massimo_1-.txt", LargestTrain()};
  const bool record = bench.range(0) != 0;
  for (auto _ : bench) {
    Provenance provenance;
    Compilation compilation;
    Compile(input, record ? &provenance : nullptr, &compilation);
    benchmark::DoNotOptimize(compilation.grid);
  }
  bench.SetLabel(record ? "provenance on" : "provenance off");
}
BENCHMARK(BM_CompileLargest)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RenderViewPage(benchmark::State& bench) {
  const CompileInput input{"Massimo_linea.txt", LargestLine(), "Massimo_1-.txt", LargestTrain()};
  Provenance provenance;
  Compilation compilation;
  Compile(input, &provenance, &compilation);
  const PreviewData data = PreviewFromCompilation(compilation);
  ViewInput view;
  view.title = "Massimo";
  view.data = &data;
  view.provenance = &provenance;
  view.sources = {{"Massimo_linea.txt", *input.line_text}, {"Massimo_1-.txt", *input.train_text}};
  size_t size = 0;
  for (auto _ : bench) {
    std::string page = RenderViewPage(view);
    size = page.size();
    benchmark::DoNotOptimize(page);
  }
  bench.counters["page_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_RenderViewPage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sc
