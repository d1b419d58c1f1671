# Builds the Windows installer (.msi) from packaging/scenario-compiler.wxs
# with wixl (Debian package wixl), from the files the zip holds and the icon
# beside the .wxs, then adds what wixl cannot write itself: the user's PATH
# entry (the Environment table and its two actions), upgrades from the same
# version (a rebuild), not only from older ones, and the dialogs
# (packaging/ui/*.idt: wixl writes no dialog).
# Usage: cmake -DBUILD_DIR=... -DSTAGE=... -DWXS=... -DOUTPUT=... -DVERSION=x.y.z.n
#              -DUPGRADE_CODE={...} -P windows_installer.cmake
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
file(REMOVE_RECURSE ${STAGE})
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE} --strip
  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
# The icon of the Apps entry and the Start menu entry, beside the files.
get_filename_component(wxs_dir ${WXS} DIRECTORY)
file(COPY ${wxs_dir}/scenario-compiler.ico DESTINATION ${STAGE})
execute_process(COMMAND ${WIXL} -a x64 -D Version=${VERSION} -D UpgradeCode=${UPGRADE_CODE}
                        -o ${OUTPUT}.new ${WXS}
  WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

# PATH: "=-" sets the entry on installation and takes it out on removal;
# "[~];" keeps what the variable held before, the folder goes last.
set(idt ${STAGE}/../Environment.idt)
file(WRITE ${idt} "Environment\tName\tValue\tComponent_\ns72\tl255\tL255\ts72\n"
                  "Environment\tEnvironment\nUserPath\t=-PATH\t[~];[INSTALLDIR]\tProgram\n")
# The dialogs name the version as the program does: x.y.z, without the
# fourth part an MSI version needs.
string(REGEX REPLACE "\\.[0-9]+$" "" program_version ${VERSION})
set(queries
  "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)"
  "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)"
  # The upgrade's version range up to this version inclusive (attributes 513:
  # migrate features, maximum included), so a rebuild of the same version
  # replaces the installed one instead of installing beside it.
  "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"
  "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) VALUES ('${UPGRADE_CODE}', '${VERSION}', 513, 'WIX_UPGRADE_DETECTED')"
  # The dialogs of an installation started by a double-click (packaging/ui):
  # one that says what it installs where, with Install and Cancel, before
  # anything is changed; one that says it is done, or one that it failed.
  # Not on removal, nor with msiexec /qn or /qb.
  "INSERT INTO `Property` (`Property`, `Value`) VALUES ('DefaultUIFont', 'ScNormal')"
  "INSERT INTO `Property` (`Property`, `Value`) VALUES ('ProgramVersion', '${program_version}')"
  "INSERT INTO `InstallUISequence` (`Action`, `Condition`, `Sequence`) VALUES ('WelcomeDlg', 'NOT Installed', 1297)"
  "INSERT INTO `InstallUISequence` (`Action`, `Condition`, `Sequence`) VALUES ('ExitDlg', 'NOT REMOVE', -1)"
  "INSERT INTO `InstallUISequence` (`Action`, `Condition`, `Sequence`) VALUES ('FatalErrorDlg', 'NOT REMOVE', -3)")
set(args -i ${idt})
foreach(table IN ITEMS TextStyle Dialog Control ControlEvent)
  list(APPEND args -i ${wxs_dir}/ui/${table}.idt)
endforeach()
foreach(query IN LISTS queries)
  list(APPEND args -q "${query}")
endforeach()
execute_process(COMMAND ${MSIBUILD} ${OUTPUT}.new ${args} COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${OUTPUT}.new ${OUTPUT})
