#!/usr/bin/env bash
# Installs the Debian packages that building and testing Orvandel need, when any is missing.
# Usage: scripts/deps.sh [extra-package ...]
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev libgl-dev libssl-dev libcurl4-openssl-dev openssl
    libgtest-dev libbenchmark-dev
    dosfstools fusefat
    fonts-liberation
    python3
    dpkg-dev desktop-file-utils appstream lintian bash-completion groff-base man-db
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
