#include "compiler/record_format.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "compiler/record_lines.h"

namespace sc {
namespace {

TEST(RecordFormat, ReferenceDocumentIsCurrent) {
  std::ifstream file(std::string(SC_SOURCE_DIR) + "/docs/scenario-format.md", std::ios::binary);
  std::ostringstream committed;
  committed << file.rdbuf();
  EXPECT_TRUE(committed.str() == FormatReferenceMarkdown())
      << "docs/scenario-format.md is stale: regenerate it with "
         "`cmake --build build --target format-reference` and commit it";
}

// Every record's example line is read as that record, each field in place.
TEST(RecordFormat, ExampleLinesReadAsTheirRecord) {
  for (const RecordFormat& r : RecordFormats()) {
    std::string text = "[generale]\r\n";
    if (r.part == RecordPart::kBody && r.file == ScenarioFile::kLine)
      text += "lunghezza percorso, 40000\r\n[curve]\r\n";
    text += std::string(r.example) + "\r\n[fine]\r\n";
    FileAnnotation a = AnnotateFile(r.file, text);
    ASSERT_TRUE(a.failure.empty()) << r.name << ": " << a.failure;
    const AnnotatedRecord* found = nullptr;
    for (const AnnotatedRecord& record : a.records) {
      if (record.format == &r) found = &record;
    }
    ASSERT_NE(found, nullptr) << r.name;
    EXPECT_EQ(found->values.size(), r.fields.size()) << r.name;
    const int line = a.fields[static_cast<size_t>(found->keyword)].span.line;
    for (int value : found->values)
      EXPECT_EQ(a.fields[static_cast<size_t>(value)].span.line, line) << r.name;
  }
}

TEST(RecordFormat, KeywordTestsFollowTheReaders) {
  auto names = [](ScenarioFile file, RecordPart part, std::string_view field) {
    std::vector<std::string> out;
    for (const RecordFormat* r : MatchRecords(file, part, field)) out.push_back(r->name);
    return out;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(names(ScenarioFile::kLine, RecordPart::kHeader, "LUNGHEZZA PERCORSO"),
            V{"route length"});
  // The kilometre reference test is case-sensitive.
  EXPECT_EQ(names(ScenarioFile::kLine, RecordPart::kHeader, "Progressiva chilometrica uno"), V{});
  EXPECT_EQ(names(ScenarioFile::kLine, RecordPart::kBody, "indicatori_vmax cartello"),
            (V{"maximum-speed board", "sign"}));
  EXPECT_EQ(names(ScenarioFile::kTrain, RecordPart::kBody, "STAZIONE"), V{"station"});
  EXPECT_EQ(names(ScenarioFile::kTrain, RecordPart::kBody, "massa"), V{});
}

TEST(RecordFormat, StoredValues) {
  const RecordFormat* speed = MatchRecords(ScenarioFile::kTrain, RecordPart::kBody, "velocita")[0];
  const RecordFormat* adhesion =
      MatchRecords(ScenarioFile::kTrain, RecordPart::kBody, "aderenza")[0];
  const RecordFormat* station =
      MatchRecords(ScenarioFile::kTrain, RecordPart::kBody, "stazione")[0];
  struct Case {
    const FieldFormat& field;
    const char* written;
    const char* described;
  } cases[] = {
      {speed->fields[1], "132", "132 km/h -> stored as 130 km/h (code 26)"},
      {speed->fields[1], "130", "130 km/h"},
      {speed->fields[1], "12.5", "12.5 (read as 12 km/h) -> stored as 10 km/h (code 2)"},
      {speed->fields[0], "1450", "1450 m, grid cell 29"},
      {speed->fields[0], "1475", "1475 m, grid cell 30"},
      {adhesion->fields[1], "300", "300 -> stored as 44"},
      {station->fields[1], "256", "\"256\" (cannot be read: error 25)"},
      {station->fields[1], "mille", "\"mille\" (cannot be read: error 25)"},
      {station->fields[16], "Vastro", "\"Vastro\""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DescribeFieldValue(c.field, c.written), c.described) << c.written;
}

}  // namespace
}  // namespace sc
