#!/usr/bin/env bash
# Packages the VS Code extension in editors/vscode as a .vsix, with the
# packaging tool (@vscode/vsce) and the client library pinned by its
# package-lock.json. Usage: scripts/package_vscode.sh [OUT_DIR] (default: build/)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build}")
mkdir -p "$out"
scripts/deps.sh
cd editors/vscode
npm ci --no-audit --no-fund --loglevel=error
version=$(node -p "require('./package.json').version")
npx vsce package --allow-missing-repository --skip-license -o "$out/scenario-compiler-$version.vsix"
