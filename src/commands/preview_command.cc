#include "commands/preview_command.h"

#include "commands/scenario_source.h"
#include "present/preview_svg.h"

namespace sc {

int RunPreviewCommand(Env& env, const PreviewOptions& options, std::ostream& out,
                      std::ostream& err) {
  SourceRequest request{options, false, options.diagnostics, false};
  ScenarioSource source = LoadScenario(env, request, err);
  if (!source.data) return source.status;
  return WritePresentation(
      env, options.output, "_preview.svg", source, [&] { return RenderPreviewSvg(*source.data); },
      out, err);
}

}  // namespace sc
