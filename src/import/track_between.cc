#include "import/track_between.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "import/geodesy.h"
#include "import/station_names.h"

namespace sc {
namespace {

std::string Metres(double m) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f m", m);
  return text;
}

std::string Where(const GeoPoint& p) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f, %.6f", p.lat, p.lon);
  return text;
}

// The place named `wanted`, nearest to the line of those with the name.
Status FindPlace(const MapLine& line, const std::vector<double>& along, const std::string& wanted,
                 LinePosition* position, size_t* index) {
  std::vector<std::string> names;
  for (const MapPlace& place : line.places) names.push_back(place.name);
  std::vector<size_t> found;
  if (names.empty()) {
    return Status::Invalid("no station named \"" + wanted + "\": the file names no place");
  }
  Status s = FindStation(wanted, names, &found);
  if (!s.ok()) return s;
  bool first = true;
  for (size_t i : found) {
    LinePosition p = NearestOnLine(line.points, along, line.places[i].where);
    if (first || p.off_track < position->off_track) *position = p, *index = i;
    first = false;
  }
  if (position->off_track > kMaxOffTrackMetres) {
    return Status::Invalid("station \"" + line.places[*index].name + "\" (" +
                           Where(line.places[*index].where) + ") is not on the track: it lies " +
                           Metres(position->off_track) + " from it");
  }
  return Status::Ok();
}

}  // namespace

Status TrackBetween(const MapLine& line, const std::string& from, const std::string& to,
                    SourceTrack* track) {
  if (line.points.size() < 2) return Status::Invalid("no track: the file holds no line");
  const std::vector<double> along = AlongMetres(line.points);
  LinePosition a, b;
  size_t ia = 0, ib = 0;
  Status s = FindPlace(line, along, from, &a, &ia);
  if (!s.ok()) return s;
  s = FindPlace(line, along, to, &b, &ib);
  if (!s.ok()) return s;
  if (std::abs(a.along - b.along) < 1) {
    return Status::Invalid("stations \"" + line.places[ia].name + "\" and \"" +
                           line.places[ib].name + "\" stand at the same place of the track");
  }
  const bool reversed = a.along > b.along;
  const double lo = std::min(a.along, b.along), hi = std::max(a.along, b.along);
  if (hi - lo > kMaxTrackMetres) {
    return Status::Invalid("the track between the stations is " + Metres(hi - lo) +
                           " long; a line holds at most " + Metres(kMaxTrackMetres));
  }
  track->points = CutLine(line.points, along, lo, hi);
  if (reversed) std::reverse(track->points.begin(), track->points.end());
  track->along = AlongMetres(track->points);
  const double length = track->along.back();
  const auto along_track = [&](double at) { return reversed ? hi - at : at - lo; };

  track->stations.clear();
  for (size_t i = 0; i < line.places.size(); ++i) {
    const LinePosition p = i == ia   ? a
                           : i == ib ? b
                                     : NearestOnLine(line.points, along, line.places[i].where);
    if (i != ia && i != ib &&
        (p.off_track > kMaxOffTrackMetres || p.along <= lo || p.along >= hi)) {
      continue;
    }
    TrackStation station;
    station.name = line.places[i].name;
    station.along = std::clamp(along_track(p.along), 0.0, length);
    station.off_track = p.off_track;
    station.where = line.places[i].where;
    if (i == ia) station.along = 0;
    if (i == ib) station.along = length;
    track->stations.push_back(station);
  }
  std::stable_sort(track->stations.begin(), track->stations.end(),
                   [](const TrackStation& x, const TrackStation& y) { return x.along < y.along; });
  for (const BridgedGap& gap : line.gaps) {
    const double at = NearestOnLine(line.points, along, gap.where).along;
    if (at < lo || at > hi) continue;
    BridgedGap g = gap;
    g.along = along_track(at);
    track->gaps.push_back(g);
  }
  if (reversed) std::reverse(track->gaps.begin(), track->gaps.end());
  track->notes.insert(track->notes.end(), line.notes.begin(), line.notes.end());
  return Status::Ok();
}

}  // namespace sc
