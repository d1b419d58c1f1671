#include "commands/import_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "compiler/compile.h"
#include "documents/documents.h"
#include "import/source_kind.h"
#include "import/track_between.h"
#include "platform/paths.h"
#include "platform/text_1252.h"
#include "run/output_folder.h"
#include "run/report.h"
#include "run/scenario_names.h"

namespace sc {
namespace {

std::string Fixed(double v, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

// A name for a file: the Windows-1252 form of `utf8`, spelt back in UTF-8.
std::string FileNamePart(const std::string& utf8) {
  return Utf8From1252(Cp1252Transliterated(utf8, nullptr));
}

void CompileCheck(ImportResult* r) {
  RunState state;
  const Status named = SetScenarioNames(r->line_name, r->train_number, state);
  if (!named.ok()) {
    state.line_name = "import";
    state.train_number = "1";
  }
  const CompileInput input{LineDescriptionFileName(r->line_name), r->draft.line_text,
                           TrainServiceFileName(r->line_name, r->train_number),
                           r->draft.train_text};
  Compilation compilation;
  DiagnosticSink sink;
  CompileScenario(input, state, compilation, &sink);
  r->compile_error = state.error_code;
  r->warnings = sink.warning_count();
  for (const Diagnostic& d : sink.diagnostics()) {
    if (d.severity == Severity::kWarning) {
      r->first_warning =
          d.place.file + ":" + std::to_string(d.place.line) + ": " + DiagnosticMessage(d);
      break;
    }
  }
}

// The file's modification day, "YYYY-MM-DD", or "".
std::string FileDate(Env& env, const std::string& path) {
  FileStamp stamp;
  if (!env.StampFile(path, &stamp).ok() || stamp.modified <= 0) return "";
  const std::time_t seconds = static_cast<std::time_t>(stamp.modified / 1000000000);
  std::tm day{};
#ifdef _WIN32
  gmtime_s(&day, &seconds);
#else
  gmtime_r(&seconds, &day);
#endif
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &day);
  return text;
}

}  // namespace

void BuildImport(const DraftOptions& options, const std::optional<std::string>& line_name,
                 const std::optional<std::string>& train_number, ImportResult* r) {
  const SourceTrack& track = r->track;
  const LocalProjection projection = LocalProjection::ForTrack(track.points, track.along);
  r->transform = projection.transform();
  std::vector<PlanXY> flat;
  flat.reserve(track.points.size());
  for (const GeoPoint& p : track.points) flat.push_back(projection.Forward(p.lat, p.lon));
  // The line reader stops a curve that would draw past metre 1,000,000 or
  // past the plan's end (7000 m beyond the route); a plan that cannot follow
  // the track (curves too tight for its stretched steps) stops well before.
  const double limit = std::min(kMaxTrackMetres - 2, track.along.back() + 5000);
  r->fit = FitCurves(flat, static_cast<int64_t>(limit));
  r->draft = WriteScenarioTexts(track, r->fit, projection, options);
  const std::string from = track.stations.empty() ? "From" : track.stations.front().name;
  const std::string to = track.stations.empty() ? "To" : track.stations.back().name;
  r->line_name = line_name ? *line_name : FileNamePart(from) + " - " + FileNamePart(to);
  r->train_number = train_number ? *train_number : kDefaultImportTrain;
  CompileCheck(r);
}

std::string ImportReportText(const ImportResult& r) {
  const CurveFit& f = r.fit;
  const DraftFacts& facts = r.draft.facts;
  std::string s;
  s += "source: " + r.source + " (" + r.track.source_kind + ")\n";
  if (!r.track.credit.empty()) s += "credit: " + r.track.credit + "\n";
  s += "track: " + Fixed(r.track.along.back(), 1) +
       " m; route length written: " + std::to_string(facts.route_length) + " m\n";
  s += "plan: " + std::to_string(f.plan_metres) + " metres drawing " + Fixed(f.plan_length, 1) +
       " m (stretch " + Fixed(f.plan_metres > 0 ? f.plan_length / f.plan_metres : 1, 6) + ")\n";
  s += "plan from track: max " + Fixed(f.max_distance, 3) + " m (at plan metre " +
       std::to_string(f.max_distance_metre) + "), RMS " + Fixed(f.rms_distance, 3) + " m; " +
       std::to_string(f.records.size()) + " curve records\n";
  for (const TightPlace& t : f.tight) {
    s += "tighter than the tightest class: " + Fixed(t.from, 0) + " to " + Fixed(t.to, 0) +
         " m, radius " + Fixed(t.radius, 0) + " m\n";
  }
  for (const DraftStation& st : facts.stations) {
    s += "station: " + Utf8From1252(st.name) + " at " + Fixed(st.along, 1) + " m, written " +
         std::to_string(st.written) + " m (kind " + std::to_string(st.kind) + ", " +
         std::to_string(st.length) + " m)\n";
  }
  for (const std::string& left : facts.stations_left_out) s += "station left out: " + left + "\n";
  for (const TrackSpan& t : facts.tunnels) {
    s += "tunnel: " + Fixed(t.from, 0) + " to " + Fixed(t.to, 0) + " m\n";
  }
  for (const BridgedGap& g : r.track.gaps) {
    s += "gap bridged: " + Fixed(g.length, 1) + " m at " + Fixed(g.along, 0) + " m\n";
  }
  if (!r.track.bridges.empty()) {
    s += "bridges: " + std::to_string(r.track.bridges.size()) +
         " on the track; the format has no bridge, so they are drawn as open line\n";
  }
  s += "speed limits:";
  for (const DraftSpeed& v : facts.speeds) {
    s += " " + std::to_string(v.from) + " m " + std::to_string(v.kmh) + " km/h;";
  }
  s += "\n";
  s += "gradients: " + std::to_string(facts.gradient_records) + " records\n";
  s += "signals: " + std::to_string(facts.signals_from_source) + " from the source, " +
       std::to_string(facts.signals_drafted) + " drafted\n";
  for (const std::string& t : facts.transliterated) s += "transliterated: " + t + "\n";
  for (const std::string& d : facts.defaulted) s += "defaulted: " + d + "\n";
  for (const std::string& n : r.track.notes) s += "note: " + n + "\n";
  s += LocalProjection(r.transform).Describe() + "\n";
  return s;
}

std::string ImportReportJson(const ImportResult& r) {
  using Json = nlohmann::ordered_json;
  const CurveFit& f = r.fit;
  const DraftFacts& facts = r.draft.facts;
  Json j;
  j["source"] = r.source;
  j["source_kind"] = r.track.source_kind;
  j["credit"] = r.track.credit;
  j["track_length"] = r.track.along.back();
  j["route_length"] = facts.route_length;
  j["plan_metres"] = f.plan_metres;
  j["plan_length"] = f.plan_length;
  j["plan_stretch"] = f.plan_metres > 0 ? f.plan_length / static_cast<double>(f.plan_metres) : 1.0;
  j["max_distance"] = f.max_distance;
  j["max_distance_metre"] = f.max_distance_metre;
  j["rms_distance"] = f.rms_distance;
  j["curve_records"] = f.records.size();
  j["tighter_than_class_6"] = Json::array();
  for (const TightPlace& t : f.tight) {
    j["tighter_than_class_6"].push_back({{"from", t.from}, {"to", t.to}, {"radius", t.radius}});
  }
  j["stations"] = Json::array();
  for (const DraftStation& st : facts.stations) {
    j["stations"].push_back({{"name", Utf8From1252(st.name)},
                             {"along", st.along},
                             {"written", st.written},
                             {"kind", st.kind},
                             {"length", st.length},
                             {"length_from_source", st.length_from_source}});
  }
  j["stations_left_out"] = facts.stations_left_out;
  j["tunnels"] = Json::array();
  for (const TrackSpan& t : facts.tunnels) j["tunnels"].push_back({{"from", t.from}, {"to", t.to}});
  j["gaps"] = Json::array();
  for (const BridgedGap& g : r.track.gaps) {
    j["gaps"].push_back({{"along", g.along}, {"length", g.length}});
  }
  j["bridges"] = {{"count", r.track.bridges.size()},
                  {"decision", "drawn as open line: the format has no bridge"}};
  j["speed_limits"] = Json::array();
  for (const DraftSpeed& v : facts.speeds) {
    j["speed_limits"].push_back({{"from", v.from}, {"kmh", v.kmh}});
  }
  j["gradient_records"] = facts.gradient_records;
  j["signals_from_source"] = facts.signals_from_source;
  j["signals_drafted"] = facts.signals_drafted;
  j["transliterated"] = facts.transliterated;
  j["defaulted"] = facts.defaulted;
  j["notes"] = r.track.notes;
  const ProjectionTransform& t = r.transform;
  j["projection"] = {{"kind", "transverse Mercator, WGS84, scale 1"},
                     {"centre", {t.centre_lat, t.centre_lon}},
                     {"origin", {t.origin_lat, t.origin_lon}},
                     {"bearing_deg", t.bearing_deg}};
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

int RunImportCommand(Env& env, const ImportRequest& request, const std::string& program,
                     std::ostream& out, std::ostream& err) {
  if (request.train_max_kmh < 5 || request.train_max_kmh > 1275) {
    err << kProgram << "--max-speed must be 5 to 1275 km/h\n";
    return kExitUsageOrIo;
  }
  ImportResult result;
  result.source = request.source;
  const Status read =
      ReadSourceTrack(request.source, {request.from, request.to, request.route}, &result.track);
  if (!read.ok()) {
    err << kProgram << read.message() << "\n";
    return kExitUsageOrIo;
  }
  DraftOptions options;
  options.program = program;
  options.source_name = BaseName(request.source);
  options.source_date =
      result.track.source_date.empty() ? FileDate(env, request.source) : result.track.source_date;
  options.train_max_kmh = request.train_max_kmh;
  BuildImport(options, request.line_name, request.train_number, &result);
  for (const auto& [name, what, option] :
       {std::tuple{result.line_name, "line name", "--line"},
        std::tuple{result.train_number, "train number", "--train"}}) {
    const Status problem = CheckNamePart(name);
    if (!problem.ok()) {
      err << kProgram << "the " << what << " '" << name << "' cannot name a file ("
          << problem.message() << "); give " << option << "\n";
      return kExitUsageOrIo;
    }
  }
  if (result.compile_error != kErrNone || result.warnings > 0) {
    err << kProgram << request.source << ": the texts made from it do not compile clean ("
        << (result.compile_error != kErrNone ? "error " + std::to_string(result.compile_error) +
                                                   ": " + ErrorText(result.compile_error)
                                             : result.first_warning)
        << "); nothing written\n";
    return kExitUsageOrIo;
  }
  const std::vector<std::pair<std::string, const std::string*>> outputs = {
      {JoinPath(request.out_dir, LineDescriptionFileName(result.line_name)),
       &result.draft.line_text},
      {JoinPath(request.out_dir, TrainServiceFileName(result.line_name, result.train_number)),
       &result.draft.train_text}};
  const Status fits =
      CheckOutputFiles(env, {outputs[0].first, outputs[1].first}, {request.source}, request.force);
  if (!fits.ok()) {
    err << kProgram << fits.message() << "\n";
    return kExitUsageOrIo;
  }
  // The two texts are a pair: written as a set.
  Status s = WriteOutputSet(env, request.out_dir, outputs, err);
  if (!s.ok()) {
    err << kProgram << s.message() << "\n";
    return kExitUsageOrIo;
  }
  out << ImportReportText(result);
  for (const auto& output : outputs) out << "wrote " << output.first << "\n";
  if (!request.report_path.empty()) {
    s = env.WriteFile(request.report_path, ImportReportJson(result));
    if (!s.ok()) {
      err << kProgram << s.message() << "\n";
      return kExitUsageOrIo;
    }
    out << "wrote " << request.report_path << "\n";
  }
  return kExitClean;
}

}  // namespace sc
