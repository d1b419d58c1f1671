#include "commands/compile_command.h"

#include <memory>
#include <optional>
#include <system_error>

#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "compiler/input_limits.h"
#include "run/output_lock.h"
#include "run/report.h"
#include "run/scenario_names.h"

namespace sc {
namespace {

// Resolves the line name and train number; on failure writes a usage error.
bool ResolveNames(const CompileOptions& options, RunState& state, std::ostream& err) {
  std::optional<std::string> line = options.line_name.empty()
                                        ? LineNameFromFile(options.line_file)
                                        : std::optional<std::string>(options.line_name);
  std::optional<std::string> train = options.train_number.empty()
                                         ? TrainNumberFromFile(options.train_file, line)
                                         : std::optional<std::string>(options.train_number);
  if (!line) {
    err << kProgram << "no line name: " << options.line_file
        << " is not named <line>_linea.txt; give one with --line NAME\n";
    return false;
  }
  if (!train) {
    err << kProgram << "no train number: " << options.train_file
        << " is not named <line>_<train>-.txt; give one with --train NUMBER\n";
    return false;
  }
  for (auto [what, value] : {std::pair{"line name", *line}, std::pair{"train number", *train}}) {
    std::string problem = NamePartProblem(value);
    if (!problem.empty()) {
      err << kProgram << "the " << what << " \"" << value << "\" " << problem
          << "; it must be usable as part of a file name\n";
      return false;
    }
  }
  std::string problem = SetScenarioNames(*line, *train, state);
  if (!problem.empty()) err << kProgram << problem << "\n";
  return problem.empty();
}

bool ReadInput(Env& env, const std::string& path, std::string* bytes, std::ostream& err) {
  Status s = env.ReadFile(path, kMaxTextInputBytes, bytes);
  if (!s.ok()) err << kProgram << s.message() << "\n";
  return s.ok();
}

}  // namespace

int RunCompileCommand(Env& env, const CompileOptions& options, std::ostream& err) {
  RunState state;
  DiagnosticSink sink;
  if (!MakeDiagnosticSink(options.diagnostics, &sink, err)) return kExitUsageOrIo;
  if (!ResolveNames(options, state, err)) return kExitUsageOrIo;
  state.compile_flag = options.no_plan ? 0 : 1;
  const std::string folder =
      options.out_dir.empty() ? FolderOf(options.line_file) : options.out_dir;
  if (!env.FolderExists(folder)) {
    err << kProgram << folder << ": not a folder\n";
    return kExitUsageOrIo;
  }
  Status names = CheckCompiledFileNames(env, folder, state);
  if (!names.ok()) {
    err << kProgram << names.message() << "\n";
    return kExitUsageOrIo;
  }
  std::unique_ptr<FileLock> lock;
  if (!options.dry_run) {
    Status locked = LockOutputFolder(env, folder, CompiledFilePaths(folder, state),
                                     !options.no_wait, err, &lock);
    if (!locked.ok()) {
      err << kProgram << locked.message() << "\n";
      return kExitUsageOrIo;
    }
  }

  CompileInput input;
  input.line_file_name = options.line_file;
  input.train_file_name = options.train_file;
  std::string line_bytes, train_bytes;
  if (!ReadInput(env, options.line_file, &line_bytes, err) ||
      !ReadInput(env, options.train_file, &train_bytes, err)) {
    return kExitUsageOrIo;
  }
  input.line_text = std::move(line_bytes);
  input.train_text = std::move(train_bytes);

  // The compiled files must never land on an input file.
  for (const std::string& target : CompiledFilePaths(folder, state)) {
    if (env.SameFile(target, options.line_file) || env.SameFile(target, options.train_file)) {
      err << kProgram << target << ": would overwrite an input file; choose another --out\n";
      return kExitUsageOrIo;
    }
  }

  Compilation compilation;
  CompileOutcome outcome = CompileScenario(input, state, compilation, &sink);
  if (outcome.message) {
    WriteDiagnostics(sink.diagnostics(), options.diagnostics.format, err);
    err << ErroreText(*outcome.message) << "\n";
    return kExitMessage;
  }
  ReportDiagnostics(options.diagnostics, sink, state, err);
  if (StrictFails(options.diagnostics, sink)) {
    err << kProgram << "warnings with --strict: no compiled file written\n";
    return kExitStrict;
  }
  if (!options.dry_run && HasCompiledOutput(outcome, compilation)) {
    Status s = WriteCompiledFiles(env, folder, state, compilation);
    if (!s.ok()) {
      err << kProgram << s.message() << "\n";
      return kExitUsageOrIo;
    }
  }
  if (state.error_code != 0) {
    if (!compilation.grid) err << kProgram << "no track grid was built; no compiled file written\n";
    return kExitCheckFailed;
  }
  return kExitClean;
}

}  // namespace sc
