// The heaviest line the compiler accepts: a 1000000 m route with curves along
// its whole length, read and written out as a route plan to a real file.
// BM_CopyPlanSizedFile copies a file of the same size through the same file
// layer, as the yardstick for BM_CompileLongestLine.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "compiler/compilation.h"
#include "compiler/compiled_files.h"
#include "compiler/diagnostic.h"
#include "compiler/input_limits.h"
#include "compiler/line_reader.h"
#include "model/run_state.h"
#include "platform/env.h"

namespace sc {
namespace {

constexpr int32_t kRouteLength = 1000000;
// A curve of kCurveLength metres begins every kCurveSpacing metres, turning
// right and left in turn and through every radius class.
constexpr int32_t kCurveSpacing = 1000;
constexpr int32_t kCurveLength = 600;

std::string LongestLine() {
  std::string text = "-- linea di prova\r\n[generale]\r\nlunghezza percorso,    " +
                     std::to_string(kRouteLength) + "\r\nsfondo uno,    1\r\n[curve]\r\n";
  int n = 0;
  for (int32_t start = 800; start + kCurveLength < kRouteLength; start += kCurveSpacing, ++n) {
    text += std::string(n % 2 == 0 ? "curvad" : "curvas") + std::to_string(1 + n % 6) + ",  " +
            std::to_string(start) + ",  " + std::to_string(kCurveLength) + "\r\n";
  }
  return text + "[fine]\r\nriferimento fine del file\r\n";
}

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          ("sc_bench_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

// Reads the line and writes its plan to `path`; aborts the run on failure.
// Diagnostics are collected into `sink` when given.
void CompileToFile(const std::string& text, const std::string& path, benchmark::State& state,
                   DiagnosticSink* sink = nullptr) {
  RunState run;
  run.line_name = "Linea";
  run.train_number = "1";
  Compilation compilation;
  if (ReadLineDescription(text, "linea.txt", run, compilation, sink) != LineReadResult::kContinue ||
      run.error_code != 0 || !compilation.plan) {
    state.SkipWithError("the line did not compile");
    return;
  }
  std::unique_ptr<ReplacingFile> file;
  Status s = Env::Default()->NewReplacingFile(path, &file);
  if (s.ok()) s = WriteRoutePlan(*compilation.plan, *file);
  if (s.ok()) s = file->Commit();
  if (!s.ok()) state.SkipWithError(s.message().c_str());
}

void BM_CompileLongestLine(benchmark::State& state) {
  const std::string text = LongestLine();
  const std::string path = TempPath("linea.dat");
  for (auto _ : state) CompileToFile(text, path, state);
  state.counters["plan_bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_CompileLongestLine)->Unit(benchmark::kMillisecond);

// The same with every diagnostic collected, as `compile` does.
void BM_CompileLongestLineWithDiagnostics(benchmark::State& state) {
  const std::string text = LongestLine();
  const std::string path = TempPath("linea_diagnostics.dat");
  for (auto _ : state) {
    DiagnosticSink sink;
    CompileToFile(text, path, state, &sink);
    if (!sink.diagnostics().empty()) state.SkipWithError("the line gave a diagnostic");
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_CompileLongestLineWithDiagnostics)->Unit(benchmark::kMillisecond);

void BM_CopyPlanSizedFile(benchmark::State& state) {
  const std::string text = LongestLine();
  const std::string source = TempPath("source.dat");
  const std::string target = TempPath("copy.dat");
  CompileToFile(text, source, state);
  for (auto _ : state) {
    std::string bytes;
    Status s = Env::Default()->ReadFile(source, kMaxCompiledFileBytes, &bytes);
    if (s.ok()) s = Env::Default()->WriteFile(target, bytes);
    if (!s.ok()) {
      state.SkipWithError(s.message().c_str());
      break;
    }
  }
  state.counters["plan_bytes"] = static_cast<double>(std::filesystem::file_size(source));
  std::filesystem::remove(source);
  std::filesystem::remove(target);
}
BENCHMARK(BM_CopyPlanSizedFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sc
