#include "import/osm_source.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "import/geodesy.h"
#include "import/line_index.h"
#include "import/osm_file.h"
#include "import/rail_graph.h"
#include "import/station_names.h"

namespace sc {
namespace {

constexpr double kMaxOffTrack = 500;      // metres from a station to its track point
constexpr double kOtherTrack = 25;        // a nearer track within this is the same line's
constexpr double kMaxGap = 50;            // metres of missing track bridged
constexpr double kMaxLength = 1'000'000;  // metres of track a line may hold
constexpr double kPlatformReach = 100;    // metres from a station's track point to its platform
constexpr double kMilestoneReach = 30;    // metres from the track to a kilometre post beside it
constexpr double kMetresPerMile = 1609.344;

std::string Quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string Metres(double metres) {
  return std::to_string(static_cast<long long>(std::nearbyint(metres))) + " m";
}

std::string LatLon(const GeoPoint& p) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f, %.6f", p.lat, p.lon);
  return text;
}

// A place a station may be: a station node, or a route's stop.
struct Candidate {
  std::string name;
  GeoPoint where;
  bool halt = false;
};

// A station placed on the graph: where it is, and the track places it may
// start or end the path at (the nearest, and others of a parallel track).
struct Placed {
  Candidate station;
  std::vector<TrackPlace> places;
};

struct Attempt {
  std::unique_ptr<RailGraph> graph;  // the track the path was found on
  RailPath path;
  Placed from, to;
};

// The kind of the named station: a halt only if no object of that name is a station.
bool IsHalt(const std::vector<Candidate>& candidates, const std::string& name) {
  const std::string folded = FoldName(name);
  return std::none_of(candidates.begin(), candidates.end(),
                      [&](const Candidate& c) { return !c.halt && FoldName(c.name) == folded; });
}

Status PlaceStation(const RailGraph& graph, const std::vector<Candidate>& candidates,
                    const std::string& wanted, Placed* placed) {
  std::vector<std::string> names;
  for (const Candidate& c : candidates) names.push_back(c.name);
  std::vector<size_t> found;
  if (Status status = FindStation(wanted, names, &found); !status.ok()) return status;
  double best = kMaxOffTrack;
  for (size_t i : found) {
    std::vector<TrackPlace> places = graph.Near(candidates[i].where, kMaxOffTrack);
    if (places.empty() || places[0].off_track > best) continue;
    best = places[0].off_track;
    std::erase_if(places, [&](const TrackPlace& p) { return p.off_track > best + kOtherTrack; });
    placed->station = candidates[i];
    placed->places = std::move(places);
  }
  if (!placed->places.empty()) {
    placed->station.halt = IsHalt(candidates, placed->station.name);
    return Status::Ok();
  }
  const std::vector<TrackPlace> far = graph.Near(candidates[found[0]].where, 1e8);
  return Status::Invalid("station " + Quoted(candidates[found[0]].name) + " is " +
                         (far.empty() ? "far" : Metres(far[0].off_track)) +
                         " from the nearest track");
}

// The shortest path over `chosen` ways between the two stations; where
// there is none, ends of ways 50 m apart or less are joined and it is
// tried again.
Status FindPath(const OsmRailData& data, const std::vector<size_t>& chosen,
                const std::vector<Candidate>& candidates, const OsmRequest& request,
                Attempt* attempt) {
  *attempt = Attempt();
  attempt->graph = std::make_unique<RailGraph>(data.ways, chosen);
  RailGraph& graph = *attempt->graph;
  if (Status s = PlaceStation(graph, candidates, request.from, &attempt->from); !s.ok()) return s;
  if (Status s = PlaceStation(graph, candidates, request.to, &attempt->to); !s.ok()) return s;
  BreakOff break_off;
  const auto find = [&] {
    return graph.ShortestPath(attempt->from.places, attempt->to.places, attempt->to.station.where,
                              &attempt->path, &break_off);
  };
  if (find() || (graph.BridgeGaps(kMaxGap) > 0 && find())) return Status::Ok();
  return Status::Invalid(
      "no path over the track between " + Quoted(attempt->from.station.name) + " and " +
      Quoted(attempt->to.station.name) + ": the track from " + Quoted(attempt->from.station.name) +
      " ends at " + LatLon(break_off.where) + ", " + Metres(break_off.along) +
      " along it, more than " + Metres(kMaxGap) + " from any track that goes on");
}

// The route relations `wanted` names: the one with that id, or all with
// that ref or name (the two directions of a service are often two).
Status FindRoutes(const OsmRailData& data, const std::string& wanted,
                  std::vector<const OsmRoute*>* routes) {
  for (const OsmRoute& route : data.routes) {
    if (std::to_string(route.id) == wanted) routes->push_back(&route);
  }
  if (!routes->empty()) return Status::Ok();
  std::vector<std::string> names;
  for (const OsmRoute& route : data.routes) names.push_back(route.name);
  NameMatch match = MatchName(wanted, names);
  for (size_t i = 0; i < data.routes.size(); ++i) {
    const bool by_ref =
        !data.routes[i].ref.empty() && FoldName(data.routes[i].ref) == FoldName(wanted);
    const bool by_name = std::find(match.found.begin(), match.found.end(), i) != match.found.end();
    if (by_ref || by_name) routes->push_back(&data.routes[i]);
  }
  if (!routes->empty()) return Status::Ok();
  if (!match.ambiguous.empty()) {
    std::string list;
    for (const std::string& name : match.ambiguous)
      list += (list.empty() ? "" : ", ") + Quoted(name);
    return Status::Invalid("route " + Quoted(wanted) + " is ambiguous: " + list);
  }
  for (const OsmRoute& route : data.routes) {
    if (!route.ref.empty()) names.push_back(route.ref);
  }
  std::string nearest;
  for (const std::string& name : NearestNames(wanted, names)) {
    nearest += (nearest.empty() ? "; nearest: " : ", ") + Quoted(name);
  }
  return Status::Invalid("no route relation (type=route, route=train or railway) named " +
                         Quoted(wanted) + (data.routes.empty() ? " (the file has none)" : nearest));
}

// The way indexes and stop candidates of the routes.
Status RouteTrack(const OsmRailData& data, const std::vector<const OsmRoute*>& routes,
                  std::vector<size_t>* chosen, std::vector<Candidate>* stops,
                  std::set<std::string>* notes) {
  std::unordered_map<int64_t, size_t> way_index;
  for (size_t i = 0; i < data.ways.size(); ++i) way_index[data.ways[i].id] = i;
  size_t members = 0, missing = 0;
  std::set<size_t> seen;
  for (const OsmRoute* route : routes) {
    members += route->ways.size();
    for (int64_t id : route->ways) {
      const auto it = way_index.find(id);
      if (it == way_index.end()) {
        ++missing;
      } else if (seen.insert(it->second).second) {
        chosen->push_back(it->second);
      }
    }
    for (int64_t id : route->stops) {
      const auto it = data.track_nodes.find(id);
      if (it != data.track_nodes.end() && !it->second.name.empty()) {
        stops->push_back(
            Candidate{it->second.name, it->second.where, it->second.railway != "station"});
      }
    }
    if (route->has_sub_relations) {
      notes->insert("route relation " + std::to_string(route->id) +
                    " holds other relations; only its own ways are track");
    }
  }
  const std::string which = "route relation " + std::to_string(routes[0]->id) +
                            (routes[0]->name.empty() ? "" : " " + Quoted(routes[0]->name));
  if (members == 0) return Status::Invalid(which + " has no ways");
  if (chosen->empty())
    return Status::Invalid(which + ": none of its ways is railway track in the file");
  if (missing > 0) {
    notes->insert(std::to_string(missing) +
                  " of the route's ways are not railway track in the file; left out");
  }
  return Status::Ok();
}

// A maxspeed value in km/h: "80", "80 km/h", "50 mph"; of several ("80;100") the lowest.
std::optional<int> ParseMaxspeed(const std::string& text) {
  std::optional<int> lowest;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find(';', start), text.size());
    std::string part = text.substr(start, end - start);
    start = end + 1;
    char* rest = nullptr;
    const double value = std::strtod(part.c_str(), &rest);
    std::string unit(rest);
    unit.erase(0, unit.find_first_not_of(' '));
    if (rest == part.c_str() || !(value > 0) || value > 1000) return std::nullopt;
    double kmh = value;
    if (unit == "mph") {
      kmh = value * kMetresPerMile / 1000;
    } else if (!unit.empty() && unit != "km/h" && unit != "kmh") {
      return std::nullopt;
    }
    const int whole = static_cast<int>(std::nearbyint(kmh));
    if (!lowest || whole < *lowest) lowest = whole;
  }
  return lowest;
}

void AddSpan(double from, double to, std::vector<TrackSpan>* spans) {
  if (!spans->empty() && spans->back().to == from) {
    spans->back().to = to;
  } else {
    spans->push_back(TrackSpan{from, to});
  }
}

// Tunnels, bridges, speed limits and bridged gaps, piece by piece.
void FillPieces(const OsmRailData& data, const RailPath& path, SourceTrack* track,
                std::set<std::string>* notes) {
  for (size_t i = 0; i < path.pieces.size(); ++i) {
    const double from = track->along[i], to = track->along[i + 1];
    const PathPiece& piece = path.pieces[i];
    if (piece.way == PathPiece::kGap) {
      track->gaps.push_back(BridgedGap{from, to - from, path.points[i]});
      continue;
    }
    const OsmRailWay& way = data.ways[piece.way];
    if (way.tunnel) AddSpan(from, to, &track->tunnels);
    if (way.bridge) AddSpan(from, to, &track->bridges);
    const std::string& directed = piece.forward ? way.maxspeed_forward : way.maxspeed_backward;
    const std::string& tagged = directed.empty() ? way.maxspeed : directed;
    if (tagged.empty()) continue;
    const std::optional<int> kmh = ParseMaxspeed(tagged);
    if (!kmh) {
      notes->insert("maxspeed " + Quoted(tagged) + " (way " + std::to_string(way.id) +
                    ") is no speed; left out");
      continue;
    }
    if (!track->speeds.empty() && track->speeds.back().span.to == from &&
        track->speeds.back().kmh == *kmh) {
      track->speeds.back().span.to = to;
    } else {
      track->speeds.push_back(TrackSpeed{TrackSpan{from, to}, *kmh});
    }
  }
}

// The signals on the path's nodes that face the direction of travel.
void FillSignals(const OsmRailData& data, const RailPath& path, SourceTrack* track,
                 std::set<std::string>* notes) {
  size_t undirected = 0;
  for (size_t i = 0; i < path.nodes.size(); ++i) {
    const auto it = data.track_nodes.find(path.nodes[i]);
    if (path.nodes[i] == 0 || it == data.track_nodes.end() || it->second.railway != "signal")
      continue;
    const std::map<std::string, std::string>& tags = it->second.signal_tags;
    const auto tag = [&](const std::string& key) {
      const auto t = tags.find("railway:signal:" + key);
      return t == tags.end() ? std::string() : t->second;
    };
    TrackSignal signal;
    signal.along = track->along[i];
    if (!tag("main").empty() || !tag("combined").empty()) {
      signal.source_type = tag("main").empty() ? "combined" : "main";
      const bool block = tag(signal.source_type + ":function") == "block";
      signal.kind = block ? TrackSignalKind::kBlock : TrackSignalKind::kMain;
    } else if (!tag("distant").empty()) {
      signal.source_type = "distant";
      signal.kind = TrackSignalKind::kDistant;
    } else {
      continue;  // speed boards, crossings, shunting: no block signal
    }
    const PathPiece& piece = path.pieces[std::min(i, path.pieces.size() - 1)];
    const std::string direction = tag("direction");
    if (direction.empty()) ++undirected;
    const bool facing = direction.empty() || direction == "both" ||
                        (direction == "forward") == (piece.way == PathPiece::kGap || piece.forward);
    if (facing) track->signals.push_back(signal);
  }
  if (undirected > 0) {
    notes->insert(std::to_string(undirected) +
                  " signals have no railway:signal:direction; taken as facing the train");
  }
}

// Kilometre posts (railway=milestone with railway:position) on or beside the path.
void FillMilestones(const OsmRailData& data, const LineIndex& path_index, SourceTrack* track,
                    std::set<std::string>* notes) {
  for (const auto& [id, node] : data.track_nodes) {
    if (node.railway != "milestone") continue;
    const std::vector<LineHit> hits = path_index.Near(node.where, kMilestoneReach);
    if (hits.empty()) continue;
    std::string text = node.position;
    std::replace(text.begin(), text.end(), ',', '.');
    char* rest = nullptr;
    const double km = std::strtod(text.c_str(), &rest);
    if (rest == text.c_str() || *rest != '\0' || !std::isfinite(km)) {
      notes->insert("railway:position " + Quoted(node.position) + " (node " + std::to_string(id) +
                    ") is no kilometre; left out");
      continue;
    }
    track->milestones.push_back(TrackMilestone{hits[0].position.along, km});
  }
  std::sort(track->milestones.begin(), track->milestones.end(),
            [](const TrackMilestone& a, const TrackMilestone& b) { return a.along < b.along; });
}

TrackStation StationAt(const Candidate& c, double along, double off_track) {
  TrackStation station;
  station.name = c.name;
  station.along = along;
  station.off_track = off_track;
  station.halt = c.halt;
  station.where = c.where;
  return station;
}

// The stations between the two ends: the route's stops, or every station
// and halt whose nearest track is the path.
void FillStations(const Attempt& attempt, const std::vector<Candidate>& between,
                  const LineIndex& path_index, SourceTrack* track) {
  const double length = track->along.back();
  track->stations.push_back(StationAt(attempt.from.station, 0, attempt.from.places[0].off_track));
  std::vector<TrackStation> inner;
  std::set<std::string> names{FoldName(attempt.from.station.name),
                              FoldName(attempt.to.station.name)};
  for (const Candidate& c : between) {
    const std::vector<LineHit> hits = path_index.Near(c.where, kMaxOffTrack);
    if (hits.empty()) continue;
    const LinePosition& on_path = hits[0].position;
    const std::vector<TrackPlace> nearest = attempt.graph->Near(c.where, on_path.off_track);
    if (!nearest.empty() && on_path.off_track > nearest[0].off_track + kOtherTrack) continue;
    if (on_path.along <= 0.5 || on_path.along >= length - 0.5) continue;
    inner.push_back(StationAt(c, on_path.along, on_path.off_track));
  }
  std::stable_sort(inner.begin(), inner.end(), [](const TrackStation& a, const TrackStation& b) {
    return a.off_track < b.off_track;
  });
  for (TrackStation& station : inner) {
    if (names.insert(FoldName(station.name)).second) track->stations.push_back(std::move(station));
  }
  std::stable_sort(track->stations.begin() + 1, track->stations.end(),
                   [](const TrackStation& a, const TrackStation& b) { return a.along < b.along; });
  track->stations.push_back(StationAt(attempt.to.station, length, attempt.to.places[0].off_track));
}

// Each station's platform length: the railway=platform way nearest to its
// track point, within reach (a closed way's outline counts half).
void FillPlatforms(const OsmRailData& data, SourceTrack* track) {
  std::vector<const std::vector<GeoPoint>*> lines;
  for (const OsmPlatform& platform : data.platforms) lines.push_back(&platform.points);
  const LineIndex platforms(lines);
  for (TrackStation& station : track->stations) {
    const GeoPoint at = PointAlong(track->points, track->along, station.along);
    const std::vector<LineHit> hits = platforms.Near(at, kPlatformReach);
    if (hits.empty()) continue;
    const OsmPlatform& platform = data.platforms[hits[0].line];
    const double outline = AlongMetres(platform.points).back();
    station.platform_length =
        platform.nodes.front() == platform.nodes.back() ? outline / 2 : outline;
  }
}

Status Read(const std::string& path, const OsmRequest& request, SourceTrack* out) {
  OsmRailData data;
  if (Status status = ReadOsmRailData(path, &data); !status.ok()) return status;
  if (data.ways.empty()) {
    return Status::Invalid("no railway track (railway=rail) in the file");
  }
  std::set<std::string> notes;
  std::vector<Candidate> stations;
  for (const OsmStation& s : data.stations) stations.push_back(Candidate{s.name, s.where, s.halt});
  std::vector<Candidate> between;
  for (const OsmStation& s : data.stations) {
    if (!s.stop) between.push_back(Candidate{s.name, s.where, s.halt});
  }
  Attempt attempt;
  std::vector<size_t> chosen;
  if (request.route) {
    std::vector<const OsmRoute*> routes;
    if (Status s = FindRoutes(data, *request.route, &routes); !s.ok()) return s;
    std::vector<Candidate> stops;
    if (Status s = RouteTrack(data, routes, &chosen, &stops, &notes); !s.ok()) return s;
    stations.insert(stations.end(), stops.begin(), stops.end());
    between = stops;
    if (Status s = FindPath(data, chosen, stations, request, &attempt); !s.ok()) return s;
  } else {
    for (size_t i = 0; i < data.ways.size(); ++i) {
      if (!data.ways[i].service) chosen.push_back(i);
    }
    Status main_only = FindPath(data, chosen, stations, request, &attempt);
    if (!main_only.ok()) {
      chosen.resize(data.ways.size());
      for (size_t i = 0; i < chosen.size(); ++i) chosen[i] = i;
      if (Status s = FindPath(data, chosen, stations, request, &attempt); !s.ok()) return s;
      notes.insert("service tracks (siding, yard, spur, crossover) taken: without them, " +
                   main_only.message());
    }
  }
  SourceTrack track;
  track.points = attempt.path.points;
  track.along = AlongMetres(track.points);
  if (track.points.size() < 2 || track.along.back() <= 0) {
    return Status::Invalid("stations " + Quoted(request.from) + " and " + Quoted(request.to) +
                           " are at the same place on the track");
  }
  if (track.along.back() > kMaxLength) {
    return Status::Invalid("the track between " + Quoted(request.from) + " and " +
                           Quoted(request.to) + " is " + Metres(track.along.back()) +
                           " long, more than the " + Metres(kMaxLength) + " a line may hold");
  }
  const std::vector<const std::vector<GeoPoint>*> path_line{&track.points};
  const LineIndex path_index(path_line);
  FillStations(attempt, between, path_index, &track);
  FillPlatforms(data, &track);
  FillPieces(data, attempt.path, &track, &notes);
  FillSignals(data, attempt.path, &track, &notes);
  FillMilestones(data, path_index, &track, &notes);
  if (data.ways_without_positions > 0) {
    notes.insert(std::to_string(data.ways_without_positions) +
                 " railway ways left out: some of their nodes are not in the file");
  }
  track.source_kind = "OpenStreetMap";
  track.credit = "\xC2\xA9 OpenStreetMap contributors, ODbL";
  track.source_date = data.date;
  if (track.source_date.empty()) notes.insert("the file gives no date for its data");
  track.notes.assign(notes.begin(), notes.end());
  *out = std::move(track);
  return Status::Ok();
}

}  // namespace

Status ReadOsmTrack(const std::string& path, const OsmRequest& request, SourceTrack* out) {
  // What the data lacks is said without the file's name; reading errors have it.
  Status status = Read(path, request, out);
  return status.IsInvalid() ? Status::Invalid(path + ": " + status.message()) : status;
}

}  // namespace sc
