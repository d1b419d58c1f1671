#!/usr/bin/env bash
# The version: project() in CMakeLists.txt holds it, and the newest release
# heading of CHANGELOG.md and the VS Code extension say the same; what
# cmake/version.cmake makes of it in a checkout (a release build, another
# build, uncommitted changes, tags, no tags at all) and outside one (a
# tarball, also when unpacked inside another repository).
# Usage: version_test.sh SOURCE_DIR PROJECT_VERSION
set -uo pipefail
source_dir=$(realpath "$1")
project_version=$2
script=$source_dir/cmake/version.cmake
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {  # WHAT EXPECTED GOT
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: expected [$2], got [$3]" >&2
    failures=$((failures + 1))
  fi
}

# One place holds the version; the others must agree with it.
changelog=$(sed -n 's/^## \[\([0-9][0-9.]*\)\].*/\1/p' "$source_dir/CHANGELOG.md" | head -n 1)
expect "CHANGELOG.md's newest release" "$project_version" "$changelog"
extension=$(sed -n 's/^  "version": "\(.*\)",$/\1/p' "$source_dir/editors/vscode/package.json")
expect "the VS Code extension's version" "$project_version" "$extension"

# The version written for SOURCE_DIR, with 9.8.7 as project()'s version;
# RELEASE (ON or OFF, default OFF) says whether it is a release build.
version_of() {
  cmake -DSOURCE_DIR="$1" -DVERSION=9.8.7 -DPLATFORM="Linux x86_64" -DRELEASE="${2:-OFF}" \
    -DOUTPUT="$work/version.cc" -P "$script" >/dev/null &&
    sed -n 's/^const char kProgramVersion\[\] = "\(.*\)";$/\1/p' "$work/version.cc"
}
commit() {
  git -C "$work/repo" -c user.name=test -c user.email=test@example.org commit -q --allow-empty -m "$1"
}

git init -q "$work/repo"
echo a > "$work/repo/file"
git -C "$work/repo" add file
commit first
hash=$(git -C "$work/repo" rev-parse --short=7 HEAD)
expect "no tag" "9.8.7+g$hash" "$(version_of "$work/repo")"
echo b > "$work/repo/file"
expect "no tag, changed" "9.8.7+g$hash-dirty" "$(version_of "$work/repo")"
git -C "$work/repo" checkout -q file
expect "a release build" "9.8.7" "$(version_of "$work/repo" ON)"
git -C "$work/repo" tag v1.2.3
git -C "$work/repo" tag -a -m release v9.8.7
# A tag decides nothing: the tagged commit built for development names its
# commit, and a release build needs no tag.
expect "the tagged commit" "9.8.7+g$hash" "$(version_of "$work/repo")"
expect "the tagged commit, a release build" "9.8.7" "$(version_of "$work/repo" ON)"
commit second
hash=$(git -C "$work/repo" rev-parse --short=7 HEAD)
expect "after the tag" "9.8.7+g$hash" "$(version_of "$work/repo")"
git clone -q --no-tags "$work/repo" "$work/clone"
expect "a clone without tags" "9.8.7+g$hash" "$(version_of "$work/clone")"
expect "a clone without tags, a release build" "9.8.7" "$(version_of "$work/clone" ON)"

mkdir "$work/tarball"
git -C "$work/repo" archive HEAD | tar -x -C "$work/tarball"
expect "outside git" "9.8.7" "$(version_of "$work/tarball")"
expect "outside git, a release build" "9.8.7" "$(version_of "$work/tarball" ON)"
mkdir "$work/repo/unpacked"
git -C "$work/repo" archive HEAD | tar -x -C "$work/repo/unpacked"
expect "unpacked inside another checkout" "9.8.7" "$(version_of "$work/repo/unpacked")"

if ((failures > 0)); then
  echo "$failures version case(s) failed" >&2
  exit 1
fi
echo "version: all cases pass"
