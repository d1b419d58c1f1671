#!/usr/bin/env bash
# Builds the release from the committed state (HEAD) into dist/:
#   scenario-compiler_<version>_amd64.deb         Debian package
#   scenario-compiler-<version>-windows-x86_64.zip  Windows .exe, user's guide, example
#   scenario-compiler-<version>-windows-x86_64.msi  the same as a per-user installer
#   scenario-compiler-<version>.vsix              VS Code extension
#   SHA256SUMS
# HEAD is cloned into build-release/source, so nothing uncommitted or left
# over from other builds gets in. Both builds are release builds
# (SC_RELEASE=ON): the files are named with project()'s version and the
# programs' --version says it alone, without the commit, tag or none. The
# build trees stay in build-release/linux and
# build-release/windows (scripts/package_test.sh compares with them).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh dpkg-dev file g++-mingw-w64-x86-64-posix wine wine64 wixl msitools \
  libz-mingw-w64-dev make
jobs=${JOBS:-$(nproc)}
root=$PWD
work=$root/build-release

if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: uncommitted changes are left out; the release is HEAD ($(git rev-parse --short HEAD))" >&2
fi
rm -rf "$work"
mkdir -p "$work"
git clone -q --no-checkout "$root" "$work/source"
git -C "$work/source" -c advice.detachedHead=false checkout -q --detach "$(git rev-parse HEAD)"

echo "== Debian package"
cmake -S "$work/source" -B "$work/linux" -G Ninja -DSC_BUILD_TESTS=OFF -DSC_RELEASE=ON >/dev/null
cmake --build "$work/linux" -j "$jobs"
(cd "$work/linux" && cpack)

echo "== Windows zip"
# The example in the zip is the .exe's own `emit`, run under a private,
# headless wine.
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineboot --init >/dev/null 2>&1
# The import's map libraries, built from Debian's sources (once, kept in
# build-windows-deps/ beside the Windows test build's).
scripts/windows_deps.sh
cmake -S "$work/source" -B "$work/windows" -G Ninja -DSC_BUILD_TESTS=OFF -DSC_RELEASE=ON \
  -DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/mingw-w64-x86_64.cmake" \
  -DSC_WINDOWS_DEPS="$root/build-windows-deps/prefix" >/dev/null
cmake --build "$work/windows" -j "$jobs" --target all sc_example
(cd "$work/windows" && cpack)
echo "== Windows installer"
cmake --build "$work/windows" --target sc_msi

echo "== VS Code extension"
"$work/source/scripts/package_vscode.sh" "$work/vscode"

rm -rf dist
mkdir dist
cp "$work"/linux/packages/*.deb "$work"/windows/packages/*.zip "$work"/windows/packages/*.msi \
  "$work"/vscode/*.vsix dist/
(cd dist && sha256sum -- *.deb *.zip *.msi *.vsix > SHA256SUMS)
echo "== dist/"
cat dist/SHA256SUMS
