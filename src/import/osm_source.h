// The track between two stations from an OpenStreetMap file: the reader of
// the import for .osm, .osm.gz, .osm.bz2 and .osm.pbf files.
//
// The track is the railway=rail (and narrow_gauge) ways. Without a route,
// it is the shortest path over them between the two stations, service
// tracks (siding, yard, spur, crossover) left out unless nothing else
// joins the two; every station and halt the path passes is listed. With a
// route, only the ways of that route relation (type=route, route=train or
// railway; matched by name, ref or id) are track, one path through them
// even where the relation holds both directions or both tracks of a double
// line, and its stop members are the stations. Where no path exists, ends
// of ways that lie 50 m or less apart are joined (and reported as gaps).
// Along the path come tunnels, bridges, maxspeed, signals facing the
// direction of travel, kilometre posts and platform lengths.
#ifndef SC_IMPORT_OSM_SOURCE_H_
#define SC_IMPORT_OSM_SOURCE_H_

#include <optional>
#include <string>

#include "import/source_track.h"
#include "platform/status.h"

namespace sc {

struct OsmRequest {
  std::string from;  // station names as the author types them (UTF-8)
  std::string to;
  std::optional<std::string> route;  // a route relation's name, ref or id
};

// Reads the track from `request.from` to `request.to` out of the file at
// `path` into `out`. On error `out` is left as it was and the Status names
// the file and what is wrong:
//   Corruption: not an OpenStreetMap file; damaged or cut short data;
//   Invalid: no railway in the file; a station not found (with the nearest
//     names), ambiguous, or too far from the track; no path between the
//     two; a route not found, ambiguous or without ways; a gap over 50 m;
//     a track longer than 1,000,000 m;
//   NotFound / IoError: the file cannot be read.
Status ReadOsmTrack(const std::string& path, const OsmRequest& request, SourceTrack* out);

}  // namespace sc

#endif  // SC_IMPORT_OSM_SOURCE_H_
