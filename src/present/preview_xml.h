// Text for the preview's XML: Windows-1252 bytes converted to UTF-8 by table,
// with the XML special characters escaped.
#ifndef SC_PRESENT_PREVIEW_XML_H_
#define SC_PRESENT_PREVIEW_XML_H_

#include <string>
#include <string_view>

namespace sc {

// Converts Windows-1252 bytes to escaped UTF-8 usable in text and in quoted
// attributes. Bytes that are no character XML may hold (control bytes other
// than tab, and the five unassigned bytes 81, 8D, 8F, 90, 9D) become U+FFFD.
std::string XmlFrom1252(std::string_view bytes);

}  // namespace sc

#endif  // SC_PRESENT_PREVIEW_XML_H_
