// Paths are Windows-1252 bytes. These helpers know this platform's folder
// separator ("/" on POSIX; "\" and "/" on Windows).
#ifndef SC_PLATFORM_PATHS_H_
#define SC_PLATFORM_PATHS_H_

#include <cstddef>
#include <string>

namespace sc {

// True when `c` separates folders in a path on this platform.
bool IsPathSeparator(char c);

// The length of a drive prefix ("C:") at the start of `path` on Windows,
// where a name may follow it directly; 0 elsewhere.
size_t DrivePrefixLength(const std::string& path);

// Joins a folder and a file name with this platform's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// The last component of a path ("dir/a_linea.txt" gives "a_linea.txt"; on
// Windows "C:a_linea.txt" too).
std::string BaseName(const std::string& path);

// The folder part of a path, "." when there is none.
std::string FolderOf(const std::string& path);

}  // namespace sc

#endif  // SC_PLATFORM_PATHS_H_
