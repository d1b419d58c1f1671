// Reading the railway out of an OpenStreetMap file (XML, gzip- or
// bzip2-compressed XML, or PBF, told apart by their first bytes) with
// libosmium. Only what a track import needs is kept, so memory follows the
// railway in the file, not the file: a first pass keeps the railway ways,
// platforms, station nodes and route relations; a second pass keeps the
// positions of just the nodes those use, and the signals, kilometre posts
// and route stops among them.
#ifndef SC_IMPORT_OSM_FILE_H_
#define SC_IMPORT_OSM_FILE_H_

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "import/source_track.h"
#include "platform/status.h"

namespace sc {

// A railway=rail (or narrow_gauge) way, with the tags the import uses.
struct OsmRailWay {
  int64_t id = 0;
  std::vector<int64_t> nodes;
  std::vector<GeoPoint> points;  // the nodes' positions, filled by the second pass
  bool service = false;          // service=siding|yard|spur|crossover
  bool tunnel = false;
  bool bridge = false;
  std::string maxspeed, maxspeed_forward, maxspeed_backward;  // as tagged
};

// A railway=platform way (its length is a station's platform length).
struct OsmPlatform {
  std::vector<int64_t> nodes;
  std::vector<GeoPoint> points;
};

// A named railway=station|halt|stop node, or a station mapped as an area
// (a closed way), placed at the middle of its outline's nodes.
struct OsmStation {
  int64_t id = 0;
  std::string name;
  GeoPoint where;
  std::vector<int64_t> outline;  // an area's nodes; empty for a node
  bool halt = false;             // railway=halt or stop
  bool stop = false;             // railway=stop (a stop position, not the station itself)
};

// A type=route relation with route=train|railway.
struct OsmRoute {
  int64_t id = 0;
  std::string name, ref;
  std::vector<int64_t> ways;   // members that are ways and not platforms
  std::vector<int64_t> stops;  // stop members (nodes), in relation order
  bool has_sub_relations = false;
};

// A node the track passes or that stands beside it: a signal, a kilometre
// post, a route's stop.
struct OsmTrackNode {
  GeoPoint where;
  std::string railway;  // the railway=* value
  std::string name;
  std::map<std::string, std::string> signal_tags;  // railway:signal:* tags
  std::string position;                            // railway:position as tagged
};

struct OsmRailData {
  std::vector<OsmRailWay> ways;
  std::vector<OsmPlatform> platforms;
  std::vector<OsmStation> stations;
  std::vector<OsmRoute> routes;
  std::map<int64_t, OsmTrackNode> track_nodes;  // by node id
  std::string date;                             // the file header's timestamp (ISO 8601), or empty
  size_t ways_without_positions = 0;            // rail ways dropped: a node missing from the file
};

// Reads `path` into `data`. Errors (Corruption for a file that is not an
// OpenStreetMap file or is cut short or damaged, NotFound/IoError from the
// system) name the file; `data` is then unspecified.
Status ReadOsmRailData(const std::string& path, OsmRailData* data);

}  // namespace sc

#endif  // SC_IMPORT_OSM_FILE_H_
