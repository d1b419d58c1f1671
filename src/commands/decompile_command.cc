#include "commands/decompile_command.h"

#include "compiler/input_limits.h"
#include "decompiler/decompile.h"
#include "documents/documents.h"
#include "platform/paths.h"
#include "platform/text_1252.h"
#include "run/output_folder.h"
#include "run/report.h"
#include "run/scenario_names.h"

namespace sc {
namespace {

struct Inputs {
  std::optional<std::string> plan_path;
  std::string station_path, grid_path;
  std::optional<std::string> plan;
  std::string stations, grid;
};

bool ReadInputs(Env& env, const std::vector<std::string>& paths, Inputs* in, std::ostream& err) {
  if (paths.size() != 2 && paths.size() != 3) {
    err << kProgram
        << "decompile takes [LINE_DAT] SIM DAT (LINE_DAT \"-\" or left out: no route "
           "plan)\n";
    return false;
  }
  in->station_path = paths[paths.size() - 2];
  in->grid_path = paths[paths.size() - 1];
  if (paths.size() == 3 && paths[0] != "-") in->plan_path = paths[0];
  const auto read = [&](const std::string& path, std::string* bytes) {
    Status s = env.ReadFile(path, kMaxCompiledFileBytes, bytes);
    if (!s.ok()) err << kProgram << s.message() << "\n";
    return s.ok();
  };
  if (in->plan_path && !read(*in->plan_path, &in->plan.emplace())) return false;
  return read(in->station_path, &in->stations) && read(in->grid_path, &in->grid);
}

// A file's name as the preamble shows it: Windows-1252, like the text.
std::string PreambleName(const std::string& path) { return Cp1252ForEditor(BaseName(path)); }

// The name part of the output files: given, or the one stored (spelt the
// platform's way). "" with a message on `err` when it cannot be a file name.
std::string NamePart(const std::optional<std::string>& given, const std::string& stored,
                     const char* what, const char* option, std::ostream& err) {
  const std::string name = given ? *given : NativeText(stored);
  const Status problem = CheckNamePart(name);
  if (problem.ok()) return name;
  err << kProgram << "the " << what << " '" << name << "' cannot name a file (" << problem.message()
      << "); give " << option << "\n";
  return "";
}

void ReportPlaces(const DecompiledScenario& texts, std::ostream& err) {
  for (const IrreproduciblePlace& p : texts.places.shown()) {
    err << NativeText(p.file) << ": byte offset " << p.offset << ": warning: " << p.field << " "
        << p.what << "; no text gives it\n";
  }
  for (const auto& [file, count] : texts.places.more()) {
    err << NativeText(file) << ": " << count << " more places no text gives\n";
  }
}

}  // namespace

int RunDecompileCommand(Env& env, const DecompileRequest& request, const std::string& program,
                        std::ostream& out, std::ostream& err) {
  Inputs in;
  if (!ReadInputs(env, request.compiled, &in, err)) return kExitUsageOrIo;
  CompiledScenarioFiles files;
  if (in.plan) {
    files.plan = *in.plan;
    files.plan_name = PreambleName(*in.plan_path);
  }
  files.stations = in.stations;
  files.station_name = PreambleName(in.station_path);
  files.grid = in.grid;
  files.grid_name = PreambleName(in.grid_path);
  DecompiledScenario texts;
  const Status decompiled = Decompile(files, program, &texts);
  if (!decompiled.ok()) {
    err << kProgram << NativeText(decompiled.message()) << "\n";
    return kExitUsageOrIo;
  }
  const std::string line = NamePart(request.line_name, texts.line_name, "line name", "--line", err);
  const std::string train =
      NamePart(request.train_number, texts.train_number, "train number", "--train", err);
  if (line.empty() || train.empty()) return kExitUsageOrIo;

  const std::string folder = request.out_dir.empty() ? FolderOf(in.station_path) : request.out_dir;
  const std::vector<std::pair<std::string, const std::string*>> outputs = {
      {JoinPath(folder, LineDescriptionFileName(line)), &texts.line_text},
      {JoinPath(folder, TrainServiceFileName(line, train)), &texts.train_text}};
  std::vector<std::string> inputs = {in.station_path, in.grid_path};
  if (in.plan_path) inputs.push_back(*in.plan_path);
  const Status fits =
      CheckOutputFiles(env, {outputs[0].first, outputs[1].first}, inputs, request.force);
  if (!fits.ok()) {
    err << kProgram << fits.message() << "\n";
    return kExitUsageOrIo;
  }
  ReportPlaces(texts, err);
  // The two texts are a pair: written as a set.
  Status s = WriteOutputSet(env, folder, outputs, err);
  if (!s.ok()) {
    err << kProgram << s.message() << "\n";
    return kExitUsageOrIo;
  }
  for (const auto& output : outputs) out << "wrote " << output.first << "\n";
  if (!files.plan) err << "note: no route plan given: no curve record recovered\n";
  if (texts.compile_error != kErrNone) {
    err << "note: compiling the texts sets error " << texts.compile_error << ": "
        << ErrorText(texts.compile_error) << "\n";
  }
  if (line != NativeText(texts.line_name) || train != NativeText(texts.train_number)) {
    err << "note: the files were compiled as line '" << NativeText(texts.line_name) << "', train '"
        << NativeText(texts.train_number) << "': compile with --line '"
        << NativeText(texts.line_name) << "' --train '" << NativeText(texts.train_number)
        << "' to get the same bytes\n";
  }
  if (!texts.places.empty()) {
    err << texts.places.total() << " places no text gives; the texts are the nearest\n";
    return kExitIrreproducible;
  }
  return kExitClean;
}

}  // namespace sc
