#include "present/preview_xml.h"

#include <array>
#include <cstdint>

#include "platform/text_1252.h"

namespace sc {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

uint32_t CodePoint(uint8_t b) {
  if (IsUnassigned1252(b)) return kReplacement;
  if ((b < 0x20 && b != '\t') || b == 0x7F) return kReplacement;
  return CodePointFrom1252(b);
}

}  // namespace

std::string XmlFrom1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: AppendUtf8(CodePoint(static_cast<uint8_t>(c)), &out);
    }
  }
  return out;
}

}  // namespace sc
