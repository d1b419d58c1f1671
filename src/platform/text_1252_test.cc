#include "platform/text_1252.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Text1252, ToUtf8) {
  EXPECT_EQ(Utf8From1252("Citt\xE0"), "Citt\xC3\xA0");
  EXPECT_EQ(Utf8From1252("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Utf8From1252("\x9F"), "\xC5\xB8");      // Y with diaeresis
  // An unassigned byte keeps its value as a C1 control: nothing is lost.
  EXPECT_EQ(Utf8From1252("\x81"), "\xC2\x81");
  EXPECT_TRUE(IsUnassigned1252(0x9D));
  EXPECT_FALSE(IsUnassigned1252(0x9C));
}

TEST(Text1252, FromUtf8) {
  // Every byte survives the round trip, the unassigned ones included.
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string back, offender;
  ASSERT_EQ(Cp1252FromUtf8(Utf8From1252(all), &back, &offender), Cp1252Conversion::kConverted);
  EXPECT_EQ(back, all);

  struct Case {
    const char* text;
    Cp1252Conversion result;
    const char* offender;
  } cases[] = {
      {"\xCE\xA9 ohm", Cp1252Conversion::kNoByte, "\xCE\xA9"},
      {"a \xF0\x9F\x9A\x82", Cp1252Conversion::kNoByte, "\xF0\x9F\x9A\x82"},
      {"\xC8RTO", Cp1252Conversion::kNotUtf8, ""},        // a lone Windows-1252 byte
      {"\xC0\xAF", Cp1252Conversion::kNotUtf8, ""},       // over-long form
      {"\xED\xA0\x80", Cp1252Conversion::kNotUtf8, ""},   // surrogate
      {"\xE2\x82", Cp1252Conversion::kNotUtf8, ""},       // cut short
      {"\xCE\xA9 \xC8", Cp1252Conversion::kNotUtf8, ""},  // malformed after the offender
  };
  for (const Case& k : cases) {
    std::string out = "untouched", bad;
    EXPECT_EQ(Cp1252FromUtf8(k.text, &out, &bad), k.result) << k.text;
    EXPECT_EQ(bad, k.offender) << k.text;
    EXPECT_EQ(out, "untouched") << k.text;
  }
}

TEST(Text1252, EveryByteSurvivesTheRoundTripThroughWideText) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::wstring wide = Cp1252ToWide(all);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(wide[0xE0], L'\u00E0');  // a grave
  EXPECT_EQ(wide[0x80], L'\u20AC');  // euro sign
  EXPECT_EQ(wide[0x81], static_cast<wchar_t>(0x81));
  std::string back;
  ASSERT_TRUE(WideToCp1252(wide, &back));
  EXPECT_EQ(back, all);
}

TEST(Text1252, CharactersOutsideTheCodePageAreRefusedNotReplaced) {
  std::string bytes;
  EXPECT_FALSE(WideToCp1252(L"\u0141odz", &bytes));  // would best-fit to "Lodz"
  EXPECT_FALSE(WideToCp1252(L"\u4E2D", &bytes));
  EXPECT_FALSE(WideToCp1252(std::wstring(1, static_cast<wchar_t>(0x80)), &bytes));
  EXPECT_FALSE(WideToCp1252(std::wstring(1, static_cast<wchar_t>(0xD800)), &bytes));
  EXPECT_TRUE(WideToCp1252(L"", &bytes));
  EXPECT_EQ(bytes, "");
}

}  // namespace
}  // namespace sc
