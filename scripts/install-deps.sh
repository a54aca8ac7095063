#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and the host lacks (Debian 12).
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config
          qtbase5-dev libqt5network5 libgtest-dev libgmock-dev libbenchmark-dev
          qttools5-dev qttools5-dev-tools qttranslations5-l10n libqt5charts5-dev clang-format lld
          python3 iproute2 util-linux
          poppler-utils        # the user guide test reads the PDFs the build writes
          fonts-wqy-microhei)  # the windows speak Chinese first: without a CJK font every text is boxes
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
