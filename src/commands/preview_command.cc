#include "commands/preview_command.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "present/preview_data.h"
#include "present/preview_svg.h"
#include "app/report.h"
#include "app/scenario_names.h"
#include "present/text_1252.h"
#include "compiler/compile.h"
#include "compiler/input_limits.h"

namespace sc {
namespace {

constexpr const char* kProgram = "scenario-compiler: ";

// What there is to draw and where it came from.
struct Source {
  std::optional<PreviewData> data;  // nullopt: nothing to draw
  int status = kExitClean;
  std::string folder;               // where the picture goes by default
  std::string line_name, train_number;
  std::vector<std::string> inputs;  // never to be overwritten
};

bool Read(Env& env, const std::string& path, size_t max_bytes, std::string* bytes,
          std::ostream& err) {
  Status s = env.ReadFile(path, max_bytes, bytes);
  if (!s.ok()) err << kProgram << s.message() << "\n";
  return s.ok();
}

Source FromCompiled(Env& env, const std::vector<std::string>& paths, std::ostream& err) {
  Source source;
  source.status = kExitUsageOrIo;
  if (paths.size() != 2 && paths.size() != 3) {
    err << kProgram << "--from-compiled takes LINE_DAT SIM DAT (LINE_DAT \"-\" or left out: no route plan)\n";
    return source;
  }
  const std::string& sim = paths[paths.size() - 2];
  const std::string& dat = paths[paths.size() - 1];
  std::optional<std::string> plan;
  if (paths.size() == 3 && paths[0] != "-") {
    plan.emplace();
    if (!Read(env, paths[0], kMaxCompiledFileBytes, &*plan, err)) return source;
    source.inputs.push_back(paths[0]);
  }
  std::string station_bytes, grid_bytes;
  if (!Read(env, sim, kMaxCompiledFileBytes, &station_bytes, err) ||
      !Read(env, dat, kMaxCompiledFileBytes, &grid_bytes, err)) return source;
  std::string error;
  source.data = PreviewFromCompiledFiles(plan, station_bytes, grid_bytes, &error);
  if (!source.data) {
    err << kProgram << error << "\n";
    return source;
  }
  source.inputs.insert(source.inputs.end(), {sim, dat});
  source.folder = FolderOf(sim);
  // The names inside the files are Windows-1252; the picture's file name
  // spells them the platform's way.
  source.line_name = NativeText(source.data->stations.slots[kSlotBackgrounds].name);
  source.train_number = NativeText(source.data->stations.slots[kSlotRepetition].name);
  source.status = kExitClean;
  return source;
}

Source FromTexts(Env& env, const PreviewOptions& options, std::ostream& err) {
  Source source;
  source.status = kExitUsageOrIo;
  source.inputs = {options.line_file, options.train_file};
  source.folder = FolderOf(options.line_file);
  std::optional<std::string> line = LineNameFromFile(options.line_file);
  std::optional<std::string> train = TrainNumberFromFile(options.train_file, line);
  if (!line || !train) {
    err << kProgram << "the files must be named <line>_linea.txt and <line>_<train>-.txt\n";
    return source;
  }
  CompileInput input{options.line_file, std::string(), options.train_file, std::string()};
  if (!Read(env, options.line_file, kMaxTextInputBytes, &*input.line_text, err) ||
      !Read(env, options.train_file, kMaxTextInputBytes, &*input.train_text, err)) {
    return source;
  }
  RunState state;
  source.line_name = *line;
  source.train_number = *train;
  std::string problem = SetScenarioNames(*line, *train, state);
  if (!problem.empty()) {
    err << kProgram << problem << "\n";
    return source;
  }
  state.compile_flag = 1;
  Compilation compilation;
  CompileOutcome outcome = CompileScenario(input, state, compilation);
  if (outcome.message) {
    err << ErroreText(*outcome.message) << "\n";
    source.status = kExitMessage;
    return source;
  }
  source.status = kExitClean;
  if (state.error_code != 0) {
    err << FormatDiagnostic(state) << "\n";
    source.status = kExitCheckFailed;
  }
  if (compilation.grid) {
    source.data = PreviewFromCompilation(compilation);
  } else {
    err << kProgram << "no track grid was built; nothing to draw\n";
    source.status = kExitCheckFailed;
  }
  return source;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// The output path, or "" after a usage error.
std::string OutputPath(const PreviewOptions& options, const Source& source, std::ostream& err) {
  std::string path = options.output;
  if (path.empty()) {
    for (const std::string& part : {source.line_name, source.train_number}) {
      if (!NamePartProblem(part).empty()) {
        err << kProgram << "no usable line name and train number for the picture's name; give -o FILE.svg\n";
        return "";
      }
    }
    path = JoinPath(source.folder, source.line_name + "_" + source.train_number + "_preview.svg");
  }
  for (const std::string& input : source.inputs) {
    if (SameFile(path, input)) {
      err << kProgram << path << ": would overwrite an input file; choose another -o\n";
      return "";
    }
  }
  return path;
}

}  // namespace

int RunPreviewCommand(Env& env, const PreviewOptions& options, std::ostream& out,
                      std::ostream& err) {
  Source source = options.compiled.empty() ? FromTexts(env, options, err)
                                           : FromCompiled(env, options.compiled, err);
  if (!source.data) return source.status;
  std::string path = OutputPath(options, source, err);
  if (path.empty()) return kExitUsageOrIo;
  Status s = env.WriteFile(path, RenderPreviewSvg(*source.data));
  if (!s.ok()) {
    err << kProgram << s.message() << "\n";
    return kExitUsageOrIo;
  }
  out << "wrote " << path << "\n";
  return source.status;
}

}  // namespace sc
