// What a map source gives an import: the track between two stations as an
// ordered line of geographic points, what stands along it, and what the
// reader had to assume. Every reader (OpenStreetMap, GeoJSON, GPX) fills
// this; the rest of the import (geodesy, curve fitting, the two texts, the
// report) works only from it, so it never needs to know which format the
// track came from.
//
// Positions along the track are geodesic metres on the WGS84 ellipsoid from
// the first point; names are UTF-8 as the source holds them (the texts
// written later are Windows-1252; converting is the writer's job).
#ifndef SC_IMPORT_SOURCE_TRACK_H_
#define SC_IMPORT_SOURCE_TRACK_H_

#include <optional>
#include <string>
#include <vector>

namespace sc {

struct GeoPoint {
  double lat = 0;              // degrees, WGS84
  double lon = 0;              // degrees, WGS84
  std::optional<double> ele;   // metres above sea level, where the source has it
  std::optional<double> time;  // seconds (any epoch), where the source has it (GPX)
};

// A stretch of the track, in metres along it, with what holds there.
struct TrackSpan {
  double from = 0;  // metres along the track
  double to = 0;
};

struct TrackStation {
  std::string name;      // UTF-8
  double along = 0;      // metres along the track, the point nearest the source's position
  double off_track = 0;  // metres between the source's position and that point
  bool halt = false;     // a halt (railway=halt, stop) rather than a station
  std::optional<double> platform_length;  // metres, where the source tags a platform
  GeoPoint where;                         // the source's position
};

enum class TrackSignalKind { kMain, kDistant, kBlock, kOther };
struct TrackSignal {
  double along = 0;
  TrackSignalKind kind = TrackSignalKind::kMain;
  std::string source_type;  // as tagged, for the report (e.g. "main", "distant", "combined")
};

struct TrackMilestone {
  double along = 0;
  double position_km = 0;  // the kilometre written on the post (railway:position)
};

struct TrackSpeed {
  TrackSpan span;
  int kmh = 0;  // the source's limit over the span
};

struct BridgedGap {
  double along = 0;   // where the gap was closed, metres along the track
  double length = 0;  // metres of straight line put in
  GeoPoint where;
};

// The track from the `--from` station to the `--to` station.
struct SourceTrack {
  std::vector<GeoPoint> points;        // in travel order; points[0] is at the --from station
  std::vector<double> along;           // metres along the track of each point; along[0] == 0
  std::vector<TrackStation> stations;  // in along order, the two end stations included
  std::vector<TrackSpan> tunnels;      // in along order, not overlapping
  std::vector<TrackSpan> bridges;      // in along order, not overlapping
  std::vector<TrackSpeed> speeds;      // tagged limits only, in along order
  std::vector<TrackSignal> signals;    // those facing the direction of travel
  std::vector<TrackMilestone> milestones;
  std::vector<BridgedGap> gaps;    // gaps the reader closed (50 m or less)
  std::vector<std::string> notes;  // what the reader assumed or left out, for the report

  std::string source_kind;  // "OpenStreetMap", "GeoJSON", "GPX"
  std::string credit;  // UTF-8, e.g. "\xC2\xA9 OpenStreetMap contributors, ODbL"; empty if none
  std::string source_date;  // the data's own date where it has one (ISO 8601), else empty
};

}  // namespace sc

#endif  // SC_IMPORT_SOURCE_TRACK_H_
