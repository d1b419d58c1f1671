#include "documents/documents.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "test_support.h"

namespace sc {
namespace {

const std::string kLine = "Vastro - Dreo";
const std::string kTrain = "2001";

// Positions of the five documents in ScenarioDocuments' result.
enum DocumentIndex { kLineDescription, kTrainService, kNotes, kSlowdownOrder, kTimetableCard };

// Splits a written document into its lines; every line must end in CR LF and
// no line may hold a stray CR or LF.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "last line lacks CR LF";
    if (end == std::string::npos) break;
    std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray CR or LF in: " << line;
    lines.push_back(std::move(line));
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> DocumentLines(DocumentIndex index) {
  return SplitLines(ScenarioDocuments(kLine, kTrain).at(index).bytes);
}

// 1-based line access, as the texts number their lines.
const std::string& LineAt(const std::vector<std::string>& lines, size_t number) {
  return lines.at(number - 1);
}

// The contact address printed in the credit boxes and the notes' greeting.
constexpr std::string_view kContactAddress = "tarvesi.q@example.org";

struct ExpectedDocument {
  DocumentIndex index;
  const char* file_name;
  size_t line_count;
};

constexpr ExpectedDocument kExpected[] = {
    {kLineDescription, "Vastro - Dreo_linea.txt", 99},
    {kTrainService, "Vastro - Dreo_2001-.txt", 57},
    {kNotes, "Vastro - Dreo_2001_note.txt", 41},
    {kSlowdownOrder, "Vastro - Dreo_2001_rallentamenti.txt", 25},
    {kTimetableCard, "Vastro - Dreo_2001_scheda_treno.txt", 36},
};

// The embedded texts are the documents' only source; these checks hold them
// to the rules every document follows: its name and place in the writing
// order, whole lines each ended by CR LF (SplitLines), its length in lines,
// and no line left over from the end marker that closes a document's table.
TEST(DocumentContent, EachDocumentIsWholeCrLfLinesInWritingOrder) {
  const std::vector<Document> documents = ScenarioDocuments(kLine, kTrain);
  ASSERT_EQ(documents.size(), std::size(kExpected));
  for (const ExpectedDocument& expected : kExpected) {
    SCOPED_TRACE(expected.file_name);
    const Document& document = documents[expected.index];
    EXPECT_EQ(document.file_name, expected.file_name);
    EXPECT_EQ(SplitLines(document.bytes).size(), expected.line_count);
    EXPECT_EQ(document.bytes.find("riferimento fine del file"), std::string::npos);
    EXPECT_EQ(document.bytes.find('\0'), std::string::npos);
  }
}

TEST(DocumentContent, NamesChangeOnlyTheFileNames) {
  const std::vector<Document> standard = ScenarioDocuments(kLine, kTrain);
  const std::vector<Document> other = ScenarioDocuments("Altra linea", "77");
  ASSERT_EQ(other.size(), standard.size());
  const std::vector<std::string> names = {
      "Altra linea_linea.txt", "Altra linea_77-.txt", "Altra linea_77_note.txt",
      "Altra linea_77_rallentamenti.txt", "Altra linea_77_scheda_treno.txt"};
  for (size_t i = 0; i < other.size(); ++i) {
    EXPECT_EQ(other[i].file_name, names[i]);
    EXPECT_EQ(other[i].bytes, standard[i].bytes) << names[i];
  }
}

TEST(DocumentContent, EmptyAndOneBlankLinesStayAsWritten) {
  struct Case {
    DocumentIndex index;
    size_t line;
    const char* text;
  };
  const Case cases[] = {
      {kLineDescription, 10, ""}, {kTimetableCard, 5, " "},  {kTimetableCard, 15, ""},
      {kSlowdownOrder, 6, ""},    {kSlowdownOrder, 18, " "}, {kSlowdownOrder, 19, ""},
      {kNotes, 5, " "},           {kNotes, 11, ""},          {kNotes, 22, ""},
      {kNotes, 36, ""},           {kNotes, 39, ""},          {kNotes, 40, ""},
      {kNotes, 41, " "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineAt(DocumentLines(c.index), c.line), c.text)
        << "document " << c.index << " line " << c.line;
  }
}

TEST(DocumentContent, TrailingBlanksAreKept) {
  struct Case {
    DocumentIndex index;
    size_t line;
    size_t trailing_blanks;
  };
  const Case cases[] = {
      {kTrainService, 6, 1},   {kTimetableCard, 4, 10}, {kTimetableCard, 11, 1},
      {kTimetableCard, 12, 7}, {kTimetableCard, 14, 2}, {kTimetableCard, 22, 2},
      {kTimetableCard, 29, 1}, {kNotes, 9, 1},          {kNotes, 17, 1},
      {kNotes, 20, 1},         {kNotes, 23, 1},         {kNotes, 25, 1},
      {kNotes, 31, 1},         {kNotes, 34, 1},         {kNotes, 37, 1},
      {kNotes, 38, 4},
  };
  for (const Case& c : cases) {
    const std::string line = LineAt(DocumentLines(c.index), c.line);
    const size_t last = line.find_last_not_of(' ');
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(line.size() - last - 1, c.trailing_blanks)
        << "document " << c.index << " line " << c.line;
  }
}

TEST(DocumentContent, NotesWriteEGraveAsOneWindows1252Byte) {
  const std::vector<std::string> lines = DocumentLines(kNotes);
  for (size_t number = 1; number <= lines.size(); ++number) {
    const std::string& line = LineAt(lines, number);
    size_t high_bytes = 0;
    for (unsigned char byte : line) high_bytes += byte >= 0x80 ? 1 : 0;
    const bool has_e_grave = number == 6 || number == 9 || number == 33 || number == 34;
    EXPECT_EQ(high_bytes, has_e_grave ? 1u : 0u) << "line " << number;
    EXPECT_EQ(line.find('\xE8') != std::string::npos, has_e_grave) << "line " << number;
  }
  EXPECT_EQ(LineAt(lines, 6),
            "Questo \xE8 uno scenario puramente inventato di una certa difficolta'.");
}

TEST(DocumentContent, ContactLinesFillTheirBoxes) {
  const std::string address(kContactAddress);
  ASSERT_EQ(address.size(), 21u);

  const std::vector<std::string> card = DocumentLines(kTimetableCard);
  EXPECT_EQ(LineAt(card, 3), "  |    " + address + "|");
  EXPECT_EQ(LineAt(card, 3).size(), 29u);
  EXPECT_EQ(LineAt(card, 2).size(), 29u);

  const std::vector<std::string> order = DocumentLines(kSlowdownOrder);
  EXPECT_EQ(LineAt(order, 3),
            "                           ORDINE DI RALLENTAMENTO      |   " + address + "|");
  for (size_t number : {1, 2, 3, 4})
    EXPECT_EQ(LineAt(order, number).size(), 82u) << "line " << number;
  // Both edges of the credit box line up with the credit line above.
  EXPECT_EQ(LineAt(order, 3).find('|'), LineAt(order, 2).find('|'));
  EXPECT_EQ(LineAt(order, 3).rfind('|'), LineAt(order, 2).rfind('|'));

  const std::vector<std::string> notes = DocumentLines(kNotes);
  EXPECT_EQ(LineAt(notes, 3), "|   " + address + " |");
  EXPECT_EQ(LineAt(notes, 3).size(), 27u);
  EXPECT_EQ(LineAt(notes, 2).size(), 27u);
  EXPECT_EQ(LineAt(notes, 38), "o avete domande " + address + "    ");
}

TEST(DocumentContent, EmptySectionsAreFollowedAtOnceByTheNext) {
  const std::vector<std::string> line = DocumentLines(kLineDescription);
  EXPECT_EQ(LineAt(line, 42), "[pendenze]");
  EXPECT_EQ(LineAt(line, 43), "[montagne]");
  EXPECT_EQ(line.back(), "[fine]");

  const std::vector<std::string> train = DocumentLines(kTrainService);
  EXPECT_EQ(train.front(), "TRENO RANGO B");
  EXPECT_EQ(LineAt(train, 56), "[codici]");
  EXPECT_EQ(train.back(), "[fine]");
}

}  // namespace
}  // namespace sc
