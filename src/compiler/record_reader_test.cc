// The checks on a keyword field's text and on UTF-8 in a text field, which
// no comparison of the compiled files can see.
#include "compiler/record_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace sc {
namespace {

struct KeywordCase {
  ScenarioFile file;
  RecordPart part;
  const char* field;
  const char* said;  // a piece of the message, "" when none is expected
};

TEST(KeywordText, WarnsWhereWordsBesideTheKeywordChangeHowItIsRead) {
  constexpr ScenarioFile kLn = ScenarioFile::kLine;
  constexpr ScenarioFile kTr = ScenarioFile::kTrain;
  constexpr RecordPart kHead = RecordPart::kHeader;
  constexpr RecordPart kBody = RecordPart::kBody;
  const KeywordCase cases[] = {
      // As the built-in scenario writes them, and other plain spellings.
      {kLn, kBody, "curvad2", ""},
      {kLn, kBody, "curvas3", ""},
      {kLn, kBody, "curva d 2", ""},
      {kLn, kBody, "CURVAS 4", ""},
      {kLn, kHead, "ripetizione segnali 4 codici", ""},
      {kLn, kHead, "progressiva chilometrica uno", ""},
      {kLn, kBody, "indicatori_vmax", ""},
      {kTr, kBody, "numero vetture", ""},
      {kTr, kBody, "percentuale massa frenata", ""},
      // Words that carry an s or a digit the record takes.
      {kLn, kBody, "curva destra 2", "'destra'"},
      {kLn, kBody, "curvadestra2", "'destra2'"},
      {kLn, kBody, "curvad2 km3", "'km3'"},
      {kLn, kHead, "ripetizione segnali codici linea9", "'linea9'"},
      // A mark that looks like a comment.
      {kLn, kBody, "# curvad2", "no comments"},
      {kTr, kBody, "// velocita", "no comments"},
      {kTr, kBody, ";segnale", "no comments"},
  };
  for (const KeywordCase& c : cases) {
    SCOPED_TRACE(c.field);
    const KeywordTests tests = TableKeywordTests(c.file, c.part);
    const std::string message = KeywordTextMessage(c.field, MatchKeyword(c.field, tests), tests);
    if (*c.said == '\0') {
      EXPECT_EQ(message, "");
    } else {
      EXPECT_NE(message.find(c.said), std::string::npos) << message;
    }
  }
}

TEST(Utf8InText, FindsEachWellFormedSequenceAndNamesTheCharacterMeant) {
  // A right single quote, an a grave, a character beyond Windows-1252, and
  // bytes that are Windows-1252 text (not UTF-8).
  const std::string text =
      "L\xE2\x80\x99"
      "Aquila citt\xC3\xA0 \xE2\x82\xBF caff\xE8 \xC3";
  const std::vector<Utf8Sequence> found = Utf8SequencesIn(text);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].offset, 1u);
  EXPECT_EQ(found[0].code_point, 0x2019u);
  EXPECT_EQ(found[1].code_point, 0xE0u);
  EXPECT_EQ(found[2].code_point, 0x20BFu);
  EXPECT_NE(Utf8Message(text, found[0]).find("U+2019 ('\x92')"), std::string::npos);
  EXPECT_NE(Utf8Message(text, found[1]).find("U+00E0 ('\xE0')"), std::string::npos);
  EXPECT_NE(Utf8Message(text, found[2]).find("no byte for"), std::string::npos);
  // Overlong forms and surrogates are no UTF-8.
  EXPECT_TRUE(Utf8SequencesIn("\xC0\xAF \xED\xA0\x80 \xE0\x80\xAF").empty());
}

}  // namespace
}  // namespace sc
