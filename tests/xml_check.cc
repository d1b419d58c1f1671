#include "xml_check.h"

#include <expat.h>

#include <memory>

namespace sc::testing {

std::string XmlProblem(const std::string& xml) {
  // The document is read as UTF-8 whatever it declares, so bytes in another
  // encoding are a fault rather than another reading.
  std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate("UTF-8"),
                                                                      &XML_ParserFree);
  if (!parser) return "cannot create the XML parser";
  if (XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE) ==
      XML_STATUS_OK) {
    return "";
  }
  return std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) + " at line " +
         std::to_string(XML_GetCurrentLineNumber(parser.get())) + ", column " +
         std::to_string(XML_GetCurrentColumnNumber(parser.get()));
}

}  // namespace sc::testing
