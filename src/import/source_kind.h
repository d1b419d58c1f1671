// Which reader a map file goes to, told by its content (its first bytes),
// never by its name: GPX, GeoJSON, or OpenStreetMap (XML, gzip or bzip2
// compressed, or PBF).
#ifndef SC_IMPORT_SOURCE_KIND_H_
#define SC_IMPORT_SOURCE_KIND_H_

#include <optional>
#include <string>
#include <string_view>

#include "import/source_track.h"
#include "platform/status.h"

namespace sc {

enum class SourceKind { kUnknown, kGeoJson, kGpx, kOsm };

// The kind of a file whose first bytes (a few hundred) are `head`.
SourceKind SniffSource(std::string_view head);

struct TrackRequest {
  std::string from, to;              // station names as typed (UTF-8)
  std::optional<std::string> route;  // OpenStreetMap only: a route's name, ref or id
};

// Reads the track between the two stations out of the file at `path`, with
// the reader its content asks for. Errors name the file.
Status ReadSourceTrack(const std::string& path, const TrackRequest& request, SourceTrack* track);

}  // namespace sc

#endif  // SC_IMPORT_SOURCE_KIND_H_
