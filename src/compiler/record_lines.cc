#include "compiler/record_lines.h"

#include <algorithm>
#include <optional>

#include "compiler/field_reader.h"

namespace sc {
namespace {

constexpr int kHeaderDashSkips = 10;
constexpr int kBodyDashSkips = 2;

// The fields' places come from the compiler's own field reader, so a field
// stands here exactly as the readers take it.
class SpanCursor {
 public:
  explicit SpanCursor(std::string_view bytes) : in_(bytes, std::string()) {}
  bool AtEnd() const { return in_.AtEnd(); }
  FieldSpan ReadText() {
    std::string text = in_.ReadText();
    return LastFieldSpan(in_, std::move(text));
  }
  FieldSpan ReadNumber() {
    std::string text = in_.ReadNumberText();
    return LastFieldSpan(in_, std::move(text));
  }

 private:
  FieldReader in_;
};

bool IsSectionMarker(const std::string& field) {
  return Contains(field, "[") && Contains(field, "]");
}

// Whether every word of `r`'s keyword test appears in `bytes`, in any case.
bool ContentPasses(const RecordFormat& r, std::string_view bytes) {
  for (const char* word : r.contains) {
    if (word != nullptr && !ContainsIgnoringCase(bytes, word)) return false;
  }
  return true;
}

// Whether a keyword as some record of `file` is written passes `r`'s test.
bool PassedByFileOf(const RecordFormat& r, ScenarioFile file) {
  for (const RecordFormat& other : RecordFormats()) {
    if (other.file == file && ContentPasses(r, other.keyword)) return true;
  }
  return false;
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
  // How many records of each file the content shows: a record counts when
  // every word of its keyword test appears somewhere (any case), and only
  // records whose test no keyword of the other file passes are counted.
  auto shown = [&](ScenarioFile of, ScenarioFile other) {
    int count = 0;
    for (const RecordFormat& r : RecordFormats()) {
      if (r.file == of && !PassedByFileOf(r, other) && ContentPasses(r, bytes)) ++count;
    }
    return count;
  };
  const int train = shown(ScenarioFile::kTrain, ScenarioFile::kLine);
  const int line = shown(ScenarioFile::kLine, ScenarioFile::kTrain);
  if (train == line) return false;
  *file = train > line ? ScenarioFile::kTrain : ScenarioFile::kLine;
  return true;
}

}  // namespace sc
