// The program's version and the platform it was built for, compiled in from
// a source the build writes (cmake/version.cmake).
#ifndef SC_RUN_VERSION_H_
#define SC_RUN_VERSION_H_

namespace sc {

// The version in CMakeLists.txt: "1.1.0" for the release commit (tagged
// v1.1.0) or outside git; "1.1.0+g1a2b3c4" for any other commit, with
// "-dirty" added when the checkout has uncommitted changes.
extern const char kProgramVersion[];

// The operating system and processor, for example "Linux x86_64".
extern const char kBuildPlatform[];

}  // namespace sc

#endif  // SC_RUN_VERSION_H_
