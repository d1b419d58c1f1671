# The program's version and the platform it is built for.
#
# The version comes from the nearest tag vMAJOR.MINOR.PATCH (git describe;
# tags with a suffix such as v1.1.0-rc1 are not releases and are skipped),
# without the "v":
#   on the tag                      1.0.0
#   3 commits after it              1.0.0-3-g1a2b3c4
#   no such tag in the history      1.0.0-untagged-g1a2b3c4  (1.0.0 from project())
#   not a git checkout (a tarball)  1.0.0                    (from project())
# Uncommitted changes add "-dirty".
#
# Included from CMakeLists.txt it sets SC_PROGRAM_VERSION, SC_PACKAGE_VERSION
# (the same, in a form Debian's version order understands) and SC_PLATFORM,
# and defines sc_add_version_source(<target>), which compiles the version
# into the target. That source is rewritten at every build when the version
# changed, so a commit or a new tag shows up in --version without
# reconfiguring. Run with cmake -P it writes that source (OUTPUT, SOURCE_DIR,
# FALLBACK, PLATFORM given with -D).

# Sets out_var to the version of the checkout at source_dir, or to fallback
# when source_dir is not the top of a git checkout (or git is missing).
function(sc_describe_version source_dir fallback out_var)
  set(version ${fallback})
  find_program(SC_GIT git)
  if(SC_GIT)
    # The source must be the checkout's top, not a tarball unpacked inside
    # some other repository.
    execute_process(COMMAND ${SC_GIT} -C ${source_dir} rev-parse --show-toplevel
      OUTPUT_VARIABLE top RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(status EQUAL 0)
      file(REAL_PATH ${top} top)
      file(REAL_PATH ${source_dir} source_real)
    endif()
    if(status EQUAL 0 AND top STREQUAL source_real)
      execute_process(COMMAND ${SC_GIT} -C ${source_dir} describe --tags --dirty
                              --match "v[0-9]*.[0-9]*.[0-9]*" --exclude "v*-*"
        OUTPUT_VARIABLE described RESULT_VARIABLE status ERROR_QUIET
        OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(status EQUAL 0 AND described MATCHES "^v([0-9]+\\.[0-9]+\\.[0-9]+.*)$")
        set(version ${CMAKE_MATCH_1})
      else()
        execute_process(COMMAND ${SC_GIT} -C ${source_dir} describe --always --dirty --abbrev=7
          OUTPUT_VARIABLE commit RESULT_VARIABLE status ERROR_QUIET
          OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(status EQUAL 0)
          set(version "${fallback}-untagged-g${commit}")
        endif()
      endif()
    endif()
  endif()
  set(${out_var} ${version} PARENT_SCOPE)
endfunction()

# The program version in Debian's form: "1.0.0+3.g1a2b3c4" sorts after 1.0.0
# and "1.0.0~untagged.g1a2b3c4" before it, as a build after a release and one
# before the first release should; a changed tree adds ".dirty" ("+0.dirty"
# on a release, so that it still sorts before the next commit).
function(sc_package_version program_version out_var)
  set(v ${program_version})
  string(REGEX REPLACE "-dirty$" "" clean ${v})
  if(clean MATCHES "^([0-9.]+)-untagged-(g[0-9a-f]+)$")
    set(v "${CMAKE_MATCH_1}~untagged.${CMAKE_MATCH_2}")
  elseif(clean MATCHES "^([0-9.]+)-([0-9]+)-(g[0-9a-f]+)$")
    set(v "${CMAKE_MATCH_1}+${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")
  else()
    set(v ${clean})
  endif()
  if(program_version MATCHES "-dirty$")
    if(v MATCHES "[+~]")
      string(APPEND v ".dirty")
    else()
      string(APPEND v "+0.dirty")
    endif()
  endif()
  set(${out_var} ${v} PARENT_SCOPE)
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
    sc_describe_version(${SOURCE_DIR} ${FALLBACK} version)
    sc_write_version_source(${OUTPUT} ${version} "${PLATFORM}")
  endif()
  return()
endif()

sc_describe_version(${PROJECT_SOURCE_DIR} ${PROJECT_VERSION} SC_PROGRAM_VERSION)
sc_package_version(${SC_PROGRAM_VERSION} SC_PACKAGE_VERSION)
set(SC_PLATFORM "${CMAKE_SYSTEM_NAME} ${CMAKE_SYSTEM_PROCESSOR}")
# Each test on its own: a failed MATCHES clears CMAKE_MATCH_1, and if() does
# not stop at the first true test of an OR.
set(tag_version "")
if(SC_PROGRAM_VERSION MATCHES "^([0-9]+\\.[0-9]+\\.[0-9]+)-[0-9]+-g")
  set(tag_version ${CMAKE_MATCH_1})
elseif(SC_PROGRAM_VERSION MATCHES "^([0-9]+\\.[0-9]+\\.[0-9]+)(-dirty)?$")
  set(tag_version ${CMAKE_MATCH_1})
endif()
if(tag_version AND NOT tag_version VERSION_EQUAL PROJECT_VERSION)
  message(WARNING "The latest tag says ${tag_version} but project() says "
                  "${PROJECT_VERSION}: a build outside git would call itself ${PROJECT_VERSION}.")
endif()
message(STATUS "scenario-compiler ${SC_PROGRAM_VERSION} (${SC_PLATFORM})")

set(SC_VERSION_SOURCE ${CMAKE_BINARY_DIR}/generated/version.cc)
sc_write_version_source(${SC_VERSION_SOURCE} ${SC_PROGRAM_VERSION} "${SC_PLATFORM}")
add_custom_target(sc_version_source
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DFALLBACK=${PROJECT_VERSION}
          "-DPLATFORM=${SC_PLATFORM}" -DOUTPUT=${SC_VERSION_SOURCE}
          -P ${CMAKE_CURRENT_LIST_FILE}
  BYPRODUCTS ${SC_VERSION_SOURCE}
  VERBATIM)

# Compiles the version into target (which must see src/ for run/version.h).
function(sc_add_version_source target)
  target_sources(${target} PRIVATE ${SC_VERSION_SOURCE})
  add_dependencies(${target} sc_version_source)
endfunction()
