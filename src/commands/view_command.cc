#include "commands/view_command.h"

#include "commands/scenario_source.h"
#include "commands/view_serve.h"
#include "present/view_page.h"
#include "run/report.h"

namespace sc {

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
  input.diagnostics = source.diagnostics;
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
