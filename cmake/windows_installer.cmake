# Builds the Windows installer (.msi) from packaging/scenario-compiler.wxs
# with wixl (Debian package wixl), from the files the zip holds, then adds
# what wixl cannot write itself: the user's PATH entry (the Environment
# table and its two actions) and upgrades from the same version (a rebuild),
# not only from older ones.
# Usage: cmake -DBUILD_DIR=... -DSTAGE=... -DWXS=... -DOUTPUT=... -DVERSION=x.y.z.n
#              -DUPGRADE_CODE={...} -P windows_installer.cmake
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
file(REMOVE_RECURSE ${STAGE})
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE} --strip
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${WIXL} -a x64 -D Version=${VERSION} -D UpgradeCode=${UPGRADE_CODE}
                        -o ${OUTPUT}.new ${WXS}
  WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

# PATH: "=-" sets the entry on installation and takes it out on removal;
# "[~];" keeps what the variable held before, the folder goes last.
set(idt ${STAGE}/../Environment.idt)
file(WRITE ${idt} "Environment\tName\tValue\tComponent_\ns72\tl255\tL255\ts72\n"
                  "Environment\tEnvironment\nUserPath\t=-PATH\t[~];[INSTALLDIR]\tProgram\n")
set(queries
  "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)"
  "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)"
  # The upgrade's version range up to this version inclusive (attributes 513:
  # migrate features, maximum included), so a rebuild of the same version
  # replaces the installed one instead of installing beside it.
  "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"
  "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('${UPGRADE_CODE}', '${VERSION}', 513, 'WIX_UPGRADE_DETECTED')")
set(args -i ${idt})
foreach(query IN LISTS queries)
  list(APPEND args -q "${query}")
endforeach()
execute_process(COMMAND ${MSIBUILD} ${OUTPUT}.new ${args} COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${OUTPUT}.new ${OUTPUT})
