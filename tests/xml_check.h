// Well-formedness of generated XML (the preview's SVG), checked by a real
// XML parser (expat). A Windows cross-build without the import's libraries
// has no such parser: there the check is left out and ExpectWellFormedXml
// accepts everything.
#ifndef SC_TESTS_XML_CHECK_H_
#define SC_TESTS_XML_CHECK_H_

#include <gtest/gtest.h>

#include <string>

namespace sc::testing {

#ifdef SC_XML_CHECK
// Empty when `xml` is a well-formed UTF-8 XML document; otherwise the
// parser's reason and where (line and column).
std::string XmlProblem(const std::string& xml);
#endif

// A test failure naming `label` when `xml` is not well-formed.
inline void ExpectWellFormedXml(const std::string& xml, const std::string& label = "") {
#ifdef SC_XML_CHECK
  EXPECT_EQ(XmlProblem(xml), "") << label;
#else
  (void)xml;
  (void)label;
#endif
}

}  // namespace sc::testing

#endif  // SC_TESTS_XML_CHECK_H_
