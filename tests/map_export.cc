#include "map_export.h"

#include <cstdio>
#include <ctime>

namespace sc::testing {
namespace {

std::string Position(const LocalProjection& p, const PlanColumns& plan, size_t m) {
  const GeoPoint g = p.Reverse(plan.x[m], plan.y[m]);
  char text[96];
  std::snprintf(text, sizeof text, "[%.12f,%.12f]", g.lon, g.lat);
  return text;
}

std::string Time(double seconds) {
  const std::time_t t = 1700000000 + static_cast<std::time_t>(seconds);
  std::tm day{};
#ifdef _WIN32
  gmtime_s(&day, &t);
#else
  gmtime_r(&t, &day);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &day);
  return text;
}

}  // namespace

ProjectionTransform AlpineTransform() {
  ProjectionTransform t;
  t.centre_lat = 47.15, t.centre_lon = 9.52;
  t.origin_lat = 47.05, t.origin_lon = 9.45;
  t.bearing_deg = 35;
  return t;
}

std::string PlanAsGeoJson(const PlanColumns& plan, size_t metres,
                          const ProjectionTransform& transform,
                          const std::vector<PlanStation>& stations) {
  const LocalProjection p(transform);
  std::string out = R"({"type":"FeatureCollection","features":[)";
  out += R"({"type":"Feature","properties":{},"geometry":{"type":"LineString","coordinates":[)";
  for (size_t m = 0; m <= metres; ++m) out += (m ? "," : "") + Position(p, plan, m);
  out += "]}}";
  for (const auto& [m, name] : stations) {
    out += R"(,{"type":"Feature","properties":{"name":")" + name +
           R"("},"geometry":{"type":"Point","coordinates":)" + Position(p, plan, m) + "}}";
  }
  return out + "]}";
}

std::string PlanAsGpx(const PlanColumns& plan, size_t metres, const ProjectionTransform& transform,
                      const std::vector<PlanStation>& stations, size_t every, double speed,
                      bool waypoints) {
  const LocalProjection p(transform);
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
  char text[160];
  if (waypoints) {
    for (const auto& [m, name] : stations) {
      const GeoPoint g = p.Reverse(plan.x[m], plan.y[m]);
      std::snprintf(text, sizeof text, "<wpt lat=\"%.10f\" lon=\"%.10f\"><name>", g.lat, g.lon);
      out += text + name + "</name></wpt>\n";
    }
  }
  out += "<trk><trkseg>\n";
  double seconds = 0;
  size_t next_station = 0;
  for (size_t m = 0; m <= metres; m += every) {
    const GeoPoint g = p.Reverse(plan.x[m], plan.y[m]);
    const auto point = [&](double at) {
      std::snprintf(text, sizeof text, "<trkpt lat=\"%.10f\" lon=\"%.10f\"><ele>%.1f</ele><time>",
                    g.lat, g.lon, 400 + 0.01 * static_cast<double>(m));
      out += text + Time(at) + "</time></trkpt>\n";
    };
    point(seconds);
    if (!waypoints && next_station < stations.size() && stations[next_station].first <= m) {
      for (int s = 10; s <= 30; s += 10) point(seconds + s);
      seconds += 30;
      ++next_station;
    }
    seconds += static_cast<double>(every) / speed;
  }
  return out + "</trkseg></trk>\n</gpx>\n";
}

}  // namespace sc::testing
