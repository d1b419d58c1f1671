#include "import/local_projection.h"

#include <GeographicLib/Constants.hpp>
#include <GeographicLib/TransverseMercator.hpp>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace sc {
namespace {

// Scale 1 on the central meridian: grid metres are ground metres there.
const GeographicLib::TransverseMercator& Projection() {
  static const GeographicLib::TransverseMercator tm(GeographicLib::Constants::WGS84_a(),
                                                    GeographicLib::Constants::WGS84_f(), 1.0);
  return tm;
}

constexpr double kDegree = std::numbers::pi / 180;
constexpr char kKey[] = "projection: transverse Mercator WGS84";

}  // namespace

LocalProjection::LocalProjection(const ProjectionTransform& transform) : transform_(transform) {
  Projection().Forward(transform.centre_lon, transform.centre_lat, transform.centre_lon, centre_.x,
                       centre_.y);
  origin_ = Grid(transform.origin_lat, transform.origin_lon);
  cos_ = std::cos(transform.bearing_deg * kDegree);
  sin_ = std::sin(transform.bearing_deg * kDegree);
}

PlanXY LocalProjection::Grid(double lat, double lon) const {
  double x = 0, y = 0;
  Projection().Forward(transform_.centre_lon, lat, lon, x, y);
  return {x - centre_.x, y - centre_.y};
}

LocalProjection LocalProjection::ForTrack(const std::vector<GeoPoint>& points,
                                          const std::vector<double>& along) {
  ProjectionTransform t;
  const double half = along.back() / 2;
  size_t middle = 0;
  while (middle + 1 < along.size() && along[middle + 1] <= half) ++middle;
  t.centre_lat = points[middle].lat;
  t.centre_lon = points[middle].lon;
  t.origin_lat = points[0].lat;
  t.origin_lon = points[0].lon;
  LocalProjection unturned(t);
  // The heading of the first metre, as the plan's metres 0 and 1 give it.
  const PlanXY start = unturned.Forward(points[0].lat, points[0].lon);
  PlanXY ahead = start;
  double walked = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    const PlanXY p = unturned.Forward(points[i].lat, points[i].lon);
    const PlanXY q = unturned.Forward(points[i - 1].lat, points[i - 1].lon);
    const double step = std::hypot(p.x - q.x, p.y - q.y);
    if (step <= 0) continue;
    if (walked + step >= 1.0) {
      const double f = (1.0 - walked) / step;
      ahead = {q.x + f * (p.x - q.x), q.y + f * (p.y - q.y)};
      break;
    }
    walked += step;
    ahead = p;
  }
  t.bearing_deg = std::atan2(ahead.x - start.x, ahead.y - start.y) / kDegree;
  return LocalProjection(t);
}

PlanXY LocalProjection::Forward(double lat, double lon) const {
  const PlanXY g = Grid(lat, lon);
  const double dx = g.x - origin_.x;
  const double dy = g.y - origin_.y;
  // Turned counter-clockwise by the bearing: that bearing becomes +y.
  return {dx * cos_ - dy * sin_, dx * sin_ + dy * cos_};
}

GeoPoint LocalProjection::Reverse(double x, double y) const {
  const double dx = x * cos_ + y * sin_;
  const double dy = -x * sin_ + y * cos_;
  GeoPoint p;
  Projection().Reverse(transform_.centre_lon, dx + origin_.x + centre_.x,
                       dy + origin_.y + centre_.y, p.lat, p.lon);
  return p;
}

std::string LocalProjection::Describe() const {
  char text[256];
  std::snprintf(text, sizeof text,
                "%s, centre %.9f %.9f, origin %.9f %.9f, bearing %.9f (lat lon degrees; "
                "the plan's +y)",
                kKey, transform_.centre_lat, transform_.centre_lon, transform_.origin_lat,
                transform_.origin_lon, transform_.bearing_deg);
  return text;
}

std::optional<ProjectionTransform> LocalProjection::Find(std::string_view text) {
  const size_t at = text.find(kKey);
  if (at == std::string_view::npos) return std::nullopt;
  const size_t end = text.find_first_of("\r\n", at);
  const std::string line(text.substr(at, end == std::string_view::npos ? text.npos : end - at));
  ProjectionTransform t;
  const std::string format = std::string(kKey) + ", centre %lf %lf, origin %lf %lf, bearing %lf";
  if (std::sscanf(line.c_str(), format.c_str(), &t.centre_lat, &t.centre_lon, &t.origin_lat,
                  &t.origin_lon, &t.bearing_deg) != 5) {
    return std::nullopt;
  }
  return t;
}

}  // namespace sc
