#!/usr/bin/env bash
# Installs every Debian/Ubuntu package the project needs to build, play and test.
# (The Windows cross-build installs its own: scripts/build-windows.sh.)
# Add new packages here, never by hand: CI starts from a clean machine.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang
  # libraries the programs link
  libx11-dev libxtst-dev libgl-dev libopengl-dev libglx-mesa0 libgl1-mesa-dri libpng-dev
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
export DEBIAN_FRONTEND=noninteractive
updated=0
install() {
  [ "$updated" -eq 1 ] || { $SUDO apt-get update -qq; updated=1; }
  $SUDO apt-get install -y -qq --no-install-recommends "$@"
}
if [ ${#missing[@]} -gt 0 ]; then
  install "${missing[@]}"
fi
# The fuzzing runtime is packaged per clang version, and only on some releases
# apart from clang itself.
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
rt="libclang-rt-${clang_major}-dev"
if ! dpkg-query -W -f='${Status}' "$rt" 2>/dev/null | grep -q "install ok installed"; then
  [ "$updated" -eq 1 ] || { $SUDO apt-get update -qq; updated=1; }
  if apt-cache show "$rt" >/dev/null 2>&1; then install "$rt"; fi
fi
