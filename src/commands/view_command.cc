#include "commands/view_command.h"

#include "commands/scenario_source.h"
#include "commands/view_serve.h"
#include "present/view_page.h"
#include "run/report.h"

namespace sc {
namespace {

// The compile's outcome as the page's diagnostics: every warning, and the
// error (with its position on the route when the check records one).
std::vector<ViewDiagnostic> Diagnostics(const RunState& state,
                                        const std::vector<Diagnostic>& diagnostics) {
  std::vector<ViewDiagnostic> list;
  bool error_listed = false;
  for (const Diagnostic& d : diagnostics) {
    ViewDiagnostic v;
    v.file = d.place.file;
    v.line = d.place.line;
    v.column = d.place.column;
    v.message = d.message;
    if (d.severity == Severity::kError) {
      v.severity = "error";
      v.class_name = "error " + std::to_string(d.code);
      if (ErrorRecordsPosition(d.code)) v.metre = state.error_position;
      error_listed = true;
    } else {
      v.severity = d.severity == Severity::kWarning ? "warning" : "note";
      v.class_name = WarningClassName(d.warning_class);
    }
    list.push_back(v);
  }
  if (state.error_code == 0 || error_listed) return list;
  ViewDiagnostic d;
  d.file = state.error_file;
  d.line = state.error_line;
  d.severity = "error";
  d.class_name = "error " + std::to_string(state.error_code);
  d.message = state.error_code == kErrReadFailure && !state.error_detail.empty()
                  ? "the file could not be read: " + state.error_detail
                  : ErrorText(state.error_code);
  if (ErrorRecordsPosition(state.error_code)) d.metre = state.error_position;
  list.push_back(d);
  return list;
}

}  // namespace

ViewInput MakeViewInput(const ScenarioSource& source) {
  ViewInput input;
  // The names as the station table holds them: Windows-1252, like every
  // text the page is given.
  if (source.data) {
    const StationTable& stations = source.data->stations;
    input.title = stations.slots[kSlotBackgrounds].name + " \x96 train " +
                  stations.slots[kSlotRepetition].name;
    input.data = &*source.data;
  }
  input.provenance = source.provenance.get();
  // The line description comes first, then the train and service file.
  for (auto& [name, text] : source.texts) {
    input.sources.push_back(
        {name, text, input.sources.empty() ? ScenarioFile::kLine : ScenarioFile::kTrain});
  }
  if (source.compile_state) {
    input.diagnostics = Diagnostics(*source.compile_state, source.diagnostics);
  }
  return input;
}

int RunViewCommand(Env& env, const ViewOptions& options, std::ostream& out, std::ostream& err) {
  if (options.serve) return ServeView(env, options, out, err);
  SourceRequest request{options, true, {}, false};
  ScenarioSource source = LoadScenario(env, request, err);
  if (!source.data) return source.status;
  return WritePresentation(
      env, options.output, "_view.html", source,
      [&] { return RenderViewPage(MakeViewInput(source)); }, out, err);
}

}  // namespace sc
