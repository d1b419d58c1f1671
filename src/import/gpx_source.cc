#include "import/gpx_source.h"

#include <expat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "import/geodesy.h"
#include "import/geojson_source.h"

namespace sc {
namespace {

// Under this speed for kStopSeconds or more: a stop.
constexpr double kStopSpeed = 2 / 3.6;  // metres per second
constexpr double kStopSeconds = 20;

std::string_view LocalName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

struct Parse {
  XML_Parser parser = nullptr;
  std::vector<std::vector<GeoPoint>> segments;
  std::vector<MapPlace> places;
  std::string error;
  // The point or waypoint being read, and the text of its child element.
  bool in_point = false, in_waypoint = false;
  GeoPoint point;
  std::string name;
  std::string text;
  bool collecting = false;

  void Fail(const std::string& what) {
    if (error.empty()) {
      error = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " + what;
    }
    XML_StopParser(parser, XML_FALSE);
  }
};

bool ReadPosition(Parse& p, const char** attributes, GeoPoint* point) {
  const char* lat = nullptr;
  const char* lon = nullptr;
  for (int i = 0; attributes[i]; i += 2) {
    if (std::string_view(attributes[i]) == "lat") lat = attributes[i + 1];
    if (std::string_view(attributes[i]) == "lon") lon = attributes[i + 1];
  }
  char* end = nullptr;
  if (!lat || !lon) {
    p.Fail("a point without lat and lon");
    return false;
  }
  point->lat = std::strtod(lat, &end);
  const bool lat_ok = *end == '\0' && std::abs(point->lat) <= 90;
  point->lon = std::strtod(lon, &end);
  const bool lon_ok = *end == '\0' && std::abs(point->lon) <= 180;
  if (!lat_ok || !lon_ok) {
    p.Fail(std::string("a point outside the earth or not a number: lat \"") + lat + "\", lon \"" +
           lon + "\"");
    return false;
  }
  return true;
}

void XMLCALL Start(void* data, const char* element, const char** attributes) {
  Parse& p = *static_cast<Parse*>(data);
  const std::string_view name = LocalName(element);
  if (name == "trkseg") {
    p.segments.emplace_back();
  } else if (name == "trkpt") {
    p.point = {};
    p.in_point = ReadPosition(p, attributes, &p.point);
    if (p.segments.empty()) p.segments.emplace_back();
  } else if (name == "wpt") {
    p.point = {};
    p.name.clear();
    p.in_waypoint = ReadPosition(p, attributes, &p.point);
  } else if ((p.in_point || p.in_waypoint) && (name == "ele" || name == "time" || name == "name")) {
    p.text.clear();
    p.collecting = true;
  }
}

void XMLCALL End(void* data, const char* element) {
  Parse& p = *static_cast<Parse*>(data);
  const std::string_view name = LocalName(element);
  if (p.collecting) {
    p.collecting = false;
    if (name == "ele") {
      char* end = nullptr;
      const double ele = std::strtod(p.text.c_str(), &end);
      if (end != p.text.c_str() && std::isfinite(ele)) p.point.ele = ele;
    } else if (name == "time") {
      p.point.time = IsoSeconds(p.text);
    } else if (name == "name") {
      p.name = p.text;
    }
  } else if (name == "trkpt" && p.in_point) {
    p.segments.back().push_back(p.point);
    p.in_point = false;
  } else if (name == "wpt" && p.in_waypoint) {
    if (!p.name.empty()) p.places.push_back({p.name, p.point});
    p.in_waypoint = false;
  }
}

void XMLCALL Characters(void* data, const char* s, int length) {
  Parse& p = *static_cast<Parse*>(data);
  if (p.collecting && p.text.size() < 1024) p.text.append(s, static_cast<size_t>(length));
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// Stops: places where the recorded speed stays under kStopSpeed for
// kStopSeconds or more, each at the middle of its run of points.
std::vector<MapPlace> Stops(const std::vector<GeoPoint>& points) {
  std::vector<MapPlace> stops;
  size_t run = 0;  // the first point of the slow run
  const auto close = [&](size_t last) {
    if (last > run && *points[last].time - *points[run].time >= kStopSeconds) {
      stops.push_back({"Stop " + std::to_string(stops.size() + 1), points[(run + last) / 2]});
    }
  };
  for (size_t i = 1; i < points.size(); ++i) {
    if (!points[i].time || !points[i - 1].time) {
      run = i;
      continue;
    }
    const double dt = *points[i].time - *points[i - 1].time;
    const bool slow = dt > 0 && GeodesicDistance(points[i - 1], points[i]) / dt < kStopSpeed;
    if (!slow) {
      close(i - 1);
      run = i;
    }
  }
  if (!points.empty()) close(points.size() - 1);
  return stops;
}

}  // namespace

std::optional<double> IsoSeconds(std::string_view text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, consumed = 0;
  double s = 0;
  const std::string t(text.substr(0, 64));
  if (std::sscanf(t.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%n", &y, &mo, &d, &h, &mi, &s, &consumed) !=
      6) {
    return std::nullopt;
  }
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 24 || mi > 59 || s < 0 || s >= 61) {
    return std::nullopt;
  }
  double offset = 0;
  const std::string zone = t.substr(static_cast<size_t>(consumed));
  int oh = 0, om = 0;
  if ((zone[0] == '+' || zone[0] == '-') &&
      std::sscanf(zone.c_str() + 1, "%2d:%2d", &oh, &om) == 2) {
    offset = (zone[0] == '+' ? 1 : -1) * (oh * 3600.0 + om * 60.0);
  }
  return static_cast<double>(
             DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d))) *
             86400 +
         h * 3600.0 + mi * 60.0 + s - offset;
}

Status ReadGpx(std::istream& in, MapLine* line) {
  Parse p;
  p.parser = XML_ParserCreate(nullptr);
  if (!p.parser) return Status::Invalid("out of memory for the XML reader");
  XML_SetUserData(p.parser, &p);
  XML_SetElementHandler(p.parser, Start, End);
  XML_SetCharacterDataHandler(p.parser, Characters);
  std::vector<char> chunk(1 << 16);
  bool ok = true;
  while (ok) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const auto got = static_cast<int>(in.gcount());
    const bool last = got < static_cast<int>(chunk.size());
    if (XML_Parse(p.parser, chunk.data(), got, last) != XML_STATUS_OK) {
      if (p.error.empty()) {
        p.error = "not valid XML (cut short or corrupt) at line " +
                  std::to_string(XML_GetCurrentLineNumber(p.parser)) + ": " +
                  XML_ErrorString(XML_GetErrorCode(p.parser));
      }
      ok = false;
    }
    if (last) break;
  }
  XML_ParserFree(p.parser);
  if (!p.error.empty()) return Status::Invalid(p.error);
  std::vector<std::vector<GeoPoint>> pieces;
  for (auto& segment : p.segments) {
    if (!segment.empty()) pieces.push_back(std::move(segment));
  }
  if (pieces.empty()) return Status::Invalid("no track: the file holds no track point (trkpt)");
  Status s = JoinPieces(pieces, line);
  if (!s.ok()) return s;
  line->places = std::move(p.places);
  if (line->places.empty()) {
    line->places = Stops(line->points);
    line->notes.push_back("no named waypoints: " + std::to_string(line->places.size()) +
                          " stops found where the speed stays under 2 km/h for 20 s or more");
  }
  return Status::Ok();
}

}  // namespace sc
