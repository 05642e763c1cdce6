#!/usr/bin/env bash
# Installs the Debian packages Korvat needs to build, test and run, if any
# are missing. Needs root (or sudo) only when something has to be installed.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libsqlite3-dev
  libgtest-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation2
  imagemagick xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
  else
    echo "These packages are missing and I am not root: ${missing[*]}" >&2
    exit 1
  fi
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
