// The program's version and the platform it was built for, compiled in from
// a source the build writes (cmake/version.cmake).
#ifndef SC_RUN_VERSION_H_
#define SC_RUN_VERSION_H_

namespace sc {

// "1.0.0" on a release tag, "1.0.0-3-g1a2b3c4" three commits after it,
// "1.0.0-untagged-g1a2b3c4" before the first tag; "-dirty" with uncommitted
// changes. Outside git, the version in CMakeLists.txt.
extern const char kProgramVersion[];

// The operating system and processor, for example "Linux x86_64".
extern const char kBuildPlatform[];

}  // namespace sc

#endif  // SC_RUN_VERSION_H_
