#include "commands/preview_command.h"

#include "app/report.h"
#include "commands/scenario_source.h"
#include "present/preview_svg.h"

namespace sc {

int RunPreviewCommand(Env& env, const PreviewOptions& options, std::ostream& out,
                      std::ostream& err) {
  SourceRequest request{options.compiled, options.line_file, options.train_file, false,
                        options.diagnostics};
  ScenarioSource source = LoadScenario(env, request, err);
  if (!source.data) return source.status;
  std::string path = PresentationOutputPath(env, options.output, "_preview.svg", source, err);
  if (path.empty()) return kExitUsageOrIo;
  Status s = env.WriteFile(path, RenderPreviewSvg(*source.data));
  if (!s.ok()) {
    err << "scenario-compiler: " << s.message() << "\n";
    return kExitUsageOrIo;
  }
  out << "wrote " << path << "\n";
  return source.status;
}

}  // namespace sc
