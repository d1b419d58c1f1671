# The program's version and the platform it is built for.
#
# The version is project()'s in CMakeLists.txt, the one place that holds it
# (tests/version_test.sh checks that the newest release heading of
# CHANGELOG.md and the VS Code extension say the same). A release build
# (SC_RELEASE=ON, as scripts/release.sh configures it) says that version as
# it is. Any other build from a git checkout adds the commit as
# semantic-version build metadata:
#   a release build (SC_RELEASE=ON)     1.1.0
#   any other build of a commit         1.1.0+g1a2b3c4
#   uncommitted changes                 1.1.0+g1a2b3c4-dirty
#   not a git checkout (a tarball)      1.1.0
# A tag never decides the version: tags do not travel with every clone, so a
# release build must not need one, and a tagged commit built for development
# still says which commit it is.
#
# Included from CMakeLists.txt it sets SC_PROGRAM_VERSION (the above) and
# SC_PLATFORM, and defines sc_add_version_source(<target>), which compiles
# the version into the target. That source is rewritten at every build when
# the version changed, so a new commit shows up in --version without
# reconfiguring. Package names carry project()'s version alone. Run with
# cmake -P it writes that source (OUTPUT, SOURCE_DIR, VERSION, PLATFORM and
# RELEASE given with -D).

# Sets out_var to `version`, with the commit of the checkout at source_dir
# added as build metadata unless `release` is true (see above). Outside a
# checkout's top (or without git) it is `version` as given.
function(sc_describe_version source_dir version release out_var)
  set(result ${version})
  find_program(SC_GIT git)
  if(SC_GIT AND NOT release)
    # The source must be the checkout's top, not a tarball unpacked inside
    # some other repository.
    execute_process(COMMAND ${SC_GIT} -C ${source_dir} rev-parse --show-toplevel
      OUTPUT_VARIABLE top RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(status EQUAL 0)
      file(REAL_PATH ${top} top)
      file(REAL_PATH ${source_dir} source_real)
    endif()
    if(status EQUAL 0 AND top STREQUAL source_real)
      # The commit alone, whatever tags there are, with "-dirty" when changed.
      execute_process(COMMAND ${SC_GIT} -C ${source_dir} describe --always --dirty --abbrev=7
                              --exclude "*"
        OUTPUT_VARIABLE commit RESULT_VARIABLE status ERROR_QUIET
        OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(status EQUAL 0)
        set(result "${version}+g${commit}")
      endif()
    endif()
  endif()
  set(${out_var} ${result} PARENT_SCOPE)
endfunction()

# Writes the version source to output, touching it only when its text changes
# so that an unchanged version rebuilds nothing.
function(sc_write_version_source output version platform)
  set(text "// Written by cmake/version.cmake at build time.
#include \"run/version.h\"

namespace sc {

const char kProgramVersion[] = \"${version}\";
const char kBuildPlatform[] = \"${platform}\";

}  // namespace sc
")
  set(old "")
  if(EXISTS ${output})
    file(READ ${output} old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE ${output} "${text}")
  endif()
endfunction()

# In script mode: write the source when run itself, only define the functions
# when included by another script (tests/version_test.sh).
if(CMAKE_SCRIPT_MODE_FILE)
  if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    if(NOT DEFINED RELEASE)
      set(RELEASE OFF)
    endif()
    sc_describe_version(${SOURCE_DIR} ${VERSION} "${RELEASE}" version)
    sc_write_version_source(${OUTPUT} ${version} "${PLATFORM}")
  endif()
  return()
endif()

option(SC_RELEASE "A release build: --version says project()'s version without the commit" OFF)
sc_describe_version(${PROJECT_SOURCE_DIR} ${PROJECT_VERSION} "${SC_RELEASE}" SC_PROGRAM_VERSION)
set(SC_PLATFORM "${CMAKE_SYSTEM_NAME} ${CMAKE_SYSTEM_PROCESSOR}")
message(STATUS "scenario-compiler ${SC_PROGRAM_VERSION} (${SC_PLATFORM})")

set(SC_VERSION_SOURCE ${CMAKE_BINARY_DIR}/generated/version.cc)
sc_write_version_source(${SC_VERSION_SOURCE} ${SC_PROGRAM_VERSION} "${SC_PLATFORM}")
add_custom_target(sc_version_source
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
          "-DPLATFORM=${SC_PLATFORM}" -DRELEASE=${SC_RELEASE} -DOUTPUT=${SC_VERSION_SOURCE}
          -P ${CMAKE_CURRENT_LIST_FILE}
  BYPRODUCTS ${SC_VERSION_SOURCE}
  VERBATIM)

# Compiles the version into target (which must see src/ for run/version.h).
function(sc_add_version_source target)
  target_sources(${target} PRIVATE ${SC_VERSION_SOURCE})
  add_dependencies(${target} sc_version_source)
endfunction()
