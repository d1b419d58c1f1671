// How this platform spells text outside the scenario's files: arguments,
// file names and what the terminal shows.
#ifndef SC_PLATFORM_NATIVE_TEXT_H_
#define SC_PLATFORM_NATIVE_TEXT_H_

namespace sc {

// True where arguments and paths already reach the program as Windows-1252
// (Windows: they are converted from UTF-16 on the way in); false where they
// are the user's own bytes, normally UTF-8 (POSIX).
bool NativeTextIsCp1252();

}  // namespace sc

#endif  // SC_PLATFORM_NATIVE_TEXT_H_
