#include "compiler/silent_paths.h"

#include <sstream>

namespace sc {
namespace {

constexpr WarningClass kUnknown = WarningClass::kUnknownKeyword;
constexpr WarningClass kShort = WarningClass::kShortLine;
constexpr WarningClass kExtra = WarningClass::kExtraFields;
constexpr WarningClass kAmbiguous = WarningClass::kAmbiguousKeyword;
constexpr WarningClass kFraction = WarningClass::kFraction;
constexpr WarningClass kStored = WarningClass::kStoredValue;
constexpr WarningClass kOffGrid = WarningClass::kOffGrid;
constexpr WarningClass kOverwrite = WarningClass::kOverwrite;
constexpr WarningClass kLast = WarningClass::kLastField;
constexpr WarningClass kRepeat = WarningClass::kHeaderRepeat;
constexpr WarningClass kOrder = WarningClass::kOutOfOrder;
constexpr WarningClass kNoEffect = WarningClass::kNoEffect;
constexpr WarningClass kKeywordText = WarningClass::kKeywordText;
constexpr WarningClass kOpenQuote = WarningClass::kOpenQuote;
constexpr WarningClass kEncoding = WarningClass::kEncoding;
constexpr std::nullopt_t kRule = std::nullopt;

std::vector<SilentPath> MakeList() {
  return {
      // Reading fields and keywords, both files.
      {"preamble", "any field", "line_reader.cc FindHeader, train_reader.cc FindGeneral",
       "every field before the first one holding [generale] is ignored", kRule,
       "the place for comments; the built-in scenario writes its notes there"},
      {"dash-skipped", "any keyword field", "record_reader.cc NextKeyword",
       "a keyword field holding a dash is skipped (up to 10 in a row in the header, 2 in a body); "
       "told when a record's keyword test takes it",
       kUnknown, ""},
      {"unknown-keyword", "any keyword field", "record_reader.cc WarnUnknown",
       "a field no record test takes is skipped", kUnknown, ""},
      {"section-marker", "any keyword field", "record_reader.cc WarnUnknown",
       "a bracketed section marker other than [generale] and the header's end is skipped", kRule,
       "section markers only group records for the reader of the file"},
      {"ambiguous-keyword", "any keyword field", "record_reader.cc CheckRecord",
       "a field that several record tests take is read by each of them in turn", kAmbiguous, ""},
      {"short-line", "any record", "record_reader.cc CheckRecord",
       "a record short of fields on its line takes the rest from the next line", kShort, ""},
      {"extra-fields", "any record", "record_reader.cc CheckRecord",
       "fields left on a record's line are read as further keyword fields", kExtra, ""},
      {"keyword-words", "any keyword field", "record_reader.cc KeywordTextMessage",
       "a word beside the keyword is read with it: an s or a digit in it (\"curva destra\") "
       "changes the curve's side or radius, a 4 or 9 the repetition's codes",
       kKeywordText, ""},
      {"comment-mark", "any keyword field", "record_reader.cc KeywordTextMessage",
       "a mark before the keyword (\"# curvad2\") comments nothing out: the record is read",
       kKeywordText, ""},
      {"open-quote", "any text field", "field_reader.cc ReadText",
       "a quote not closed on its line runs on to the next quote, taking the records in between "
       "into the text",
       kOpenQuote, ""},
      {"utf8-text", "any text field", "record_reader.cc WarnUtf8",
       "a character typed in UTF-8 is stored as its two to four bytes read as Windows-1252",
       kEncoding, ""},
      {"fraction", "any number field", "field_reader.cc ReadNumber",
       "a number with a fraction is rounded half to even", kFraction, ""},
      {"empty-number", "any number field", "field_reader.cc ReadNumber",
       "an empty number field (two commas in a row, a comma at the line's end) reads as 0", kStored,
       ""},
      {"last-field", "any record", "record_reader.cc NextKeyword",
       "the file's last field is read but never processed", kLast, ""},
      {"no-general-train", "train and service file", "train_reader.cc FindGeneral",
       "a train and service file without [generale] is read to its end and nothing in it is used",
       kNoEffect, ""},
      // Line description header.
      {"header-repeat", "header records", "record_reader.cc WarnRepeat",
       "a header record given again replaces the earlier value", kRepeat, ""},
      {"repetition-both-counts", "signal repetition", "line_reader.cc Repetition",
       "a keyword holding both 4 and 9 stores 4 codes", kAmbiguous, ""},
      {"repetition-zero", "signal repetition", "line_reader.cc Repetition",
       "a last metre of 0 stores 0 codes", kRule, "no stretch, no codes: the format's own rule"},
      {"km-order", "kilometre references", "station_table.cc ProgressiveOrdina",
       "the three references are reordered by their first values", kRule,
       "the format orders them by their first values; the record's notes say so"},
      {"km-zeroed", "kilometre references", "line_reader.cc PrepareBody",
       "references with no strictly largest first value (or, all first values 0, no positive "
       "second value) are all stored as 0",
       kStored, ""},
      {"km-plus-100", "kilometre references", "station_table.cc ProgressiveOrdina",
       "a reference whose third value is 1 stores its second value plus 100", kRule,
       "the format's own rule, listed in the record's notes"},
      // Line description body.
      {"profile-start", "gradient, speed, adhesion",
       "line_reader.cc Gradient, train_reader.cc "
       "Velocity, Adhesion",
       "the cells before a profile's first record hold 0", kRule,
       "the profile's value before its first record; the built-in line description has no "
       "gradient record, so its gradient is 0 throughout"},
      {"gradient-behind", "gradient", "line_reader.cc Gradient",
       "a gradient whose cell is not beyond where the profile stands fills one cell with the "
       "previous gradient, and its own value starts after that cell",
       kOrder, ""},
      {"gradient-code", "gradient", "line_reader.cc Gradient",
       "a gradient outside -100 to 155 is stored as the low 8 bits of its code", kStored, ""},
      {"curve-behind", "curve", "line_reader.cc Curve",
       "a curve starting behind the end of the route plan drawn so far turns from there on", kOrder,
       ""},
      {"curve-not-positive", "curve", "line_reader.cc Curve",
       "a curve whose length is 0 or negative turns no metre", kNoEffect, ""},
      {"curve-digits", "curve", "line_reader.cc Curve",
       "a curve keyword holding several radius digits takes the lowest of 1 to 6", kAmbiguous, ""},
      {"curve-right", "curve", "line_reader.cc Curve", "a curve keyword without an s turns right",
       kRule, "d (right) is the writer's convention; the reader only looks for s"},
      {"curve-no-plan", "curve", "line_reader.cc BodyRecord",
       "without the route plan (--no-plan) a curve's numbers are skipped", kRule,
       "the plan is not built, so there is nothing to draw"},
      {"mountain-empty", "mountain", "encoders.cc MemoMontagna",
       "a range whose last cell lies before its first marks no cell", kNoEffect, ""},
      {"mountain-joined", "mountain", "encoders.cc MemoMontagna",
       "a range starting 150 m or less after the previous one's end takes type 3", kRule,
       "the built-in scenario joins its ranges so on purpose"},
      {"mountain-off-grid", "mountain", "line_reader.cc CheckMountain",
       "the cells of a range beyond the grid are left out", kOffGrid, ""},
      {"mountain-type", "mountain", "line_reader.cc CheckMountain",
       "a type that does not fit a byte is stored as its low 8 bits", kStored, ""},
      {"tunnel-marker", "mountain", "encoders.cc MemoMontagna",
       "a tunnel range marks every 4th free cell (kind 11); taken cells keep their object", kRule,
       "the marker never displaces an object and counts as free"},
      {"board-packing", "maximum-speed board", "line_reader.cc WarnBoardStored",
       "packed speeds are rounded and cut to 16 bits, the stripes cut to 16 bits", kStored, ""},
      // Train and service file.
      {"speed-behind", "speed", "train_reader.cc Velocity",
       "a speed whose cell is not beyond where the profile stands fills one cell with the previous "
       "speed, and its own value starts after that cell",
       kOrder, ""},
      {"speed-code", "speed", "train_reader.cc WarnSpeedStored",
       "a speed that is not a multiple of 5 km/h is stored to the nearest 5 km/h", kStored, ""},
      {"adhesion-behind", "adhesion", "train_reader.cc Adhesion",
       "an adhesion whose cell is not beyond where the profile stands fills one cell with the "
       "previous value, and its own value starts after that cell",
       kOrder, ""},
      {"adhesion-byte", "adhesion", "train_reader.cc Adhesion",
       "an adhesion outside 0 to 255 is stored as its low 8 bits", kStored, ""},
      {"signal-packing", "signal", "train_reader.cc WarnSignalStored",
       "packed aspects wrap to 16 bits, countdown marks and the time to 8 bits", kStored, ""},
      {"signal-time-raised", "signal", "encoders.cc MemoSegnale",
       "a time of 1 to 100 is stored as 101 (when sx is 2)", kStored, ""},
      {"signal-time-unused", "signal", "encoders.cc MemoSegnale",
       "the time is stored only when sx is 2; otherwise the timing byte is 0", kRule,
       "the built-in scenario's signal at 32250 m gives a time with sx 1"},
      {"signal-countdown-off-grid", "signal", "train_reader.cc Signal",
       "countdown marks before cell 0 are left out", kOffGrid, ""},
      {"countdown-overwrite", "signal, station", "train_reader.cc Signal, PlaceStationMarks",
       "a countdown mark replaces another record's countdown mark in the same cell", kOverwrite,
       ""},
      {"slowdown-no-warning", "slowdown", "encoders.cc MemoRallentamento",
       "a slowdown starting at 1500 m or less gets no warning board, and no approach boards even "
       "when f_ta is not 0",
       kNoEffect, ""},
      {"slowdown-end-not-after", "slowdown", "train_reader.cc Slowdown",
       "a length that keeps the end in the start's cell (its start marker replaces the end "
       "marker) or puts it before the start (the end comes first)",
       kNoEffect, ""},
      {"slowdown-dv-zero", "slowdown", "encoders.cc MemoRallentamento",
       "a d_v of 0 leaves value_b of its cells as it was", kRule,
       "0 means no second value in the format"},
      {"slowdown-dv-wrap", "slowdown", "train_reader.cc Slowdown",
       "a d_v outside 16 bits is stored as its low 16 bits", kStored, ""},
      {"abbattimento-not-positive", "abbattimento", "encoders.cc EncodeAbbattimento",
       "a negative value makes the cell kind 13 and is not stored", kStored, ""},
      {"abbattimento-wrap", "abbattimento", "encoders.cc EncodeAbbattimento",
       "a value outside 16 bits is stored as its low 16 bits", kStored, ""},
      {"abbattimento-lowered", "abbattimento", "finalisation.cc MarkBeforeSignal",
       "a value above 180 in the cell just before a signal that stands up to 20 cells before a "
       "slowdown warning is lowered to 180",
       kStored, ""},
      {"station-flags", "station", "station_table.cc ComputeStationArea",
       "byte_4 is stored as 0 for kinds 5 to 8 and for the first station; byte_5 as 0 for a "
       "station shorter than 600 m and for the first station",
       kRule,
       "the format gives these flags no meaning there; the built-in scenario's first station "
       "sets byte_4 1"},
      {"station-unmarked-kind", "station", "train_reader.cc StationMarks",
       "a station of kind 25 or above gets no end marker and no countdown marks", kRule,
       "such kinds are no stopping places; the built-in scenario has kinds 25 and 28"},
      {"station-countdown-early", "station", "train_reader.cc StationMarks",
       "countdown marks that would fall in cell 1 or before are left out", kOffGrid, ""},
      {"station-countdown-off-grid", "station", "train_reader.cc StationMarks",
       "countdown marks beyond the grid are left out", kOffGrid, ""},
      {"station-end-overwrite", "station", "train_reader.cc StationMarks",
       "the end marker replaces the object in its cell without a check", kOverwrite, ""},
      // Found by the comparison of each record with what the files hold.
      {"signal-carry", "signal", "written_records.cc CheckSignal",
       "an aspect value of 10 or more (or below 0) carries into its neighbour in the packed "
       "tens (d1 13 with s1 3 is held as s1 4, d1 3; dx 3 as sx one higher)",
       kStored, "", true},
      {"mountain-overlap", "mountain", "written_records.cc CheckMountain",
       "a range placed over an earlier one replaces its type in the cells they share", kOverwrite,
       "", true},
      {"free-marker-cell", "any object", "track_grid.h is_free",
       "an object placed on a tunnel marker (kind 11) replaces it", kRule,
       "kind 11 counts as free by definition"},
  };
}

}  // namespace

const std::vector<SilentPath>& SilentPaths() {
  static const std::vector<SilentPath> list = MakeList();
  return list;
}

std::string SilentPathsMarkdown() {
  std::ostringstream out;
  out << "## What the compiler tells you\n\n"
         "The format forgives almost everything. These are all the places where a file's "
         "content is dropped, moved, cut or replaced without an error, and the warning class "
         "that says so (turn one off with `-Wno-CLASS`). A \"rule\" is what the format itself "
         "defines: no warning is printed, and `explain` shows the value as stored.\n\n"
         "| Record | What happens | Told as |\n|---|---|---|\n";
  for (const SilentPath& p : SilentPaths()) {
    out << "| " << p.record << " | " << p.what << " | ";
    if (p.told) {
      out << "`" << WarningClassName(*p.told) << "`";
    } else {
      out << "rule: " << p.rule;
    }
    out << " |\n";
  }
  out << "\n";
  return out.str();
}

}  // namespace sc
