#include "compiler/record_lines.h"

#include <algorithm>
#include <optional>

#include "compiler/field_reader.h"

namespace sc {
namespace {

constexpr int kHeaderDashSkips = 10;
constexpr int kBodyDashSkips = 2;

// The field reader's rules with the place of every field kept.
class SpanCursor {
 public:
  explicit SpanCursor(std::string_view bytes) : bytes_(bytes) {}

  bool AtEnd() const { return pos_ >= bytes_.size(); }

  FieldSpan ReadText() {
    SkipBlanks();
    FieldSpan span = Begin();
    if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
      size_t close = bytes_.find('"', pos_ + 1);
      if (close == std::string_view::npos) close = bytes_.size();
      span.text.assign(bytes_.substr(pos_ + 1, close - pos_ - 1));
      for (size_t i = pos_; i < close; ++i) {
        if (IsLineEnd(i) &&
            !(bytes_[i] == '\r' && i + 1 < bytes_.size() && bytes_[i + 1] == '\n')) {
          ++line_;
          line_start_ = i + 1;
        }
      }
      pos_ = close < bytes_.size() ? close + 1 : close;
      span.end = span.line == line_ ? Column(pos_) : span.begin + 1;
    } else {
      size_t begin = pos_;
      while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !IsLineEnd(pos_)) ++pos_;
      size_t end = pos_;
      while (end > begin && (bytes_[end - 1] == ' ' || bytes_[end - 1] == '\t')) --end;
      span.text.assign(bytes_.substr(begin, end - begin));
      span.end = Column(end);
    }
    Finish();
    return span;
  }

  FieldSpan ReadNumber() {
    SkipBlanks();
    FieldSpan span = Begin();
    size_t begin = pos_;
    while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !IsBlank(pos_) && !IsLineEnd(pos_))
      ++pos_;
    span.text.assign(bytes_.substr(begin, pos_ - begin));
    span.end = Column(pos_);
    Finish();
    return span;
  }

 private:
  bool IsBlank(size_t at) const {
    return at < bytes_.size() && (bytes_[at] == ' ' || bytes_[at] == '\t');
  }
  bool IsLineEnd(size_t at) const {
    return at < bytes_.size() && (bytes_[at] == '\r' || bytes_[at] == '\n');
  }
  int Column(size_t at) const { return static_cast<int>(at - line_start_); }
  FieldSpan Begin() const {
    FieldSpan span;
    span.line = line_;
    span.begin = span.end = Column(pos_);
    return span;
  }
  void SkipBlanks() {
    while (IsBlank(pos_)) ++pos_;
  }
  void Finish() {
    SkipBlanks();
    if (pos_ < bytes_.size() && bytes_[pos_] == ',') {
      ++pos_;
    } else if (IsLineEnd(pos_)) {
      if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') ++pos_;
      ++pos_;
      ++line_;
      line_start_ = pos_;
    }
  }

  std::string_view bytes_;
  size_t pos_ = 0;
  size_t line_start_ = 0;
  int line_ = 0;
};

bool IsSectionMarker(const std::string& field) {
  return Contains(field, "[") && Contains(field, "]");
}

class Annotator {
 public:
  Annotator(ScenarioFile file, std::string_view bytes) : in_(bytes) { out_.file = file; }

  FileAnnotation Run() {
    if (!FindGeneral()) return std::move(out_);
    if (out_.file == ScenarioFile::kLine && !Header()) return std::move(out_);
    Body();
    return std::move(out_);
  }

 private:
  int Add(FieldSpan span, FieldRole role) {
    out_.fields.push_back(AnnotatedField{std::move(span), role});
    return static_cast<int>(out_.fields.size()) - 1;
  }

  bool FindGeneral() {
    while (!in_.AtEnd()) {
      FieldSpan f = in_.ReadText();
      bool general = ContainsIgnoringCase(f.text, "[generale]");
      if (in_.AtEnd()) {
        Add(std::move(f), FieldRole::kLast);
        return false;
      }
      Add(std::move(f), general ? FieldRole::kSection : FieldRole::kPreamble);
      if (general) return true;
    }
    return false;
  }

  // Reads the next keyword field, skipping dashed ones; -1 at the end.
  int NextKeyword(int dash_skips) {
    if (in_.AtEnd()) return -1;
    FieldSpan f = in_.ReadText();
    for (int i = 0;; ++i) {
      if (in_.AtEnd()) {
        Add(std::move(f), FieldRole::kLast);
        return -1;
      }
      if (i >= dash_skips || !Contains(f.text, "-")) break;
      Add(std::move(f), FieldRole::kDashSkipped);
      f = in_.ReadText();
    }
    return Add(std::move(f), FieldRole::kUnknown);
  }

  // Reads the fields of every record the keyword field matches. False when
  // the walk ends (a read failure).
  bool Records(int keyword, RecordPart part) {
    const std::string text = out_.fields[static_cast<size_t>(keyword)].span.text;
    std::vector<const RecordFormat*> matches = MatchRecords(out_.file, part, text);
    if (matches.empty()) {
      if (IsSectionMarker(text))
        out_.fields[static_cast<size_t>(keyword)].role = FieldRole::kSection;
      return true;
    }
    out_.fields[static_cast<size_t>(keyword)].role = FieldRole::kKeyword;
    for (const RecordFormat* format : matches) {
      if (!ReadRecord(format, keyword)) return false;
    }
    return true;
  }

  bool ReadRecord(const RecordFormat* format, int keyword) {
    AnnotatedRecord record;
    record.format = format;
    record.keyword = keyword;
    const int id = static_cast<int>(out_.records.size());
    if (out_.fields[static_cast<size_t>(keyword)].record < 0)
      out_.fields[static_cast<size_t>(keyword)].record = id;
    for (size_t i = 0; i < format->fields.size(); ++i) {
      const FieldFormat& ff = format->fields[i];
      if (in_.AtEnd()) {
        record.complete = false;
        out_.records.push_back(std::move(record));
        out_.failure = std::string("the file ends inside the ") + format->name +
                       " record, where its " + ff.name + " was expected";
        return false;
      }
      FieldSpan span = ff.type == FieldType::kText ? in_.ReadText() : in_.ReadNumber();
      const int index = Add(span, FieldRole::kValue);
      out_.fields[static_cast<size_t>(index)].record = id;
      out_.fields[static_cast<size_t>(index)].field_index = static_cast<int>(i);
      record.values.push_back(index);
      if (ff.type != FieldType::kText && !StoreFieldValue(ff, span.text)) {
        out_.records.push_back(std::move(record));
        out_.failure = "\"" + span.text + "\" is not a value the " + format->name + "'s " +
                       ff.name + " can hold (" + FieldTypeName(ff.type) +
                       (*ff.range ? std::string(", ") + ff.range : "") + ")";
        out_.failure_field = index;
        return false;
      }
    }
    out_.records.push_back(std::move(record));
    return true;
  }

  bool Header() {
    for (;;) {
      const int keyword = NextKeyword(kHeaderDashSkips);
      if (keyword < 0) return true;
      if (!Records(keyword, RecordPart::kHeader)) return false;
      const std::string& text = out_.fields[static_cast<size_t>(keyword)].span.text;
      size_t first = text.find_first_not_of(" \t");
      if (IsSectionMarker(text) && !(first != std::string::npos && text[first] == '-')) {
        out_.fields[static_cast<size_t>(keyword)].role = FieldRole::kSection;
        return true;
      }
    }
  }

  void Body() {
    for (;;) {
      const int keyword = NextKeyword(kBodyDashSkips);
      if (keyword < 0 || !Records(keyword, RecordPart::kBody)) return;
    }
  }

  SpanCursor in_;
  FileAnnotation out_;
};

}  // namespace

FileAnnotation AnnotateFile(ScenarioFile file, std::string_view bytes) {
  return Annotator(file, bytes).Run();
}

bool ScenarioFileFromContent(std::string_view bytes, ScenarioFile* file) {
  int train = 0;
  int line = 0;
  for (const char* word : {"stazione", "velocit", "segnale,"})
    train += ContainsIgnoringCase(bytes, word);
  for (const char* word : {"lunghezza", "curva", "cartello"})
    line += ContainsIgnoringCase(bytes, word);
  if (train == line) return false;
  *file = train > line ? ScenarioFile::kTrain : ScenarioFile::kLine;
  return true;
}

}  // namespace sc
