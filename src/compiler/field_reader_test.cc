#include "compiler/field_reader.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(FieldReader, NumbersSeparatedByBlanksAloneAndTrailingBlank) {
  FieldReader r("orologio,    8   0   0 \r\nnext\r\n", "t");
  EXPECT_EQ(r.ReadText(), "orologio");
  EXPECT_EQ(r.ReadInteger(), 8);
  EXPECT_EQ(r.ReadInteger(), 0);
  EXPECT_EQ(r.ReadInteger(), 0);
  EXPECT_EQ(r.ReadText(), "next");
  EXPECT_EQ(r.line(), 2);
  EXPECT_TRUE(r.AtEnd());
}

TEST(FieldReader, LineEndsCrLfLoneLfLoneCr) {
  FieldReader r("a\nb\rc\r\nd", "t");
  EXPECT_EQ(r.ReadText(), "a");
  EXPECT_EQ(r.ReadText(), "b");
  EXPECT_EQ(r.ReadText(), "c");
  EXPECT_EQ(r.ReadText(), "d");
  EXPECT_EQ(r.line(), 4);
  EXPECT_TRUE(r.AtEnd());
}

TEST(FieldReader, TextFieldsTrimQuotedKeepCommas) {
  FieldReader r("  cartello,  1100,   (GALLERIA   )(DELL'ANGELO)   \r\n\"a, b\" ,x\r\n", "t");
  EXPECT_EQ(r.ReadText(), "cartello");
  EXPECT_EQ(r.ReadLong(), 1100);
  EXPECT_EQ(r.ReadText(), "(GALLERIA   )(DELL'ANGELO)");
  EXPECT_EQ(r.ReadText(), "a, b");
  EXPECT_EQ(r.ReadText(), "x");
}

TEST(FieldReader, QuotedFieldEndsAtItsClosingQuote) {
  // What follows the closing quote is not dropped: blanks and one comma are
  // skipped, anything else starts the next field.
  FieldReader r("\"AB\"CD, 5\r\n\"x\"  ,y\r\n\"l1\rl2\nl3\r\nl4\"\r\nz", "t");
  EXPECT_EQ(r.ReadText(), "AB");
  EXPECT_EQ(r.ReadText(), "CD");
  EXPECT_EQ(r.ReadLong(), 5);
  EXPECT_EQ(r.ReadText(), "x");
  EXPECT_EQ(r.ReadText(), "y");
  EXPECT_EQ(r.ReadText(), "l1\rl2\nl3\r\nl4");
  EXPECT_EQ(r.line(), 3);
  // The quoted field held three line ends of its own.
  EXPECT_EQ(r.ReadText(), "z");
  EXPECT_EQ(r.line(), 7);
  EXPECT_TRUE(r.AtEnd());
}

TEST(FieldReader, EmptyNumberIsZeroAndRecordsSpanLines) {
  FieldReader r("k,,5\r\n7\r\n", "t");
  EXPECT_EQ(r.ReadText(), "k");
  EXPECT_EQ(r.ReadLong(), 0);
  EXPECT_EQ(r.ReadLong(), 5);
  EXPECT_EQ(r.ReadLong(), 7);
  EXPECT_EQ(r.line(), 2);
}

TEST(FieldReader, ReadFailures) {
  struct Case {
    const char* input;
    int which;  // 0 long, 1 integer, 2 byte
  } cases[] = {
      {"abc", 0},        {"1x", 0},    {".", 0},      {"-", 0},   {"-.", 0}, {"1.5.", 0},
      {"2147483648", 0}, {"32768", 1}, {"-32769", 1}, {"256", 2}, {"-1", 2},
  };
  for (const Case& c : cases) {
    FieldReader r(c.input, "t");
    auto read = [&] {
      if (c.which == 0) r.ReadLong();
      if (c.which == 1) r.ReadInteger();
      if (c.which == 2) r.ReadByte();
    };
    EXPECT_TRUE(CatchReadFailure(read)) << c.input;
  }
  FieldReader empty("", "t");
  std::optional<ReadFailure> failure = CatchReadFailure([&] { empty.ReadText(); });
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->line, 1);
  EXPECT_EQ(failure->what, "the file ends where a text field was expected");
  // A reading that ends well has no failure.
  FieldReader fine("7", "t");
  EXPECT_FALSE(CatchReadFailure([&] { fine.ReadLong(); }));
}

TEST(FieldReader, FractionsRoundHalfToEven) {
  struct Case {
    const char* text;
    int64_t value;
  } cases[] = {{"2.5", 2},   {"3.5", 4},  {"2.51", 3}, {"-2.5", -2},
               {"-3.5", -4}, {"0.49", 0}, {"+7", 7},   {"1.", 1},
               {".5", 0},    {".51", 1},  {"-.5", 0},  {"-2147483648", INT32_MIN},
               {"", 0}};
  for (const Case& c : cases) {
    int64_t v = -99;
    ASSERT_TRUE(ParseNumberField(c.text, &v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(FieldReader, CaseFoldingIsAsciiOnly) {
  EXPECT_TRUE(ContainsIgnoringCase("STAZIONE", "stazione"));
  EXPECT_TRUE(ContainsIgnoringCase("Lunghezza Percorso", "percorso"));
  EXPECT_FALSE(ContainsIgnoringCase("\xC8", "\xE8"));
  EXPECT_FALSE(Contains("Progressiva", "progressiva"));
}

}  // namespace
}  // namespace sc
