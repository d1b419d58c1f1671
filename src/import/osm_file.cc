#include "import/osm_file.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <fstream>
#include <limits>
#include <osmium/handler.hpp>
#include <osmium/io/bzip2_compression.hpp>
#include <osmium/io/gzip_compression.hpp>
#include <osmium/io/pbf_input.hpp>
#include <osmium/io/reader.hpp>
#include <osmium/io/xml_input.hpp>
#include <osmium/visitor.hpp>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/native_text.h"

namespace sc {
namespace {

// True when XML text, past its declaration, comments and doctype, starts
// with the <osm> element (or runs out before any element starts).
bool IsOsmXml(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (true) {
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return true;
    text.remove_prefix(start);
    if (text.empty() || text[0] != '<') return false;
    const std::string_view end = text.substr(0, 4) == "<!--" ? "-->"
                                 : text.substr(0, 2) == "<?" ? "?>"
                                 : text.substr(0, 2) == "<!" ? ">"
                                                             : "";
    if (end.empty()) break;
    const size_t close = text.find(end);
    if (close == std::string_view::npos) return true;
    text.remove_prefix(close + end.size());
  }
  return text.size() < 5 || (text.substr(0, 4) == "<osm" &&
                             std::string_view(" \t\r\n>").find(text[4]) != std::string_view::npos);
}

// The libosmium format of a file, from its first bytes: gzip and bzip2
// hold XML; a PBF file starts with the length of its first block header,
// whose type is "OSMHeader". Empty when it is none of these.
std::string OsmiumFormat(std::string_view head) {
  if (head.size() >= 2 && head[0] == '\x1f' && head[1] == '\x8b') return "osm.gz";
  if (head.substr(0, 3) == "BZh") return "osm.bz2";
  if (head.size() >= 15 && head.substr(4, 2) == std::string_view("\x0a\x09", 2) &&
      head.substr(6, 9) == "OSMHeader") {
    return "pbf";
  }
  return !head.empty() && IsOsmXml(head) ? "osm" : "";
}

// libosmium reads "-" as standard input, and a name that starts "http:",
// "https:", "ftp:" or "file:" as an address to download; "./" before a
// relative name keeps every name a file's.
std::string AsFileName(const std::string& name) {
  const bool absolute =
      !name.empty() && (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'));
  return absolute ? name : "./" + name;
}
}  // namespace

bool LooksLikeOsm(std::string_view head) { return !OsmiumFormat(head).empty(); }

namespace {

bool Has(const osmium::TagList& tags, const char* key,
         std::initializer_list<std::string_view> values) {
  const char* value = tags[key];
  if (value == nullptr) return false;
  return std::find(values.begin(), values.end(), std::string_view(value)) != values.end();
}

std::string Tag(const osmium::TagList& tags, const char* key) {
  const char* value = tags[key];
  return value == nullptr ? std::string() : std::string(value);
}

GeoPoint PointOf(const osmium::Location& location) {
  GeoPoint point;
  point.lat = location.lat_without_check();
  point.lon = location.lon_without_check();
  return point;
}

// The first pass: railway ways, platforms, station nodes, route relations.
class RailwayHandler : public osmium::handler::Handler {
  static bool IsStation(const osmium::TagList& tags, OsmStation* station) {
    if (!Has(tags, "railway", {"station", "halt", "stop"}) || tags["name"] == nullptr) return false;
    station->name = tags["name"];
    station->stop = Has(tags, "railway", {"stop"});
    station->halt = !Has(tags, "railway", {"station"});
    return true;
  }

 public:
  explicit RailwayHandler(OsmRailData* data) : data_(data) {}

  void node(const osmium::Node& node) {
    if (!node.location().valid()) return;
    OsmStation station;
    if (!IsStation(node.tags(), &station)) return;
    station.id = node.id();
    station.where = PointOf(node.location());
    data_->stations.push_back(std::move(station));
  }

  void way(const osmium::Way& way) {
    const osmium::TagList& tags = way.tags();
    OsmStation station;
    if (way.is_closed() && IsStation(tags, &station)) {
      station.id = way.id();
      for (const osmium::NodeRef& ref : way.nodes()) station.outline.push_back(ref.ref());
      data_->stations.push_back(std::move(station));
      return;
    }
    if (Has(tags, "railway", {"platform"})) {
      OsmPlatform platform;
      for (const osmium::NodeRef& ref : way.nodes()) platform.nodes.push_back(ref.ref());
      data_->platforms.push_back(std::move(platform));
      return;
    }
    if (!Has(tags, "railway", {"rail", "narrow_gauge"}) || way.nodes().size() < 2) return;
    OsmRailWay rail;
    rail.id = way.id();
    for (const osmium::NodeRef& ref : way.nodes()) rail.nodes.push_back(ref.ref());
    rail.service = Has(tags, "service", {"siding", "yard", "spur", "crossover"});
    rail.tunnel = tags["tunnel"] != nullptr && !Has(tags, "tunnel", {"no"});
    rail.bridge = tags["bridge"] != nullptr && !Has(tags, "bridge", {"no"});
    rail.maxspeed = Tag(tags, "maxspeed");
    rail.maxspeed_forward = Tag(tags, "maxspeed:forward");
    rail.maxspeed_backward = Tag(tags, "maxspeed:backward");
    data_->ways.push_back(std::move(rail));
  }

  void relation(const osmium::Relation& relation) {
    const osmium::TagList& tags = relation.tags();
    if (!Has(tags, "type", {"route"}) || !Has(tags, "route", {"train", "railway"})) return;
    OsmRoute route;
    route.id = relation.id();
    route.name = Tag(tags, "name");
    route.ref = Tag(tags, "ref");
    for (const osmium::RelationMember& member : relation.members()) {
      const std::string_view role = member.role();
      const bool stop = role.substr(0, 4) == "stop";
      if (member.type() == osmium::item_type::node && stop) route.stops.push_back(member.ref());
      if (member.type() == osmium::item_type::way && !stop && role.substr(0, 8) != "platform") {
        route.ways.push_back(member.ref());
      }
      if (member.type() == osmium::item_type::relation) route.has_sub_relations = true;
    }
    data_->routes.push_back(std::move(route));
  }

 private:
  OsmRailData* data_;
};

// The positions of the nodes the railway uses: their ids sorted, the
// positions beside them (some 24 bytes a node, so a country's railway fits).
class NodePositions {
 public:
  void Want(const std::vector<int64_t>& ids) { ids_.insert(ids_.end(), ids.begin(), ids.end()); }
  void Seal() {
    std::sort(ids_.begin(), ids_.end());
    ids_.erase(std::unique(ids_.begin(), ids_.end()), ids_.end());
    places_.assign(ids_.size(), {kMissing, kMissing});
  }
  bool Wants(int64_t id) const { return std::binary_search(ids_.begin(), ids_.end(), id); }
  void Set(int64_t id, const osmium::Location& location) {
    const size_t at = std::lower_bound(ids_.begin(), ids_.end(), id) - ids_.begin();
    places_[at] = {location.lat_without_check(), location.lon_without_check()};
  }
  // False when the node is not in the file.
  bool Get(int64_t id, GeoPoint* point) const {
    const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
    if (it == ids_.end() || *it != id) return false;
    const auto& [lat, lon] = places_[it - ids_.begin()];
    if (std::isnan(lat)) return false;
    *point = GeoPoint{lat, lon, std::nullopt, std::nullopt};
    return true;
  }

 private:
  static constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
  std::vector<int64_t> ids_;
  std::vector<std::pair<double, double>> places_;
};

// The second pass: the positions of the nodes the first pass kept, and the
// signals, kilometre posts and stops among them or beside the track.
class NodeHandler : public osmium::handler::Handler {
 public:
  NodeHandler(NodePositions* positions, const std::unordered_set<int64_t>* stops,
              std::map<int64_t, OsmTrackNode>* track_nodes)
      : positions_(positions), stops_(stops), track_nodes_(track_nodes) {}

  void node(const osmium::Node& node) {
    if (!node.location().valid()) return;
    const bool needed = positions_->Wants(node.id());
    if (needed) positions_->Set(node.id(), node.location());
    const osmium::TagList& tags = node.tags();
    const bool signal = needed && Has(tags, "railway", {"signal"});
    const bool milestone =
        Has(tags, "railway", {"milestone"}) && tags["railway:position"] != nullptr;
    const bool stop = stops_->count(node.id()) > 0;
    if (!signal && !milestone && !stop) return;
    OsmTrackNode& kept = (*track_nodes_)[node.id()];
    kept.where = PointOf(node.location());
    kept.railway = Tag(tags, "railway");
    kept.name = Tag(tags, "name");
    kept.position = Tag(tags, "railway:position");
    for (const osmium::Tag& tag : tags) {
      if (std::string_view(tag.key()).substr(0, 15) == "railway:signal:") {
        kept.signal_tags[tag.key()] = tag.value();
      }
    }
  }

 private:
  NodePositions* positions_;
  const std::unordered_set<int64_t>* stops_;
  std::map<int64_t, OsmTrackNode>* track_nodes_;
};

// Gives each way its nodes' positions; returns false when one is missing.
bool Place(const std::vector<int64_t>& nodes, const NodePositions& positions,
           std::vector<GeoPoint>* points) {
  points->clear();
  for (int64_t id : nodes) {
    GeoPoint point;
    if (!positions.Get(id, &point)) return false;
    points->push_back(point);
  }
  return true;
}

// The middle of an area's outline (its nodes' mean position, the closing
// node counted once): near enough for a station's place over its few
// hundred metres. False when a node is missing.
bool PlaceArea(const std::vector<int64_t>& outline, const NodePositions& positions,
               GeoPoint* where) {
  std::vector<GeoPoint> points;
  if (!Place(outline, positions, &points) || points.size() < 2) return false;
  points.pop_back();
  *where = GeoPoint();
  for (const GeoPoint& p : points) {
    where->lat += p.lat / static_cast<double>(points.size());
    where->lon += p.lon / static_cast<double>(points.size());
  }
  return true;
}

Status ReadPasses(const osmium::io::File& file, OsmRailData* data) {
  osmium::io::Reader first(file);
  data->date = first.header().get("osmosis_replication_timestamp", first.header().get("timestamp"));
  RailwayHandler railways(data);
  osmium::apply(first, railways);
  first.close();

  NodePositions positions;
  for (const OsmRailWay& way : data->ways) positions.Want(way.nodes);
  for (const OsmStation& station : data->stations) positions.Want(station.outline);
  for (const OsmPlatform& platform : data->platforms) positions.Want(platform.nodes);
  positions.Seal();
  std::unordered_set<int64_t> stops;
  for (const OsmRoute& route : data->routes) stops.insert(route.stops.begin(), route.stops.end());
  osmium::io::Reader second(file, osmium::osm_entity_bits::node);
  NodeHandler nodes(&positions, &stops, &data->track_nodes);
  osmium::apply(second, nodes);
  second.close();

  const size_t rail_ways = data->ways.size();
  std::erase_if(data->ways,
                [&](OsmRailWay& way) { return !Place(way.nodes, positions, &way.points); });
  data->ways_without_positions = rail_ways - data->ways.size();
  std::erase_if(data->platforms, [&](OsmPlatform& platform) {
    return !Place(platform.nodes, positions, &platform.points);
  });
  std::erase_if(data->stations, [&](OsmStation& station) {
    return !station.outline.empty() && !PlaceArea(station.outline, positions, &station.where);
  });
  return Status::Ok();
}

}  // namespace

Status ReadOsmRailData(const std::string& path, OsmRailData* data) {
  // libosmium opens the file itself, by a name the C runtime understands.
  std::string name;
  if (Status status = NarrowOpenName(path, &name); !status.ok()) return status;
  std::ifstream in(name, std::ios::binary);
  if (!in) return Status::NotFound(path + ": cannot open the file");
  std::string head(kHeadBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  const std::string format = OsmiumFormat(head);
  if (format.empty()) {
    return Status::Corruption(
        path + ": not an OpenStreetMap file (neither OSM XML, compressed XML nor PBF)");
  }
  *data = OsmRailData();
  try {
    return ReadPasses(osmium::io::File(AsFileName(name), format), data);
  } catch (const std::exception& e) {
    return Status::Corruption(path + ": damaged or cut short OpenStreetMap data (" + e.what() +
                              ")");
  }
}

}  // namespace sc
