#!/usr/bin/env bash
# Packages the VS Code extension in editors/vscode as a .vsix, with the
# packaging tool (@vscode/vsce) and the client library pinned by its
# package-lock.json. The extension is staged in OUT_DIR/vscode-extension with
# the project's LICENSE beside its README, so the .vsix carries both and the
# source folder gets no copy. Usage: scripts/package_vscode.sh [OUT_DIR]
# (default: build/)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build}")
stage=$out/vscode-extension
mkdir -p "$out"
scripts/deps.sh
rm -rf "$stage"
mkdir -p "$stage"
tar -C editors/vscode --exclude=./node_modules --exclude='./*.vsix' -cf - . | tar -C "$stage" -xf -
cp LICENSE "$stage/LICENSE"
cd "$stage"
npm ci --no-audit --no-fund --loglevel=error
version=$(node -p "require('./package.json').version")
npx vsce package --allow-missing-repository -o "$out/scenario-compiler-$version.vsix"
