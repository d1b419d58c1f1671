#include "commands/scenario_source.h"

#include "compiler/compile.h"
#include "compiler/finalisation.h"
#include "compiler/input_limits.h"
#include "decompiler/decompile.h"
#include "documents/documents.h"
#include "platform/text_1252.h"
#include "present/diagnostic_output.h"
#include "run/report.h"
#include "run/scenario_job.h"
#include "run/scenario_names.h"
#include "run/version.h"

namespace sc {
namespace {

// Tells `message` on `err` and keeps it as the reason nothing is shown.
void Fail(ScenarioSource& source, const std::string& message, std::ostream& err) {
  err << kProgram << message << "\n";
  source.problem = message;
}

// Where a decompile gives the compiled files back byte for byte, its texts,
// compiled again in memory, say which record wrote each cell: the source
// then shows them as the records, named as `decompile` would write them.
void AttachDecompiledRecords(const std::optional<std::string>& plan, const std::string& stations,
                             const std::string& grid, ScenarioSource& source) {
  CompiledScenarioFiles files;
  if (plan) files.plan = *plan;
  files.stations = stations;
  files.grid = grid;
  DecompiledScenario texts;
  if (!Decompile(files, std::string("scenario-compiler ") + kProgramVersion, &texts).ok() ||
      !texts.places.empty()) {
    return;
  }
  const std::string line_file = LineDescriptionFileName(source.line_name);
  const std::string train_file = TrainServiceFileName(source.line_name, source.train_number);
  RunState& state = source.compile_state.emplace();
  state.line_name = texts.line_name;
  state.train_number = texts.train_number;
  state.compile_flag = plan ? 1 : 0;
  Compilation compilation;
  source.provenance = std::make_unique<Provenance>();
  compilation.provenance = source.provenance.get();
  CompileScenario({line_file, texts.line_text, train_file, texts.train_text}, state, compilation);
  if (!compilation.grid) return;
  source.data = PreviewFromCompilation(compilation);
  source.texts = {{line_file, texts.line_text}, {train_file, texts.train_text}};
}

ScenarioSource FromCompiled(Env& env, const std::vector<std::string>& paths, bool records,
                            std::ostream& err) {
  ScenarioSource source;
  source.status = kExitUsageOrIo;
  if (paths.size() != 2 && paths.size() != 3) {
    Fail(source, "--from-compiled takes LINE_DAT SIM DAT (LINE_DAT \"-\" or left out: no route plan)",
         err);
    return source;
  }
  const std::string& sim = paths[paths.size() - 2];
  const std::string& dat = paths[paths.size() - 1];
  std::optional<std::string> plan;
  Status s;
  if (paths.size() == 3 && paths[0] != "-") {
    s = env.ReadFile(paths[0], kMaxCompiledFileBytes, &plan.emplace());
    source.inputs.push_back(paths[0]);
  }
  std::string station_bytes, grid_bytes;
  if (s.ok()) s = env.ReadFile(sim, kMaxCompiledFileBytes, &station_bytes);
  if (s.ok()) s = env.ReadFile(dat, kMaxCompiledFileBytes, &grid_bytes);
  PreviewData data;
  if (s.ok()) s = PreviewFromCompiledFiles(plan, station_bytes, grid_bytes, &data);
  if (!s.ok()) {
    Fail(source, s.message(), err);
    return source;
  }
  source.data = std::move(data);
  source.inputs.insert(source.inputs.end(), {sim, dat});
  source.folder = FolderOf(sim);
  // The names inside the files are Windows-1252; the output's file name
  // spells them the platform's way.
  source.line_name = NativeText(source.data->stations.slots[kSlotBackgrounds].name);
  source.train_number = NativeText(source.data->stations.slots[kSlotRepetition].name);
  if (records) AttachDecompiledRecords(plan, station_bytes, grid_bytes, source);
  source.status = kExitClean;
  return source;
}

ScenarioSource FromTexts(Env& env, const SourceRequest& request, std::ostream& err) {
  ScenarioSource source;
  source.status = kExitUsageOrIo;
  source.inputs = {request.line_file, request.train_file};
  source.folder = FolderOf(request.line_file);
  ScenarioJob job(env, request.line_file, request.train_file);
  Status s = job.NameFromFiles();
  if (s.ok()) s = job.Read();
  if (!s.ok()) {
    Fail(source, s.message(), err);
    return source;
  }
  source.texts = {{request.line_file, *job.input().line_text},
                  {request.train_file, *job.input().train_text}};
  source.line_name = job.line_name();
  source.train_number = job.train_number();
  const RunState& state = job.state();
  s = job.SpellNames();
  if (!s.ok()) {
    source.compile_state = state;
    Fail(source, s.message(), err);
    return source;
  }
  job.state().compile_flag = 1;
  Compilation& compilation = job.compilation();
  if (request.record_provenance) {
    source.provenance = std::make_unique<Provenance>();
    compilation.provenance = source.provenance.get();
  }
  DiagnosticSink sink;
  if (!MakeDiagnosticSink(request.diagnostics, &sink, err)) {
    source.compile_state = state;
    source.problem = "the warning options cannot be used";
    return source;
  }
  job.Compile(&sink);
  source.compile_state = state;
  source.diagnostics = CompileDiagnostics(sink, state);
  job.Report(sink, request.diagnostics.format, err);
  if (job.outcome().message) {
    source.problem = MessageText(*job.outcome().message);
    source.status = kExitMessage;
    return source;
  }
  if (StrictFails(request.diagnostics, sink)) {
    Fail(source, "warnings with --strict: nothing shown", err);
    source.status = kExitStrict;
    return source;
  }
  source.status = state.error_code != 0 ? kExitCheckFailed : kExitClean;
  if (compilation.grid) {
    source.data = PreviewFromCompilation(compilation);
    if (request.keep_compilation) {
      source.compilation = std::make_unique<Compilation>(std::move(compilation));
    }
  } else {
    Fail(source, "no track grid was built; nothing to show", err);
    source.status = kExitCheckFailed;
  }
  return source;
}

// The output path: `requested`, or "<line>_<train><suffix>" in the source's
// folder; "" after a usage error (told on `err`).
std::string PresentationOutputPath(Env& env, const std::string& requested,
                                   const std::string& suffix, const ScenarioSource& source,
                                   std::ostream& err) {
  std::string path = requested;
  if (path.empty()) {
    for (const std::string& part : {source.line_name, source.train_number}) {
      if (!CheckNamePart(part).ok()) {
        err << kProgram
            << "no usable line name and train number for the output's name; give -o FILE\n";
        return "";
      }
    }
    path = JoinPath(source.folder, source.line_name + "_" + source.train_number + suffix);
  }
  for (const std::string& input : source.inputs) {
    if (path == input || env.SameFile(path, input)) {
      err << kProgram << path << ": would overwrite an input file; choose another -o\n";
      return "";
    }
  }
  return path;
}

}  // namespace

ScenarioSource LoadScenario(Env& env, const SourceRequest& request, std::ostream& err) {
  return request.compiled.empty()
             ? FromTexts(env, request, err)
             : FromCompiled(env, request.compiled, request.record_provenance, err);
}

int WritePresentation(Env& env, const std::string& requested, const std::string& suffix,
                      const ScenarioSource& source, const std::function<std::string()>& render,
                      std::ostream& out, std::ostream& err) {
  const std::string path = PresentationOutputPath(env, requested, suffix, source, err);
  if (path.empty()) return kExitUsageOrIo;
  Status s = env.WriteFile(path, render());
  if (!s.ok()) {
    err << kProgram << s.message() << "\n";
    return kExitUsageOrIo;
  }
  out << "wrote " << path << "\n";
  return source.status;
}

}  // namespace sc
