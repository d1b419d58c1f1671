#include "present/preview_svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>
#include <vector>

#include "model/track_grid.h"
#include "present/preview_xml.h"

namespace sc {
namespace {

constexpr double kWidth = 1200;
constexpr double kLeft = 120;  // room for the lane titles
constexpr double kRight = 30;
constexpr double kPlotWidth = kWidth - kLeft - kRight;
constexpr double kPlanMaxHeight = 520;
constexpr size_t kMaxPlanPoints = 4000;
constexpr double kFontSize = 11;  // the labels' font size, px

// Colours of the kinds, shared by markers and legend.
constexpr const char* kStationColour = "#1f4e9c";
constexpr const char* kSignalColour = "#c62828";
constexpr const char* kSlowdownColour = "#ef8a00";
constexpr const char* kBoardColour = "#6a1b9a";
constexpr const char* kSignColour = "#6d4c41";
constexpr const char* kKmRefColour = "#00796b";

// ---- Numbers and text --------------------------------------------------

// Numbers are drawn to one decimal. Values beyond +-1e12 (no picture
// coordinate or distance comes near) are clamped, so the text always fits the
// buffer; a failed conversion still writes "0", never the buffer's contents.
std::string Num(double v) {
  constexpr double kLimit = 1e12;
  if (!std::isfinite(v)) v = 0;
  v = std::clamp(v, -kLimit, kLimit);
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, std::round(v * 10) / 10,
                         std::chars_format::fixed, 1);
  if (r.ec != std::errc()) return "0";
  std::string s(buffer, r.ptr);
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  if (s == "-0") s = "0";
  return s;
}

std::string Int(int64_t v) { return std::to_string(v); }

// "12.5 km" or "800 m".
std::string Distance(double metres) {
  if (std::abs(metres) >= 1000) return Num(metres / 1000) + " km";
  return Num(metres) + " m";
}

}  // namespace

// Estimated from the widths of the common sans-serif faces (in ems), on the
// generous side: a label placed by it clears its neighbours whichever face
// draws it.
double LabelTextWidth(std::string_view bytes) {
  double ems = 0;
  for (const char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == 'M' || c == 'W' || c == 'm' || c == 'w') {
      ems += 0.98;
    } else if (c >= 'A' && c <= 'Z') {
      ems += 0.74;
    } else if (c == 'i' || c == 'j' || c == 'l' || c == '.' || c == ',' || c == ':' || c == '\'' ||
               c == '|' || c == '!') {
      ems += 0.30;
    } else if (c == ' ' || c == '(' || c == ')' || c == 'f' || c == 't' || c == 'r' || c == '-') {
      ems += 0.40;
    } else {
      ems += 0.64;  // other lower-case letters, digits, accented letters
    }
  }
  return ems * kFontSize;
}

namespace {

double TextWidth(std::string_view bytes) { return LabelTextWidth(bytes); }

// A "nice" step (1, 2 or 5 times a power of ten) not above `limit`.
double NiceStep(double limit) {
  if (!(limit > 1)) return 1;
  double p = std::pow(10.0, std::floor(std::log10(limit)));
  for (double f : {5.0, 2.0, 1.0}) {
    if (f * p <= limit) return f * p;
  }
  return p;
}

class Svg {
 public:
  std::string& out() { return out_; }
  void Text(double x, double y, std::string_view escaped, const std::string& extra = "") {
    out_ += "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\"" + extra + ">";
    out_ += escaped;
    out_ += "</text>\n";
  }
  void Line(double x1, double y1, double x2, double y2, const std::string& style) {
    out_ += "<line x1=\"" + Num(x1) + "\" y1=\"" + Num(y1) + "\" x2=\"" + Num(x2) + "\" y2=\"" +
            Num(y2) + "\" " + style + "/>\n";
  }
  void Rect(double x, double y, double w, double h, const std::string& style) {
    out_ += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(std::max(w, 0.0)) +
            "\" height=\"" + Num(std::max(h, 0.0)) + "\" " + style + "/>\n";
  }
  void Title(std::string_view escaped) {
    out_ += "<title>";
    out_ += escaped;
    out_ += "</title>";
  }
  // Opens a marker group: class and position.
  void OpenMarker(const char* cls, int64_t metre) {
    out_ += "<g class=\"" + std::string(cls) + "\" data-m=\"" + Int(metre) + "\">";
  }
  void Close() { out_ += "</g>\n"; }

 private:
  std::string out_;
};

// ---- Label thinning ------------------------------------------------------

struct Box {
  double x0, y0, x1, y1;
  bool Overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// Keeps a label only when its box overlaps none kept before.
class LabelSpace {
 public:
  bool Take(const Box& box) {
    for (const Box& b : taken_) {
      if (b.Overlaps(box)) return false;
    }
    taken_.push_back(box);
    return true;
  }
  // Marks a box taken whatever it overlaps (a marker).
  void Reserve(const Box& box) { taken_.push_back(box); }

 private:
  std::vector<Box> taken_;
};

// Rows of labels along the axis: a label goes to the first row where it
// clears the previous label by a gap; -1 when no row has room.
class LabelRows {
 public:
  explicit LabelRows(int rows) : ends_(static_cast<size_t>(rows), -1e18) {}
  int Place(double x0, double x1) {
    for (size_t r = 0; r < ends_.size(); ++r) {
      if (x0 >= ends_[r] + 4) {
        ends_[r] = x1;
        return static_cast<int>(r);
      }
    }
    return -1;
  }

 private:
  std::vector<double> ends_;
};

// ---- Geometry --------------------------------------------------------------

struct AxisMap {
  double length;  // metres
  double ToX(double metre) const {
    return kLeft + std::clamp(metre, 0.0, length) * kPlotWidth / length;
  }
};

struct PlanMap {
  double min_x, max_y, scale, left, top;
  double X(const PlanPoint& p) const { return left + (p.x - min_x) * scale; }
  double Y(const PlanPoint& p) const { return top + (max_y - p.y) * scale; }
};

// The part of the plan that is the route itself (metres 0 to route length).
size_t RoutePoints(const PreviewData& data) {
  size_t n = data.plan->size();
  size_t route = static_cast<size_t>(std::max<int64_t>(data.route_length, 0)) + 1;
  return std::min(n, route);
}

PlanMap FitPlan(const std::vector<PlanPoint>& points, size_t n, double top) {
  double min_x = points[0].x, max_x = min_x, min_y = points[0].y, max_y = min_y;
  for (size_t i = 1; i < n; ++i) {
    min_x = std::min(min_x, points[i].x);
    max_x = std::max(max_x, points[i].x);
    min_y = std::min(min_y, points[i].y);
    max_y = std::max(max_y, points[i].y);
  }
  double w = std::max(max_x - min_x, 1.0), h = std::max(max_y - min_y, 1.0);
  double scale = std::min(kPlotWidth / w, kPlanMaxHeight / h);
  double left = kLeft + (kPlotWidth - (max_x - min_x) * scale) / 2;
  return {min_x, max_y, scale, left, top};
}

const PlanPoint& PointAt(const std::vector<PlanPoint>& points, size_t n, int64_t metre) {
  size_t i = static_cast<size_t>(std::clamp<int64_t>(metre, 0, static_cast<int64_t>(n) - 1));
  return points[i];
}

// The points of metres [from, to] as an SVG points list, thinned to at most
// about kMaxPlanPoints and to points at least half a pixel apart.
std::string PolylinePoints(const std::vector<PlanPoint>& points, size_t from, size_t to,
                           const PlanMap& map) {
  size_t step = std::max<size_t>(1, (to - from + 1) / kMaxPlanPoints + 1);
  std::string s;
  double last_x = -1e18, last_y = -1e18;
  for (size_t i = from; i <= to; i += step) {
    size_t k = (i + step > to) ? to : i;  // always end on the last point
    double x = map.X(points[k]), y = map.Y(points[k]);
    if (std::hypot(x - last_x, y - last_y) < 0.5 && k != to) continue;
    s += Num(x) + "," + Num(y) + " ";
    last_x = x;
    last_y = y;
    if (k == to) break;
  }
  return s;
}

// ---- Ground plan --------------------------------------------------------

struct PlanContext {
  Svg& svg;
  const std::vector<PlanPoint>& points;
  size_t n;
  const PlanMap& map;
  LabelSpace labels;
};

// A label for the marker at (x, y): right of it, else left of it, above or
// below, wherever it overlaps no label and no marker taken before and stays
// inside the picture; left out when none is free.
void PlanLabel(PlanContext& c, double x, double y, const std::string& bytes, const char* colour) {
  const double w = TextWidth(bytes);
  const std::string style = std::string(" class=\"label\" fill=\"") + colour + "\"";
  // Each place: where the text is anchored, how, and its box's left edge.
  // Anchored at the side next to the marker, so that the generous width
  // leaves its room on the far side.
  struct Place {
    double x, baseline;
    const char* anchor;  // "" (start), "end" or "middle"
    double left;
  };
  const Place places[] = {{x + 8, y + 4, "", x + 8},        {x - 8, y + 4, "end", x - 8 - w},
                          {x, y - 9, "middle", x - w / 2},  {x, y + 17, "middle", x - w / 2},
                          {x + 4, y - 9, "end", x + 4 - w}, {x + 4, y + 17, "end", x + 4 - w},
                          {x - 4, y - 9, "", x - 4},        {x - 4, y + 17, "", x - 4}};
  for (const Place& p : places) {
    const Box box{p.left, p.baseline - 11, p.left + w, p.baseline + 3};
    if (box.x0 < 0 || box.x1 > kWidth - 2 || box.y0 < c.map.top - 20) continue;
    if (c.labels.Take(box)) {
      const std::string anchor =
          *p.anchor ? std::string(" text-anchor=\"") + p.anchor + "\"" : std::string();
      c.svg.Text(p.x, p.baseline, XmlFrom1252(bytes), style + anchor);
      return;
    }
  }
}

void PlanPointMarker(PlanContext& c, const char* cls, int64_t metre, const std::string& shape,
                     const std::string& tooltip) {
  const PlanPoint& p = PointAt(c.points, c.n, metre);
  double x = c.map.X(p), y = c.map.Y(p);
  c.svg.OpenMarker(cls, metre);
  c.svg.out() += "<g transform=\"translate(" + Num(x) + "," + Num(y) + ")\">" + shape + "</g>";
  c.svg.Title(tooltip);
  c.svg.Close();
}

std::string StationLabel(const StationRecord& r) { return r.name + " (kind " + Int(r.kind) + ")"; }

// Whether `s` is the first or the last station along the route.
bool IsEndStation(const PreviewObjects& objects, const PreviewStation& s) {
  if (objects.stations.empty()) return false;
  int64_t first = s.record->position, last = first;
  for (const PreviewStation& o : objects.stations) {
    first = std::min<int64_t>(first, o.record->position);
    last = std::max<int64_t>(last, o.record->position);
  }
  return s.record->position == first || s.record->position == last;
}

void DrawPlanObjects(PlanContext& c, const PreviewObjects& objects) {
  for (const PreviewSlowdown& s : objects.slowdowns) {
    size_t from = static_cast<size_t>(std::clamp<int64_t>(s.start, 0, c.n - 1));
    size_t to = static_cast<size_t>(std::clamp<int64_t>(s.end, 0, c.n - 1));
    c.svg.OpenMarker("plan-slowdown", s.start);
    c.svg.out() += "<polyline fill=\"none\" stroke=\"" + std::string(kSlowdownColour) +
                   "\" stroke-width=\"6\" stroke-opacity=\"0.7\" points=\"" +
                   PolylinePoints(c.points, from, std::max(from, to), c.map) + "\"/>";
    c.svg.Title("slowdown " + Int(s.speed) + " km/h, " + Int(s.start) + " m to " + Int(s.end) +
                " m");
    c.svg.Close();
  }
  for (const PreviewCellObject& o : objects.signals) {
    PlanPointMarker(c, "plan-signal", o.metre,
                    "<circle r=\"3\" fill=\"" + std::string(kSignalColour) + "\"/>",
                    "signal at " + Int(o.metre) + " m");
  }
  for (const PreviewCellObject& o : objects.max_speed_boards) {
    PlanPointMarker(c, "plan-max-speed-board", o.metre,
                    "<path d=\"M0 -4 L4 3 L-4 3 Z\" fill=\"" + std::string(kBoardColour) + "\"/>",
                    "maximum-speed board at " + Int(o.metre) + " m");
  }
  for (const PreviewSign& s : objects.signs) {
    PlanPointMarker(
        c, "plan-sign", s.metre,
        "<path d=\"M0 -4 L4 0 L0 4 L-4 0 Z\" fill=\"" + std::string(kSignColour) + "\"/>",
        XmlFrom1252(s.text) + " (sign at " + Int(s.metre) + " m)");
  }
  for (const PreviewStation& s : objects.stations) {
    PlanPointMarker(
        c, "plan-station", s.record->position,
        "<rect x=\"-4.5\" y=\"-4.5\" width=\"9\" height=\"9\" fill=\"white\" stroke=\"" +
            std::string(kStationColour) + "\" stroke-width=\"2.5\"/>",
        XmlFrom1252(StationLabel(*s.record)) + " at " + Int(s.record->position) + " m");
  }
  // Labels last: no label covers a station's or a sign's marker; stations
  // win the room, the route's two end stations first.
  const auto marker_box = [&](int64_t metre) {
    const PlanPoint& p = PointAt(c.points, c.n, metre);
    return Box{c.map.X(p) - 6, c.map.Y(p) - 6, c.map.X(p) + 6, c.map.Y(p) + 6};
  };
  for (const PreviewStation& s : objects.stations) c.labels.Reserve(marker_box(s.record->position));
  for (const PreviewSign& s : objects.signs) c.labels.Reserve(marker_box(s.metre));
  std::vector<const PreviewStation*> stations;
  for (const PreviewStation& s : objects.stations) stations.push_back(&s);
  std::stable_sort(stations.begin(), stations.end(), [&](const auto* a, const auto* b) {
    return IsEndStation(objects, *a) && !IsEndStation(objects, *b);
  });
  for (const PreviewStation* s : stations) {
    const PlanPoint& p = PointAt(c.points, c.n, s->record->position);
    PlanLabel(c, c.map.X(p), c.map.Y(p), StationLabel(*s->record), kStationColour);
  }
  for (const PreviewSign& s : objects.signs) {
    const PlanPoint& p = PointAt(c.points, c.n, s.metre);
    PlanLabel(c, c.map.X(p), c.map.Y(p), s.text, kSignColour);
  }
}

void DrawScaleBar(Svg& svg, double scale, double y) {
  double metres = NiceStep(kPlotWidth / 5 / scale);
  double px = metres * scale;
  svg.out() += "<g class=\"scale-bar\">";
  svg.Line(kLeft, y, kLeft + px, y, "stroke=\"black\" stroke-width=\"2\"");
  svg.Line(kLeft, y - 5, kLeft, y + 5, "stroke=\"black\"");
  svg.Line(kLeft + px, y - 5, kLeft + px, y + 5, "stroke=\"black\"");
  svg.Text(kLeft + px + 8, y + 4, Distance(metres));
  svg.Close();
}

void DrawNorthArrow(Svg& svg, double top) {
  double x = kWidth - kRight - 15;
  svg.out() +=
      "<g class=\"north\"><path d=\"M" + Num(x) + " " + Num(top + 10) + " l-6 16 l6 -5 l6 5 Z\"/>";
  svg.Text(x - 4, top + 8, "N", " font-weight=\"bold\"");
  svg.Close();
}

// The plan past the route's end (the run-out), dashed and light, as far as
// it stays inside the plan's area; and a bar across the track at the end.
void DrawRunOut(Svg& svg, const std::vector<PlanPoint>& points, size_t n, const PlanMap& map) {
  const auto inside = [&](const PlanPoint& p) {
    const double x = map.X(p), y = map.Y(p);
    return x >= kLeft && x <= kWidth - kRight && y >= map.top - 20 && y <= map.top + kPlanMaxHeight;
  };
  size_t last = n - 1;
  while (last + 1 < points.size() && inside(points[last + 1])) ++last;
  if (last > n - 1) {
    svg.out() +=
        "<polyline class=\"run-out\" fill=\"none\" stroke=\"#b0bec5\" stroke-width=\"1.5\" "
        "stroke-dasharray=\"5 4\" points=\"" +
        PolylinePoints(points, n - 1, last, map) +
        "\"><title>run-out past the route's end</title>" + "</polyline>\n";
  }
  const PlanPoint& end = points[n - 1];
  const PlanPoint& before = points[n > 50 ? n - 51 : 0];
  const double dx = map.X(end) - map.X(before), dy = map.Y(end) - map.Y(before);
  const double length = std::max(std::hypot(dx, dy), 1e-9);
  const double nx = -dy / length * 10, ny = dx / length * 10;
  svg.out() += "<g class=\"route-end\">";
  svg.Line(map.X(end) - nx, map.Y(end) - ny, map.X(end) + nx, map.Y(end) + ny,
           "stroke=\"#333\" stroke-width=\"3\"");
  svg.Title("the route's end at " + Int(static_cast<int64_t>(n - 1)) + " m");
  svg.Close();
}

// Draws the plan section from `top`; returns where the next section starts.
double DrawPlan(Svg& svg, const PreviewData& data, const PreviewObjects& objects, double top) {
  svg.Text(10, top + 14, "Ground plan", " class=\"heading\"");
  size_t n = data.plan ? RoutePoints(data) : 0;
  if (n < 2) {
    std::string note =
        data.plan ? "The route plan is empty: no ground plan to draw."
                  : "No route plan (compiled with --no-plan): the ground plan is left out.";
    svg.Text(kLeft, top + 40, note, " class=\"no-plan-note\" font-style=\"italic\"");
    return top + 70;
  }
  const std::vector<PlanPoint>& points = *data.plan;
  PlanMap map = FitPlan(points, n, top + 40);
  svg.out() += "<g class=\"plan\">";
  if (data.source_track.size() >= 2) {
    svg.out() +=
        "<polyline class=\"source-track\" fill=\"none\" stroke=\"#7b7\" stroke-width=\"5\" "
        "stroke-opacity=\"0.6\" points=\"" +
        PolylinePoints(data.source_track, 0, data.source_track.size() - 1, map) + "\"/>\n";
  }
  svg.out() +=
      "<polyline class=\"track\" fill=\"none\" stroke=\"#333\" stroke-width=\"2\" points=\"" +
      PolylinePoints(points, 0, n - 1, map) + "\"/>\n";
  DrawRunOut(svg, points, n, map);
  PlanContext context{svg, points, n, map, LabelSpace{}};
  DrawPlanObjects(context, objects);
  svg.Close();
  DrawNorthArrow(svg, top + 20);
  double lowest = top + 40;
  for (size_t i = 0; i < n; ++i) lowest = std::max(lowest, map.Y(points[i]));
  double bottom = lowest + 30;
  DrawScaleBar(svg, map.scale, bottom);
  if (!data.source_track.empty() && !data.source_credit.empty()) {
    bottom += 24;
    svg.Text(kLeft, bottom, "Map track: " + XmlFrom1252(data.source_credit),
             " class=\"source-credit\"");
  }
  return bottom + 30;
}

// ---- Profiles --------------------------------------------------------------

struct Run {
  double from, to;  // metres
  int value;
  size_t first = 0, last = 0;  // its cells
};

// The runs of equal values of cells covering metres 0 to the route length,
// each cell from where its profile value starts to where the next one's does.
std::vector<Run> Runs(const PreviewData& data, const std::function<int(const TrackCell&)>& value) {
  std::vector<Run> runs;
  double length = static_cast<double>(data.route_length);
  for (size_t i = 0; i < data.cells.size(); ++i) {
    const int64_t cell = static_cast<int64_t>(i);
    double from = static_cast<double>(ProfileMetreOf(cell));
    if (from >= length) break;
    double to = std::min(static_cast<double>(ProfileMetreOf(cell + 1)), length);
    int v = value(data.cells[i]);
    if (!runs.empty() && runs.back().value == v) {
      runs.back().to = to;
      runs.back().last = i;
    } else {
      runs.push_back({from, to, v, i, i});
    }
  }
  return runs;
}

struct Lane {
  double top, height;
  double lo, hi;  // value range
  double Y(double v) const { return top + height - (v - lo) / (hi - lo) * height; }
};

// A step line through the runs; when there are more runs than pixels, each
// pixel column shows the span of values in it instead.
std::string StepPath(const std::vector<Run>& runs, const AxisMap& axis, const Lane& lane) {
  std::string d;
  if (runs.empty()) return d;
  if (runs.size() <= static_cast<size_t>(kPlotWidth)) {
    d = "M" + Num(axis.ToX(runs[0].from)) + " " + Num(lane.Y(runs[0].value));
    for (size_t i = 0; i < runs.size(); ++i) {
      if (i > 0) d += "V" + Num(lane.Y(runs[i].value));
      d += "H" + Num(axis.ToX(runs[i].to));
    }
    return d;
  }
  const int columns = static_cast<int>(kPlotWidth);
  std::vector<double> lo(columns, std::numeric_limits<double>::max());
  std::vector<double> hi(columns, std::numeric_limits<double>::lowest());
  for (const Run& r : runs) {
    int c0 = std::clamp(static_cast<int>(axis.ToX(r.from) - kLeft), 0, columns - 1);
    int c1 = std::clamp(static_cast<int>(axis.ToX(r.to) - kLeft), 0, columns - 1);
    for (int c = c0; c <= c1; ++c) {
      lo[c] = std::min<double>(lo[c], r.value);
      hi[c] = std::max<double>(hi[c], r.value);
    }
  }
  for (int c = 0; c < columns; ++c) {
    if (lo[c] > hi[c]) continue;
    d += "M" + Num(kLeft + c + 0.5) + " " + Num(lane.Y(hi[c]) - 0.5) + "V" +
         Num(lane.Y(lo[c]) + 0.5);
  }
  return d;
}

void LaneFrame(Svg& svg, const Lane& lane, const std::string& title) {
  svg.Rect(kLeft, lane.top, kPlotWidth, lane.height, "fill=\"none\" stroke=\"#bbb\"");
  svg.Text(10, lane.top + lane.height / 2 + 4, title, " class=\"lane-title\"");
}

void ValueLane(Svg& svg, const PreviewData& data, const AxisMap& axis, double top, double height,
               const char* cls, const std::string& title, const char* colour,
               const std::function<int(const TrackCell&)>& value, bool symmetric) {
  std::vector<Run> runs = Runs(data, value);
  int lo = 0, hi = 0;
  for (const Run& r : runs) {
    lo = std::min(lo, r.value);
    hi = std::max(hi, r.value);
  }
  double top_value = symmetric ? std::max({1, hi, -lo}) : std::max(hi, 1) * 1.1;
  Lane lane{top + 4, height - 8, symmetric ? -top_value : 0, top_value};
  LaneFrame(svg, {top, height, 0, 1}, title);
  int shown = symmetric ? static_cast<int>(top_value) : hi;
  svg.Text(kLeft - 6, lane.Y(shown) + 4, Int(shown), " text-anchor=\"end\" font-size=\"10\"");
  svg.Text(kLeft - 6, lane.Y(symmetric ? -shown : 0) + 4, Int(symmetric ? -shown : 0),
           " text-anchor=\"end\" font-size=\"10\"");
  if (symmetric) {
    svg.Line(kLeft, lane.Y(0), kLeft + kPlotWidth, lane.Y(0),
             "stroke=\"#999\" stroke-dasharray=\"4 3\"");
  }
  svg.out() += "<path class=\"" + std::string(cls) + "\" fill=\"none\" stroke=\"" + colour +
               "\" stroke-width=\"1.5\" d=\"" + StepPath(runs, axis, lane) + "\"/>\n";
}

const char* MountainColour(int type) {
  switch (type) {
    case 1: return "#a5d6a7";
    case 2: return "#66bb6a";
    case 3: return "#2e7d32";
    default: return "#8d6e63";
  }
}

// Mountain ranges as coloured bands; a tunnel is a stretch of mountain cells
// that holds tunnel markers (kind 11), drawn as a dark bar below.
void MountainLane(Svg& svg, const PreviewData& data, const AxisMap& axis, double top,
                  double height) {
  LaneFrame(svg, {top, height, 0, 1}, "mountains");
  for (const Run& r : Runs(data, [](const TrackCell& c) { return int{c.mountain}; })) {
    if (r.value == 0) continue;
    double x0 = axis.ToX(r.from), x1 = axis.ToX(r.to);
    svg.out() += "<g class=\"mountain\" data-type=\"" + Int(r.value) + "\">";
    svg.Rect(x0, top + 3, std::max(x1 - x0, 1.0), height / 2 - 3,
             std::string("fill=\"") + MountainColour(r.value) + "\"");
    svg.Title("mountain type " + Int(r.value) + ", " + Int(static_cast<int64_t>(r.from)) +
              " m to " + Int(static_cast<int64_t>(r.to)) + " m");
    svg.Close();
  }
  auto tunnel = [](const TrackCell& c) { return c.mountain != 0 ? 1 : 0; };
  for (const Run& r : Runs(data, tunnel)) {
    if (r.value == 0) continue;
    // A run cut short by the route's end leaves its last cell out.
    const bool whole =
        r.to == static_cast<double>(ProfileMetreOf(static_cast<int64_t>(r.last) + 1));
    const size_t end = whole ? r.last + 1 : r.last;
    bool marked = false;
    for (size_t i = r.first; i < end && i < data.cells.size(); ++i) {
      marked = marked || data.cells[i].kind == kKindMountainMarker;
    }
    if (!marked) continue;
    double x0 = axis.ToX(r.from), x1 = axis.ToX(r.to);
    svg.Rect(x0, top + height / 2 + 3, std::max(x1 - x0, 1.0), height / 2 - 6,
             "class=\"tunnel\" fill=\"#222\"");
  }
}

// ---- Objects lane ---------------------------------------------------------

struct ObjectRows {
  double km_ref, label0, area, signal, board, sign, slowdown, bottom;
};

ObjectRows RowsFrom(double top) {
  return {top + 12, top + 26, top + 58, top + 82, top + 100, top + 116, top + 132, top + 154};
}

void TickMarker(Svg& svg, const char* cls, int64_t metre, double x, double y, const char* colour,
                const std::string& shape, const std::string& tooltip) {
  svg.OpenMarker(cls, metre);
  svg.out() += "<g transform=\"translate(" + Num(x) + "," + Num(y) + ")\" fill=\"" + colour +
               "\" stroke=\"" + colour + "\">" + shape + "</g>";
  svg.Title(tooltip);
  svg.Close();
}

void DrawStations(Svg& svg, const PreviewObjects& objects, const AxisMap& axis,
                  const ObjectRows& rows) {
  LabelRows labels(3);
  for (const PreviewStation& s : objects.stations) {
    const StationRecord& r = *s.record;
    double x = axis.ToX(r.position), x0 = axis.ToX(r.start), x1 = axis.ToX(r.end);
    std::string label = StationLabel(r);
    svg.OpenMarker("station", r.position);
    svg.Rect(x0, rows.area, std::max(x1 - x0, 2.0), 8,
             std::string("fill=\"") + kStationColour + "\" fill-opacity=\"0.35\"");
    svg.Line(x, rows.label0 + 30, x, rows.area + 10,
             std::string("stroke=\"") + kStationColour + "\" stroke-width=\"2\"");
    double w = TextWidth(label);
    // Kept inside the picture even for the stations at the ends.
    double centre = std::clamp(x, kLeft - 60 + w / 2, kWidth - 4 - w / 2);
    int row = labels.Place(centre - w / 2, centre + w / 2);
    if (row >= 0) {
      svg.Text(
          centre, rows.label0 + 13 * row, XmlFrom1252(label),
          std::string(" class=\"label\" text-anchor=\"middle\" fill=\"") + kStationColour + "\"");
    }
    svg.Title(XmlFrom1252(label) + ": " + Int(r.start) + " m to " + Int(r.end) + " m, at " +
              Int(r.position) + " m");
    svg.Close();
  }
}

void DrawSlowdowns(Svg& svg, const PreviewObjects& objects, const AxisMap& axis,
                   const ObjectRows& rows) {
  LabelRows labels(1);
  for (const PreviewSlowdown& s : objects.slowdowns) {
    double x0 = axis.ToX(s.start), x1 = axis.ToX(s.end);
    std::string label = Int(s.speed);
    svg.OpenMarker("slowdown", s.start);
    svg.Rect(x0, rows.slowdown, std::max(x1 - x0, 2.0), 8,
             std::string("fill=\"") + kSlowdownColour + "\"");
    double w = TextWidth(label);
    if (labels.Place(x0, x0 + w) >= 0) svg.Text(x0, rows.slowdown + 19, label, " font-size=\"10\"");
    svg.Title("slowdown " + label + " km/h, " + Int(s.start) + " m to " + Int(s.end) + " m");
    svg.Close();
  }
}

double DrawObjectsLane(Svg& svg, const PreviewObjects& objects, const AxisMap& axis, double top) {
  ObjectRows rows = RowsFrom(top);
  svg.Text(10, rows.area + 8, "stations", " class=\"lane-title\"");
  svg.Text(10, rows.signal + 4, "signals", " class=\"lane-title\"");
  svg.Text(10, rows.board + 4, "max-speed boards", " class=\"lane-title\"");
  svg.Text(10, rows.sign + 4, "signs", " class=\"lane-title\"");
  svg.Text(10, rows.slowdown + 8, "slowdowns", " class=\"lane-title\"");
  svg.Text(10, rows.km_ref, "km references", " class=\"lane-title\"");
  if (objects.km_references.empty())
    svg.Text(kLeft, rows.km_ref, "none set", " font-size=\"10\" fill=\"#777\"");
  LabelRows km_labels(1);
  for (const PreviewKmReference& k : objects.km_references) {
    const StationRecord& r = *k.record;
    double x = axis.ToX(r.start);
    std::string label = "km ref " + Int(r.end);
    svg.OpenMarker("km-reference", r.start);
    svg.Line(x, rows.km_ref - 10, x, rows.km_ref + 2,
             std::string("stroke=\"") + kKmRefColour + "\"");
    if (km_labels.Place(x, x + TextWidth(label)) >= 0)
      svg.Text(x + 3, rows.km_ref, label, " font-size=\"10\"");
    svg.Title("kilometre reference: " + Int(r.start) + ", " + Int(r.end) + ", " + Int(r.position));
    svg.Close();
  }
  DrawStations(svg, objects, axis, rows);
  for (const PreviewCellObject& o : objects.signals) {
    TickMarker(svg, "signal", o.metre, axis.ToX(static_cast<double>(o.metre)), rows.signal,
               kSignalColour,
               "<line y1=\"-6\" y2=\"6\" stroke-width=\"2\"/><circle cy=\"-6\" r=\"2.5\"/>",
               "signal at " + Int(o.metre) + " m");
  }
  for (const PreviewCellObject& o : objects.max_speed_boards) {
    TickMarker(svg, "max-speed-board", o.metre, axis.ToX(static_cast<double>(o.metre)), rows.board,
               kBoardColour, "<path d=\"M0 -5 L4.5 4 L-4.5 4 Z\"/>",
               "maximum-speed board at " + Int(o.metre) + " m");
  }
  for (const PreviewSign& s : objects.signs) {
    TickMarker(svg, "sign", s.metre, axis.ToX(static_cast<double>(s.metre)), rows.sign, kSignColour,
               "<path d=\"M0 -5 L5 0 L0 5 L-5 0 Z\"/>",
               XmlFrom1252(s.text) + " (sign at " + Int(s.metre) + " m)");
  }
  DrawSlowdowns(svg, objects, axis, rows);
  return rows.bottom;
}

// Light bands through all lanes for station areas and slowdown stretches.
void DrawBands(Svg& svg, const PreviewObjects& objects, const AxisMap& axis, double top,
               double bottom) {
  svg.out() += "<g class=\"bands\">";
  for (const PreviewStation& s : objects.stations) {
    double x0 = axis.ToX(s.record->start), x1 = axis.ToX(s.record->end);
    svg.Rect(x0, top, std::max(x1 - x0, 1.0), bottom - top,
             "fill=\"#1f4e9c\" fill-opacity=\"0.08\"");
  }
  for (const PreviewSlowdown& s : objects.slowdowns) {
    double x0 = axis.ToX(static_cast<double>(s.start)), x1 = axis.ToX(static_cast<double>(s.end));
    svg.Rect(x0, top, std::max(x1 - x0, 1.0), bottom - top,
             "fill=\"#ef8a00\" fill-opacity=\"0.15\"");
  }
  svg.Close();
}

double DrawAxis(Svg& svg, const AxisMap& axis, double y) {
  svg.out() += "<g class=\"axis\" data-from=\"0\" data-to=\"" + Num(axis.length) + "\">";
  svg.Line(kLeft, y, kLeft + kPlotWidth, y, "stroke=\"black\"");
  double step = NiceStep(axis.length / 8);
  for (double m = 0; m <= axis.length + 0.5; m += step) {
    double x = axis.ToX(m);
    svg.Line(x, y, x, y + 5, "stroke=\"black\"");
    svg.Text(x, y + 17, Distance(m), " text-anchor=\"middle\" font-size=\"10\"");
  }
  double end = axis.ToX(axis.length);
  svg.Line(end, y, end, y + 8, "stroke=\"black\" stroke-width=\"2\"");
  svg.Text(10, y + 17, "position", " class=\"lane-title\"");
  svg.Close();
  return y + 30;
}

double DrawProfiles(Svg& svg, const PreviewData& data, const PreviewObjects& objects, double top) {
  AxisMap axis{static_cast<double>(std::max<int64_t>(data.route_length, 1))};
  svg.Text(10, top + 14, "Profiles along the route", " class=\"heading\"");
  double lanes_top = top + 24;
  double y = DrawObjectsLane(svg, objects, axis, lanes_top);
  ValueLane(
      svg, data, axis, y, 90, "speed-profile", "speed limit km/h", "#c62828",
      [](const TrackCell& c) { return static_cast<int>(SpeedOfCode(c.speed_code)); }, false);
  ValueLane(
      svg, data, axis, y + 96, 90, "gradient-profile", "gradient", "#1565c0",
      [](const TrackCell& c) { return static_cast<int>(GradientOfCode(c.gradient_code)); }, true);
  ValueLane(
      svg, data, axis, y + 192, 60, "adhesion-profile", "adhesion", "#5d4037",
      [](const TrackCell& c) { return int{c.adhesion}; }, false);
  MountainLane(svg, data, axis, y + 258, 40);
  double bottom = y + 298;
  DrawBands(svg, objects, axis, lanes_top, bottom);
  return DrawAxis(svg, axis, bottom + 6);
}

// ---- Legend --------------------------------------------------------------

double DrawLegend(Svg& svg, double top) {
  struct Item {
    const char* shape;
    const char* colour;
    const char* text;
  };
  const Item items[] = {
      {"<rect x=\"-4.5\" y=\"-4.5\" width=\"9\" height=\"9\" fill=\"white\" stroke-width=\"2.5\"/>",
       kStationColour, "station (name, kind)"},
      {"<circle r=\"3.5\"/>", kSignalColour, "signal"},
      {"<rect x=\"-8\" y=\"-3\" width=\"16\" height=\"6\"/>", kSlowdownColour,
       "slowdown stretch (km/h)"},
      {"<path d=\"M0 -5 L4.5 4 L-4.5 4 Z\"/>", kBoardColour, "maximum-speed board"},
      {"<path d=\"M0 -5 L5 0 L0 5 L-5 0 Z\"/>", kSignColour, "sign"},
      {"<line y1=\"-6\" y2=\"6\"/>", kKmRefColour, "kilometre reference"},
      {"<rect x=\"-8\" y=\"-4\" width=\"16\" height=\"8\" stroke=\"none\"/>", "#66bb6a",
       "mountain (darker: higher type)"},
      {"<rect x=\"-8\" y=\"-3\" width=\"16\" height=\"6\"/>", "#222", "tunnel"},
  };
  svg.out() += "<g class=\"legend\">";
  svg.Text(10, top + 14, "Legend", " class=\"heading\"");
  double x = kLeft, y = top + 14;
  for (const Item& item : items) {
    double w = 30 + TextWidth(item.text);
    if (x + w > kWidth - kRight) {
      x = kLeft;
      y += 20;
    }
    svg.out() += "<g transform=\"translate(" + Num(x + 8) + "," + Num(y - 4) + ")\" fill=\"" +
                 item.colour + "\" stroke=\"" + item.colour + "\">" + item.shape + "</g>";
    svg.Text(x + 20, y, item.text);
    x += w + 10;
  }
  svg.Close();
  return y + 20;
}

std::string Header(double height) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
         Num(kWidth) + "\" height=\"" + Num(height) + "\" viewBox=\"0 0 " + Num(kWidth) + " " +
         Num(height) +
         "\" font-family=\"sans-serif\" font-size=\"11\">\n"
         "<style>.heading{font-size:15px;font-weight:bold}.lane-title{font-size:11px;fill:#444}"
         ".label{font-size:11px}</style>\n"
         "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
}

}  // namespace

std::string RenderPreviewSvg(const PreviewData& data) {
  PreviewObjects objects = CollectObjects(data);
  Svg body;
  std::string title = XmlFrom1252(data.stations.slots[kSlotBackgrounds].name) + ", train " +
                      XmlFrom1252(data.stations.slots[kSlotRepetition].name) + ": route length " +
                      Distance(static_cast<double>(data.route_length));
  body.Text(10, 24, title, " class=\"heading\" font-size=\"17\"");
  double y = DrawPlan(body, data, objects, 40);
  y = DrawProfiles(body, data, objects, y);
  y = DrawLegend(body, y + 10);
  return Header(y + 10) + body.out() + "</svg>\n";
}

}  // namespace sc
