#!/usr/bin/env bash
# Tests the release in dist/ (scripts/release.sh) as users get it:
# - the man page renders with no groff warning;
# - the .deb installs with dpkg -i, the installed program's built-in run
#   writes the same bytes as the release build tree's program, it says the
#   plain version (no commit), its man page
#   and bash completion are found, and dpkg -r leaves nothing behind;
# - every package carries the user's guide (the README's sections for users,
#   none of its developers' sections) and the format reference (the
#   committed docs/scenario-format.md), in the Windows packages with CR LF;
# - the Windows zip unzips to the .exe, the texts and the example, and the
#   .exe under wine compiles the example to the same bytes as the Linux
#   program;
# - the Windows installer, under wine: it upgrades an earlier version (built
#   from the same files with a lower version number) in place, installs for
#   the user into %LOCALAPPDATA%\Programs\scenario-compiler with the texts
#   and the example, two Start menu entries and the folder on the user's
#   PATH; its Apps entry has the icon, the install location and the guide;
#   the built-in run there writes the same bytes as the Linux program's;
#   compile runs through PATH; uninstalling removes all it installed (PATH
#   entry and Start menu entries included) and leaves the built-in run's files;
# - the VS Code extension holds its manifest, grammars, client, README and
#   licence, at the program's version.
# Installs into this machine: run it as root (or with sudo) on a machine
# where scenario-compiler is not installed, as CI is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh groff man-db unzip wine wine64 wixl msitools
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
linux_build=$PWD/build-release/linux/scenario-compiler
debs=(dist/scenario-compiler_*.deb)
zips=(dist/scenario-compiler-*-windows-x86_64.zip)
msis=(dist/scenario-compiler-*-windows-x86_64.msi)
if [ ${#debs[@]} -ne 1 ] || [ ${#zips[@]} -ne 1 ] || [ ${#msis[@]} -ne 1 ] || [ ! -x "$linux_build" ]; then
  echo "dist/ must hold one .deb, one .zip and one .msi from scripts/release.sh" >&2
  exit 1
fi
(cd dist && sha256sum --quiet -c SHA256SUMS)
deb=${debs[0]} zip=${zips[0]} msi=${msis[0]}
work=$(mktemp -d)
installed=
cleanup() {
  if [ -n "$installed" ]; then $SUDO dpkg -r scenario-compiler >/dev/null || true; fi
  WINEPREFIX="$work/wineprefix" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Runs two programs' outputs side by side: same files, same bytes.
same_files() {  # DIR_A DIR_B WHAT
  if ! diff <(cd "$1" && ls -A) <(cd "$2" && ls -A); then
    echo "$3: different files" >&2
    return 1
  fi
  local name count=0
  while IFS= read -r name; do
    cmp -- "$1/$name" "$2/$name"
    count=$((count + 1))
  done < <(cd "$2" && ls -A)
  if [ "$count" -eq 0 ]; then
    echo "$3: no file written" >&2
    return 1
  fi
  echo "$3: $count files, byte-identical"
}

# The user's guide and the format reference as a package holds them: the
# guide opens with its title, has the sections for users and none of the
# developers'; the reference is the committed one. The third argument is
# crlf for the Windows packages' line ends.
check_guide() {  # GUIDE REFERENCE crlf|lf
  local guide=$1 reference=$2 text section
  test -f "$guide" || { echo "missing: $guide" >&2; return 1; }
  test -f "$reference" || { echo "missing: $reference" >&2; return 1; }
  if [ "$3" = crlf ]; then
    for text in "$guide" "$reference"; do
      if [ "$(grep -c $'\r$' "$text")" -ne "$(wc -l < "$text")" ]; then
        echo "$text does not have CR LF line ends" >&2
        return 1
      fi
    done
  fi
  cmp <(tr -d '\r' < "$reference") build-release/source/docs/scenario-format.md
  tr -d '\r' < "$guide" > "$work/guide.txt"
  head -1 "$work/guide.txt" | grep -q "^# scenario-compiler .*: user's guide$"
  for section in "Installing" "Command line" "Exit statuses" "Author's guide" "Warnings" \
                 "Decompiling" "Editors" "On Windows" "Bad input and failed writes"; do
    grep -qx "## $section" "$work/guide.txt" || { echo "$guide lacks \"$section\"" >&2; return 1; }
  done
  for section in "Quick start" "Releases and versions" "Building by hand" "Testing" "Layout" \
                 "Windows build"; do
    if grep -qx "## $section" "$work/guide.txt"; then
      echo "$guide holds the developers' section \"$section\"" >&2
      return 1
    fi
  done
  if grep -q 'scripts/\|docs/scenario-format' "$work/guide.txt"; then
    echo "$guide names files of the source tree:" >&2
    grep -n 'scripts/\|docs/scenario-format' "$work/guide.txt" >&2
    return 1
  fi
  echo "$guide: the user's guide, $(wc -l < "$work/guide.txt") lines, and the format reference"
}

# dpkg takes a lock that another installation on this machine may hold.
dpkg_retry() {
  local attempt
  for attempt in $(seq 60); do
    if $SUDO dpkg "$@" 2>"$work/dpkg.err"; then return 0; fi
    grep -q "lock" "$work/dpkg.err" || { cat "$work/dpkg.err" >&2; return 1; }
    sleep 5
  done
  cat "$work/dpkg.err" >&2
  return 1
}

echo "== Man page renders without warnings"
groff -man -ww -z doc/scenario-compiler.1 2>"$work/groff.err"
MANWIDTH=80 man --warnings=w -l doc/scenario-compiler.1 >/dev/null 2>>"$work/groff.err"
if [ -s "$work/groff.err" ]; then
  cat "$work/groff.err" >&2
  exit 1
fi

echo "== Debian package: $deb"
# The package's state in dpkg's database: empty or "not-installed" when absent.
package_state() {
  dpkg-query -W -f='${Status}' scenario-compiler 2>/dev/null | grep -v 'not-installed$' || true
}
if [ -n "$(package_state)" ]; then
  echo "scenario-compiler is already known to dpkg here ($(package_state)); purge it first" >&2
  exit 1
fi
# What the package would add: its files, and the folders not here before.
dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' |
  sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^$' > "$work/contents"
: > "$work/new-paths"
while IFS= read -r path; do
  [ -e "$path" ] || echo "$path" >> "$work/new-paths"
done < "$work/contents"

installed=1
dpkg_retry -i "$deb"
test "$(command -v scenario-compiler)" = /usr/bin/scenario-compiler
test "$(scenario-compiler --version)" = "$("$linux_build" --version)"
# A release says its version as the package names it, without the commit.
release_version=${deb##*/scenario-compiler_}
release_version=${release_version%_amd64.deb}
test "$(scenario-compiler --version)" = "scenario-compiler $release_version (Linux x86_64)"
scenario-compiler --version
mkdir "$work/installed" "$work/build-tree"
installed_status=0 build_status=0
scenario-compiler --out "$work/installed" 2>/dev/null || installed_status=$?
"$linux_build" --out "$work/build-tree" 2>/dev/null || build_status=$?
test "$installed_status" -eq "$build_status"
same_files "$work/installed" "$work/build-tree" "installed built-in run against the build tree's"
man -w scenario-compiler | grep -q '^/usr/share/man/man1/scenario-compiler\.1\.gz$'
MANWIDTH=80 man --warnings=w scenario-compiler 2>"$work/man.err" | grep -q 'scenario-compiler'
if [ -s "$work/man.err" ]; then cat "$work/man.err" >&2; exit 1; fi
bash -c 'source /usr/share/bash-completion/completions/scenario-compiler &&
  complete -p scenario-compiler' | grep -q _scenario_compiler
check_guide /usr/share/doc/scenario-compiler/USER-GUIDE.txt \
  /usr/share/doc/scenario-compiler/FORMAT-REFERENCE.txt lf
cmp /usr/share/doc/scenario-compiler/examples/"Vastro - Dreo_linea.txt" \
  <(mkdir "$work/emitted" && cd "$work/emitted" && "$linux_build" emit >/dev/null &&
    cat "Vastro - Dreo_linea.txt")

dpkg_retry -r scenario-compiler
installed=
if [ -n "$(package_state)" ]; then
  echo "dpkg -r left the package's record: $(package_state)" >&2
  exit 1
fi
left=0
while IFS= read -r path; do
  if [ -e "$path" ]; then echo "left behind: $path" >&2; left=1; fi
done < "$work/new-paths"
[ "$left" -eq 0 ]
echo "dpkg -r: nothing left behind ($(wc -l < "$work/new-paths") paths removed)"

echo "== Windows zip: $zip"
unzip -q "$zip" -d "$work/zip"
top="$work/zip/$(basename "$zip" .zip)"
expected=$'CHANGELOG.txt\nFORMAT-REFERENCE.txt\nLICENSE.txt\nTHIRD-PARTY-NOTICES.txt\nUSER-GUIDE.txt\nexample\nexample/Vastro - Dreo_2001-.txt\nexample/Vastro - Dreo_linea.txt\nscenario-compiler.exe'
if [ "$(cd "$top" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)" != "$expected" ]; then
  echo "the zip holds other files than expected:" >&2
  (cd "$top" && find . -mindepth 1) >&2
  exit 1
fi
check_guide "$top/USER-GUIDE.txt" "$top/FORMAT-REFERENCE.txt" crlf
# The example is what the Linux program emits.
for name in "Vastro - Dreo_linea.txt" "Vastro - Dreo_2001-.txt"; do
  cmp "$top/example/$name" "$work/emitted/$name"
done

export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wineboot --init >/dev/null 2>&1
windows_version=$(cd "$top" && wine ./scenario-compiler.exe --version | tr -d '\r')
echo "$windows_version"
test "${windows_version% (*}" = "$("$linux_build" --version | sed 's/ (.*//')"
test "${windows_version##* (}" = "Windows x86_64)"
mkdir "$work/windows-out" "$work/linux-out"
windows_status=0 linux_status=0
(cd "$top" && wine ./scenario-compiler.exe compile "example/Vastro - Dreo_linea.txt" \
  "example/Vastro - Dreo_2001-.txt" --out "$(winepath -w "$work/windows-out")") || windows_status=$?
"$linux_build" compile "$top/example/Vastro - Dreo_linea.txt" "$top/example/Vastro - Dreo_2001-.txt" \
  --out "$work/linux-out" || linux_status=$?
if [ "$windows_status" -ne "$linux_status" ]; then
  echo "exit status differs: Windows $windows_status, Linux $linux_status" >&2
  exit 1
fi
same_files "$work/windows-out" "$work/linux-out" "the zip's .exe compiling its example against Linux"

echo "== Windows installer: $msi"
# The uninstall entries wine keeps for the product: one DisplayVersion a line.
installed_versions() {
  local hive
  for hive in HKCU HKLM; do
    wine reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null |
      tr -d '\r' | awk '/DisplayName +REG_SZ +scenario-compiler$/ { found = 1 }
                        /^HKEY/ { found = 0 }
                        found && /DisplayVersion/ { print $3 }'
  done
}
user_path() { wine reg query 'HKCU\Environment' /v PATH 2>/dev/null | tr -d '\r' | awk '/PATH/ { print $3 }'; }
local_app_data=$(wine cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')
app_data=$(wine cmd /c 'echo %APPDATA%' | tr -d '\r')
install_dir="$(winepath -u "$local_app_data")/Programs/scenario-compiler"
install_dir_win="$local_app_data\\Programs\\scenario-compiler"
shortcut="$(winepath -u "$app_data")/Microsoft/Windows/Start Menu/Programs/scenario-compiler (built-in scenario).lnk"
guide_shortcut="$(winepath -u "$app_data")/Microsoft/Windows/Start Menu/Programs/scenario-compiler user's guide.lnk"
msi_version=$(msiinfo export "$msi" Property | tr -d '\r' | awk '$1 == "ProductVersion" { print $2 }')
upgrade_code=$(msiinfo export "$msi" Property | tr -d '\r' | awk '$1 == "UpgradeCode" { print $2 }')
if [ -n "$(installed_versions)" ] || [ -e "$install_dir" ]; then
  echo "scenario-compiler is already installed in this wine prefix" >&2
  exit 1
fi

# An earlier version, made from the release build's files with a lower number.
cmake -DBUILD_DIR="$PWD/build-release/windows" -DSTAGE="$work/earlier/stage" \
  -DWXS="$PWD/build-release/source/packaging/scenario-compiler.wxs" \
  -DOUTPUT="$work/earlier/scenario-compiler-0.9.0.msi" -DVERSION=0.9.0.0 \
  -DUPGRADE_CODE="$upgrade_code" -P build-release/source/cmake/windows_installer.cmake
wine msiexec /i "$(winepath -w "$work/earlier/scenario-compiler-0.9.0.msi")" /qn
test "$(installed_versions)" = 0.9.0.0
wine msiexec /i "$(winepath -w "$msi")" /qn
if [ "$(installed_versions)" != "$msi_version" ]; then
  echo "after the upgrade the installed versions are: $(installed_versions | tr '\n' ' ')(expected $msi_version alone)" >&2
  exit 1
fi
echo "upgraded 0.9.0.0 to $msi_version in place"
expected_installed=$expected
if [ "$(cd "$install_dir" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)" != "$expected_installed" ]; then
  echo "the installer put other files than expected into $install_dir:" >&2
  (cd "$install_dir" && find . -mindepth 1) >&2
  exit 1
fi
for name in USER-GUIDE.txt FORMAT-REFERENCE.txt LICENSE.txt THIRD-PARTY-NOTICES.txt \
            "example/Vastro - Dreo_linea.txt" "example/Vastro - Dreo_2001-.txt"; do
  cmp "$install_dir/$name" "$top/$name"
done
test -f "$shortcut"
test -f "$guide_shortcut"
# The Apps entry: the folder, the guide, no Modify button, and the icon
# (Windows Installer keeps a copy of it, named in the product's ProductIcon).
# Wine registers even a per-user product for the machine: both hives are looked at.
uninstall_entry=$(for hive in HKCU HKLM; do
    wine reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null
  done | tr -d '\r' | awk '/^HKEY/ { key = $0 } /DisplayName +REG_SZ +scenario-compiler$/ { print key }')
arp_value() {
  wine reg query "$uninstall_entry" /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_[A-Z_]* *//Ip"
}
case "$(arp_value InstallLocation)" in
  "$install_dir_win" | "$install_dir_win\\") ;;
  *) echo "the Apps entry's InstallLocation is '$(arp_value InstallLocation)', not $install_dir_win" >&2; exit 1 ;;
esac
test "$(arp_value Readme)" = "$install_dir_win\\USER-GUIDE.txt"
test "$(arp_value NoModify)" = 0x1
product_code=${uninstall_entry##*\\}
icon=$(for key in 'HKCU\Software\Microsoft\Installer\Products' 'HKLM\Software\Classes\Installer\Products'; do
    wine reg query "$key" /s 2>/dev/null
  done | tr -d '\r' | sed -n 's/^ *ProductIcon *REG_SZ *//p' | grep -F "$product_code" | head -1)
if [ -z "$icon" ] || [ ! -f "$(winepath -u "$icon")" ]; then
  echo "the Apps entry of $product_code has no icon ('$icon')" >&2
  exit 1
fi
echo "Apps entry: icon $icon, location $(arp_value InstallLocation)"
case ";$(user_path);" in
  *";$install_dir_win;"* | *";$install_dir_win\\;"*) ;;
  *) echo "the user's PATH lacks $install_dir_win: $(user_path)" >&2; exit 1 ;;
esac

# The Start menu entry's run: the built-in run in the installed folder.
installed_status=0
(cd "$install_dir" && wine ./scenario-compiler.exe >"$work/msi-run.out" 2>&1) || installed_status=$?
test "$installed_status" -eq "$build_status"
mkdir "$work/msi-run"
while IFS= read -r name; do
  case $'\n'"$expected_installed"$'\n' in *$'\n'"$name"$'\n'*) continue ;; esac
  cp -- "$install_dir/$name" "$work/msi-run/"
done < <(cd "$install_dir" && find . -maxdepth 1 -type f | sed 's|^\./||')
same_files "$work/msi-run" "$work/build-tree" "the installed .exe's built-in run against the Linux program's"

# compile, found through the user's PATH: from a batch file, so that cmd
# reads the quoted names as a user types them.
mkdir "$work/path-out"
printf '@scenario-compiler.exe compile "%s" "%s" --out "%s"\r\n' \
  "$install_dir_win\\example\\Vastro - Dreo_linea.txt" \
  "$install_dir_win\\example\\Vastro - Dreo_2001-.txt" "$(winepath -w "$work/path-out")" \
  > "$work/compile.bat"
path_status=0
(cd "$work" && wine cmd /c compile.bat) || path_status=$?
test "$path_status" -eq "$linux_status"
same_files "$work/path-out" "$work/linux-out" "compile through PATH against the Linux program"

wine msiexec /x "$(winepath -w "$msi")" /qn
if [ -n "$(installed_versions)" ]; then echo "uninstalling left the product registered" >&2; exit 1; fi
if [ -e "$shortcut" ] || [ -e "$guide_shortcut" ]; then echo "uninstalling left a Start menu entry" >&2; exit 1; fi
case ";$(user_path);" in
  *";$install_dir_win"*) echo "uninstalling left $install_dir_win on PATH" >&2; exit 1 ;;
esac
# Only the built-in run's files stay.
if [ "$(cd "$install_dir" && find . -mindepth 1 -type f | sed 's|^\./||' | LC_ALL=C sort)" != \
     "$(cd "$work/msi-run" && ls -A | LC_ALL=C sort)" ]; then
  echo "after uninstalling, $install_dir holds:" >&2
  (cd "$install_dir" && find . -mindepth 1) >&2
  exit 1
fi
echo "uninstalled: the installed files, the PATH entry and the Start menu entries are gone; the built-in run's $(ls -A "$work/msi-run" | wc -l) files stay"

vsixes=(dist/scenario-compiler-*.vsix)
echo "== VS Code extension: ${vsixes[0]}"
if [ ${#vsixes[@]} -ne 1 ] || [ ! -f "${vsixes[0]}" ]; then
  echo "dist/ must hold one .vsix" >&2
  exit 1
fi
unzip -q "${vsixes[0]}" -d "$work/vsix"
for f in package.json extension.js language-configuration.json readme.md LICENSE.txt \
         node_modules/vscode-languageclient/package.json; do
  test -f "$work/vsix/extension/$f" || { echo "the .vsix lacks extension/$f" >&2; exit 1; }
done
ls "$work"/vsix/extension/syntaxes/*.json >/dev/null
cmp "$work/vsix/extension/readme.md" build-release/source/editors/vscode/README.md
cmp "$work/vsix/extension/LICENSE.txt" build-release/source/LICENSE
grep -q '<License>extension/LICENSE.txt</License>' "$work/vsix/extension.vsixmanifest"
vsix_version=$(node -p "require('$work/vsix/extension/package.json').version")
program_version=$("$linux_build" --version | sed 's/^[^ ]* \([0-9.]*\).*/\1/')
echo "extension $vsix_version, program $program_version"
case "$program_version" in
  "$vsix_version"*) ;;
  *) echo "the extension's version $vsix_version is not the program's $program_version" >&2; exit 1 ;;
esac
echo "Package tests passed."
