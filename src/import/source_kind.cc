#include "import/source_kind.h"

#include <fstream>

#include "import/geodesy.h"
#include "import/geojson_source.h"
#include "import/gpx_source.h"
#include "import/osm_file.h"
#include "import/osm_source.h"
#include "import/track_between.h"
#include "platform/native_text.h"

namespace sc {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The text after a byte-order mark, blanks, and XML declarations, comments
// and processing instructions.
std::string_view SkipProlog(std::string_view s) {
  if (StartsWith(s, "\xEF\xBB\xBF")) s.remove_prefix(3);
  while (true) {
    const size_t at = s.find_first_not_of(" \t\r\n");
    if (at == std::string_view::npos) return {};
    s.remove_prefix(at);
    const std::string_view close = StartsWith(s, "<?")     ? "?>"
                                   : StartsWith(s, "<!--") ? "-->"
                                   : StartsWith(s, "<!")   ? ">"
                                                           : "";
    if (close.empty()) return s;
    const size_t end = s.find(close);
    if (end == std::string_view::npos) return {};
    s.remove_prefix(end + close.size());
  }
}

}  // namespace

SourceKind SniffSource(std::string_view head) {
  // Compressed data, PBF and <osm> XML: the OpenStreetMap reader's own test.
  if (LooksLikeOsm(head)) return SourceKind::kOsm;
  const std::string_view body = SkipProlog(head);
  if (StartsWith(body, "<gpx")) return SourceKind::kGpx;
  if (StartsWith(body, "{") && head.find("\"type\"") != std::string_view::npos) {
    return SourceKind::kGeoJson;
  }
  return SourceKind::kUnknown;
}

Status ReadSourceTrack(const std::string& path, const TrackRequest& request, SourceTrack* track) {
  // Read as a stream by name, as the map reader reads its files.
  std::string name;
  if (Status status = NarrowOpenName(path, &name); !status.ok()) return status;
  std::ifstream in(name, std::ios::binary);
  if (!in) return Status::NotFound(path + ": cannot be opened");
  std::string head(kHeadBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  const SourceKind kind = SniffSource(head);
  if (kind == SourceKind::kOsm) {
    in.close();
    return ReadOsmTrack(path, {request.from, request.to, request.route}, track);
  }
  if (kind == SourceKind::kUnknown) {
    return Status::Invalid(path +
                           ": not a map file (neither OpenStreetMap XML or PBF, GeoJSON nor GPX)");
  }
  if (request.route) {
    return Status::Invalid(path + ": --route applies to OpenStreetMap files only");
  }
  in.clear();
  in.seekg(0);
  MapLine line;
  Status s = kind == SourceKind::kGeoJson ? ReadGeoJson(in, &line) : ReadGpx(in, &line);
  if (s.ok()) s = TrackBetween(line, request.from, request.to, track);
  if (!s.ok()) return Status::Invalid(path + ": " + s.message());
  track->source_kind = kind == SourceKind::kGeoJson ? "GeoJSON" : "GPX";
  return Status::Ok();
}

}  // namespace sc
