#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the tools need, when missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-dev make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libfreetype-dev libfontconfig-dev libpng-dev zlib1g-dev
  fonts-liberation2 fonts-dejavu-core
  libimage-exiftool-perl binutils-mingw-w64-i686 gzip time
  qt6-base-dev libqt6gui6 qt6-wayland xvfb xauth xdotool x11-utils imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
