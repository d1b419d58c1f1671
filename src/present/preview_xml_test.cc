#include "present/preview_xml.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(PreviewXml, ConvertsWindows1252AndEscapes) {
  struct Case {
    const char* bytes;
    const char* xml;
  };
  const Case cases[] = {
      {"Vastro - Dreo", "Vastro - Dreo"},
      {"A&B <C> \"D\" 'E'", "A&amp;B &lt;C&gt; &quot;D&quot; &apos;E&apos;"},
      {"Citt\xE0", "Citt\xC3\xA0"},            // a grave
      {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8"},  // euro sign, Y diaeresis
      {"\x81\x8D\x8F\x90\x9D", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"a\x01\x1F\x7F"
       "b\tc",
       "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
       "b\tc"},
      {"\xFF", "\xC3\xBF"},
  };
  for (const Case& c : cases) EXPECT_EQ(XmlFrom1252(c.bytes), c.xml) << c.bytes;
  EXPECT_EQ(XmlFrom1252(std::string("a\0b", 3)),
            "a\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace sc
