#!/usr/bin/env bash
# The version cmake/version.cmake derives from a checkout: no tag, a tag, a
# commit after it, uncommitted changes, a tree outside git (also when
# unpacked inside another repository), and the Debian form of each.
# Usage: version_test.sh VERSION_CMAKE
set -uo pipefail
script=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# The version written for SOURCE_DIR, with 9.8.7 as project()'s version.
version_of() {
  cmake -DSOURCE_DIR="$1" -DFALLBACK=9.8.7 -DPLATFORM="Linux x86_64" \
    -DOUTPUT="$work/version.cc" -P "$script" >/dev/null &&
    sed -n 's/^const char kProgramVersion\[\] = "\(.*\)";$/\1/p' "$work/version.cc"
}
# The Debian package version for a program version.
package_version_of() {
  cat > "$work/package.cmake" <<CMAKE
include("$script")
sc_package_version("$1" v)
message("\${v}")
CMAKE
  cmake -P "$work/package.cmake" 2>&1
}
expect() {  # WHAT EXPECTED GOT
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: expected [$2], got [$3]" >&2
    failures=$((failures + 1))
  fi
}
commit() {
  git -C "$work/repo" -c user.name=test -c user.email=test@example.org commit -q --allow-empty -m "$1"
}

git init -q "$work/repo"
echo a > "$work/repo/file"
git -C "$work/repo" add file
commit first
hash=$(git -C "$work/repo" rev-parse --short=7 HEAD)
expect "no tag" "9.8.7-untagged-g$hash" "$(version_of "$work/repo")"
echo b > "$work/repo/file"
expect "no tag, changed" "9.8.7-untagged-g$hash-dirty" "$(version_of "$work/repo")"
git -C "$work/repo" checkout -q file
git -C "$work/repo" tag v1.2.3
git -C "$work/repo" tag not-a-version
expect "on the tag" "1.2.3" "$(version_of "$work/repo")"
echo b > "$work/repo/file"
expect "on the tag, changed" "1.2.3-dirty" "$(version_of "$work/repo")"
git -C "$work/repo" checkout -q file
commit second
git -C "$work/repo" tag -a -m release v1.3.0
commit third
hash=$(git -C "$work/repo" rev-parse --short=7 HEAD)
git -C "$work/repo" tag v1.4.0-rc1
expect "after an annotated tag, a pre-release tag skipped" "1.3.0-1-g$hash" "$(version_of "$work/repo")"

mkdir "$work/tarball"
git -C "$work/repo" archive HEAD | tar -x -C "$work/tarball"
expect "outside git" "9.8.7" "$(version_of "$work/tarball")"
mkdir "$work/repo/unpacked"
git -C "$work/repo" archive HEAD | tar -x -C "$work/repo/unpacked"
expect "unpacked inside another checkout" "9.8.7" "$(version_of "$work/repo/unpacked")"

expect "deb: release" "1.2.3" "$(package_version_of 1.2.3)"
expect "deb: after" "1.2.3+4.gabc1234" "$(package_version_of 1.2.3-4-gabc1234)"
expect "deb: untagged" "1.2.3~untagged.gabc1234" "$(package_version_of 1.2.3-untagged-gabc1234)"
expect "deb: release, changed" "1.2.3+0.dirty" "$(package_version_of 1.2.3-dirty)"
expect "deb: after, changed" "1.2.3+4.gabc1234.dirty" "$(package_version_of 1.2.3-4-gabc1234-dirty)"
# Debian's order: untagged < release < changed release < later commit.
dpkg --compare-versions 1.2.3~untagged.gabc1234 lt 1.2.3 &&
  dpkg --compare-versions 1.2.3 lt 1.2.3+0.dirty &&
  dpkg --compare-versions 1.2.3+0.dirty lt 1.2.3+4.gabc1234 || {
  echo "FAIL: Debian orders the package versions otherwise" >&2
  failures=$((failures + 1))
}

if ((failures > 0)); then
  echo "$failures version case(s) failed" >&2
  exit 1
fi
echo "version: all cases pass"
