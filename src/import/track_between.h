// From a whole line read out of a GeoJSON or GPX file to the track between
// the two stations an import asks for: the stations found by name (case and
// accents ignored), placed on the line, the line cut between them and turned
// to run from the first to the second, and the places in between kept as
// stations where they stand on the track.
#ifndef SC_IMPORT_TRACK_BETWEEN_H_
#define SC_IMPORT_TRACK_BETWEEN_H_

#include <string>
#include <vector>

#include "import/source_track.h"
#include "platform/status.h"

namespace sc {

// A named place a file gives (a GeoJSON point, a GPX waypoint or stop).
struct MapPlace {
  std::string name;  // UTF-8
  GeoPoint where;
};

// What a GeoJSON or GPX reader gives: one line of points in file order, the
// named places, and what the reader assumed.
struct MapLine {
  std::vector<GeoPoint> points;
  std::vector<MapPlace> places;
  std::vector<BridgedGap> gaps;  // pieces joined across a gap (`along` is set later)
  std::vector<std::string> notes;
};

// The longest track a line description holds (its route length), metres.
inline constexpr double kMaxTrackMetres = 1000000;
// A place farther than this from the line is not on the track.
inline constexpr double kMaxOffTrackMetres = 100;

// Fills `track` (points, along, stations, gaps, notes) with the part of
// `line` between the places named `from` and `to`. Errors (Invalid, the
// message without the file name): a name no place has (with the nearest
// names), a place farther than kMaxOffTrackMetres from the line, the two at
// the same spot, a track longer than kMaxTrackMetres.
Status TrackBetween(const MapLine& line, const std::string& from, const std::string& to,
                    SourceTrack* track);

}  // namespace sc

#endif  // SC_IMPORT_TRACK_BETWEEN_H_
