// How this platform spells text outside the scenario's files: arguments,
// file names and what the terminal shows.
#ifndef SC_PLATFORM_NATIVE_TEXT_H_
#define SC_PLATFORM_NATIVE_TEXT_H_

#include <string>

#include "platform/status.h"

namespace sc {

// True where arguments and paths already reach the program as Windows-1252
// (Windows: they are converted from UTF-16 on the way in); false where they
// are the user's own bytes, normally UTF-8 (POSIX).
bool NativeTextIsCp1252();

// The name under which a library that opens files itself, through the C
// runtime's narrow open() (the map reader), finds the file `path` (a path as
// the program holds it). Elsewhere that is `path` itself. On Windows the C
// runtime reads a narrow name in the system code page, not in Windows-1252:
// the name is `path` spelt in that code page, or, where a letter of it has
// no place there, its short (8.3) form. An error names the file when neither
// can be had.
Status NarrowOpenName(const std::string& path, std::string* name);

}  // namespace sc

#endif  // SC_PLATFORM_NATIVE_TEXT_H_
