#include "app/builtin_run.h"

#include <optional>

#include "app/report.h"
#include "compiler/compile.h"
#include "compiler/compiled_files.h"
#include "documents/documents.h"

namespace sc {
namespace {

// Reads a text description; nullopt when it does not exist or cannot be read.
std::optional<std::string> ReadIfPresent(Env& env, const std::string& path) {
  if (!env.FileExists(path)) return std::nullopt;
  std::string bytes;
  if (!env.ReadFile(path, &bytes).ok()) return std::nullopt;
  return bytes;
}

}  // namespace

int RunBuiltInScenario(Env& env, Ui& ui, const std::string& folder, std::ostream& err) {
  RunState state;
  state.line_name = kBuiltInLineName;
  state.train_number = kBuiltInTrainNumber;
  ui.ShowWaiting();

  for (const Document& document : ScenarioDocuments(state.line_name, state.train_number)) {
    Status s = env.WriteFile(JoinPath(folder, document.file_name), document.bytes);
    if (!s.ok()) {
      err << "scenario-compiler: " << s.message() << "\n";
      return kExitUsageOrIo;
    }
  }

  // memorizza_percorso(1)
  state.compile_flag = 1;
  const std::string line_path = JoinPath(folder, LineDescriptionFileName(state.line_name));
  const std::string train_path =
      JoinPath(folder, TrainServiceFileName(state.line_name, state.train_number));
  CompileInput input;
  input.line_file_name = LineDescriptionFileName(state.line_name);
  input.line_text = ReadIfPresent(env, line_path);
  input.train_file_name = TrainServiceFileName(state.line_name, state.train_number);
  if (input.line_text) input.train_text = ReadIfPresent(env, train_path);

  Compilation compilation;
  CompileOutcome outcome = CompileScenario(input, state, compilation);

  // Each reader deletes the file it opened, whatever the outcome.
  if (outcome.line_file_read || outcome.read_failed) env.DeleteFile(line_path);
  if (outcome.train_file_read || outcome.read_failed) env.DeleteFile(train_path);

  if (outcome.message) {
    ui.ShowMessage(ErroreText(*outcome.message));
    return kExitMessage;
  }
  if (HasCompiledOutput(outcome, compilation)) {
    Status s = WriteCompiledFiles(env, folder, state, compilation);
    if (!s.ok()) {
      err << "scenario-compiler: " << s.message() << "\n";
      return kExitUsageOrIo;
    }
  }
  if (state.error_code != 0) {
    err << FormatDiagnostic(state) << "\n";
    return kExitCheckFailed;
  }
  return kExitClean;
}

}  // namespace sc
