#!/usr/bin/env bash
# Installs the Debian packages the build needs, and the packages named as
# arguments (what one script needs beyond the build), when one is missing.
# Usage: scripts/deps.sh [PACKAGE...]
set -euo pipefail
packages=(g++ cmake ninja-build libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev libboost-dev libexpat1-dev
  libosmium2-dev libprotozero-dev zlib1g-dev libbz2-dev libgeographiclib-dev "$@")
# The editor tests run under Node.js (where the machine has none).
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then packages+=(nodejs npm); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
