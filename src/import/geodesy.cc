#include "import/geodesy.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <GeographicLib/Gnomonic.hpp>
#include <algorithm>
#include <cmath>
#include <limits>

namespace sc {
namespace {

using GeographicLib::Geodesic;

const Geodesic& Earth() { return Geodesic::WGS84(); }

std::optional<double> Interpolate(const std::optional<double>& a, const std::optional<double>& b,
                                  double t) {
  if (!a || !b) return std::nullopt;
  return *a + (*b - *a) * t;
}

// The point a fraction `t` (0..1) of the way along the geodesic from a to b.
GeoPoint Between(const GeoPoint& a, const GeoPoint& b, double t) {
  GeoPoint out;
  if (t <= 0) {
    out = a;
  } else if (t >= 1) {
    out = b;
  } else {
    const GeographicLib::GeodesicLine line = Earth().InverseLine(a.lat, a.lon, b.lat, b.lon);
    line.Position(line.Distance() * t, out.lat, out.lon);
    out.ele = Interpolate(a.ele, b.ele, t);
    out.time = Interpolate(a.time, b.time, t);
  }
  return out;
}

// The fraction of the way from a to b of the point nearest to `place`. In
// the gnomonic projection centred on the place, geodesics are all but
// straight lines and the place is the origin, so the foot of the
// perpendicular there is the nearest point to well within a millimetre over
// the lengths of track segments.
double NearestFraction(const GeoPoint& a, const GeoPoint& b, const GeoPoint& place) {
  const GeographicLib::Gnomonic gnomonic(Earth());
  double ax, ay, bx, by;
  gnomonic.Forward(place.lat, place.lon, a.lat, a.lon, ax, ay);
  gnomonic.Forward(place.lat, place.lon, b.lat, b.lon, bx, by);
  const double dx = bx - ax, dy = by - ay;
  const double length2 = dx * dx + dy * dy;
  // An end more than a quarter of the earth away cannot be projected; then
  // the nearer end stands for the segment.
  if (!std::isfinite(length2) || length2 == 0) {
    return GeodesicDistance(a, place) <= GeodesicDistance(b, place) ? 0 : 1;
  }
  return std::clamp(-(ax * dx + ay * dy) / length2, 0.0, 1.0);
}

// The index of the segment that holds `metres` along the line.
size_t SegmentAt(const std::vector<double>& along, double metres) {
  const auto it = std::upper_bound(along.begin(), along.end(), metres);
  const size_t after = static_cast<size_t>(it - along.begin());
  return std::clamp<size_t>(after, 1, along.size() - 1) - 1;
}

}  // namespace

double GeodesicDistance(const GeoPoint& a, const GeoPoint& b) {
  double metres = 0;
  Earth().Inverse(a.lat, a.lon, b.lat, b.lon, metres);
  return metres;
}

std::vector<double> AlongMetres(const std::vector<GeoPoint>& line) {
  std::vector<double> along;
  along.reserve(line.size());
  for (size_t i = 0; i < line.size(); ++i) {
    along.push_back(i == 0 ? 0 : along.back() + GeodesicDistance(line[i - 1], line[i]));
  }
  return along;
}

LinePosition NearestOnLine(const std::vector<GeoPoint>& line, const std::vector<double>& along,
                           const GeoPoint& place) {
  LinePosition best;
  best.off_track = std::numeric_limits<double>::infinity();
  if (line.size() == 1) {
    best.point = line[0];
    best.off_track = GeodesicDistance(place, line[0]);
  }
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const double t = NearestFraction(line[i], line[i + 1], place);
    const GeoPoint point = Between(line[i], line[i + 1], t);
    const double off = GeodesicDistance(place, point);
    if (off < best.off_track) {
      best.off_track = off;
      best.segment = i;
      best.point = point;
      best.along = along[i] + (along[i + 1] - along[i]) * t;
    }
  }
  return best;
}

GeoPoint PointAlong(const std::vector<GeoPoint>& line, const std::vector<double>& along,
                    double metres) {
  if (line.size() == 1) return line[0];
  const size_t i = SegmentAt(along, metres);
  const double length = along[i + 1] - along[i];
  const double t = length > 0 ? (metres - along[i]) / length : 0;
  return Between(line[i], line[i + 1], t);
}

std::vector<GeoPoint> CutLine(const std::vector<GeoPoint>& line, const std::vector<double>& along,
                              double from, double to) {
  from = std::clamp(from, along.front(), along.back());
  to = std::clamp(to, from, along.back());
  std::vector<GeoPoint> cut{PointAlong(line, along, from)};
  for (size_t i = 0; i < line.size(); ++i) {
    if (along[i] > from && along[i] < to) cut.push_back(line[i]);
  }
  cut.push_back(PointAlong(line, along, to));
  return cut;
}

}  // namespace sc
