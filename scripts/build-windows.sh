#!/usr/bin/env bash
# Cross-builds ironvale-win32.exe on Debian with MinGW-w64:
#   1. installs the cross toolchain, Wine and the zlib cross package;
#   2. cross-builds libogg, libvorbis and libpng (Debian source packages) and
#      OpenAL Soft 1.24.2 (orig tarball of the next Debian release) statically
#      into build/windows-deps/ (kept between runs; made again from scratch
#      when its completion mark is missing);
#   3. generates the asset tree with the native asset generator;
#   4. builds the game with cmake/mingw-w64.cmake into build/windows/.
# Result: build/windows/bin/ironvale-win32.exe with build/windows/bin/assets/.
# IRONVALE_HOST_BUILD=DIR uses an existing native build for the assets.
# Run it there: cd build/windows/bin && wine ironvale-win32.exe
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
DEPS=$ROOT/build/windows-deps
PREFIX=$DEPS/prefix
HOST=x86_64-w64-mingw32
JOBS=$(nproc)
SUDO=""
if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# ---- 1. packages ---------------------------------------------------------
PACKAGES=(
  g++-mingw-w64-x86-64-posix mingw-w64 libz-mingw-w64-dev  # cross compiler, Win32 headers, zlib
  wine wine64                                              # runs the program in the tests
  dpkg-dev                                                 # apt-get source unpacks with it
  cmake ninja-build pkg-config autoconf automake libtool make curl
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Source packages come from deb-src lines: bookworm's for ogg, vorbis and png,
# the next release's for OpenAL Soft (bookworm's source tarball is not served).
SRC_LIST=/etc/apt/sources.list.d/ironvale-src.sources
if [ "$(id -u)" -ne 0 ] && [ -z "$SUDO" ] && { [ ${#missing[@]} -gt 0 ] || [ ! -f "$SRC_LIST" ]; }; then
  echo "build-windows.sh: packages or source lines are missing and sudo is not installed." >&2
  echo "Run this once as root (e.g. after 'su -'), then run the command again:" >&2
  [ -f "$SRC_LIST" ] || printf '  printf '\''Types: deb-src\\nURIs: http://deb.debian.org/debian\\nSuites: bookworm trixie\\nComponents: main\\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\\n'\'' > %s\n' "$SRC_LIST" >&2
  if [ ${#missing[@]} -gt 0 ]; then
    echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  else
    echo "  apt-get update" >&2
  fi
  exit 1
fi
need_update=0
if [ ! -f "$SRC_LIST" ]; then
  $SUDO tee "$SRC_LIST" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ "$need_update" -eq 1 ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# ---- 2. third-party libraries, static, cached ----------------------------
MARK=$PREFIX/.complete
DEPS_ID="ogg=bookworm vorbis=bookworm png=bookworm openal=1.24.2 (no EAX, WASAPI and null)"
if [ ! -f "$MARK" ] || [ "$(cat "$MARK")" != "$DEPS_ID" ]; then
  echo "== cross-building the libraries into $DEPS"
  rm -rf "$DEPS"
  mkdir -p "$DEPS/src" "$PREFIX"
  cd "$DEPS/src"
  apt-get source -qq -o APT::Sandbox::User=root libogg/bookworm libvorbis/bookworm libpng1.6/bookworm >/dev/null
  # Of OpenAL Soft's source package only the orig tarball is served: take it
  # from the pool the deb-src line names and check it against the Sources index.
  OPENAL_TGZ=openal-soft_1.24.2.orig.tar.gz
  OPENAL_SHA256=$(apt-cache showsrc openal-soft | awk -v f="$OPENAL_TGZ" \
    '/^Checksums-Sha256:/ {s=1; next} /^[A-Z]/ {s=0} s && $3 == f {print $1; exit}')
  [ -n "$OPENAL_SHA256" ] || { echo "no $OPENAL_TGZ in the deb-src index"; exit 1; }
  curl -fsSL -o "$OPENAL_TGZ" "http://deb.debian.org/debian/pool/main/o/openal-soft/$OPENAL_TGZ"
  echo "$OPENAL_SHA256  $OPENAL_TGZ" | sha256sum -c --quiet
  tar xf "$OPENAL_TGZ"
  # The static library links its fmt object library through BUILD_LOCAL_INTERFACE,
  # which needs CMake 3.26 (bookworm has 3.25): put the fmt objects into the
  # archive itself instead.
  sed -i 's|\$<BUILD_LOCAL_INTERFACE:alsoft::fmt>)|)\n    target_sources(${IMPL_TARGET} PRIVATE $<TARGET_OBJECTS:alsoft.fmt>)\n    target_include_directories(${IMPL_TARGET} PRIVATE $<TARGET_PROPERTY:alsoft.fmt,INTERFACE_INCLUDE_DIRECTORIES>)|' \
    openal-soft-1.24.2/CMakeLists.txt

  autotools_build() {  # dir, extra configure args...
    local dir=$1; shift
    # No debugging information: the program is a release build, and it compiles faster.
    (cd "$dir" && ./configure -q --host=$HOST --prefix="$PREFIX" --disable-shared --enable-static "$@" CFLAGS=-O2 \
       && make -s -j"$JOBS" && make -s install) >"$DEPS/$(basename "$dir").log" 2>&1 \
      || { tail -40 "$DEPS/$(basename "$dir").log"; exit 1; }
  }
  autotools_build "$(ls -d libogg-*/)"
  # Only the cross-built libraries may answer pkg-config, never the build machine's.
  export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig
  autotools_build "$(ls -d libvorbis-*/)" --disable-docs --disable-examples \
    OGG_CFLAGS="-I$PREFIX/include" OGG_LIBS="-L$PREFIX/lib -logg"
  autotools_build "$(ls -d libpng1.6-*/)" CPPFLAGS="-I/usr/$HOST/include" LDFLAGS="-L/usr/$HOST/lib"

  # The game uses no EAX, and WASAPI is every supported Windows' sound system (null
  # serves the tests): the rest would only lengthen the build.
  cmake -S openal-soft-1.24.2 -B openal-build -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DIRONVALE_WIN_DEPS="$PREFIX" \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DLIBTYPE=STATIC \
    -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF -DALSOFT_TESTS=OFF \
    -DALSOFT_EAX=OFF -DALSOFT_BACKEND_DSOUND=OFF -DALSOFT_BACKEND_WINMM=OFF \
    -DALSOFT_INSTALL_HRTF_DATA=OFF -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF -DALSOFT_UPDATE_BUILD_VERSION=OFF \
    >"$DEPS/openal.log" 2>&1 \
    && cmake --build openal-build -j"$JOBS" >>"$DEPS/openal.log" 2>&1 \
    && cmake --install openal-build >>"$DEPS/openal.log" 2>&1 \
    || { tail -40 "$DEPS/openal.log"; exit 1; }
  echo "$DEPS_ID" >"$MARK"
  unset PKG_CONFIG_LIBDIR
  cd "$ROOT"
fi

# ---- 3. assets, made by the native generator -----------------------------
# IRONVALE_HOST_BUILD names a native build directory to use (the test command
# passes its own); by default one of its own is made.
HOSTBUILD=${IRONVALE_HOST_BUILD:-$ROOT/build/windows-host}
if [ ! -f "$HOSTBUILD/CMakeCache.txt" ]; then
  cmake -S . -B "$HOSTBUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DIRONVALE_TESTS=OFF >/dev/null
fi
cmake --build "$HOSTBUILD" --target assets

# ---- 4. the game ---------------------------------------------------------
BUILD=$ROOT/build/windows
PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DIRONVALE_WIN_DEPS="$PREFIX" >/dev/null
cmake --build "$BUILD" --target ironvale-win32
rm -rf "$BUILD/bin/assets"
cp -r "$HOSTBUILD/assets" "$BUILD/bin/assets"
echo "== built $BUILD/bin/ironvale-win32.exe"
