#include "import/geojson_source.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "import/geodesy.h"

namespace sc {
namespace {

using Json = nlohmann::json;

// One JSON object being read: what it may turn out to be is known only at
// its end, when its "type" has been seen wherever it stood.
struct ObjectFrame {
  std::string type;
  std::string pending_key;                   // the key whose value comes next
  std::optional<std::string> name;           // properties.name (a Feature)
  std::vector<std::vector<GeoPoint>> lines;  // the coordinates' lines
  std::optional<GeoPoint> position;          // coordinates that are one position
  int coordinate_depth = 0;                  // of the coordinates' array nesting
  // The geometry of a Feature, given by its "geometry" member.
  std::vector<std::vector<GeoPoint>> geometry_lines;
  std::optional<GeoPoint> geometry_point;
  bool is_properties = false;
  bool is_geometry_member = false;
};

class Reader : public nlohmann::json_sax<Json> {
 public:
  std::vector<std::vector<GeoPoint>> pieces;
  std::vector<MapPlace> places;
  std::string error;
  size_t ignored = 0;  // geometries neither line nor point

  bool null() override { return Value(); }
  bool boolean(bool) override { return Value(); }
  bool number_integer(number_integer_t v) override { return Number(static_cast<double>(v)); }
  bool number_unsigned(number_unsigned_t v) override { return Number(static_cast<double>(v)); }
  bool number_float(number_float_t v, const string_t&) override { return Number(v); }
  bool binary(binary_t&) override { return Value(); }
  bool string(string_t& v) override {
    if (InCoordinates()) return Fail("a coordinate is not a number");
    if (objects_.empty()) return true;
    ObjectFrame& o = objects_.back();
    if (o.pending_key == "type" && arrays_above_object_ == 0) o.type = v;
    if (o.is_properties && o.pending_key == "name" && arrays_above_object_ == 0 &&
        objects_.size() >= 2) {
      objects_[objects_.size() - 2].name = v;
    }
    return Value();
  }
  bool start_object(std::size_t) override {
    if (InCoordinates()) return Fail("a coordinate is not a number");
    ObjectFrame frame;
    if (!objects_.empty() && arrays_above_object_ == 0) {
      frame.is_properties = objects_.back().pending_key == "properties";
      frame.is_geometry_member = objects_.back().pending_key == "geometry";
    }
    saved_arrays_.push_back(arrays_above_object_);
    arrays_above_object_ = 0;
    objects_.push_back(std::move(frame));
    return true;
  }
  bool key(string_t& k) override {
    objects_.back().pending_key = k;
    return true;
  }
  bool end_object() override {
    ObjectFrame o = std::move(objects_.back());
    objects_.pop_back();
    arrays_above_object_ = saved_arrays_.back();
    saved_arrays_.pop_back();
    Finish(o);
    return Value();
  }
  bool start_array(std::size_t) override {
    if (objects_.empty()) return true;
    ObjectFrame& o = objects_.back();
    if (o.coordinate_depth > 0 || (o.pending_key == "coordinates" && arrays_above_object_ == 0)) {
      ++o.coordinate_depth;
      if (o.coordinate_depth > 4) return Fail("coordinates nested deeper than any geometry");
      numbers_.clear();
      contains_.push_back(0);
      return true;
    }
    ++arrays_above_object_;
    return true;
  }
  bool end_array() override {
    if (!InCoordinates()) {
      if (arrays_above_object_ > 0) --arrays_above_object_;
      return Value();
    }
    ObjectFrame& o = objects_.back();
    const int held = contains_.back();
    contains_.pop_back();
    --o.coordinate_depth;
    if (held == 1) {  // a position
      GeoPoint p;
      if (!Position(&p)) return false;
      if (o.coordinate_depth == 0) {
        o.position = p;
      } else {
        line_.push_back(p);
        if (!contains_.empty()) contains_.back() = 2;
      }
    } else if (held == 2) {  // a line of positions
      o.lines.push_back(std::move(line_));
      line_.clear();
      if (!contains_.empty()) contains_.back() = 3;
    }
    if (o.coordinate_depth == 0) o.pending_key.clear();
    return true;
  }
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& e) override {
    if (error.empty()) {
      error = "not valid JSON (cut short or corrupt) at byte " + std::to_string(position) + ": " +
              e.what();
    }
    return false;
  }

 private:
  bool InCoordinates() const { return !objects_.empty() && objects_.back().coordinate_depth > 0; }
  bool Fail(const std::string& what) {
    if (error.empty()) error = what;
    return false;
  }
  bool Value() {
    if (!objects_.empty() && arrays_above_object_ == 0) objects_.back().pending_key.clear();
    return true;
  }
  bool Number(double v) {
    if (!InCoordinates()) return Value();
    if (contains_.back() > 1) return Fail("a position stands beside a list of positions");
    contains_.back() = 1;
    numbers_.push_back(v);
    return true;
  }
  bool Position(GeoPoint* p) {
    if (numbers_.size() < 2) return Fail("a position with fewer than two numbers");
    p->lon = numbers_[0];
    p->lat = numbers_[1];
    if (numbers_.size() >= 3) p->ele = numbers_[2];
    numbers_.clear();
    if (!(std::abs(p->lat) <= 90 && std::abs(p->lon) <= 180)) {
      char text[96];
      std::snprintf(text, sizeof text, "a position outside the earth: longitude %g, latitude %g",
                    p->lon, p->lat);
      return Fail(text);
    }
    return true;
  }
  // What an object that ends gives: a geometry to its Feature (or to the
  // file when it stands alone), or a Feature's line or station.
  void Finish(ObjectFrame& o) {
    const bool line = o.type == "LineString" || o.type == "MultiLineString";
    const bool point = o.type == "Point";
    ObjectFrame* parent = objects_.empty() ? nullptr : &objects_.back();
    if (line || point) {
      if (o.is_geometry_member && parent) {
        parent->geometry_lines = std::move(o.lines);
        if (point) parent->geometry_point = o.position;
        return;
      }
      Take(o.lines, point ? o.position : std::nullopt, std::nullopt);
    } else if (o.type == "Feature") {
      Take(o.geometry_lines, o.geometry_point, o.name);
    } else if (!o.lines.empty() || o.position) {
      ++ignored;
    }
  }
  void Take(std::vector<std::vector<GeoPoint>>& lines, const std::optional<GeoPoint>& point,
            const std::optional<std::string>& name) {
    for (auto& l : lines) {
      if (!l.empty()) pieces.push_back(std::move(l));
    }
    if (point && name && !name->empty()) places.push_back({*name, *point});
  }

  std::vector<ObjectFrame> objects_;
  std::vector<int> saved_arrays_;
  int arrays_above_object_ = 0;  // arrays open inside the innermost object
  std::vector<int>
      contains_;  // per open coordinates array: 0 empty, 1 numbers, 2 positions, 3 lines
  std::vector<double> numbers_;
  std::vector<GeoPoint> line_;
};

std::string Where(const GeoPoint& p) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f, %.6f", p.lat, p.lon);
  return text;
}

}  // namespace

Status JoinPieces(std::vector<std::vector<GeoPoint>>& pieces, MapLine* line) {
  std::vector<GeoPoint>& out = line->points;
  for (std::vector<GeoPoint>& piece : pieces) {
    if (out.empty()) {
      out = std::move(piece);
      continue;
    }
    // The nearest of the four ways the piece can meet the line so far.
    const double d[4] = {
        GeodesicDistance(out.back(), piece.front()), GeodesicDistance(out.back(), piece.back()),
        GeodesicDistance(out.front(), piece.back()), GeodesicDistance(out.front(), piece.front())};
    const int way = static_cast<int>(std::min_element(d, d + 4) - d);
    const GeoPoint end = way < 2 ? out.back() : out.front();
    if (d[way] > kMaxBridgedGapMetres) {
      char text[64];
      std::snprintf(text, sizeof text, "%.0f m", d[way]);
      return Status::Invalid("the pieces of the line do not meet: a gap of " + std::string(text) +
                             " at " + Where(end) + " (at most " +
                             std::to_string(static_cast<int>(kMaxBridgedGapMetres)) +
                             " m is bridged)");
    }
    if (d[way] > 0.5) line->gaps.push_back({0, d[way], end});
    if (way == 1 || way == 3) std::reverse(piece.begin(), piece.end());
    const size_t skip = d[way] == 0 ? 1 : 0;  // the shared point once
    if (way < 2) {
      out.insert(out.end(), piece.begin() + static_cast<std::ptrdiff_t>(skip), piece.end());
    } else {
      out.insert(out.begin(), piece.begin(), piece.end() - static_cast<std::ptrdiff_t>(skip));
    }
  }
  return Status::Ok();
}

Status ReadGeoJson(std::istream& in, MapLine* line) {
  Reader reader;
  const bool parsed = Json::sax_parse(in, &reader, nlohmann::detail::input_format_t::json, true);
  if (!parsed || !reader.error.empty()) {
    return Status::Invalid(reader.error.empty() ? "not valid GeoJSON" : reader.error);
  }
  if (reader.pieces.empty()) {
    return Status::Invalid("no track: the file holds no LineString or MultiLineString");
  }
  if (reader.ignored > 0) {
    line->notes.push_back(std::to_string(reader.ignored) +
                          " geometries neither line nor point were left out");
  }
  line->places = std::move(reader.places);
  return JoinPieces(reader.pieces, line);
}

}  // namespace sc
