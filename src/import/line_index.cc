#include "import/line_index.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace sc {
namespace {

constexpr size_t kRunPoints = 32;
// The shortest a degree of latitude is anywhere on WGS84 (at the equator),
// so |difference in latitude| times this never exceeds a geodesic distance.
constexpr double kMinMetresPerDegreeLat = 110574.0;
// Slack for the bulge of a segment's geodesic beyond its ends' circle.
constexpr double kRunSlack = 1.0;

}  // namespace

LineIndex::LineIndex(const std::vector<const std::vector<GeoPoint>*>& lines) : lines_(lines) {
  for (size_t l = 0; l < lines_.size(); ++l) {
    const std::vector<GeoPoint>& line = *lines_[l];
    along_.push_back(AlongMetres(line));
    for (size_t first = 0; first + 1 < line.size(); first += kRunPoints) {
      Run run{l, first, std::min(first + kRunPoints, line.size() - 1), 0};
      for (size_t i = first + 1; i <= run.last; ++i) {
        run.radius = std::max(run.radius, GeodesicDistance(line[first], line[i]));
      }
      run.radius += kRunSlack;
      runs_.push_back(run);
    }
  }
}

std::vector<LineHit> LineIndex::Near(const GeoPoint& place, double radius) const {
  std::map<size_t, LineHit> best;  // by line
  for (const Run& run : runs_) {
    const std::vector<GeoPoint>& line = *lines_[run.line];
    const GeoPoint& centre = line[run.first];
    if (std::abs(centre.lat - place.lat) * kMinMetresPerDegreeLat - run.radius > radius) continue;
    if (GeodesicDistance(centre, place) - run.radius > radius) continue;
    const std::vector<GeoPoint> part(line.begin() + run.first, line.begin() + run.last + 1);
    const std::vector<double> part_along(along_[run.line].begin() + run.first,
                                         along_[run.line].begin() + run.last + 1);
    LinePosition position = NearestOnLine(part, part_along, place);
    if (position.off_track > radius) continue;
    position.segment += run.first;
    auto it = best.find(run.line);
    if (it == best.end() || position.off_track < it->second.position.off_track) {
      best[run.line] = LineHit{run.line, position};
    }
  }
  std::vector<LineHit> hits;
  for (const auto& [line, hit] : best) hits.push_back(hit);
  std::stable_sort(hits.begin(), hits.end(), [](const LineHit& a, const LineHit& b) {
    return a.position.off_track < b.position.off_track;
  });
  return hits;
}

}  // namespace sc
