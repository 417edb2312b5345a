#!/usr/bin/env bash
# Installs every Debian package the project needs to build, play and test.
# Each package is named here because something uses it directly; nothing is
# left to arrive as a dependency of another. Add new packages here, never by
# hand: CI starts from a clean machine. Tried on a minimal Debian 12 by
# scripts/check-fresh.sh.
# (The Windows cross-build installs its own: scripts/build-windows.sh.)
set -euo pipefail
PACKAGES=(
  # compilers and build tools (gcc/g++ build everything, clang the fuzz harnesses)
  build-essential cmake ninja-build pkg-config clang
  git ca-certificates           # the README starts from a clone (https needs the certificates)
  # libraries the programs link, with their headers
  libx11-dev libgl-dev libglx-dev
  libopengl-dev                 # libOpenGL.so: CMake's FindOpenGL defines OpenGL::GLX only beside it
  libpng-dev libopenal-dev libvorbis-dev libogg-dev
  libfreetype-dev               # the asset generator rasterises the font with it
  fonts-dejavu-core             # the font the generated bitmap font is made from
  # what the game loads at run time beyond the linked libraries
  libglx-mesa0 libgl1-mesa-dri  # Mesa's GLX and its drivers, software GL among them
  libopenal1                    # OpenAL Soft (its null and wave-file backends serve the tests)
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  libxtst-dev                   # the shell tests inject keys and pointer moves through XTEST
  xvfb                          # the private X server every drawing test and check runs against
  x11-utils                     # xwininfo: check-fresh.sh and the install tests wait for the game's window
  file dpkg-dev                 # cpack -G DEB: shlibdeps runs dpkg-shlibdeps on what file calls ELF
  desktop-file-utils            # desktop-file-validate for the installed .desktop file
  python3                       # tests/fuzz/make_corpus.py rewrites the fuzz seed corpus
  # looking at and hearing what the game does by hand: screenshots (xwd),
  # PNG views (convert), GL information (glxinfo), sound files (sox, ogginfo),
  # keys and clicks sent to a window under Xvfb (xdotool), the processes (ps),
  # xvfb-run (xauth)
  x11-apps imagemagick mesa-utils sox vorbis-tools xdotool procps xauth
)

SUDO=()
if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null; then
  SUDO=(sudo)
fi
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done

# The fuzzing runtime is packaged per clang version, and only on some releases
# apart from clang itself: it is looked for once clang is there.
fuzz_runtime() {
  local major
  major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
  [ -n "$major" ] && echo "libclang-rt-${major}-dev"
}

if [ "$(id -u)" -ne 0 ] && [ ${#SUDO[@]} -eq 0 ]; then
  rt=$(fuzz_runtime || true)
  if [ -n "$rt" ] && ! installed "$rt" && apt-cache show "$rt" >/dev/null 2>&1; then missing+=("$rt"); fi
  [ ${#missing[@]} -eq 0 ] && exit 0
  echo "install-deps.sh: ${#missing[@]} packages are missing and sudo is not installed." >&2
  echo "Run this once as root (e.g. after 'su -'), then run the command again:" >&2
  echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
updated=0
install() {
  [ "$updated" -eq 1 ] || { "${SUDO[@]}" apt-get update -qq; updated=1; }
  "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "$@"
}
if [ ${#missing[@]} -gt 0 ]; then
  install "${missing[@]}"
fi
rt=$(fuzz_runtime || true)
if [ -n "$rt" ] && ! installed "$rt"; then
  [ "$updated" -eq 1 ] || { "${SUDO[@]}" apt-get update -qq; updated=1; }
  if apt-cache show "$rt" >/dev/null 2>&1; then install "$rt"; fi
fi
