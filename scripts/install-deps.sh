#!/usr/bin/env bash
# Installs every Debian/Ubuntu package the project needs to build, play and test.
# Add new packages here, never by hand: CI starts from a clean machine.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # libraries the programs link
  libx11-dev libxtst-dev libgl-dev libglx-mesa0 libgl1-mesa-dri libpng-dev
  libopenal-dev libopenal1 libvorbis-dev libogg-dev libfreetype-dev
  # assets are generated from these at build time
  fonts-dejavu-core
  # tests and benchmarks: a real X server, software GL, input injection, inspection
  libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth x11-utils x11-apps xdotool
  mesa-utils imagemagick sox vorbis-tools
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
