#!/usr/bin/env bash
# One part of the install check, on a fresh `cmake --install` into a scratch prefix:
#   layout      every file lands where a Linux system looks for it
#   game        the `ironvale` launcher starts the game from the per-user state
#               folder; its window appears and it finds its assets in share/
#   server      the installed server listens, answers --help, stops on SIGTERM
#   validators  desktop-file-validate and systemd-analyze verify accept the files
#               (skipped, exit 77, when a validator is not installed)
# Usage: install_test.sh PART BUILD_DIR SOURCE_DIR
set -euo pipefail
part=$1 build=$2 src=$3
tmp=$(mktemp -d)
tmp=$(cd "$tmp" && pwd -P)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  [ -n "${XVFB_PID:-}" ] && xvfb_stop
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }

case "$part" in
layout)
  for f in bin/ironvale-x11 bin/ironvale bin/ironvale-server; do
    [ -x "$prefix/$f" ] || fail "$f is missing or not executable"
  done
  for f in share/ironvale/assets/shaders/gui.frag.glsl share/ironvale/assets/models/map3.rawmdl \
           share/ironvale/assets/textures/font8cyr.png share/ironvale/assets/sounds/step3.ogg \
           share/ironvale/assets/font/fontcyr.bin share/applications/ironvale.desktop \
           share/man/man6/ironvale.6 share/man/man6/ironvale-server.6 \
           lib/systemd/system/ironvale-server.service etc/default/ironvale-server; do
    [ -s "$prefix/$f" ] || fail "$f is missing or empty"
  done
  # The installed tree holds the same asset files as the build tree.
  diff -r "$build/assets" "$prefix/share/ironvale/assets" || fail "installed assets differ from the build's"
  [ ! -e "$prefix/assets" ] || fail "assets beside bin/ would hide the share/ lookup"
  for n in 16 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${n}x${n}/apps/ironvale.png
    [ -s "$icon" ] || fail "no ${n}-pixel icon"
    # PNG header: width and height are the big-endian words at bytes 16 and 20.
    dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4, $7*256+$8}')
    [ "$dims" = "$n $n" ] || fail "${n}-pixel icon is $dims"
  done
  # The unit runs the server installed beside it and reads the settings installed with it.
  unit=$prefix/lib/systemd/system/ironvale-server.service
  grep -qx "ExecStart=$prefix/bin/ironvale-server --port \${IRONVALE_PORT} --name \${IRONVALE_NAME}" "$unit" ||
    fail "ExecStart does not name $prefix/bin/ironvale-server"
  grep -qx "EnvironmentFile=-$prefix/etc/default/ironvale-server" "$unit" || fail "EnvironmentFile is not the installed one"
  grep -qE '@[A-Z_]+@' "$unit" && fail "unsubstituted name left in the unit"
  grep -qx 'IRONVALE_PORT=25280' "$prefix/etc/default/ironvale-server" || fail "default port"
  grep -qx 'Exec=ironvale' "$prefix/share/applications/ironvale.desktop" || fail "the desktop entry must start the launcher"
  ;;

game)
  # shellcheck source=/dev/null
  source "$src/scripts/xvfb.sh"
  xvfb_start >/dev/null
  mkdir -p "$tmp/home" "$tmp/start"
  cd "$tmp/start"
  # The launcher with XDG_STATE_HOME unset falls back to ~/.local/state.
  env -u XDG_STATE_HOME HOME="$tmp/home" LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null \
    "$prefix/bin/ironvale" >"$tmp/game.out" 2>&1 &
  game=$!
  pids+=("$game")
  win=""
  for _ in $(seq 1 120); do
    kill -0 "$game" 2>/dev/null || { cat "$tmp/game.out"; fail "the game ended before its window appeared"; }
    for id in $(xwininfo -root -children 2>/dev/null | awk '/^ +0x/{print $1}'); do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && win=$id
    done
    [ -n "$win" ] && break
    sleep 0.5
  done
  [ -n "$win" ] || fail "no game window within 60 s"
  [ "$(readlink "/proc/$game/exe")" = "$prefix/bin/ironvale-x11" ] || fail "the launcher did not exec ironvale-x11"
  state=$tmp/home/.local/state/ironvale
  [ "$(readlink "/proc/$game/cwd")" = "$prefix/share/ironvale/assets" ] ||
    fail "the game runs in $(readlink "/proc/$game/cwd"), not the installed assets"
  [ -f "$state/log.txt" ] || fail "log.txt is not in $state"
  [ -z "$(ls -A "$tmp/start")" ] || fail "the game wrote into the folder it was started from"
  kill "$game"
  wait "$game" 2>/dev/null || true
  pids=()
  grep -aq "Assets are in <$prefix/share/ironvale/assets>" "$tmp/game.out" || { cat "$tmp/game.out"; fail "no asset line"; }
  ;;

server)
  help=$("$prefix/bin/ironvale-server" --help)
  for opt in --port --name --verbose -v --help -h --version; do
    grep -qe "$opt\b" <<<"$help" || fail "--help does not list $opt"
  done
  started=""
  for _ in 1 2 3 4 5 6 7 8; do
    port=$((20000 + RANDOM % 40000))
    "$prefix/bin/ironvale-server" --port "$port" --name "Installed" >"$tmp/server.out" 2>&1 &
    server=$!
    pids+=("$server")
    for _ in $(seq 1 100); do
      grep -q "listening on port $port" "$tmp/server.out" && { started=1; break; }
      kill -0 "$server" 2>/dev/null || break
      sleep 0.1
    done
    [ -n "$started" ] && break
    wait "$server" 2>/dev/null || true  # the port was taken: try another
    pids=()
  done
  [ -n "$started" ] || { cat "$tmp/server.out"; fail "the installed server never listened"; }
  kill -TERM "$server"
  rc=0
  wait "$server" || rc=$?
  pids=()
  [ "$rc" -eq 0 ] || fail "exit status $rc after SIGTERM"
  expected="ironvale-server listening on port $port (TCP and UDP, all interfaces), name \"Installed\"
stopping: closing 0 connections
stopped"
  [ "$(cat "$tmp/server.out")" = "$expected" ] || { cat -A "$tmp/server.out"; fail "server output is not the three journal lines"; }
  ;;

validators)
  ran=0
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/ironvale.desktop" || fail "desktop-file-validate"
    ran=1
  else
    echo "desktop-file-validate is not installed: desktop entry not validated"
  fi
  if command -v systemd-analyze >/dev/null; then
    # MANPATH lets verify find the man page the unit's Documentation= names.
    MANPATH=$prefix/share/man systemd-analyze verify "$prefix/lib/systemd/system/ironvale-server.service" ||
      fail "systemd-analyze verify"
    ran=1
  else
    echo "systemd-analyze is not installed: service unit not verified"
  fi
  [ "$ran" -eq 1 ] || exit 77
  ;;
*) fail "unknown part $part" ;;
esac
echo "install $part: ok"
