// The program's text is Windows-1252 bytes. This is the one table that maps
// those bytes to Unicode code points, used both where text is shown to
// programs and pictures (UTF-8) and where names go to the wide Windows
// functions (UTF-16). The conversions never use the system's code page, so
// names with accented letters mean the same everywhere.
#ifndef SC_PLATFORM_TEXT_1252_H_
#define SC_PLATFORM_TEXT_1252_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace sc {

// True for the five bytes Windows-1252 leaves unassigned (81, 8D, 8F, 90, 9D).
bool IsUnassigned1252(uint8_t byte);

// The code point of a Windows-1252 byte; an unassigned byte gives the C1
// control of the same number, so that no byte is lost.
uint32_t CodePointFrom1252(uint8_t byte);

// Appends the UTF-8 form of a code point below 0x10000.
void AppendUtf8(uint32_t code_point, std::string* out);

// Windows-1252 bytes as UTF-8, byte for character.
std::string Utf8From1252(std::string_view bytes);

// Windows-1252 text spelt the platform's way, for the terminal and for file
// names: UTF-8 on POSIX, the bytes as they are on Windows.
std::string NativeText(std::string_view bytes);

// What became of a UTF-8 text converted to Windows-1252.
enum class Cp1252Conversion {
  kConverted,  // every character had its byte
  kNotUtf8,    // the bytes are not well-formed UTF-8; nothing converted
  kNoByte,     // a character has no Windows-1252 byte (given in `offender`)
};

// Converts UTF-8 `text` to Windows-1252 bytes into `out`. On kNoByte,
// `offender` holds the first character without a byte, as UTF-8. The
// unassigned bytes come back from the C1 controls they are shown as, so
// Utf8From1252 and this are inverse for every byte.
Cp1252Conversion Cp1252FromUtf8(std::string_view text, std::string* out, std::string* offender);

// Converts UTF-8 text from an editor to Windows-1252 so that every byte
// stands for one UTF-16 code unit of the text: a character without a byte
// becomes "?" (two for a character beyond U+FFFF), each byte that is not
// UTF-8 one "?". Editors count columns in UTF-16 code units, so a column is
// then a byte offset.
std::string Cp1252ForEditor(std::string_view text);

// Windows-1252 bytes as wide text (UTF-16 units on Windows), byte for unit.
std::wstring Cp1252ToWide(std::string_view bytes);

// Converts `text` to Windows-1252. Returns false, leaving `bytes` unspecified,
// when `text` holds a character that Windows-1252 cannot represent; no
// look-alike replacement is ever made.
bool WideToCp1252(std::wstring_view text, std::string* bytes);

}  // namespace sc

#endif  // SC_PLATFORM_TEXT_1252_H_
