# Installation and packages.
#
# Linux (cmake --install, or the .deb from cpack): the program in bin/, the
# man page, the bash completion, and README, CHANGELOG, the licence, the
# notices of the libraries compiled in and an example scenario under
# share/doc/scenario-compiler/.
# Windows (the .zip from cpack in the cross-build): scenario-compiler.exe,
# README.txt, CHANGELOG.txt, LICENSE.txt and THIRD-PARTY-NOTICES.txt with
# CR LF line ends, and
# example/ with the built-in scenario's line description and train file;
# the same files in a per-user .msi (the target sc_msi, built with wixl).
#
# The example is the program's own `emit` output, written at build time. In
# the cross-build that runs the .exe under wine, so it is not part of the
# default build there: build the target sc_example before installing
# (scripts/release.sh does).

include(GNUInstallDirs)

# The notices of the libraries compiled into the program: CLI11,
# nlohmann/json and Boost (Beast and Asio, the server of view --serve), all
# header-only, the import's map libraries, and in the static Windows .exe the mingw-w64
# runtime and winpthreads. (libstdc++ and libgcc need none: the GCC runtime
# library exception.)
set(SC_NOTICES)
set(SC_NOTICE_FILES)
set(sc_notice_packages
  "CLI11, command line parsing|libcli11-dev"
  "JSON for Modern C++ (nlohmann/json), JSON output|nlohmann-json3-dev"
  "Boost (Beast and Asio), the web server of view --serve|libboost1.74-dev|BSL-1.0")
if(WIN32)
  list(APPEND sc_notice_packages "mingw-w64 runtime and winpthreads, in the .exe|mingw-w64-x86-64-dev")
endif()
if(SC_WITH_IMPORT)
  # The import's map libraries: libosmium and protozero (header-only), and
  # zlib, bzip2, expat and GeographicLib, linked in statically.
  list(APPEND sc_notice_packages
    "libosmium, reading OpenStreetMap files (import)|libosmium2-dev"
    "protozero, the PBF format's protocol buffers (import)|libprotozero-dev"
    "zlib, gzip and PBF decompression (import)|zlib1g-dev"
    "bzip2, bzip2 decompression (import)|libbz2-dev"
    "Expat, OpenStreetMap XML (import)|libexpat1-dev"
    "GeographicLib, distances on the WGS84 ellipsoid (import)|libgeographiclib-dev")
endif()
foreach(entry IN LISTS sc_notice_packages)
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 title)
  list(GET entry 1 package)
  set(licence "")
  list(LENGTH entry fields)
  if(fields GREATER 2)
    list(GET entry 2 licence)
    set(licence "|${licence}")
  endif()
  set(file /usr/share/doc/${package}/copyright)
  if(EXISTS ${file})
    list(APPEND SC_NOTICES "${title} (Debian package ${package})|${file}${licence}")
    list(APPEND SC_NOTICE_FILES ${file})
  else()
    message(WARNING "${file} is missing: the packages will lack the notice of ${title}")
  endif()
endforeach()
if(WIN32)
  set(SC_NOTICES_FILE ${CMAKE_BINARY_DIR}/package-text/THIRD-PARTY-NOTICES.txt)
  set(sc_crlf ON)
else()
  set(SC_NOTICES_FILE ${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES)
  set(sc_crlf OFF)
endif()
add_custom_command(OUTPUT ${SC_NOTICES_FILE}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${SC_NOTICES_FILE} "-DNOTICES=${SC_NOTICES}" -DCRLF=${sc_crlf}
          -P ${CMAKE_CURRENT_LIST_DIR}/third_party_notices.cmake
  DEPENDS ${SC_NOTICE_FILES} ${CMAKE_CURRENT_LIST_DIR}/third_party_notices.cmake
  VERBATIM)
add_custom_target(sc_notices ALL DEPENDS ${SC_NOTICES_FILE})

# The built-in scenario's two text descriptions, as `emit` writes them.
set(SC_EXAMPLE_DIR ${CMAKE_BINARY_DIR}/example)
set(SC_EXAMPLE_FILES
  "${SC_EXAMPLE_DIR}/Vastro - Dreo_linea.txt"
  "${SC_EXAMPLE_DIR}/Vastro - Dreo_2001-.txt")
add_custom_command(OUTPUT ${SC_EXAMPLE_FILES}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${SC_EXAMPLE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SC_EXAMPLE_DIR}
  COMMAND scenario-compiler emit --out ${SC_EXAMPLE_DIR}
  DEPENDS scenario-compiler
  COMMENT "Writing the example scenario"
  VERBATIM)
if(CMAKE_CROSSCOMPILING)
  add_custom_target(sc_example DEPENDS ${SC_EXAMPLE_FILES})
else()
  add_custom_target(sc_example ALL DEPENDS ${SC_EXAMPLE_FILES})
endif()
install(CODE "
  if(NOT EXISTS \"${SC_EXAMPLE_DIR}/Vastro - Dreo_linea.txt\")
    message(FATAL_ERROR \"The example scenario is not built: build the target sc_example first.\")
  endif()")

if(WIN32)
  set(SC_TEXT_DIR ${CMAKE_BINARY_DIR}/package-text)
  set(SC_TEXT_FILES)
  foreach(pair README.md:README.txt CHANGELOG.md:CHANGELOG.txt LICENSE:LICENSE.txt)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 source)
    list(GET pair 1 target)
    add_custom_command(OUTPUT ${SC_TEXT_DIR}/${target}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/${source}
              -DOUTPUT=${SC_TEXT_DIR}/${target} -P ${CMAKE_CURRENT_LIST_DIR}/text_crlf.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/${source} ${CMAKE_CURRENT_LIST_DIR}/text_crlf.cmake
      VERBATIM)
    list(APPEND SC_TEXT_FILES ${SC_TEXT_DIR}/${target})
  endforeach()
  add_custom_target(sc_package_text ALL DEPENDS ${SC_TEXT_FILES})

  install(TARGETS scenario-compiler RUNTIME DESTINATION .)
  install(FILES ${SC_TEXT_FILES} ${SC_NOTICES_FILE} DESTINATION .)
  install(FILES ${SC_EXAMPLE_FILES} DESTINATION example)
else()
  set(SC_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/scenario-compiler)
  install(TARGETS scenario-compiler RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES README.md CHANGELOG.md ${SC_NOTICES_FILE} DESTINATION ${SC_DOC_DIR})
  # Debian keeps a package's licence as doc/<package>/copyright.
  install(FILES LICENSE DESTINATION ${SC_DOC_DIR} RENAME copyright)
  install(FILES ${SC_EXAMPLE_FILES} DESTINATION ${SC_DOC_DIR}/examples)
  install(FILES completion/scenario-compiler.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME scenario-compiler)

  # Man pages are installed compressed, as Debian's man expects them.
  find_program(SC_GZIP gzip)
  if(SC_GZIP)
    set(SC_MAN_PAGE ${CMAKE_BINARY_DIR}/scenario-compiler.1.gz)
    add_custom_command(OUTPUT ${SC_MAN_PAGE}
      COMMAND ${SC_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/doc/scenario-compiler.1 > ${SC_MAN_PAGE}
      DEPENDS ${PROJECT_SOURCE_DIR}/doc/scenario-compiler.1)
    add_custom_target(sc_man_page ALL DEPENDS ${SC_MAN_PAGE})
  else()
    set(SC_MAN_PAGE doc/scenario-compiler.1)
  endif()
  install(FILES ${SC_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

if(SC_BUILD_TESTS AND NOT WIN32)
  add_test(NAME help_coverage
    COMMAND ${PROJECT_SOURCE_DIR}/tests/help_coverage_test.sh $<TARGET_FILE:scenario-compiler>
            ${PROJECT_SOURCE_DIR}/doc/scenario-compiler.1
            ${PROJECT_SOURCE_DIR}/completion/scenario-compiler.bash)
  add_test(NAME version_from_git
    COMMAND ${PROJECT_SOURCE_DIR}/tests/version_test.sh ${PROJECT_SOURCE_DIR} ${PROJECT_VERSION})
  add_test(NAME bash_completion
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/completion_test.sh
            ${PROJECT_SOURCE_DIR}/completion/scenario-compiler.bash)
endif()

# Packages: a .deb on Linux, a .zip from the Windows cross-build.
set(CPACK_PACKAGE_NAME scenario-compiler)
set(CPACK_PACKAGE_VENDOR "The scenario-compiler authors")
# The plain version: the commit is told by --version only.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compiler for train-driving simulator scenarios")
set(CPACK_PACKAGE_DESCRIPTION
  "Turns a railway line and a train service, written as two text files, into the\n"
  "binary files a train-driving simulator loads, and writes the driver's paper\n"
  "documents. Carries one complete scenario built in.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" sc_package_platform)
  set(CPACK_PACKAGE_FILE_NAME "scenario-compiler-${PROJECT_VERSION}-${sc_package_platform}")
  # Unzipped, everything lands in one folder named after the package.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The scenario-compiler authors")
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  # The libraries the program needs, found by dpkg-shlibdeps from the binary.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()
# The Windows installer: a per-user .msi (cmake/windows_installer.cmake,
# packaging/scenario-compiler.wxs) beside the zip. Build the targets all and
# sc_example first, as for the zip.
if(WIN32)
  # Named before include(CPack), which changes CPACK_PACKAGE_FILE_NAME.
  set(sc_package_file_name ${CPACK_PACKAGE_FILE_NAME})
  set(SC_MSI_UPGRADE_CODE "{6B1C2D0E-5F4A-4E7B-9C3D-2A8E1F0B7C41}")
  # MSI versions are numbers only: project()'s x.y.z and a fourth part.
  set(sc_msi_version ${PROJECT_VERSION}.0)
  add_custom_target(sc_msi
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DSTAGE=${CMAKE_BINARY_DIR}/msi/stage
      -DWXS=${PROJECT_SOURCE_DIR}/packaging/scenario-compiler.wxs
      -DOUTPUT=${CPACK_PACKAGE_DIRECTORY}/${sc_package_file_name}.msi
      -DVERSION=${sc_msi_version} -DUPGRADE_CODE=${SC_MSI_UPGRADE_CODE}
      -P ${CMAKE_CURRENT_LIST_DIR}/windows_installer.cmake
    COMMENT "Building the Windows installer"
    VERBATIM)
  add_dependencies(sc_msi scenario-compiler sc_example sc_package_text sc_notices)
endif()

include(CPack)

