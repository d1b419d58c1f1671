// The two texts an import writes: the line description ("<line>_linea.txt")
// and the train and service file ("<line>_<train>-.txt"), in the layout and
// sections of the built-in scenario, Windows-1252 with CR LF, made from a
// track, its fitted curves and the projection that placed them.
//
// Everything the source does not say is a default a driver expects, and is
// listed in the facts for the report: the texts are a draft for the author.
#ifndef SC_IMPORT_SCENARIO_TEXTS_H_
#define SC_IMPORT_SCENARIO_TEXTS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import/curve_fit.h"
#include "import/local_projection.h"
#include "import/source_track.h"

namespace sc {

// UTF-8 text as Windows-1252 bytes: a character the code page lacks becomes
// its plain letters ("\xC4\x8D" c-caron gives "c"), or is left out when it has
// none; never "?". Each change is added to `changes` as "X -> Y" (UTF-8).
// Commas and double quotes, which end or open a field, become blanks.
std::string Cp1252Transliterated(std::string_view utf8, std::vector<std::string>* changes);
// The same, keeping commas and quotes when `field` is false (free text).
std::string Transliterated(std::string_view utf8, std::vector<std::string>* changes, bool field);

struct DraftOptions {
  std::string program;      // names the program and version in the preamble
  std::string source_name;  // the source file's name, UTF-8
  std::string source_date;  // the data's date (ISO 8601)
  int train_max_kmh = 140;  // the train's maximum speed
  int default_kmh = 100;    // where the source gives no limit
};

inline constexpr int kDefaultTrainMaxKmh = 140;
inline constexpr int kDefaultLineKmh = 100;

struct DraftStation {
  std::string name;     // as written, Windows-1252
  double along = 0;     // metres along the track
  int64_t written = 0;  // the metre written
  int kind = 0;
  int length = 0;
  bool length_from_source = false;
};

struct DraftSpeed {
  int64_t from = 0;
  int kmh = 0;
};

// What the texts hold and what was assumed, for the report.
struct DraftFacts {
  int64_t route_length = 0;
  std::vector<DraftStation> stations;
  std::vector<std::string> stations_left_out;  // "name: why"
  std::vector<TrackSpan> tunnels;              // as written (metres)
  std::vector<DraftSpeed> speeds;              // the speed profile as written
  int gradient_records = 0;
  int signals_from_source = 0;
  int signals_drafted = 0;
  std::vector<std::string> transliterated;  // "X -> Y"
  std::vector<std::string> defaulted;       // everything assumed, one sentence each
};

struct ScenarioDraft {
  std::string line_text;  // Windows-1252, CR LF
  std::string train_text;
  DraftFacts facts;
};

ScenarioDraft WriteScenarioTexts(const SourceTrack& track, const CurveFit& fit,
                                 const LocalProjection& projection, const DraftOptions& options);

}  // namespace sc

#endif  // SC_IMPORT_SCENARIO_TEXTS_H_
