// Conversions between the program's text (Windows-1252 bytes) and the UTF-16
// that the wide Windows functions take. They always use code page 1252, never
// the system's ANSI code page, so names with accented letters mean the same
// file on every Windows installation.
#ifndef SC_PLATFORM_CODEPAGE_WINDOWS_H_
#define SC_PLATFORM_CODEPAGE_WINDOWS_H_

#include <string>
#include <string_view>

namespace sc {

// Every byte becomes one UTF-16 unit.
std::wstring Cp1252ToWide(std::string_view bytes);

// Converts `text` to Windows-1252. Returns false, leaving `bytes` unspecified,
// when `text` holds a character that Windows-1252 cannot represent; no
// look-alike replacement is ever made.
bool WideToCp1252(std::wstring_view text, std::string* bytes);

}  // namespace sc

#endif  // SC_PLATFORM_CODEPAGE_WINDOWS_H_
