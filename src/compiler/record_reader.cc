#include "compiler/record_reader.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "model/encoders.h"
#include "model/rounding.h"
#include "model/track_grid.h"
#include "platform/edit_distance.h"
#include "platform/text_1252.h"

namespace sc {
namespace {

// Suggest a keyword at most this many edits away.
constexpr size_t kSuggestDistance = 2;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Fold(c);
  return out;
}

bool Takes(std::string_view field, const KeywordTest& test, bool ignore_case) {
  for (const char* word : test.words) {
    if (word == nullptr) continue;
    if (ignore_case ? !ContainsIgnoringCase(field, word) : !Contains(field, word)) return false;
  }
  return true;
}

bool IsSectionMarker(std::string_view field) {
  return Contains(field, "[") && Contains(field, "]");
}

std::string Quoted(std::string_view s) { return "'" + std::string(s.substr(0, 60)) + "'"; }

}  // namespace

KeywordTests TableKeywordTests(ScenarioFile file, RecordPart part) {
  auto build = [](ScenarioFile f, RecordPart p) {
    std::vector<KeywordTest> tests;
    for (const RecordFormat* r : RecordsOf(f, p)) {
      tests.push_back({r->suggestion ? r->suggestion : r->keyword,
                       {r->contains[0], r->contains[1]},
                       r->ignore_case,
                       r->once,
                       r->keyword_reads,
                       r->name});
    }
    return tests;
  };
  static const std::vector<KeywordTest> line_header =
      build(ScenarioFile::kLine, RecordPart::kHeader);
  static const std::vector<KeywordTest> line_body = build(ScenarioFile::kLine, RecordPart::kBody);
  static const std::vector<KeywordTest> train = build(ScenarioFile::kTrain, RecordPart::kBody);
  if (file == ScenarioFile::kTrain) return train;
  return part == RecordPart::kHeader ? line_header : line_body;
}

uint32_t MatchKeyword(std::string_view field, KeywordTests tests) {
  uint32_t matched = 0;
  for (size_t i = 0; i < tests.size(); ++i) {
    if (Takes(field, tests[i], tests[i].ignore_case)) matched |= 1u << i;
  }
  return matched;
}

std::string UnknownKeywordMessage(std::string_view field, KeywordTests tests) {
  std::string message = Quoted(field) + " is not a record keyword; it is skipped";
  const std::string suggestion = SuggestKeyword(field, tests);
  if (!suggestion.empty()) message += "; did you mean " + Quoted(suggestion) + "?";
  return message;
}

namespace {

bool IsWordByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || b == '_' ||
         b >= 0x80;
}

// Words longer than this beside a keyword are taken as words of the author's
// language rather than part of the keyword ("4", "d2" are meant as written).
constexpr size_t kMeantWordLength = 2;

// The characters the records `matched` take from anywhere in `field`.
std::string ReadsOf(std::string_view field, uint32_t matched, KeywordTests tests) {
  const std::string folded = Folded(field);
  std::string taken;
  for (size_t i = 0; i < tests.size(); ++i) {
    if (!Has(matched, static_cast<int>(i))) continue;
    for (const char* c = tests[i].reads; *c; ++c) {
      if (folded.find(Fold(*c)) != std::string::npos && taken.find(*c) == std::string::npos) {
        taken += *c;
      }
    }
  }
  return taken;
}

// The spans of `field` that are words beside the keywords of `matched`:
// a word holding no keyword, or what a word holding one has around it,
// when longer than kMeantWordLength.
std::vector<std::pair<size_t, size_t>> ExtraWords(std::string_view field, uint32_t matched,
                                                  KeywordTests tests) {
  const std::string folded = Folded(field);
  std::vector<std::pair<size_t, size_t>> extra;
  size_t at = 0;
  while (at < field.size()) {
    if (!IsWordByte(field[at])) {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < field.size() && IsWordByte(field[end])) ++end;
    std::vector<bool> keyword(end - at, false);
    for (size_t i = 0; i < tests.size(); ++i) {
      if (!Has(matched, static_cast<int>(i))) continue;
      for (const char* word : tests[i].words) {
        if (word == nullptr) continue;
        const std::string w = Folded(word);
        for (size_t k = folded.find(w, at); k != std::string::npos && k + w.size() <= end;
             k = folded.find(w, k + 1)) {
          std::fill(keyword.begin() + static_cast<std::ptrdiff_t>(k - at),
                    keyword.begin() + static_cast<std::ptrdiff_t>(k - at + w.size()), true);
        }
      }
    }
    for (size_t k = 0; k < keyword.size();) {
      size_t run = k;
      while (run < keyword.size() && !keyword[run]) ++run;
      if (run - k > kMeantWordLength) extra.push_back({at + k, at + run});
      k = run + 1;
    }
    at = end;
  }
  return extra;
}

std::string Blanked(std::string_view field, std::pair<size_t, size_t> span) {
  std::string out(field);
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(span.first),
            out.begin() + static_cast<std::ptrdiff_t>(span.second), ' ');
  return out;
}

std::string RecordsNamed(uint32_t matched, KeywordTests tests) {
  std::string names;
  for (size_t i = 0; i < tests.size(); ++i) {
    if (Has(matched, static_cast<int>(i))) {
      names += std::string(names.empty() ? "the " : " and the ") + tests[i].record;
    }
  }
  return names + " record";
}

}  // namespace

std::string KeywordTextMessage(std::string_view field, uint32_t matched, KeywordTests tests) {
  if (matched == 0) return "";
  const size_t first = field.find_first_not_of(" \t");
  if (first != std::string_view::npos && !IsWordByte(field[first]) && field[first] != '[') {
    return Quoted(field) + " starts with '" + std::string(1, field[first]) +
           "', but the format has no comments: it is read as " + RecordsNamed(matched, tests) +
           "; delete the line to leave the record out";
  }
  const std::string reads = ReadsOf(field, matched, tests);
  for (const auto& span : ExtraWords(field, matched, tests)) {
    const std::string without = Blanked(field, span);
    const std::string word(field.substr(span.first, span.second - span.first));
    const std::string reads_without = ReadsOf(without, matched, tests);
    if (reads_without == reads) continue;
    std::string taken;
    for (char c : reads) {
      if (reads_without.find(c) == std::string::npos)
        taken += (taken.empty() ? "'" : ", '") + std::string(1, c) + "'";
    }
    return "the word " + Quoted(word) + " beside the keyword in " + Quoted(field) + " holds " +
           taken + ", which " + RecordsNamed(matched, tests) +
           " takes from anywhere in its keyword; write the keyword alone";
  }
  return "";
}

std::vector<Utf8Sequence> Utf8SequencesIn(std::string_view text) {
  std::vector<Utf8Sequence> found;
  auto at = [&text](size_t i) { return static_cast<uint8_t>(text[i]); };
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t lead = at(i);
    size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) continue;
    uint32_t code = lead & (0x7F >> length);
    bool well_formed = true;
    for (size_t k = 1; k < length && well_formed; ++k) {
      well_formed = (at(i + k) & 0xC0) == 0x80;
      code = (code << 6) | (at(i + k) & 0x3F);
    }
    // No overlong form, no surrogate, nothing beyond U+10FFFF.
    const uint32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (!well_formed || code < least || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
      continue;
    }
    found.push_back({i, length, code});
    i += length - 1;
  }
  return found;
}

std::string Utf8Message(std::string_view text, const Utf8Sequence& sequence) {
  const std::string_view bytes = text.substr(sequence.offset, sequence.length);
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(sequence.code_point));
  std::string meant;
  std::string offender;
  const bool has_byte = Cp1252FromUtf8(bytes, &meant, &offender) == Cp1252Conversion::kConverted;
  std::string message = "the bytes '" + std::string(bytes) + "' are the UTF-8 form of " + hex;
  message += has_byte ? " ('" + meant + "')" : ", which Windows-1252 has no byte for";
  message += "; this file is read as Windows-1252, so they are stored as " +
             std::to_string(sequence.length) + " characters";
  message += has_byte ? "; save the file as Windows-1252" : "; write the text without it";
  return message;
}

std::string SuggestKeyword(std::string_view field, KeywordTests tests) {
  for (const KeywordTest& test : tests) {
    if (!test.ignore_case && Takes(field, test, true)) return test.keyword;
  }
  const std::string folded = Folded(field);
  std::string best;
  size_t best_distance = kSuggestDistance + 1;
  for (const KeywordTest& test : tests) {
    const size_t d = EditDistance(folded, test.keyword, kSuggestDistance);
    if (d < best_distance) {
      best_distance = d;
      best = test.keyword;
    }
  }
  return best;
}

bool RecordReader::NextKeyword(int dash_skips, bool end_in_skips, KeywordTests tests,
                               std::string* field) {
  if (in_.AtEnd()) return false;
  *field = in_.ReadText();
  bool at_end = in_.AtEnd();
  for (int i = 0; !at_end && i < dash_skips && Contains(*field, "-"); ++i) {
    WarnDashSkipped(*field, tests);
    *field = in_.ReadText();
    at_end = end_in_skips && in_.AtEnd();
  }
  keyword_.line = in_.line();
  keyword_.column = in_.column();
  keyword_.end_column = in_.end_column();
  fields_record_ = nullptr;
  keyword_field_count_ = in_.fields_read();
  if (at_end) {
    if (sink_.wants(WarningClass::kLastField) && MatchKeyword(*field, tests) != 0) {
      sink_.Warn(WarningClass::kLastField, keyword_,
                 Quoted(*field) +
                     " is the last field of the file: it is read but never processed; "
                     "end the file with a line after it (for example \"[fine]\")");
    }
    return false;
  }
  if (recorder_)
    recorder_->Begin(name_, keyword_.line, *field, keyword_.column, keyword_.end_column);
  return true;
}

void RecordReader::CheckRecord(const std::string& field, uint32_t matched, KeywordTests tests,
                               Flow flow) {
  if (!sink_.on()) return;
  if (matched == 0) {
    WarnUnknown(field, tests);
    return;
  }
  if ((matched & (matched - 1)) != 0 && sink_.wants(WarningClass::kAmbiguousKeyword)) {
    std::string names;
    for (size_t i = 0; i < tests.size(); ++i) {
      if (matched & (1u << i)) names += (names.empty() ? "" : ", ") + Quoted(tests[i].keyword);
    }
    sink_.Warn(WarningClass::kAmbiguousKeyword, keyword_,
               Quoted(field) + " is taken by several records (" + names +
                   "): each reads its own fields, in that order");
  }
  WarnRepeat(field, matched, tests);
  if (sink_.wants(WarningClass::kKeywordText)) {
    const std::string message = KeywordTextMessage(field, matched, tests);
    if (!message.empty()) sink_.Warn(WarningClass::kKeywordText, keyword_, message);
  }
  if (flow != Flow::kNext || in_.fields_read() == keyword_field_count_) return;
  const SourcePlace last = in_.place();
  if (last.line > keyword_.line && sink_.wants(WarningClass::kShortLine)) {
    Diagnostic* d =
        sink_.Warn(WarningClass::kShortLine, keyword_,
                   "the " + Quoted(field) + " record has too few fields on its line: it read " +
                       std::to_string(in_.fields_read() - keyword_field_count_) +
                       " fields, the last of them on line " + std::to_string(last.line));
    if (d) d->notes.push_back({last, "the record's last field was read here"});
    last_warned_line_ = last.line;
  } else if (const int column = in_.NextColumnOnLine(); column != 0) {
    SourcePlace rest{name_, last.line, column, 0};
    std::string why = in_.last_was_text()
                          ? "; a comma ends a text field, so a sign text or station name with a "
                            "comma is cut there"
                          : "";
    sink_.Warn(WarningClass::kExtraFields, rest,
               "fields left on the line after the " + Quoted(field) +
                   " record: they are read as further fields" + why);
    last_warned_line_ = last.line;
  }
}

void RecordReader::WarnDashSkipped(const std::string& field, KeywordTests tests) {
  const uint32_t matched = MatchKeyword(field, tests);
  if (matched == 0 || !sink_.wants(WarningClass::kUnknownKeyword)) return;
  size_t first = 0;
  while (!(matched & (1u << first))) ++first;
  sink_.Warn(WarningClass::kUnknownKeyword, in_.place(),
             Quoted(field) + " holds a '-', so it is skipped and not read as the " +
                 Quoted(tests[first].keyword) + " record; remove the '-'");
}

void RecordReader::WarnUnknown(const std::string& field, KeywordTests tests) {
  if (field.empty() || IsSectionMarker(field) || Contains(field, "-")) return;
  if (keyword_.line == last_warned_line_ || !sink_.wants(WarningClass::kUnknownKeyword)) return;
  last_warned_line_ = keyword_.line;
  sink_.Warn(WarningClass::kUnknownKeyword, keyword_, UnknownKeywordMessage(field, tests));
}

void RecordReader::WarnUtf8(const std::string& text) {
  if (!sink_.wants(WarningClass::kEncoding)) return;
  const SourcePlace field = in_.place();
  const int first = field.column + (in_.last_was_quoted() ? 1 : 0);
  for (const Utf8Sequence& s : Utf8SequencesIn(text)) {
    const int column = first + static_cast<int>(s.offset);
    sink_.Warn(WarningClass::kEncoding,
               {field.file, field.line, column, column + static_cast<int>(s.length)},
               Utf8Message(text, s));
  }
}

void RecordReader::WarnRepeat(const std::string& field, uint32_t matched, KeywordTests tests) {
  once_seen_.resize(tests.size());
  for (size_t i = 0; i < tests.size(); ++i) {
    if (!(matched & (1u << i)) || !tests[i].once) continue;
    if (once_seen_[i].line == 0) {
      once_seen_[i] = keyword_;
      continue;
    }
    Diagnostic* d = sink_.Warn(WarningClass::kHeaderRepeat, keyword_,
                               Quoted(field) + " is given again: this later value wins");
    if (d) d->notes.push_back({once_seen_[i], "given first here"});
  }
}

namespace {

// The place of the keyword of the record that placed `object`.
SourcePlace PlaceOf(const Provenance& recorder, const PlacedObject& object) {
  const SourceRecord& r = recorder.records()[static_cast<size_t>(object.record)];
  return {r.file, r.line, r.column, r.end_column};
}

}  // namespace

void RecordReader::NoteTakenCell(int64_t cell) {
  if (!sink_.on() || !recorder_) return;
  const PlacedObject* p = recorder_->ObjectAt(cell);
  if (!p) return;
  sink_.SetErrorNote(
      state_.error_code,
      {PlaceOf(*recorder_, *p), "cell " + std::to_string(cell) + " was taken here by the " +
                                    p->object + " at " + std::to_string(p->position) + " m"});
}

void RecordReader::WarnOverwrite(int64_t cell, const std::string& object) {
  if (!sink_.wants(WarningClass::kOverwrite) || !c_.grid || !c_.grid->contains(cell)) return;
  const uint8_t kind = c_.grid->at(cell).kind;
  if (kind == kKindFree || kind == kKindMountainMarker) return;
  const PlacedObject* p = recorder_ ? recorder_->ObjectAt(cell) : nullptr;
  const std::string what = p ? "the " + p->object + " at " + std::to_string(p->position) + " m"
                             : "the object of kind " + std::to_string(kind);
  Diagnostic* d = sink_.Warn(WarningClass::kOverwrite, FieldPlace("position"),
                             "the " + object + " overwrites " + what + " in cell " +
                                 std::to_string(cell) + " without a check; that object is lost");
  if (d && p) {
    d->notes.push_back(
        {PlaceOf(*recorder_, *p), "the overwritten " + p->object + " was placed here"});
  }
}

Flow RecordReader::Placed(const Encoded& result, const char* object, int32_t position, int line) {
  if (result.code == kErrReadFailure) in_.Fail("a value overflows while placing the record");
  Flow flow = Flow::kNext;
  if (result.code != kErrNone) {
    StopAt(result.code, position, line);
    // The note names what stood there before this record wrote anything.
    if (result.taken_cell >= 0) NoteTakenCell(result.taken_cell);
    flow = Flow::kStop;
  }
  RecordWrites(result.written, object, position);
  return flow;
}

void RecordReader::RecordWrites(const CellRuns& written, const char* object, int32_t position) {
  if (!recorder_) return;
  recorder_->Placing(object, position);
  for (size_t i = 0; i < written.size(); ++i) recorder_->Wrote(written[i]);
}

void RecordReader::RecordFill(int record, CellPart part, int64_t first, int64_t end) {
  if (!recorder_) return;
  for (int64_t cell = first; cell < end; ++cell) recorder_->WroteBy(record, cell, part);
}

void RecordReader::RecordSlot(int slot) {
  if (recorder_) recorder_->WroteSlot(slot);
}

int RecordReader::CurrentRecord() const { return recorder_ ? recorder_->current() : kNoRecord; }

void RecordReader::StartRecording() {
  if (recorder_ == &c_.writers_for_notes) c_.writers_for_notes = Provenance();
}

void RecordReader::Stop(ErrorCode code, int line) { StopOn(code, line, keyword_); }

void RecordReader::StopOn(ErrorCode code, int line, const SourcePlace& place) {
  const bool known = line == place.line;
  state_.FailAt(code, name_, line, known ? place.column : 0, known ? place.end_column : 0);
}

void RecordReader::StopOnField(ErrorCode code, int line, std::string_view field) {
  StopOn(code, line, FieldPlace(field));
}

void RecordReader::StopAt(ErrorCode code, int32_t position, int line, std::string_view field) {
  // By default the record's first field, its position.
  StopOnField(code, line, !field.empty() ? field : FirstFieldName());
  state_.error_position = position;
}

TrackGrid& RecordReader::Grid() {
  if (!c_.grid) in_.Fail(std::string("a record needs the track grid, but ") + grid_missing_);
  return *c_.grid;
}

bool RecordReader::InRange(int32_t position, int32_t margin, int line) {
  const TrackGrid& grid = Grid();
  const int64_t reach = int64_t{position} + margin;
  if (!FitsLong(reach)) in_.Fail("the position " + std::to_string(position) + " is out of range");
  if (CellsIn(reach) > grid.upper()) {
    StopAt(kErrBeyondGrid, position, line);
    return false;
  }
  return true;
}

void RecordReader::ReadFields(const RecordFormat& record, size_t first, size_t last,
                              int32_t* values, std::string* text,
                              const std::function<void(size_t, int32_t)>& store) {
  for (size_t i = first; i < last; ++i) {
    int32_t& value = values[i - first];
    switch (record.fields[i].type) {
      case FieldType::kLong: value = in_.ReadLong(); break;
      case FieldType::kInteger: value = in_.ReadInteger(); break;
      case FieldType::kByte: value = in_.ReadByte(); break;
      case FieldType::kText:
        value = 0;
        if (text) {
          *text = in_.ReadText();
          WarnUtf8(*text);
        } else {
          WarnUtf8(in_.ReadText());
        }
        break;
    }
    if (sink_.on()) {
      if (fields_record_ != &record) {
        fields_record_ = &record;
        field_places_.assign(record.fields.size(), FieldColumns{});
      }
      field_places_[i] = {in_.line(), in_.column(), in_.end_column()};
    }
    if (store) store(i - first, value);
  }
}

std::string_view RecordReader::FirstFieldName() const {
  return fields_record_ && !fields_record_->fields.empty() ? fields_record_->fields[0].name : "";
}

SourcePlace RecordReader::FieldPlace(std::string_view name) const {
  if (fields_record_) {
    for (size_t i = 0; i < fields_record_->fields.size(); ++i) {
      const FieldColumns& f = field_places_[i];
      if (fields_record_->fields[i].name == name && f.line != 0)
        return {name_, f.line, f.column, f.end_column};
    }
  }
  return keyword_;
}

SourcePlace RecordReader::FieldsPlace(std::string_view first, std::string_view last) const {
  SourcePlace from = FieldPlace(first);
  const SourcePlace to = FieldPlace(last);
  if (from.line == to.line && from.end_column != 0 && to.end_column > from.column) {
    from.end_column = to.end_column;
  }
  return from;
}

bool RecordReader::ReadProfilePoint(const RecordFormat& record, int line, int32_t* value,
                                    int64_t* cell) {
  int32_t v[2];
  ReadAll(record, v);
  const int32_t position = v[0];
  *value = v[1];
  if (!InRange(position, kRangeMargin, line)) return false;
  *cell = ProfileCellOf(position);
  return true;
}

}  // namespace sc
