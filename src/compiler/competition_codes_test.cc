#include "compiler/competition_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace sc {
namespace {

StationTable Named(const std::string& train_number, const std::string& line_name) {
  StationTable table;
  table.slots[kSlotRepetition].name = train_number;
  table.slots[kSlotBackgrounds].name = line_name;
  return table;
}

TEST(CompetitionCodesTest, WorkedValues) {
  const StationTable builtin = Named("2001", "Vastro - Dreo");
  EXPECT_EQ(CompetitionCodeText(builtin), "2001vastro - dreoaabbccdd");
  EXPECT_EQ(CodiceGaraOg(builtin), 2189);
  EXPECT_EQ(CodiceGaraSt(builtin), 30410);

  const StationTable empty = Named("", "");
  EXPECT_EQ(CompetitionCodeText(empty), "aabbccddeeffgghhiillmmnno");
  EXPECT_EQ(CodiceGaraOg(empty), 2583);
  EXPECT_EQ(CodiceGaraSt(empty), 34355);
}

TEST(CompetitionCodesTest, BytesAboveAsciiCountAsUnsigned) {
  // "\xE8" then the first 24 filler letters: 232 + 2472 and 232 + 34052.
  const StationTable table = Named("\xE8", "");
  EXPECT_EQ(CodiceGaraOg(table), 2704);
  EXPECT_EQ(CodiceGaraSt(table), 34284);
}

TEST(CompetitionCodesTest, UpperCaseGivesTheSameCodes) {
  struct Case {
    std::string upper_train, upper_line, lower_train, lower_line;
  };
  const Case cases[] = {
      {"2001", "VASTRO - DREO", "2001", "vastro - dreo"},
      {"IC 2001", "Vastro", "ic 2001", "vastro"},
      {"1",
       "\xC8"
       "DREO \x8A\x8C\x8E\x9F",
       "1",
       "\xE8"
       "dreo \x9A\x9C\x9E\xFF"},
  };
  for (const Case& c : cases) {
    const StationTable upper = Named(c.upper_train, c.upper_line);
    const StationTable lower = Named(c.lower_train, c.lower_line);
    EXPECT_EQ(CodiceGaraOg(upper), CodiceGaraOg(lower)) << c.upper_line;
    EXPECT_EQ(CodiceGaraSt(upper), CodiceGaraSt(lower)) << c.upper_line;
  }
}

TEST(CompetitionCodesTest, LowerCaseOfWindows1252Bytes) {
  struct Case {
    unsigned char in, out;
  };
  const Case cases[] = {
      {'A', 'a'},   {'Z', 'z'},   {'@', '@'},   {'[', '['},   {'a', 'a'},   {'-', '-'},
      {0xC0, 0xE0}, {0xC8, 0xE8}, {0xDE, 0xFE}, {0xD7, 0xD7}, {0xDF, 0xDF}, {0xBF, 0xBF},
      {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}, {0x9A, 0x9A}, {0x8D, 0x8D},
      {0xFF, 0xFF}, {0x80, 0x80}, {0x00, 0x00},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<unsigned char>(LowerCase1252(static_cast<char>(c.in))), c.out)
        << "byte " << static_cast<int>(c.in);
  }
}

TEST(CompetitionCodesTest, CharactersBeyondTheTwentyFifthAreIgnored) {
  const StationTable a = Named("2001", "Vastro - Dreo - Centrale Nord");
  const StationTable b = Named("2001", "Vastro - Dreo - Centrxxxxxxxx");
  EXPECT_EQ(CompetitionCodeText(a), "2001vastro - dreo - centr");
  EXPECT_EQ(CodiceGaraOg(a), CodiceGaraOg(b));
  EXPECT_EQ(CodiceGaraSt(a), CodiceGaraSt(b));
  // The 25th character still counts.
  const StationTable c = Named("2001", "Vastro - Dreo - Centx");
  EXPECT_NE(CodiceGaraOg(a), CodiceGaraOg(c));
}

TEST(CompetitionCodesTest, SwappingShortNamesKeepsThePlainSum) {
  const StationTable normal = Named("2001", "Vastro - Dreo");
  const StationTable swapped = Named("Vastro - Dreo", "2001");
  EXPECT_EQ(CodiceGaraOg(swapped), CodiceGaraOg(normal));
  EXPECT_NE(CodiceGaraSt(swapped), CodiceGaraSt(normal));
}

}  // namespace
}  // namespace sc
