// <windows.h> as this program includes it: lean, without the min/max macros,
// and without the DeleteFile macro that would rename Env::DeleteFile.
#ifndef SC_PLATFORM_WINDOWS_API_H_
#define SC_PLATFORM_WINDOWS_API_H_

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef DeleteFile

#endif  // SC_PLATFORM_WINDOWS_API_H_
