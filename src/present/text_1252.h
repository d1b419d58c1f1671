// Windows-1252 text shown to programs and pictures as Unicode: the one table
// that maps the scenario's bytes to code points, and UTF-8 encoding.
#ifndef SC_PRESENT_TEXT_1252_H_
#define SC_PRESENT_TEXT_1252_H_

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

}  // namespace sc

#endif  // SC_PRESENT_TEXT_1252_H_
