#include "import/station_names.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(StationNamesTest, FoldingIgnoresCaseAccentsAndPunctuation) {
  const struct {
    const char* name;
    const char* folded;
  } cases[] = {
      {"Z\xC3\xBCrich HB", "zurich hb"},    // precomposed u-umlaut
      {"Zu\xCC\x88rich  HB", "zurich hb"},  // u and a combining diaeresis
      {"Z\xFCrich HB", "zurich hb"},        // Windows-1252 byte, not UTF-8
      {"\xC4\x8C"
       "esk\xC3\xA1 T\xC5\x99"
       "ebov\xC3\xA1",
       "ceska trebova"},
      {"  Schaan-Vaduz ", "schaan vaduz"},
      {"Stra\xC3\x9F"
       "e/\xC3\x86r\xC3\xB8",
       "strasse aero"},
      {"\xC5\x81\xC3\xB3"
       "d\xC5\xBA Kaliska",
       "lodz kaliska"},
      {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
      {"Bra\xC8\x99ov", "brasov"},
  };
  for (const auto& c : cases) EXPECT_EQ(FoldName(c.name), c.folded) << c.name;
  EXPECT_EQ(BaseLetters(0x10D), "c");
  EXPECT_EQ(BaseLetters(0x10C), "C");
  EXPECT_EQ(BaseLetters(0x152), "OE");
  EXPECT_EQ(BaseLetters(0xD7), "");  // the multiplication sign is no letter
  EXPECT_EQ(BaseLetters('a'), "");
}

TEST(StationNamesTest, ExactBeforeWordsAndAmbiguity) {
  const std::vector<std::string> names{"Nendeln",   "Forst Hilti Bahnhof", "Schaan-Vaduz",
                                       "Feldkirch", "Feldkirch Amberg",    "NENDELN"};
  std::vector<size_t> found;
  ASSERT_TRUE(FindStation("nendeln", names, &found).ok());
  EXPECT_EQ(found, (std::vector<size_t>{0, 5}));
  ASSERT_TRUE(FindStation("Forst Hilti", names, &found).ok());
  EXPECT_EQ(found, (std::vector<size_t>{1}));
  ASSERT_TRUE(FindStation("schaan vaduz", names, &found).ok());
  EXPECT_EQ(found, (std::vector<size_t>{2}));
  // Exact "Feldkirch" wins over "Feldkirch Amberg" holding it.
  ASSERT_TRUE(FindStation("Feldkirch", names, &found).ok());
  EXPECT_EQ(found, (std::vector<size_t>{3}));
  // A part of a word is no match.
  EXPECT_FALSE(FindStation("Hilt", names, &found).ok());
  const Status ambiguous = FindStation("Amberg", {"Feldkirch Amberg", "Amberg Ost"}, &found);
  EXPECT_EQ(ambiguous.message(),
            "station name \"Amberg\" is ambiguous: \"Feldkirch Amberg\", \"Amberg Ost\"");
}

TEST(StationNamesTest, UnknownNameListsTheNearest) {
  const std::vector<std::string> names{"Nendeln", "Tisis", "Schaan-Vaduz", "Feldkirch", "Nendeln"};
  std::vector<size_t> found;
  const Status missing = FindStation("Nendel", names, &found);
  EXPECT_TRUE(missing.IsInvalid());
  EXPECT_EQ(missing.message(),
            "no station named \"Nendel\"; nearest: \"Nendeln\", \"Tisis\", \"Feldkirch\"");
  EXPECT_EQ(FindStation("X", {}, &found).message(), "no station named \"X\"");
  EXPECT_EQ(NearestNames("X", {"", "Y", "Y"}), (std::vector<std::string>{"Y"}));
}

}  // namespace
}  // namespace sc
