#include "present/view_data.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <string_view>

#include "compiler/record_format.h"
#include "compiler/record_lines.h"
#include "model/encoders.h"
#include "platform/text_1252.h"
#include "present/station_cell.h"

namespace sc {
namespace {

using Json = nlohmann::ordered_json;

// A field's name as the panel shows it: "speed (km/h)".
std::string FieldLabel(const FieldFormat& field) {
  std::string label = field.name;
  if (*field.unit) label += std::string(" (") + field.unit + ")";
  return label;
}

// The fields of the records whose keyword stands at `line` and `column`
// (1-based; column 0: the first keyword on the line), as the readers take
// them: each with its name, its text and where it stands (1-based line,
// 1-based columns [begin, end)), a quoted text whole and a record continued
// on later lines with the fields it read there.
Json RecordFieldsJson(const FileAnnotation& a, int line, int column) {
  Json fields = Json::array();
  int keyword = -1;
  for (size_t i = 0; i < a.fields.size() && keyword < 0; ++i) {
    const AnnotatedField& f = a.fields[i];
    if (f.role == FieldRole::kKeyword && f.span.line == line - 1 &&
        (column == 0 || f.span.begin == column - 1)) {
      keyword = static_cast<int>(i);
    }
  }
  for (const AnnotatedRecord& r : a.records) {
    if (r.keyword != keyword || keyword < 0) continue;
    for (size_t n = 0; n < r.values.size(); ++n) {
      const FieldSpan& span = a.fields[static_cast<size_t>(r.values[n])].span;
      fields.push_back({{"name", FieldLabel(r.format->fields[n])},
                        {"value", Utf8From1252(span.text)},
                        {"line", span.line + 1},
                        {"begin", span.begin + 1},
                        {"end", span.end + 1}});
    }
  }
  return fields;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

double Centi(double v) { return std::nearbyint(v * 100) / 100; }

Json PlanJson(const std::optional<std::vector<PlanPoint>>& plan) {
  if (!plan) return nullptr;
  Json m = Json::array(), x = Json::array(), y = Json::array();
  // A tenth of a metre: finer than the page can show at its closest zoom.
  for (size_t i : SimplifyPlan(*plan, 0.1)) {
    m.push_back(i);
    x.push_back(Centi((*plan)[i].x));
    y.push_back(Centi((*plan)[i].y));
  }
  return {{"m", std::move(m)}, {"x", std::move(x)}, {"y", std::move(y)}};
}

Json CellsJson(const std::vector<TrackCell>& cells) {
  Json j;
  auto column = [&](const char* name, auto field) {
    Json a = Json::array();
    for (const TrackCell& c : cells) a.push_back(static_cast<int>(field(c)));
    j[name] = std::move(a);
  };
  column("kind", [](const TrackCell& c) { return c.kind; });
  column("value_a", [](const TrackCell& c) { return c.value_a; });
  column("value_b", [](const TrackCell& c) { return c.value_b; });
  column("value_c", [](const TrackCell& c) { return c.value_c; });
  column("value_d", [](const TrackCell& c) { return c.value_d; });
  column("timing", [](const TrackCell& c) { return c.timing; });
  column("countdown", [](const TrackCell& c) { return c.countdown; });
  column("mountain", [](const TrackCell& c) { return c.mountain; });
  column("speed_code", [](const TrackCell& c) { return c.speed_code; });
  column("gradient_code", [](const TrackCell& c) { return c.gradient_code; });
  column("adhesion", [](const TrackCell& c) { return c.adhesion; });
  return j;
}

// The speed and gradient profiles of the cells as the author wrote them
// (km/h, gradient), converted by the model, so the page converts nothing.
Json ProfileValuesJson(const std::vector<TrackCell>& cells) {
  Json speed = Json::array(), gradient = Json::array();
  for (const TrackCell& c : cells) {
    speed.push_back(SpeedOfCode(c.speed_code));
    gradient.push_back(GradientOfCode(c.gradient_code));
  }
  // Each maximum-speed board's three pairs, read back by the model, keyed
  // by its cell.
  Json boards = Json::object();
  for (size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (c.kind != kKindMaxSpeedBoard) continue;
    Json pairs = Json::array();
    for (int16_t packed : {c.value_a, c.value_b, c.value_c}) {
      const BoardSpeeds p = UnpackBoardSpeeds(packed);
      pairs.push_back({p.s, p.d});
    }
    boards[std::to_string(i)] = std::move(pairs);
  }
  return {{"speed", std::move(speed)},
          {"gradient", std::move(gradient)},
          {"boardSpeeds", std::move(boards)}};
}

Json StationJson(int slot, const StationRecord& r) {
  return {{"slot", slot},       {"name", Utf8From1252(r.name)},
          {"kind", r.kind},     {"start", r.start},
          {"end", r.end},       {"position", r.position},
          {"byte_1", r.byte_1}, {"byte_2", r.byte_2},
          {"byte_3", r.byte_3}, {"byte_4", r.byte_4},
          {"byte_5", r.byte_5}, {"word_1", r.word_1},
          {"word_2", r.word_2}, {"word_3", r.word_3},
          {"word_4", r.word_4}, {"word_5", r.word_5},
          {"time_s", r.time_s}};
}

// The metres of the cells 0 to one past the last, for the page to place
// cells and to find the cell of a metre without a rule of its own: each
// cell's metre, and where it starts (the start metre included or not).
Json GridJson(size_t cells) {
  Json metre = Json::array(), start = Json::array(), included = Json::array();
  for (int64_t i = 0; i <= static_cast<int64_t>(cells); ++i) {
    const CellStart s = ObjectCellStart(i);
    metre.push_back(ObjectMetreOf(i));
    start.push_back(s.metre);
    included.push_back(s.included ? 1 : 0);
  }
  return {
      {"metre", std::move(metre)}, {"start", std::move(start)}, {"startIn", std::move(included)}};
}

Json ObjectsJson(const PreviewData& data) {
  PreviewObjects objects = CollectObjects(data);
  Json stations = Json::array();
  for (const PreviewStation& s : objects.stations) {
    Json station = StationJson(s.slot, *s.record);
    // Its end marker's cell; an unmarked station is shown at its position.
    station["cell"] = StationMarkerCell(data.cells, s.slot).value_or(CellOf(s.record->position));
    stations.push_back(std::move(station));
  }
  Json signs = Json::array();
  for (const PreviewSign& s : objects.signs) {
    signs.push_back({{"metre", s.metre}, {"text", Utf8From1252(s.text)}});
  }
  Json slowdowns = Json::array();
  for (const PreviewSlowdown& s : objects.slowdowns) {
    slowdowns.push_back(
        {{"start", s.start}, {"end", s.end}, {"speed", s.speed}, {"cell", CellOf(s.start)}});
  }
  Json km = Json::array();
  for (const PreviewKmReference& k : objects.km_references)
    km.push_back(StationJson(k.slot, *k.record));
  return {{"stations", std::move(stations)},
          {"signs", std::move(signs)},
          {"slowdowns", std::move(slowdowns)},
          {"kmReferences", std::move(km)}};
}

int SourceIndex(const ViewInput& input, const std::string& name) {
  for (size_t i = 0; i < input.sources.size(); ++i) {
    if (input.sources[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

// A diagnostic as the page lists it: its place (with the index of the source
// it stands in, -1 for none), severity, code, message, the position on the
// route (null when not known) and its notes, each placed likewise.
Json DiagnosticJson(const ViewInput& input, const Diagnostic& d) {
  auto place = [&](const SourcePlace& p) {
    return Json{{"source", SourceIndex(input, p.file)},
                {"file", Utf8From1252(p.file)},
                {"line", p.line},
                {"column", p.column},
                {"end_column", p.end_column}};
  };
  Json j = place(d.place);
  j["severity"] = SeverityName(d.severity);
  j["class"] = DiagnosticCode(d);
  j["message"] = Utf8From1252(d.message);
  j["metre"] = d.position ? Json(*d.position) : Json(nullptr);
  Json notes = Json::array();
  for (const DiagnosticNote& n : d.notes) {
    Json note = place(n.place);
    note["message"] = Utf8From1252(n.message);
    notes.push_back(std::move(note));
  }
  j["notes"] = std::move(notes);
  return j;
}

// The records that placed or filled anything, with their named fields, the
// cells they wrote and, per cell part, runs of cells with their writer.
void ProvenanceJson(const ViewInput& input, Json* out) {
  const Provenance& p = *input.provenance;
  // Each input walked once by the readers' field reader.
  std::vector<FileAnnotation> annotations;
  for (const ViewSource& s : input.sources) annotations.push_back(AnnotateFile(s.file, s.text));
  Json records = Json::array();
  for (const SourceRecord& r : p.records()) {
    Json writes = Json::array();
    for (const CellWrite& w : r.writes)
      writes.push_back({static_cast<int>(w.part), w.first, w.last});
    int source = SourceIndex(input, r.file);
    Json fields = source >= 0
                      ? RecordFieldsJson(annotations[static_cast<size_t>(source)], r.line, r.column)
                      : Json::array();
    records.push_back({{"source", source},
                       {"file", Utf8From1252(r.file)},
                       {"line", r.line},
                       {"keyword", Utf8From1252(r.keyword)},
                       {"fields", std::move(fields)},
                       {"writes", std::move(writes)},
                       {"slots", r.slots}});
  }
  Json writers = Json::array();
  const int64_t cells = static_cast<int64_t>(input.data->cells.size());
  for (int part = 0; part < kCellParts; ++part) {
    Json runs = Json::array();
    int64_t first = 0;
    int previous = kNoRecord;
    for (int64_t i = 0; i < cells; ++i) {
      int writer = p.WriterOf(i, static_cast<CellPart>(part));
      if (writer == previous) continue;
      if (previous != kNoRecord) runs.push_back({first, i - 1, previous});
      first = i;
      previous = writer;
    }
    if (previous != kNoRecord) runs.push_back({first, cells - 1, previous});
    writers.push_back(std::move(runs));
  }
  (*out)["records"] = std::move(records);
  (*out)["writers"] = std::move(writers);
}

}  // namespace

std::vector<size_t> SimplifyPlan(const std::vector<PlanPoint>& points, double tolerance) {
  std::vector<size_t> kept;
  if (points.empty()) return kept;
  std::vector<bool> keep(points.size(), false);
  keep.front() = keep.back() = true;
  // Douglas-Peucker with an explicit stack of spans.
  std::vector<std::pair<size_t, size_t>> spans{{0, points.size() - 1}};
  while (!spans.empty()) {
    auto [a, b] = spans.back();
    spans.pop_back();
    if (b <= a + 1) continue;
    const double dx = points[b].x - points[a].x, dy = points[b].y - points[a].y;
    const double length = std::hypot(dx, dy);
    double worst = -1;
    size_t worst_at = a;
    for (size_t i = a + 1; i < b; ++i) {
      const double ex = points[i].x - points[a].x, ey = points[i].y - points[a].y;
      const double d = length > 0 ? std::abs(ex * dy - ey * dx) / length : std::hypot(ex, ey);
      if (d > worst) {
        worst = d;
        worst_at = i;
      }
    }
    if (worst > tolerance) {
      keep[worst_at] = true;
      spans.push_back({a, worst_at});
      spans.push_back({worst_at, b});
    }
  }
  for (size_t i = 0; i < points.size(); ++i) {
    if (keep[i]) kept.push_back(i);
  }
  return kept;
}

std::string ViewDataJson(const ViewInput& input) {
  const PreviewData& data = *input.data;
  std::vector<std::vector<std::string>> lines;
  Json sources = Json::array();
  for (const ViewSource& s : input.sources) {
    lines.push_back(SplitLines(s.text));
    Json text = Json::array();
    for (const std::string& line : lines.back()) text.push_back(Utf8From1252(line));
    sources.push_back({{"name", Utf8From1252(s.name)}, {"lines", std::move(text)}});
  }
  Json diagnostics = Json::array();
  for (const Diagnostic& d : input.diagnostics) diagnostics.push_back(DiagnosticJson(input, d));
  Json j = {{"title", Utf8From1252(input.title)},
            {"routeLength", data.route_length},
            {"cellMetres", kCellMetres},
            {"plan", PlanJson(data.plan)},
            {"cells", CellsJson(data.cells)},
            {"values", ProfileValuesJson(data.cells)},
            {"grid", GridJson(data.cells.size())},
            {"objects", ObjectsJson(data)},
            {"sources", std::move(sources)},
            {"diagnostics", std::move(diagnostics)},
            {"records", nullptr},
            {"writers", nullptr},
            {"noRecords", Utf8From1252(input.no_records_reason)}};
  if (input.provenance) ProvenanceJson(input, &j);
  std::string text = j.dump(-1, ' ', false, Json::error_handler_t::replace);
  // "</" could close the script element the data sits in.
  std::string safe;
  safe.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    safe += text[i];
    if (text[i] == '<' && i + 1 < text.size() && text[i + 1] == '/') safe += "\\";
  }
  return safe;
}

}  // namespace sc
