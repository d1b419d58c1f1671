#!/usr/bin/env bash
# The Windows build: cross-compiles scenario-compiler.exe with mingw-w64 into
# build-windows/, runs its unit tests under wine, then runs the built-in
# scenario with the .exe and with the Linux program and compares every file
# they write, byte for byte, and imports the Liechtenstein map with both and
# compares the two texts each writes. Last, the .exe's view --serve under wine is
# spoken to over plain sockets by the Linux test program, and (where
# chromium and tests/browser's packages are installed) driven in the browser.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh g++-mingw-w64-x86-64-posix googletest wine wine64 locales \
  libz-mingw-w64-dev dpkg-dev make
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
# The tests run under a Russian locale, whose ANSI code page (1251) reads the
# bytes of accented Windows-1252 letters as other letters: a name that went
# through the system code page instead of 1252 would fail.
test_locale=ru_RU.UTF-8
if ! locale -a | grep -qi '^ru_RU\.utf-\?8$'; then
  $SUDO localedef -i ru_RU -f UTF-8 "$test_locale"
fi
jobs=$(nproc)

# The import's map libraries that Debian has no mingw-w64 package for, built
# from Debian's sources once (build-windows-deps/).
scripts/windows_deps.sh
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DSC_WINDOWS_DEPS="$PWD/build-windows-deps/prefix"
cmake --build build-windows -j "$jobs"

# A private, headless wine: its own prefix, no log noise, no display.
work=$(mktemp -d)
trap 'WINEPREFIX="$work/wineprefix" wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wineboot --init >/dev/null 2>&1

echo "== Windows unit tests under wine"
LC_ALL=$test_locale wine build-windows/sc_tests.exe --gtest_brief=1

# Prints how many files the Windows run wrote into $1 and the Linux run into
# $2; fails unless they wrote the same names with the same bytes.
same_files() {
  if ! diff <(cd "$1" && ls -A) <(cd "$2" && ls -A); then
    echo "the two runs wrote different files" >&2
    return 1
  fi
  local count=0 name
  while IFS= read -r name; do
    cmp "$1/$name" "$2/$name" >&2 || return 1
    count=$((count + 1))
  done < <(cd "$2" && ls -A)
  echo "$count"
}

echo "== Built-in run: Windows .exe against the Linux program"
cmake -S . -B build -G Ninja -DSC_SANITIZE=OFF -DSC_FUZZ=OFF >/dev/null
cmake --build build -j "$jobs" --target scenario-compiler
mkdir "$work/windows" "$work/linux"
cp build-windows/scenario-compiler.exe "$work/windows/"
cp build/scenario-compiler "$work/linux/"
# Without arguments each writes into its own folder; with its output
# redirected the .exe uses the console forms, as the Linux program does.
windows_status=0
(cd "$work/windows" && wine ./scenario-compiler.exe >stdout.txt 2>stderr.txt) || windows_status=$?
linux_status=0
(cd "$work/linux" && ./scenario-compiler >stdout.txt 2>stderr.txt) || linux_status=$?
rm "$work"/windows/{scenario-compiler.exe,stdout.txt,stderr.txt}
rm "$work"/linux/{scenario-compiler,stdout.txt,stderr.txt}
if [ "$windows_status" -ne "$linux_status" ]; then
  echo "exit status differs: Windows $windows_status, Linux $linux_status" >&2
  exit 1
fi
count=$(same_files "$work/windows" "$work/linux")
if [ "$count" -eq 0 ]; then
  echo "the built-in run wrote no file" >&2
  exit 1
fi
if [ "$count" -ne 6 ]; then
  echo "the built-in run left $count files, not its six:" >&2
  ls -A "$work/linux" >&2
  exit 1
fi
echo "Built-in run: $count files, byte-identical; exit status $linux_status on both."

if build/scenario-compiler --help | grep -q '^  import '; then
  echo "== Import: Windows .exe against the Linux program"
  if ! (LC_ALL=$test_locale wine build-windows/scenario-compiler.exe --help | grep -q '^  import '); then
    echo "the Windows .exe has no import command" >&2
    exit 1
  fi
  # The same map, by the same relative name, into each one's own folder.
  map=tests/data/osm/liechtenstein-2013-08-03.osm.pbf
  for side in windows linux; do
    mkdir "$work/import-$side"
    cp "$map" "$work/import-$side/liechtenstein.osm.pbf"
  done
  import_args=(import liechtenstein.osm.pbf --from Schaan-Vaduz --to Tisis --out texts)
  mkdir "$work/import-windows/texts" "$work/import-linux/texts"
  exe=$PWD/build-windows/scenario-compiler.exe program=$PWD/build/scenario-compiler
  (cd "$work/import-windows" && LC_ALL=$test_locale wine "$exe" "${import_args[@]}" >report.txt)
  (cd "$work/import-linux" && "$program" "${import_args[@]}" >report.txt)
  # The line file's first line names the program that wrote it, with its
  # platform; past that name the texts are the same bytes.
  for linea in "$work"/import-windows/texts/*_linea.txt; do
    sed -i '1s/ (Windows x86_64) / (Linux x86_64) /' "$linea"
  done
  count=$(same_files "$work/import-windows/texts" "$work/import-linux/texts")
  if [ "$count" -ne 2 ]; then
    echo "the import wrote $count files, not its two" >&2
    exit 1
  fi
  # The report is console text (CR LF on Windows) and spells the files it
  # wrote the platform's way.
  if ! diff <(tr -d '\r' <"$work/import-windows/report.txt" | sed '/^wrote /s|\\|/|g') \
    "$work/import-linux/report.txt"; then
    echo "the two imports' fit reports differ" >&2
    exit 1
  fi
  echo "Import: $count texts byte-identical (past the platform's name), the same fit report."
fi

echo "== Built-in runs ended by force under wine, each followed by a normal run"
# A run killed at any moment may leave temporaries and its lock file; the
# next run must not be held up by them and must leave exactly its six files.
mkdir "$work/killed"
cp build-windows/scenario-compiler.exe "$work/killed/"
for delay in 0.3 0.45 0.6 0.75 0.9 1.2 2; do
  (cd "$work/killed" && exec wine ./scenario-compiler.exe >/dev/null 2>&1) &
  pid=$!
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  (cd "$work/killed" && timeout 60 wine ./scenario-compiler.exe >/dev/null 2>"$work/next.txt")
  left=$(cd "$work/killed" && ls -A | grep -vc '^scenario-compiler\.exe$' || true)
  if [ "$left" -ne 6 ]; then
    echo "after a kill at ${delay} s, the next run left $left files:" >&2
    ls -A "$work/killed" >&2
    exit 1
  fi
  tr -d '\r' < "$work/next.txt" | grep -i "temporary" || true
done
echo "Killed runs: each next run left exactly its six files."

echo "== view --serve: the .exe under wine, over plain sockets"
cmake --build build -j "$jobs" --target sc_tests
SC_SERVE_EMULATOR=wine SC_SERVE_PROGRAM="$PWD/build-windows/scenario-compiler.exe" \
  build/sc_tests --gtest_filter='ViewServeCli*' --gtest_brief=1
if command -v chromium >/dev/null && [ -d tests/browser/node_modules ]; then
  echo "== view --serve: the .exe under wine, in the browser"
  printf '#!/bin/sh\nexec wine %q "$@"\n' "$PWD/build-windows/scenario-compiler.exe" > "$work/serve-exe"
  chmod +x "$work/serve-exe"
  (cd tests/browser && SC_PROGRAM="$work/serve-exe" SC_BROWSER_OUT="$work/browser" node --test live.test.mjs)
fi
