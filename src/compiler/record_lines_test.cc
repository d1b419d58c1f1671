#include "compiler/record_lines.h"

#include <gtest/gtest.h>

#include "documents/documents.h"

namespace sc {
namespace {

const AnnotatedField* FieldAt(const FileAnnotation& a, int line, int column) {
  for (const AnnotatedField& f : a.fields) {
    if (f.span.line == line && f.span.begin <= column && column < f.span.end) return &f;
  }
  return nullptr;
}

std::string RecordName(const FileAnnotation& a, const AnnotatedField& f) {
  return f.record < 0 ? "" : a.records[static_cast<size_t>(f.record)].format->name;
}

// The built-in scenario: every keyword field is a record, a section marker,
// preamble text or a skipped dash field; every record is complete.
TEST(RecordLines, BuiltInScenarioIsReadWhole) {
  std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  for (auto [file, bytes] : {std::pair{ScenarioFile::kLine, docs[0].bytes},
                             std::pair{ScenarioFile::kTrain, docs[1].bytes}}) {
    FileAnnotation a = AnnotateFile(file, bytes);
    EXPECT_TRUE(a.failure.empty()) << a.failure;
    for (const AnnotatedField& f : a.fields)
      EXPECT_NE(f.role, FieldRole::kUnknown) << f.span.line << ": " << f.span.text;
    EXPECT_EQ(a.fields.back().role, FieldRole::kLast);
    for (const AnnotatedRecord& r : a.records) {
      EXPECT_TRUE(r.complete);
      EXPECT_EQ(r.values.size(), r.format->fields.size());
    }
  }
  FileAnnotation train = AnnotateFile(ScenarioFile::kTrain, docs[1].bytes);
  int stations = 0;
  for (const AnnotatedRecord& r : train.records)
    stations += std::string(r.format->name) == "station";
  EXPECT_EQ(stations, 10);
}

TEST(RecordLines, FieldsCarryTheirPlaceAndName) {
  const std::string text =
      "comment, with - dash\r\n[generale]\r\n"
      "orologio,    8               0             0 \r\n"
      "segnal,    1450\r\n"
      "stazione,    3400, 22\r\n  600,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, Montanaro\r\n"
      "[fine]\r\n";
  FileAnnotation a = AnnotateFile(ScenarioFile::kTrain, text);
  ASSERT_TRUE(a.failure.empty()) << a.failure;
  EXPECT_EQ(FieldAt(a, 0, 0)->role, FieldRole::kPreamble);
  EXPECT_EQ(FieldAt(a, 1, 0)->role, FieldRole::kSection);
  // Numbers separated by blanks alone.
  const AnnotatedField* minutes = FieldAt(a, 2, 29);
  ASSERT_NE(minutes, nullptr);
  EXPECT_EQ(minutes->span.text, "0");
  EXPECT_EQ(minutes->field_index, 1);
  // A misspelt keyword is ignored, and so is its number.
  EXPECT_EQ(FieldAt(a, 3, 0)->role, FieldRole::kUnknown);
  EXPECT_EQ(FieldAt(a, 3, 0)->span.end, 6);
  EXPECT_EQ(FieldAt(a, 3, 12)->role, FieldRole::kUnknown);
  // A record takes its missing fields from the next line.
  const AnnotatedField* length = FieldAt(a, 5, 2);
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(RecordName(a, *length), "station");
  EXPECT_EQ(length->field_index, 2);
  EXPECT_EQ(a.fields.back().span.text, "[fine]");
  EXPECT_EQ(a.fields.back().role, FieldRole::kLast);
}

TEST(RecordLines, ReadFailuresEndTheWalk) {
  FileAnnotation bad =
      AnnotateFile(ScenarioFile::kTrain, "[generale]\r\nvelocita, 900, mille\r\n[fine]\r\n");
  EXPECT_NE(bad.failure.find("\"mille\""), std::string::npos) << bad.failure;
  ASSERT_GE(bad.failure_field, 0);
  EXPECT_EQ(bad.fields[static_cast<size_t>(bad.failure_field)].span.begin, 15);
  FileAnnotation cut = AnnotateFile(ScenarioFile::kTrain, "[generale]\r\nvelocita, 900");
  EXPECT_NE(cut.failure.find("ends inside the speed record"), std::string::npos) << cut.failure;
}

TEST(RecordLines, KindFromContent) {
  std::vector<Document> docs = ScenarioDocuments("Vastro - Dreo", "2001");
  ScenarioFile file;
  ASSERT_TRUE(ScenarioFileFromContent(docs[0].bytes, &file));
  EXPECT_EQ(file, ScenarioFile::kLine);
  ASSERT_TRUE(ScenarioFileFromContent(docs[1].bytes, &file));
  EXPECT_EQ(file, ScenarioFile::kTrain);
  EXPECT_FALSE(ScenarioFileFromContent("hello", &file));
}

}  // namespace
}  // namespace sc
