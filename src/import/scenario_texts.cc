#include "import/scenario_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "import/station_names.h"
#include "platform/text_1252.h"

namespace sc {
namespace {

constexpr int64_t kCell = 50;

// The nearest multiple of 50 (halves to even), as the grid takes positions.
int64_t OnGrid(double metres) {
  return static_cast<int64_t>(std::nearbyint(metres / kCell)) * kCell;
}
int64_t GridBelow(double metres) {
  return static_cast<int64_t>(std::floor(metres / kCell)) * kCell;
}
int64_t GridAbove(double metres) { return static_cast<int64_t>(std::ceil(metres / kCell)) * kCell; }

// The cell of a position, as the encoders take it.
int64_t CellOf(int64_t metres) {
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(metres) / kCell + 1));
}

std::string Format(const char* format, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

class Text {
 public:
  void Line(const std::string& line) { bytes_ += line + "\r\n"; }
  std::string bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Decodes one UTF-8 character at `i`; a byte that is not UTF-8 is taken as
// Windows-1252 (one byte).
uint32_t NextCodePoint(std::string_view s, size_t* i, size_t* length) {
  const auto b = static_cast<unsigned char>(s[*i]);
  int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || *i + n > s.size()) {
    *length = 1;
    return CodePointFrom1252(b);
  }
  uint32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
  for (int k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(s[*i + k]);
    if ((c >> 6) != 2) {
      *length = 1;
      return CodePointFrom1252(b);
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  *length = static_cast<size_t>(n);
  return cp;
}

// Dashes and quotes the code page lacks, as their plain forms.
std::string_view PlainPunctuation(uint32_t cp) {
  switch (cp) {
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2212: return "-";
    case 0x2032:
    case 0x02BC: return "'";
    case 0x00A0:
    case 0x2009:
    case 0x202F: return " ";
    default: return {};
  }
}

}  // namespace

std::string Cp1252Transliterated(std::string_view utf8, std::vector<std::string>* changes) {
  return Transliterated(utf8, changes, true);
}

std::string Transliterated(std::string_view utf8, std::vector<std::string>* changes, bool field) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    size_t length = 1;
    const uint32_t cp = NextCodePoint(utf8, &i, &length);
    const std::string_view ch = utf8.substr(i, length);
    i += length;
    if (field && (cp == ',' || cp == '"')) {
      out += ' ';
      continue;
    }
    if (cp < 0x20 || cp == 0x7F) continue;
    std::string byte, unused;
    std::string utf8_char;
    AppendUtf8(cp, &utf8_char);
    if (cp < 0x10000 && Cp1252FromUtf8(utf8_char, &byte, &unused) == Cp1252Conversion::kConverted) {
      out += byte;
      continue;
    }
    std::string_view plain = BaseLetters(cp);
    if (plain.empty()) plain = PlainPunctuation(cp);
    if (changes) {
      changes->push_back(std::string(ch) + " -> " +
                         (plain.empty() ? std::string("(left out)") : std::string(plain)));
    }
    out += plain;
  }
  // Blanks at the ends are not kept by the field reader.
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

namespace {

struct Placed {
  int64_t position, start, end;
  int kind, length;
};

// The first metre and the last of a station's area, as the reader computes
// them.
Placed Area(int64_t position, int kind, int length) {
  Placed p{position, 0, 0, kind, length};
  if (kind == 5 || kind == 6) {
    p.start = position - length, p.end = position + 150;
  } else if (kind == 7 || kind == 8) {
    p.start = position - length, p.end = position + length;
  } else {
    p.start = static_cast<int64_t>(std::nearbyint(position - length / 2.0));
    p.end = static_cast<int64_t>(std::nearbyint(position + length / 2.0));
  }
  return p;
}

// The cell of a station's end marker (kinds below 25 have one).
int64_t MarkerCell(const Placed& p) {
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(p.end) / kCell - 1));
}

constexpr int kFirstKind = 8, kStationKind = 12, kHaltKind = 28, kLastKind = 6;
constexpr int kFirstLength = 400, kStationLength = 600, kHaltLength = 400, kLastLength = 700;
constexpr int kMaxStations = 78;
constexpr int64_t kStationGap = 350;  // from one station's area to the next

int PlatformLength(const TrackStation& s, int fallback, bool* from_source) {
  *from_source = false;
  if (!s.platform_length || *s.platform_length <= 0) return fallback;
  *from_source = true;
  return static_cast<int>(std::clamp(std::ceil(*s.platform_length / 100) * 100, 100.0, 900.0));
}

struct Writer {
  const SourceTrack& track;
  const CurveFit& fit;
  const DraftOptions& options;
  DraftFacts& facts;
  std::vector<Placed> placed;
  std::vector<int> speed_by_cell;  // km/h of each 50 m of the route

  void Stations() {
    const int64_t length = facts.route_length;
    std::vector<std::string> names;
    for (size_t i = 0; i < track.stations.size(); ++i) {
      const TrackStation& s = track.stations[i];
      const bool first = i == 0, last = i + 1 == track.stations.size();
      bool from_source = false;
      int kind = first ? kFirstKind : last ? kLastKind : s.halt ? kHaltKind : kStationKind;
      int len = PlatformLength(s,
                               first    ? kFirstLength
                               : last   ? kLastLength
                               : s.halt ? kHaltLength
                                        : kStationLength,
                               &from_source);
      // The first station's area runs from its position: shorter than 400 m,
      // its countdown marks would fall before the route's start.
      if (first) len = std::max(len, kFirstLength);
      int64_t position = first  ? 0
                         : last ? length
                                : std::clamp<int64_t>(OnGrid(s.along), 0, length);
      Placed p = Area(position, kind, len);
      std::string name = Cp1252Transliterated(s.name, &facts.transliterated);
      if (name.empty()) name = "Station " + std::to_string(i + 1);
      if (!first && !placed.empty() && p.start - kStationGap < placed.back().end) {
        if (!last) {
          facts.stations_left_out.push_back(s.name + ": within " + std::to_string(kStationGap) +
                                            " m of the station before");
          continue;
        }
        // The end station stays; the one before it gives way.
        while (placed.size() > 1 && p.start - kStationGap < placed.back().end) {
          facts.stations_left_out.push_back(facts.stations.back().name +
                                            ": within 350 m of the end station");
          placed.pop_back();
          facts.stations.pop_back();
        }
      }
      if (!first && !last && static_cast<int>(placed.size()) >= kMaxStations - 1) {
        facts.stations_left_out.push_back(s.name + ": a line holds at most " +
                                          std::to_string(kMaxStations) + " stations");
        continue;
      }
      placed.push_back(p);
      facts.stations.push_back({name, s.along, position, kind, len, from_source});
    }
  }

  void SpeedProfile() {
    const int64_t cells = facts.route_length / kCell + 1;
    speed_by_cell.assign(static_cast<size_t>(cells),
                         std::min(options.default_kmh, options.train_max_kmh));
    std::vector<bool> tagged(static_cast<size_t>(cells), false);
    for (const TrackSpeed& s : track.speeds) {
      if (s.kmh < 5) continue;
      const int64_t a = std::clamp<int64_t>(GridBelow(s.span.from) / kCell, 0, cells - 1);
      const int64_t b = std::clamp<int64_t>(GridAbove(s.span.to) / kCell, a + 1, cells);
      for (int64_t c = a; c < b; ++c) {
        const int kmh = std::min(s.kmh, options.train_max_kmh);
        int& cell = speed_by_cell[static_cast<size_t>(c)];
        cell = tagged[static_cast<size_t>(c)] ? std::min(cell, kmh) : kmh;
        tagged[static_cast<size_t>(c)] = true;
      }
    }
    int untagged = 0;
    for (size_t c = 0; c < speed_by_cell.size(); ++c) {
      speed_by_cell[c] = std::max(5, speed_by_cell[c] / 5 * 5);
      untagged += tagged[c] ? 0 : 1;
    }
    for (size_t c = 0; c < speed_by_cell.size(); ++c) {
      if (c == 0 || speed_by_cell[c] != speed_by_cell[c - 1]) {
        facts.speeds.push_back({static_cast<int64_t>(c) * kCell, speed_by_cell[c]});
      }
    }
    if (untagged > 0) {
      facts.defaulted.push_back(Format("speed limit %d km/h where the source gives none (%.1f km)",
                                       std::min(options.default_kmh, options.train_max_kmh),
                                       untagged * 0.05));
    }
  }

  std::vector<TrackSpan> Tunnels() {
    std::vector<TrackSpan> out;
    for (const TrackSpan& t : track.tunnels) {
      double a = static_cast<double>(std::clamp<int64_t>(GridBelow(t.from), 0, facts.route_length));
      double b = static_cast<double>(std::clamp<int64_t>(GridAbove(t.to), 0, facts.route_length));
      if (b - a < kCell) b = a + kCell;
      if (!out.empty() && a <= out.back().to) {
        out.back().to = std::max(out.back().to, b);
      } else {
        out.push_back({a, b});
      }
    }
    // The range list holds 80: the nearest neighbours are joined first.
    while (out.size() > 80) {
      size_t best = 1;
      for (size_t i = 1; i < out.size(); ++i) {
        if (out[i].from - out[i - 1].to < out[best].from - out[best - 1].to) best = i;
      }
      out[best - 1].to = out[best].to;
      out.erase(out.begin() + static_cast<std::ptrdiff_t>(best));
    }
    return out;
  }

  // Gradients (per mille) from the heights, smoothed over 200 m.
  std::vector<std::pair<int64_t, int>> Gradients() {
    std::vector<std::pair<int64_t, int>> out;
    std::vector<double> at, height;
    for (size_t i = 0; i < track.points.size(); ++i) {
      if (track.points[i].ele) at.push_back(track.along[i]), height.push_back(*track.points[i].ele);
    }
    if (at.size() < 2 || at.back() - at.front() < facts.route_length * 0.9) {
      facts.defaulted.push_back("no gradients: the source gives no heights along the track");
      return out;
    }
    const auto height_at = [&](double s) {
      if (s <= at.front()) return height.front();
      if (s >= at.back()) return height.back();
      const size_t i = std::upper_bound(at.begin(), at.end(), s) - at.begin() - 1;
      const double f = at[i + 1] > at[i] ? (s - at[i]) / (at[i + 1] - at[i]) : 0;
      return height[i] + f * (height[i + 1] - height[i]);
    };
    // The mean height over 200 m around a place.
    const auto smooth = [&](double s) {
      double sum = 0;
      for (int k = -4; k <= 4; ++k) sum += height_at(s + k * 25.0);
      return sum / 9;
    };
    constexpr int64_t kStretch = 200;
    int previous = 0;
    for (int64_t s = 0; s + kStretch <= facts.route_length; s += kStretch) {
      const double g =
          (smooth(static_cast<double>(s + kStretch)) - smooth(static_cast<double>(s))) / kStretch *
          1000;
      const int value = static_cast<int>(std::clamp(std::nearbyint(g), -60.0, 60.0));
      if (value != previous) out.push_back({s, value});
      previous = value;
    }
    return out;
  }

  struct DraftSignal {
    int64_t position;
    bool distant;
  };

  // Whether a signal at `position` keeps clear of the station markers and
  // of the signals already placed (its cell and its four countdown cells).
  bool SignalFits(int64_t position, const std::vector<DraftSignal>& signals) const {
    const int64_t c = CellOf(position);
    if (position < 500 || position + 100 > facts.route_length + 7000) return false;
    for (const Placed& p : placed) {
      if (p.kind >= 25) continue;
      const int64_t q = MarkerCell(p);
      if (c > q - 5 && c < q + 9) return false;
    }
    for (const DraftSignal& s : signals) {
      if (std::abs(CellOf(s.position) - c) < 10) return false;
    }
    return true;
  }

  std::vector<DraftSignal> Signals() {
    std::vector<DraftSignal> out;
    for (const TrackSignal& s : track.signals) {
      if (s.kind == TrackSignalKind::kOther) continue;
      const int64_t position = OnGrid(s.along);
      if (!SignalFits(position, out)) continue;
      out.push_back({position, s.kind == TrackSignalKind::kDistant});
      ++facts.signals_from_source;
    }
    if (!out.empty()) {
      std::sort(out.begin(), out.end(),
                [](const DraftSignal& a, const DraftSignal& b) { return a.position < b.position; });
      return out;
    }
    // A main signal 300 m before each station's area, and block signals
    // between, about as far apart as the built-in line's.
    constexpr int64_t kBlock = 1350;
    std::vector<int64_t> mains;
    for (size_t i = 1; i < placed.size(); ++i) mains.push_back(GridBelow(placed[i].start - 300.0));
    int64_t from = placed.empty() ? 0 : placed.front().end;
    for (int64_t main : mains) {
      for (int64_t p = GridAbove(from + 1000.0); p + 700 <= main; p += kBlock) {
        if (SignalFits(p, out)) out.push_back({p, false});
      }
      if (SignalFits(main, out)) out.push_back({main, false});
      from = main;
    }
    std::sort(out.begin(), out.end(),
              [](const DraftSignal& a, const DraftSignal& b) { return a.position < b.position; });
    facts.signals_drafted = static_cast<int>(out.size());
    facts.defaulted.push_back(
        "signals: a draft (a main signal before each station, block signals about every 1350 m)");
    return out;
  }

  // Timetable: minutes after 8:00 at each station, from the speed profile.
  std::vector<int> Minutes() {
    std::vector<int> minutes;
    double seconds = 60;  // departs at 8:01
    int64_t at = 0;
    for (const DraftStation& s : facts.stations) {
      for (; at < s.written; at += kCell) {
        const size_t c = static_cast<size_t>(
            std::min<int64_t>(at / kCell, static_cast<int64_t>(speed_by_cell.size()) - 1));
        seconds += kCell / (speed_by_cell[c] / 3.6) * 1.1;
      }
      const int m = static_cast<int>(std::ceil(seconds / 60));
      minutes.push_back(m);
      seconds = m * 60.0 + 60;  // a minute's stop
    }
    return minutes;
  }
};

std::string Preamble(const std::string& utf8, std::vector<std::string>* changes) {
  std::string text = Transliterated(utf8, changes, false);
  // A preamble line must never open the header.
  std::replace(text.begin(), text.end(), '[', '(');
  std::replace(text.begin(), text.end(), ']', ')');
  return text;
}

}  // namespace

ScenarioDraft WriteScenarioTexts(const SourceTrack& track, const CurveFit& fit,
                                 const LocalProjection& projection, const DraftOptions& options) {
  ScenarioDraft draft;
  DraftFacts& facts = draft.facts;
  facts.route_length = std::max<int64_t>(OnGrid(track.along.back()), kCell);
  Writer w{track, fit, options, facts, {}, {}};
  w.Stations();
  w.SpeedProfile();
  const std::vector<TrackSpan> tunnels = w.Tunnels();
  facts.tunnels = tunnels;
  const auto gradients = w.Gradients();
  facts.gradient_records = static_cast<int>(gradients.size());
  const auto signals = w.Signals();
  const std::vector<int> minutes = w.Minutes();
  facts.defaulted.push_back(
      "stations: kinds 8 (first), 12 (station), 28 (halt), 6 (last); lengths 400, 600, 400, 700 m "
      "where the source tags no platform; times from the speed profile, a minute's stop each");
  facts.defaulted.push_back(
      "train: 10 cars, braked mass 130 %, sand 100, clock 8:00:00, adhesion 100");
  facts.defaulted.push_back(
      "backgrounds at 1 m, a third and two thirds of the line; no kilometre "
      "references; no signal repetition");

  Text line;
  line.Line(Preamble(
      "Imported by " + options.program + " from " + options.source_name + " (" + track.source_kind +
          (options.source_date.empty() ? "" : ", data of " + options.source_date) + ")",
      nullptr));
  if (!track.credit.empty()) line.Line(Preamble(track.credit, nullptr));
  line.Line(projection.Describe());
  line.Line("A draft: check the stations, speeds and signals before use.");
  line.Line("[generale]");
  line.Line(Format("lunghezza percorso,    %lld", static_cast<long long>(facts.route_length)));
  line.Line("progressiva chilometrica uno,    0,    0,    0");
  line.Line("progressiva chilometrica due,    0,    0,    0");
  line.Line("progressiva chilometrica tre,    0,    0,    0");
  line.Line("sfondo uno,    1");
  line.Line(
      Format("sfondo due,    %lld", static_cast<long long>(OnGrid(facts.route_length / 3.0))));
  line.Line(
      Format("sfondo tre,    %lld", static_cast<long long>(OnGrid(facts.route_length * 2 / 3.0))));
  line.Line("ripetizione segnali 4 codici,    0,    0");
  line.Line("[curve]");
  for (const CurveRecord& r : fit.records) {
    line.Line(Format("curva%c%d,  %lld,  %lld", r.left ? 's' : 'd', r.curve_class,
                     static_cast<long long>(r.start), static_cast<long long>(r.length)));
  }
  line.Line("[pendenze]");
  for (const auto& [at, value] : gradients) {
    line.Line(Format("pendenza,   %lld,  %d", static_cast<long long>(at), value));
  }
  line.Line("[montagne]");
  for (const TrackSpan& t : tunnels) {
    line.Line(Format("montagna,   %.0f,  %.0f,  12", t.from, t.to));
  }
  line.Line("[cartelli]");
  line.Line("[indicazioni]");
  line.Line("[fine]");
  draft.line_text = line.bytes();

  Text train;
  train.Line("TRENO IMPORTATO");
  train.Line("[generale]");
  train.Line("numero vetture,    10");
  train.Line("percentuale massa frenata,    130");
  train.Line("sabbia,    100");
  train.Line("orologio,    8               0             0 ");
  train.Line("[aderenze]");
  train.Line("aderenza,   0,    100");
  train.Line("[vel_limite]");
  for (const DraftSpeed& s : facts.speeds) {
    train.Line(Format("velocita,   %5lld,   %3d", static_cast<long long>(s.from), s.kmh));
  }
  train.Line("[stazioni]");
  for (size_t i = 0; i < facts.stations.size(); ++i) {
    const DraftStation& s = facts.stations[i];
    const int h = 8 + minutes[i] / 60, m = minutes[i] % 60;
    const char* fields = s.kind == kFirstKind  ? "1, 0, 1,  4,1,1,  2,1,1,    1"
                         : s.kind == kLastKind ? "1, 1, 0,  1,1,0,  2,1,1,   60"
                         : s.kind == kHaltKind ? "0, 0, 0,  0,0,0,  0,0,0,   30"
                                               : "1, 1, 0,  5,1,1,  2,1,1,   60";
    train.Line(Format("stazione,   %5lld, %2d,  %d,  %s,   %d, %d, 0, ",
                      static_cast<long long>(s.written), s.kind, s.length, fields, h, m) +
               s.name);
  }
  train.Line("[rallentamenti]");
  train.Line("[segnali]");
  for (const auto& s : signals) {
    train.Line(Format(s.distant ? "segnale,   %5lld,   1, 4, 0,  0, 0,    0,  0,0,0, 0"
                                : "segnale,   %5lld,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
                      static_cast<long long>(s.position)));
  }
  train.Line("[codici]");
  train.Line("[fine]");
  draft.train_text = train.bytes();
  return draft;
}

}  // namespace sc
