// Reading a GeoJSON file (RFC 7946) as a railway line: every LineString and
// MultiLineString is a piece of the track, the pieces joined end to end in
// file order (each turned as it meets the line so far); every Point with a
// "name" property is a station. A third coordinate is the height.
//
// The file is read as a stream of parser events (nlohmann::json's SAX
// interface): only coordinates and names are kept, so memory follows the
// track, not the file.
#ifndef SC_IMPORT_GEOJSON_SOURCE_H_
#define SC_IMPORT_GEOJSON_SOURCE_H_

#include <istream>
#include <string>

#include "import/track_between.h"
#include "platform/status.h"

namespace sc {

// Pieces meeting within this distance are joined (a gap of more than half a
// metre is reported as bridged); farther apart they are an error.
inline constexpr double kMaxBridgedGapMetres = 50;

// Reads `in` into `line`. Errors (Invalid, the message without the file
// name): not JSON or cut short (with the byte offset), coordinates that are
// not positions, no line at all, pieces that do not meet.
Status ReadGeoJson(std::istream& in, MapLine* line);

// Joins `pieces` end to end into `line->points`, each turned as it meets the
// line so far; gaps up to kMaxBridgedGapMetres are bridged into `line->gaps`.
Status JoinPieces(std::vector<std::vector<GeoPoint>>& pieces, MapLine* line);

}  // namespace sc

#endif  // SC_IMPORT_GEOJSON_SOURCE_H_
