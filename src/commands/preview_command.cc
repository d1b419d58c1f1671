#include "commands/preview_command.h"

#include "commands/scenario_source.h"
#include "compiler/input_limits.h"
#include "present/preview_svg.h"
#include "run/report.h"
#ifdef SC_WITH_IMPORT
#include "import/local_projection.h"
#include "import/scenario_texts.h"
#include "import/source_kind.h"
#include "platform/text_1252.h"
#endif

namespace sc {
namespace {

// The map's track between the scenario's first and last stations, laid in
// the plan's frame by the projection the line description records.
Status SourceTrackInPlan(Env& env, const PreviewOptions& options, PreviewData* data) {
#ifdef SC_WITH_IMPORT
  if (options.line_file.empty()) {
    return Status::Invalid("--source needs the two text files (an imported pair)");
  }
  std::string line_text;
  Status s = env.ReadFile(options.line_file, kMaxTextInputBytes, &line_text);
  if (!s.ok()) return s;
  const auto transform = LocalProjection::Find(line_text);
  if (!transform) {
    return Status::Invalid(options.line_file +
                           ": records no projection (only an imported line does)");
  }
  std::string first, last;
  for (int slot = 1; slot < kFirstSignSlot; ++slot) {
    const std::string& name = data->stations.slots[static_cast<size_t>(slot)].name;
    if (name.empty()) break;
    if (first.empty()) first = Utf8From1252(name);
    last = Utf8From1252(name);
  }
  SourceTrack track;
  s = ReadSourceTrack(options.source, {first, last, std::nullopt}, &track);
  if (!s.ok()) return s;
  const LocalProjection projection(*transform);
  for (const GeoPoint& p : track.points) {
    const PlanXY xy = projection.Forward(p.lat, p.lon);
    data->source_track.push_back({xy.x, xy.y});
  }
  data->source_credit = Transliterated(track.credit, nullptr, false);
  return Status::Ok();
#else
  (void)env, (void)data;
  return Status::Invalid(options.source + ": this build has no import");
#endif
}

}  // namespace

int RunPreviewCommand(Env& env, const PreviewOptions& options, std::ostream& out,
                      std::ostream& err) {
  SourceRequest request{options, false, options.diagnostics, false};
  ScenarioSource source = LoadScenario(env, request, err);
  if (!source.data) return source.status;
  if (!options.source.empty()) {
    const Status s = SourceTrackInPlan(env, options, &*source.data);
    if (!s.ok()) {
      err << kProgram << s.message() << "\n";
      return kExitUsageOrIo;
    }
  }
  return WritePresentation(
      env, options.output, "_preview.svg", source, [&] { return RenderPreviewSvg(*source.data); },
      out, err);
}

}  // namespace sc
