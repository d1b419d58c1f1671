#include "compiler/record_format.h"

#include <cmath>
#include <sstream>
#include <utility>

#include "compiler/decompile_choices.h"
#include "compiler/field_reader.h"
#include "compiler/silent_paths.h"
#include "model/rounding.h"
#include "model/track_grid.h"

namespace sc {
namespace {

using F = FieldFormat;
constexpr FieldType L = FieldType::kLong;
constexpr FieldType I = FieldType::kInteger;
constexpr FieldType B = FieldType::kByte;
constexpr FieldType T = FieldType::kText;
constexpr ScenarioFile kLn = ScenarioFile::kLine;
constexpr ScenarioFile kTr = ScenarioFile::kTrain;
constexpr RecordPart kHead = RecordPart::kHeader;
constexpr RecordPart kBody = RecordPart::kBody;

constexpr CellRule kObjectCell = CellRule::kObject;
constexpr CellRule kProfileCell = CellRule::kProfile;

F Position(const char* becomes, CellRule cell) {
  return F{"position", L, "m", "", becomes, StoreRule::kAsRead, cell};
}

using S = StationRecord;

// A number a station's slot holds as it is read.
F InSlot(const char* name, FieldType type, const char* becomes, int64_t (*in_slot)(const S&)) {
  return F{name, type, "", "", becomes, StoreRule::kAsRead, CellRule::kNone, in_slot};
}

std::vector<RecordFormat> LineRecords() {
  return {
      {"route length",
       kLn,
       kHead,
       {"lunghezza", "percorso"},
       true,
       "lunghezza percorso",
       "The route's length; creates the track grid and the route plan.",
       {{"length", L, "m", "0 to 1000000 (above: error 1)",
         "station slot 84 end; the grid runs to length + 7000 m"}},
       "lunghezza percorso,    40000",
       "Must come before every body record.",
       false,
       true},
      {"kilometre reference 3",
       kLn,
       kHead,
       {"progressiva", "tre"},
       false,
       "progressiva chilometrica tre",
       "Third kilometre reference.",
       {{"start", L, "m", "", "station slot 81 start"},
        {"end", L, "m", "", "station slot 81 end"},
        {"position", L, "m", "", "station slot 81 position"}},
       "progressiva chilometrica tre,    0,    0,    0",
       "The three references are ordered by the compiler; start and end must be multiples of 50 "
       "(error 2).",
       false,
       true},
      {"kilometre reference 2",
       kLn,
       kHead,
       {"progressiva", "due"},
       false,
       "progressiva chilometrica due",
       "Second kilometre reference.",
       {{"start", L, "m", "", "station slot 82 start"},
        {"end", L, "m", "", "station slot 82 end"},
        {"position", L, "m", "", "station slot 82 position"}},
       "progressiva chilometrica due,    0,    0,    0",
       "",
       false,
       true},
      {"kilometre reference 1",
       kLn,
       kHead,
       {"progressiva", "uno"},
       false,
       "progressiva chilometrica uno",
       "First kilometre reference.",
       {{"start", L, "m", "", "station slot 83 start"},
        {"end", L, "m", "", "station slot 83 end"},
        {"position", L, "m", "", "station slot 83 position"}},
       "progressiva chilometrica uno,    0,    0,    0",
       "",
       false,
       true},
      {"background 1",
       kLn,
       kHead,
       {"sfondo", "uno"},
       false,
       "sfondo uno",
       "Where the first scenery background starts.",
       {{"position", L, "m", "", "station slot 85 start"}},
       "sfondo uno,    1",
       "",
       false,
       true},
      {"background 2",
       kLn,
       kHead,
       {"sfondo", "due"},
       false,
       "sfondo due",
       "Where the second scenery background starts.",
       {{"position", L, "m", "", "station slot 85 position"}},
       "sfondo due,    12000",
       "",
       false,
       true},
      {"background 3",
       kLn,
       kHead,
       {"sfondo", "tre"},
       false,
       "sfondo tre",
       "Where the third scenery background starts.",
       {{"position", L, "m", "", "station slot 85 end"}},
       "sfondo tre,    33000",
       "",
       false,
       true},
      {"signal repetition",
       kLn,
       kHead,
       {"segnali", "ripetizione"},
       false,
       "ripetizione segnali 4 codici",
       "The stretch with signal repetition and its number of codes (a 4 or a 9 in the keyword).",
       {{"first", L, "m", "multiple of 50 (error 3)", "station slot 86 start"},
        {"last", L, "m", "multiple of 50 (error 4)", "station slot 86 end"}},
       "ripetizione segnali 4 codici,    800,    29000",
       "The keyword must contain 4 or 9 (error 5): slot 86 position holds it, or 0 when last is 0.",
       false,
       true,
       "ripetizione segnali",
       "49"},
      {"gradient",
       kLn,
       kBody,
       {"pendenza", nullptr},
       true,
       "pendenza",
       "The gradient from this position to the next gradient record.",
       {Position("the grid cells from here on", kProfileCell),
        {"value", L, "", "", "gradient code of each cell (value + 100, low 8 bits)",
         StoreRule::kGradient}},
       "pendenza,    1000,    5",
       "Before the first gradient record the gradient is 0.",
       false},
      {"curve",
       kLn,
       kBody,
       {"curva", nullptr},
       true,
       "curvad2",
       "A curve of the route plan: d turns right, s left; the digit 1 to 6 is the radius class.",
       {{"start", L, "m", "", "route plan: straight up to here"},
        {"length", L, "m", "", "route plan: turning through this length"}},
       "curvad2,  2400,  800",
       "Curvature per metre of the classes 1 to 6: 0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003; a "
       "keyword "
       "without a digit is error 103. Curves must come in ascending order. Read only when the "
       "route plan is "
       "built.",
       true,
       false,
       "curva",
       "123456s"},
      {"mountain",
       kLn,
       kBody,
       {"montagna", nullptr},
       true,
       "montagna",
       "A range of mountains beside the track.",
       {{"start", L, "m", "", "mountain type of the cells from here", StoreRule::kAsRead,
         kProfileCell},
        {"end", L, "m", "", "to here"},
        {"type", L, "", "", "mountain type (low 8 bits)", StoreRule::kLow8, CellRule::kNone,
         nullptr, false, CellPart::kMountain,
         [](const TrackCell& c) -> int64_t { return c.mountain; }}},
       "montagna,   1150,  1450,  12",
       "Only the start is tested against the grid's end.",
       true},
      {"maximum-speed board",
       kLn,
       kBody,
       {"indicatori_v", nullptr},
       true,
       "indicatori_vmax",
       "A board with the maximum speeds of three train categories, for each side.",
       {Position("grid cell of kind 6", kObjectCell),
        {"vas", L, "km/h", "", "left board, category A"},
        {"vbs", L, "km/h", "", "left board, category B"},
        {"vcs", L, "km/h", "", "left board, category C"},
        {"strisces", I, "", "", "left board's stripes"},
        {"vad", L, "km/h", "", "right board, category A"},
        {"vbd", L, "km/h", "", "right board, category B"},
        {"vcd", L, "km/h", "", "right board, category C"},
        {"strisced", I, "", "", "right board's stripes"}},
       "indicatori_vmax,  900,  120,  130,  140,  0,  115,  125,  130,  0",
       "Its cell must be free (error 21).",
       true},
      {"sign",
       kLn,
       kBody,
       {"indicat", "cartello"},
       true,
       "cartello_indicatore",
       "A sign beside the track; its text goes into the station table.",
       {Position("grid cell of kind 14", kObjectCell),
        {"text", T, "", "up to 65535 bytes", "station slot 80, 79, ... name"}},
       "cartello_indicatore,  1100,   (GALLERIA   )(DELL'ANGELO)",
       "Its cell must be free (error 6). The text ends at a comma unless it is in double quotes.",
       true},
  };
}

std::vector<RecordFormat> TrainRecords() {
  return {
      {"braked mass",
       kTr,
       kBody,
       {"frenata", "massa"},
       true,
       "percentuale massa frenata",
       "The train's braked-mass percentage.",
       {{"percentage", L, "%", "", "station slot 84 start"}},
       "percentuale massa frenata,    130",
       "",
       false,
       true},
      {"cars",
       kTr,
       kBody,
       {"vetture", nullptr},
       true,
       "numero vetture",
       "The number of cars.",
       {{"count", L, "", "", "station slot 84 position"}},
       "numero vetture,    10",
       "",
       false,
       true},
      {"speed",
       kTr,
       kBody,
       {"velocit", nullptr},
       true,
       "velocita",
       "The speed limit from this position to the next speed record.",
       {Position("the grid cells from here on", kProfileCell),
        {"speed", L, "km/h", "0 to 1277", "speed code of each cell (km/h / 5, rounded)",
         StoreRule::kSpeedCode}},
       "velocita,     900,   130",
       "The profile is stored in steps of 5 km/h.",
       false},
      {"adhesion",
       kTr,
       kBody,
       {"aderenza", nullptr},
       true,
       "aderenza",
       "The adhesion from this position to the next adhesion record.",
       {Position("the grid cells from here on", kProfileCell),
        {"value", L, "", "0 to 255", "adhesion of each cell (low 8 bits)", StoreRule::kLow8}},
       "aderenza,   0,    100",
       "",
       false},
      {"clock",
       kTr,
       kBody,
       {"orologio", nullptr},
       true,
       "orologio",
       "The clock at the start.",
       {{"hours", I, "h", "", "station slot 86 word_3"},
        {"minutes", I, "min", "", "station slot 86 word_4"},
        {"seconds", I, "s", "", "station slot 86 word_5"}},
       "orologio,    8               0             0",
       "The numbers may be separated by blanks alone.",
       false,
       true},
      {"sand",
       kTr,
       kBody,
       {"sabbia", nullptr},
       true,
       "sabbia",
       "The sand on board.",
       {{"quantity", I, "", "", "station slot 86 word_1"}},
       "sabbia,    100",
       "",
       false,
       true},
      {"signal",
       kTr,
       kBody,
       {"segnale", nullptr},
       true,
       "segnale",
       "A signal; four countdown marks go into the cells before it.",
       {Position("grid cell of kind 1", kObjectCell),
        {"sx", L, "", "", "left aspect kind (value_d, timing when 2)"},
        {"s1", L, "", "", "left aspect 1 (value_a)"},
        {"s2", L, "", "", "left aspect 2 (value_b)"},
        {"s3", L, "", "", "left aspect 3 (value_c)"},
        {"rapp", L, "", "", "value_d"},
        {"dx", L, "", "", "right aspect kind (value_d)"},
        {"d1", L, "", "", "right aspect 1 (value_a)"},
        {"d2", L, "", "", "right aspect 2 (value_b)"},
        {"d3", L, "", "", "right aspect 3 (value_c)"},
        {"tempo", L, "", "", "timing, when sx is 2", StoreRule::kAsRead, CellRule::kNone, nullptr,
         false, CellPart::kObject, [](const TrackCell& c) -> int64_t { return c.timing; }}},
       "segnale,    1450,   2, 4, 0,  0, 0,    1,  3,0,0, 0",
       "Its cell must be free (error 16).",
       true},
      {"slowdown",
       kTr,
       kBody,
       {"rallentamento", nullptr},
       true,
       "rallentamento",
       "A slowdown with its warning 1200 m before and, optionally, four approach boards.",
       {{"start", L, "m", "", "grid cell of kind 3; warning (kind 4) 1200 m before",
         StoreRule::kAsRead, kObjectCell},
        {"speed", L, "km/h", "-32768 to 32767", "value_a of its cells"},
        {"length", L, "m", "", "end cell (kind 2) at start + length"},
        {"f_tt", L, "", "-32768 to 32767", "value_c of the start and end cells"},
        {"f_ta", L, "", "", "approach boards when not 0"},
        {"d_v", L, "", "", "value_b of its cells when not 0 (low 16 bits)", StoreRule::kLow16}},
       "rallentamento,   16100,   100,  250, 1,  1,  10",
       "Its cells must be free (errors 17 to 20).",
       true},
      {"abbattimento",
       kTr,
       kBody,
       {"abbattimento", nullptr},
       true,
       "abbattimento",
       "Marks one grid cell: kind 12 with the value when it is above 0, else kind 13.",
       {Position("one grid cell of kind 12 or 13", kProfileCell),
        {"value", L, "", "", "value_a of the cell (low 16 bits)", StoreRule::kLow16}},
       "abbattimento,   5000,   0",
       "The cell must be free (error 7).",
       true},
      {"station",
       kTr,
       kBody,
       {"stazione", nullptr},
       true,
       "stazione",
       "A station: the next slot of the station table and its end marker on the grid.",
       {{"position", L, "m", "multiple of 50 (error 8)",
         "station position (its end marker goes in the cell before the area's end)",
         StoreRule::kAsRead, CellRule::kNone, [](const S& s) -> int64_t { return s.position; },
         true},
        InSlot("kind", B, "station kind", [](const S& s) -> int64_t { return s.kind; }),
        {"length", L, "m", "multiple of 100 (error 9)", "start and end of the station area"},
        InSlot("byte_1", B, "byte_1", [](const S& s) -> int64_t { return s.byte_1; }),
        InSlot("byte_5", B, "byte_5", [](const S& s) -> int64_t { return s.byte_5; }),
        InSlot("byte_4", B, "byte_4 (not 0: the area ends 50 m later)",
               [](const S& s) -> int64_t { return s.byte_4; }),
        InSlot("word_1", I, "word_1", [](const S& s) -> int64_t { return s.word_1; }),
        InSlot("word_2", I, "word_2", [](const S& s) -> int64_t { return s.word_2; }),
        InSlot("byte_2", B, "byte_2", [](const S& s) -> int64_t { return s.byte_2; }),
        InSlot("word_3", I, "word_3", [](const S& s) -> int64_t { return s.word_3; }),
        InSlot("word_4", I, "word_4", [](const S& s) -> int64_t { return s.word_4; }),
        InSlot("word_5", I, "word_5", [](const S& s) -> int64_t { return s.word_5; }),
        InSlot("byte_3", B, "byte_3", [](const S& s) -> int64_t { return s.byte_3; }),
        {"hours", L, "h", "", "time_s (departure time in seconds)"},
        {"minutes", L, "min", "", "time_s"},
        {"seconds", L, "s", "", "time_s"},
        {"name", T, "", "", "name"}},
       "stazione,       0,  8,  400,  1, 0, 1,  4,1,1,  2,1,1,    1,   8, 1, 0, Vastro",
       "Stations must be at least 350 m apart (error 22) and end after the first 100 m (error 24).",
       true},
  };
}

bool TestPasses(const RecordFormat& r, std::string_view field) {
  for (const char* needle : r.contains) {
    if (needle == nullptr) continue;
    bool found = r.ignore_case ? ContainsIgnoringCase(field, needle) : Contains(field, needle);
    if (!found) return false;
  }
  return true;
}

std::string KeywordTestText(const RecordFormat& r) {
  std::string text = "contains \"" + std::string(r.contains[0]) + "\"";
  if (r.contains[1] != nullptr) text += " and \"" + std::string(r.contains[1]) + "\"";
  text += r.ignore_case ? " (any case)" : " (exact case)";
  return text;
}

// Which cell a position field lands in, for the reference's tables.
const char* CellRuleText(CellRule rule) {
  switch (rule) {
    case CellRule::kNone: return "";
    case CellRule::kObject: return " (object cell: position / 50 + 1)";
    case CellRule::kProfile: return " (profile cell: position / 50)";
  }
  return "";
}

void WriteRecord(const RecordFormat& r, std::ostringstream& out) {
  out << "### " << r.name << "\n\n" << r.summary << "\n\n";
  out << "Keyword: " << KeywordTestText(r) << ", for example `" << r.keyword << "`.\n\n";
  out << "| # | Field | Type | Unit | Range | Becomes |\n|---|---|---|---|---|---|\n";
  int n = 1;
  for (const FieldFormat& f : r.fields) {
    out << "| " << n++ << " | " << f.name << " | " << FieldTypeName(f.type) << " | " << f.unit
        << " | " << f.range << " | " << f.becomes << CellRuleText(f.cell) << " |\n";
  }
  out << "\nExample:\n\n    " << r.example << "\n\n";
  if (*r.notes != '\0') out << r.notes << "\n\n";
  if (*DecompileChoice(r.name) != '\0')
    out << "Decompiled as: " << DecompileChoice(r.name) << "\n\n";
}

void WriteFile(ScenarioFile file, std::ostringstream& out) {
  out << "## " << ScenarioFileTitle(file) << "\n\n";
  out << "Section markers (grouping only, no records): ";
  const char* sep = "";
  for (const char* marker : SectionMarkers(file)) {
    out << sep << "`" << marker << "`";
    sep = ", ";
  }
  out << ".\n\n";
  for (RecordPart part : {RecordPart::kHeader, RecordPart::kBody}) {
    bool any = false;
    for (const RecordFormat& r : RecordFormats()) any = any || (r.file == file && r.part == part);
    if (!any) continue;
    if (file == ScenarioFile::kLine) {
      out << (part == RecordPart::kHeader
                  ? "Header records (after `[generale]`, up to the next section marker):\n\n"
                  : "Body records (after the header, in any order):\n\n");
    }
    for (const RecordFormat& r : RecordFormats()) {
      if (r.file == file && r.part == part) WriteRecord(r, out);
    }
  }
}

}  // namespace

const char* ScenarioFileTitle(ScenarioFile file) {
  return file == ScenarioFile::kLine ? "line description" : "train and service file";
}

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::kLong: return "whole number (32-bit)";
    case FieldType::kInteger: return "whole number (16-bit)";
    case FieldType::kByte: return "whole number (0 to 255)";
    case FieldType::kText: return "text";
  }
  return "";
}

const std::vector<RecordFormat>& RecordFormats() {
  static const std::vector<RecordFormat> formats = [] {
    std::vector<RecordFormat> all = LineRecords();
    for (RecordFormat& r : TrainRecords()) all.push_back(std::move(r));
    return all;
  }();
  return formats;
}

const std::vector<const RecordFormat*>& RecordsOf(ScenarioFile file, RecordPart part) {
  auto of = [](ScenarioFile f, RecordPart p) {
    std::vector<const RecordFormat*> records;
    for (const RecordFormat& r : RecordFormats()) {
      if (r.file == f && r.part == p) records.push_back(&r);
    }
    return records;
  };
  static const auto line_header = of(ScenarioFile::kLine, RecordPart::kHeader);
  static const auto line_body = of(ScenarioFile::kLine, RecordPart::kBody);
  static const auto train = of(ScenarioFile::kTrain, RecordPart::kBody);
  static const auto train_header = of(ScenarioFile::kTrain, RecordPart::kHeader);
  if (file == ScenarioFile::kTrain) return part == RecordPart::kHeader ? train_header : train;
  return part == RecordPart::kHeader ? line_header : line_body;
}

std::vector<const RecordFormat*> MatchRecords(ScenarioFile file, RecordPart part,
                                              std::string_view field) {
  std::vector<const RecordFormat*> matches;
  for (const RecordFormat& r : RecordFormats()) {
    if (r.file == file && r.part == part && TestPasses(r, field)) matches.push_back(&r);
  }
  return matches;
}

const RecordFormat& RecordNamed(std::string_view name) {
  for (const RecordFormat& r : RecordFormats()) {
    if (name == r.name) return r;
  }
  return RecordFormats().front();
}

const char* RecordSection(const RecordFormat& record) {
  static const std::pair<const char*, const char*> kSections[] = {
      {"curve", "[curve]"},
      {"gradient", "[pendenze]"},
      {"mountain", "[montagne]"},
      {"maximum-speed board", "[cartelli]"},
      {"sign", "[indicazioni]"},
      {"adhesion", "[aderenze]"},
      {"speed", "[vel_limite]"},
      {"station", "[stazioni]"},
      {"slowdown", "[rallentamenti]"},
      {"signal", "[segnali]"},
      {"abbattimento", "[abbattimenti]"},
  };
  for (const auto& [name, section] : kSections) {
    if (std::string_view(record.name) == name) return section;
  }
  return SectionMarkers(record.file).front();
}

const std::vector<const char*>& SectionMarkers(ScenarioFile file) {
  static const std::vector<const char*> line = {
      "[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]", "[indicazioni]", "[fine]"};
  static const std::vector<const char*> train = {"[generale]", "[aderenze]",      "[vel_limite]",
                                                 "[stazioni]", "[rallentamenti]", "[segnali]",
                                                 "[codici]",   "[fine]"};
  return file == ScenarioFile::kLine ? line : train;
}

std::optional<StoredValue> StoreFieldValue(const FieldFormat& field, std::string_view written) {
  int64_t v = 0;
  if (field.type == FieldType::kText || !ParseNumberField(written, &v)) return std::nullopt;
  const bool fits = field.type == FieldType::kLong      ? FitsLong(v)
                    : field.type == FieldType::kInteger ? v >= INT16_MIN && v <= INT16_MAX
                                                        : v >= 0 && v <= UINT8_MAX;
  if (!fits) return std::nullopt;
  StoredValue s;
  s.read = v;
  const std::string unit = *field.unit != '\0' ? std::string(" ") + field.unit : "";
  switch (field.store) {
    case StoreRule::kAsRead:
      s.stored = v;
      s.text = std::to_string(v) + unit;
      break;
    case StoreRule::kSpeedCode: {
      const int64_t code = SpeedCodeOf(v);
      if (code < 0 || code > UINT8_MAX) return std::nullopt;
      s.stored = code;
      s.text = std::to_string(SpeedOfCode(code)) + unit + " (code " + std::to_string(code) + ")";
      s.changed = SpeedOfCode(code) != v;
      break;
    }
    case StoreRule::kLow8:
      s.stored = Low8(v);
      s.text = std::to_string(s.stored);
      s.changed = s.stored != v;
      break;
    case StoreRule::kLow16:
      s.stored = Wrap16(v);
      s.text = std::to_string(s.stored);
      s.changed = s.stored != v;
      break;
    case StoreRule::kGradient:
      s.stored = Low8(GradientCodeOf(v));
      s.text = "code " + std::to_string(s.stored);
      s.changed = s.stored != GradientCodeOf(v);
      break;
  }
  return s;
}

std::string DescribeFieldValue(const FieldFormat& field, const std::string& written) {
  if (field.type == FieldType::kText) return "\"" + written + "\"";
  std::optional<StoredValue> stored = StoreFieldValue(field, written);
  if (!stored) return "\"" + written + "\" (cannot be read: error 25)";
  const std::string unit = *field.unit != '\0' ? std::string(" ") + field.unit : "";
  std::string text = std::to_string(stored->read) + unit;
  if (written != std::to_string(stored->read)) text = written + " (read as " + text + ")";
  if (stored->changed) text += " -> stored as " + stored->text;
  if (field.cell != CellRule::kNone)
    text += ", grid cell " + std::to_string(CellByRule(field.cell, stored->read));
  return text;
}

std::string FormatReferenceMarkdown() {
  std::ostringstream out;
  out << "# Scenario file format\n\n"
         "<!-- Generated from src/compiler/record_format.cc by `scenario-compiler explain "
         "--reference`; do not edit. -->\n\n"
         "A scenario is two text files in one folder: the line description `<line>_linea.txt` and "
         "the "
         "train and service file `<line>_<train>-.txt`. Both are Windows-1252 text with CR LF line "
         "ends.\n\n"
         "How a file is read:\n\n"
         "- Everything before the first field containing `[generale]` (any case) is ignored: write "
         "comments "
         "there.\n"
         "- The file is read field by field. A record is recognised by its first field, the "
         "keyword, "
         "containing certain words; one keyword may match several records, and each is read.\n"
         "- A field containing `-` is skipped (up to 10 in a row in the line description's header, "
         "2 "
         "elsewhere).\n"
         "- Leading blanks are skipped. A text field ends at a comma or the line's end (trailing "
         "blanks "
         "dropped), or runs between double quotes. A number ends at a blank, a comma or the line's "
         "end; an "
         "empty number is 0, a fraction is rounded half to even, anything else fails the compile "
         "(error "
         "25).\n"
         "- A record reads exactly its fields: missing ones are taken from the next line, extra "
         "ones are read "
         "as further keyword fields and ignored.\n"
         "- The last field of a file is never processed: end each file with a line such as "
         "`[fine]`.\n"
         "- Positions are metres from the start of the route; the track grid has one cell per 50 "
         "m. "
         "An object (signal, slowdown, maximum-speed board, sign) stands in its object cell, "
         "position / 50 + 1; a profile value (speed, gradient, adhesion), a mountain range's "
         "first cell and an abbattimento take the profile cell, position / 50 (both rounded "
         "half to even). Each position field below says which. A position whose 100 m beyond "
         "lies past the grid ends the reading (error 15).\n\n";
  WriteFile(ScenarioFile::kLine, out);
  WriteFile(ScenarioFile::kTrain, out);
  out << SilentPathsMarkdown();
  return out.str();
}

}  // namespace sc
