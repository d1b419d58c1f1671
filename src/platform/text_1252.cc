#include "platform/text_1252.h"

#include <array>

#include "platform/native_text.h"

namespace sc {
namespace {

// Bytes 80 to 9F; the unassigned ones keep their own value.
constexpr std::array<uint16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

bool IsUnassigned1252(uint8_t byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

uint32_t CodePointFrom1252(uint8_t byte) {
  return (byte >= 0x80 && byte < 0xA0) ? kHigh[byte - 0x80] : byte;
}

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string Utf8From1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(CodePointFrom1252(static_cast<uint8_t>(c)), &out);
  return out;
}

std::wstring Cp1252ToWide(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (char c : bytes)
    text.push_back(static_cast<wchar_t>(CodePointFrom1252(static_cast<uint8_t>(c))));
  return text;
}

std::string NativeText(std::string_view bytes) {
  return NativeTextIsCp1252() ? std::string(bytes) : Utf8From1252(bytes);
}

namespace {

// Decodes one UTF-8 sequence at `i` (shortest form, no surrogates); false
// when the bytes there are not one.
bool DecodeUtf8(std::string_view text, size_t* i, uint32_t* cp) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(*i);
  size_t length = 0;
  uint32_t min = 0;
  if (lead < 0x80) {
    *cp = lead;
    ++*i;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, *cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, *cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, *cp = lead & 0x07;
  } else {
    return false;
  }
  if (*i + length > text.size()) return false;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(*i + k) & 0xC0) != 0x80) return false;
    *cp = (*cp << 6) | (byte(*i + k) & 0x3F);
  }
  if (*cp < min || *cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF)) return false;
  *i += length;
  return true;
}

// The Windows-1252 byte of a code point, or -1 when it has none.
int ByteOf(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (size_t k = 0; k < kHigh.size(); ++k) {
    if (kHigh[k] == cp) return static_cast<int>(0x80 + k);
  }
  return -1;
}

// Walks UTF-8 `text` character by character: `visit(cp, sequence)` for each
// well-formed one, `visit(kMalformed, byte)` for each byte that starts none.
constexpr uint32_t kMalformed = 0xFFFFFFFF;

template <typename Visit>
void WalkUtf8(std::string_view text, Visit visit) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t start = i;
    uint32_t cp = 0;
    if (!DecodeUtf8(text, &i, &cp)) {
      i = start + 1;
      cp = kMalformed;
    }
    visit(cp, text.substr(start, i - start));
  }
}

}  // namespace

Cp1252Conversion Cp1252FromUtf8(std::string_view text, std::string* out, std::string* offender) {
  std::string bytes;
  bytes.reserve(text.size());
  bool malformed = false;
  std::string first_without_byte;
  WalkUtf8(text, [&](uint32_t cp, std::string_view sequence) {
    const int b = cp == kMalformed ? -1 : ByteOf(cp);
    if (cp == kMalformed) {
      malformed = true;
    } else if (b < 0) {
      if (first_without_byte.empty()) first_without_byte = sequence;
    } else {
      bytes.push_back(static_cast<char>(b));
    }
  });
  // Malformed bytes anywhere take precedence over a character without a byte.
  if (malformed) return Cp1252Conversion::kNotUtf8;
  if (!first_without_byte.empty()) {
    *offender = first_without_byte;
    return Cp1252Conversion::kNoByte;
  }
  *out = std::move(bytes);
  return Cp1252Conversion::kConverted;
}

bool WideToCp1252(std::wstring_view text, std::string* bytes) {
  bytes->clear();
  bytes->reserve(text.size());
  for (wchar_t unit : text) {
    const int b = ByteOf(static_cast<uint32_t>(unit));
    if (b < 0) return false;
    bytes->push_back(static_cast<char>(b));
  }
  return true;
}

std::string Cp1252ForEditor(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  WalkUtf8(text, [&](uint32_t cp, std::string_view) {
    const int b = cp == kMalformed ? -1 : ByteOf(cp);
    if (b >= 0) {
      bytes.push_back(static_cast<char>(b));
    } else {
      // One "?" per UTF-16 unit the character takes (a malformed byte: one).
      bytes.append(cp != kMalformed && cp > 0xFFFF ? 2 : 1, '?');
    }
  });
  return bytes;
}

}  // namespace sc
