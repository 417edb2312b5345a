#!/usr/bin/env bash
# Tries the README's two commands as a new user would: in a minimal Debian 12
# root (debootstrap minbase, only git added) under build/fresh/, with the
# current commit cloned into it. Runs scripts/test.sh there, then
# scripts/play.sh against an Xvfb inside the root until the game's window
# appears. With --deb it also builds the Debian package there, installs it,
# starts and stops the installed ironvale-server, and removes the package.
# Prints each step's time; exits non-zero on any failure. Needs root.
#
# The bare root comes from scripts/fresh-base.sh, which keeps it as a tarball
# and reuses it only when it made it from the same script and package list.
set -euo pipefail
cd "$(dirname "$0")/.."
REPO=$(pwd)
WITH_DEB=0
for a in "$@"; do
  case "$a" in
    --deb) WITH_DEB=1 ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "check-fresh: unknown option $a (try --help)" >&2; exit 2 ;;
  esac
done
if [ "$(id -u)" -ne 0 ]; then
  echo "check-fresh: needs root (debootstrap, chroot, mounts): run 'sudo $0'" >&2
  exit 1
fi
command -v debootstrap >/dev/null || { echo "check-fresh: debootstrap missing: apt-get install debootstrap" >&2; exit 1; }

WORK=$REPO/build/fresh
ROOT=$WORK/root
mkdir -p "$WORK"

T0=$(date +%s)
step_start=0
step() { step_start=$(date +%s); echo "=== check-fresh: $* ($(date -u +%H:%M:%S))"; }
step_done() { echo "=== check-fresh: done in $(( $(date +%s) - step_start )) s"; }

mounts_under() { awk -v r="$1" '$2==r || index($2, r"/")==1 {print $2}' /proc/mounts | sort -r; }
# Every root this script made lives in $WORK/root*; unmount all of them.
unmount_all() {
  local m
  for m in $(mounts_under "$WORK" | grep -E "^$WORK/root"); do
    umount "$m" 2>/dev/null || umount -l "$m" || true
  done
}
PIDS=()
cleanup() {
  local rc=$? p
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${PIDS[@]}"; do wait "$p" 2>/dev/null || true; done
  unmount_all
  if [ -n "$(mounts_under "$WORK" | grep -E "^$WORK/root")" ]; then
    echo "check-fresh: still mounted under $WORK:" >&2; mounts_under "$WORK" >&2
    rc=1
  fi
  echo "=== check-fresh: total $(( $(date +%s) - T0 )) s, $([ "$rc" -eq 0 ] && echo PASSED || echo "FAILED ($rc)")"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A new root from the bare tarball in $ROOT. Never deletes a root that still
# has the host's /dev or /proc bound into it.
fresh_root() {
  unmount_all
  [ -z "$(mounts_under "$ROOT")" ] || { echo "check-fresh: cannot unmount under $ROOT" >&2; exit 1; }
  rm -rf --one-file-system "$ROOT"
  mkdir -p "$ROOT"
  tar -xpf "$BASE" -C "$ROOT"
  mount_root
}
mount_root() {
  mount --bind /proc "$ROOT/proc"
  mount --bind /sys "$ROOT/sys"
  mount --bind /dev "$ROOT/dev"
  mount --bind /dev/pts "$ROOT/dev/pts"
  # Downloaded packages are kept for the next run; what gets installed is the same.
  mkdir -p "$WORK/cache/apt/partial"
  mount --bind "$WORK/cache/apt" "$ROOT/var/cache/apt/archives"
  cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
}
in_root() { chroot "$ROOT" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 TERM=dumb "$@"; }
# For background jobs: the job's subshell becomes chroot, env and then the program,
# so $! is the program's own pid and a signal to it reaches the program.
in_root_exec() { exec chroot "$ROOT" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 TERM=dumb "$@"; }

step "bare Debian 12 root (scripts/fresh-base.sh)"
BASE=$(scripts/fresh-base.sh "$WORK")
echo "base: $(basename "$BASE")"
fresh_root
step_done

step "clone $(git rev-parse --short HEAD) into the root"
git bundle create "$ROOT/tmp/ironvale.bundle" HEAD >/dev/null 2>&1
in_root git -c advice.detachedHead=false clone -q /tmp/ironvale.bundle /root/ironvale
in_root git -C /root/ironvale log --oneline -1
step_done

step "install-deps.sh as a user without sudo says what to run"
in_root useradd -m player
cp "$ROOT/root/ironvale/scripts/install-deps.sh" "$ROOT/tmp/install-deps.sh"
out=$(in_root su player -s /bin/bash -c 'bash /tmp/install-deps.sh' 2>&1) && rc=0 || rc=$?
echo "$out" | sed 's/^/  | /'
if [ "$rc" -eq 0 ] || ! grep -q "as root" <<<"$out"; then
  echo "check-fresh: install-deps.sh without sudo should fail and name the root command" >&2
  exit 1
fi
step_done

step "scripts/test.sh"
in_root bash -c 'cd /root/ironvale && scripts/test.sh' >"$WORK/test.log" 2>&1 ||
  { tail -n 80 "$WORK/test.log"; echo "check-fresh: scripts/test.sh failed (whole output in $WORK/test.log)" >&2; exit 1; }
grep -E 'tests passed|fuzz:' "$WORK/test.log" || true
step_done

step "scripts/play.sh until the game's window appears"
# The root shares the host's abstract socket names, and X clients try those
# first: take a display number nobody on the host holds, or the check could
# see another program's window.
dn=""
for n in $(seq 20 99); do
  if ! grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix && [ ! -e "/tmp/.X$n-lock" ]; then dn=$n; break; fi
done
[ -n "$dn" ] || { echo "check-fresh: no free display number" >&2; exit 1; }
in_root_exec Xvfb ":$dn" -screen 0 1280x1024x24 -nolisten tcp +extension GLX >"$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 1 100); do grep -q "@/tmp/.X11-unix/X$dn\$" /proc/net/unix && break; sleep 0.1; done
kill -0 "${PIDS[0]}" 2>/dev/null || { cat "$WORK/xvfb.log"; echo "check-fresh: Xvfb did not start in the root" >&2; exit 1; }
echo "Xvfb on :$dn (pid ${PIDS[0]})"
# play.sh builds, then execs the game: the job becomes the game once its program
# is the root's ironvale-x11.
in_root_exec env DISPLAY=":$dn" LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null \
  bash -c 'cd /root && exec /root/ironvale/scripts/play.sh' >"$WORK/play.log" 2>&1 &
job=$!
PIDS+=("$job")
GAME_EXE=$ROOT/root/ironvale/build/release/bin/ironvale-x11
# Any viewable top-level window on this private display is the game's: nothing
# else runs there.
window_up() {
  local id
  for id in $(in_root env DISPLAY=":$dn" xwininfo -root -children 2>/dev/null | awk '/^ +0x/{print $1}'); do
    if in_root env DISPLAY=":$dn" xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
seen=""
for _ in $(seq 1 3600); do
  kill -0 "$job" 2>/dev/null || { tail -n 30 "$WORK/play.log"; echo "check-fresh: play.sh ended before a window appeared" >&2; exit 1; }
  # Only once play.sh has become the game (it builds first).
  [ "$(readlink "/proc/$job/exe")" = "$GAME_EXE" ] || { sleep 1; continue; }
  seen=$(window_up || true)
  [ -n "$seen" ] && break
  sleep 1
done
[ -n "$seen" ] || { tail -n 30 "$WORK/play.log"; echo "check-fresh: no window within an hour" >&2; exit 1; }
in_root env DISPLAY=":$dn" xwininfo -id "$seen" | grep -E 'xwininfo|Width|Height|Map State'
echo "the window's program: pid $job, $(readlink "/proc/$job/exe")"
kill "$job"; wait "$job" 2>/dev/null || true
kill "${PIDS[0]}"; wait "${PIDS[0]}" 2>/dev/null || true
PIDS=()
step_done

[ "$WITH_DEB" -eq 1 ] || exit 0

step "cpack -G DEB from the release build"
in_root bash -c 'cd /root/ironvale/build/release && cpack -G DEB -B /root/deb' >"$WORK/cpack.log" 2>&1 ||
  { tail -n 40 "$WORK/cpack.log"; echo "check-fresh: cpack failed" >&2; exit 1; }
deb=$(cd "$ROOT/root/deb" && ls ironvale_*.deb)
mkdir -p "$WORK/out"
cp "$ROOT/root/deb/$deb" "$WORK/out/"
dpkg-deb -f "$WORK/out/$deb" Package Version Depends
dpkg-deb -c "$WORK/out/$deb" >"$WORK/deb-contents.txt"
for f in ./usr/bin/ironvale ./usr/bin/ironvale-x11 ./usr/bin/ironvale-server \
         ./usr/share/applications/ironvale.desktop ./usr/share/man/man6/ironvale.6 \
         ./usr/share/man/man6/ironvale-server.6 ./usr/lib/systemd/system/ironvale-server.service \
         ./etc/default/ironvale-server ./usr/share/icons/hicolor/48x48/apps/ironvale.png \
         ./usr/share/ironvale/assets/models/map3.rawmdl; do
  grep -q " $f\$" "$WORK/deb-contents.txt" || { echo "check-fresh: $f is not in $deb" >&2; exit 1; }
done
for lib in libc6 libx11-6 libstdc++6; do
  dpkg-deb -f "$WORK/out/$deb" Depends | grep -q "$lib" || { echo "check-fresh: $deb does not depend on $lib" >&2; exit 1; }
done
step_done

# A second bare root, without any build packages: the package's own
# dependencies must bring everything its programs load.
step "install $deb in a bare root, run the server, remove and purge it"
unmount_all
ROOT=$WORK/root-deb
fresh_root
cp "$WORK/out/$deb" "$ROOT/tmp/"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$deb" >"$WORK/deb-install.log" 2>&1 ||
  { tail -n 30 "$WORK/deb-install.log"; echo "check-fresh: installing $deb failed" >&2; exit 1; }
missing=$(in_root bash -c 'ldd /usr/bin/ironvale-x11 /usr/bin/ironvale-server | grep "not found"' || true)
[ -z "$missing" ] || { echo "check-fresh: libraries missing after install: $missing" >&2; exit 1; }
in_root ironvale-server --help | head -n 1
# The root shares the host's network: a random port keeps clear of other runs.
port=$((20000 + RANDOM % 40000))
in_root_exec ironvale-server --port "$port" --name "Fresh Root" >"$WORK/deb-server.log" 2>&1 &
server=$!
PIDS=("$server")
for _ in $(seq 1 100); do
  grep -q "listening on port $port" "$WORK/deb-server.log" && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
grep -q "listening on port $port" "$WORK/deb-server.log" ||
  { cat "$WORK/deb-server.log"; echo "check-fresh: the installed server did not start" >&2; exit 1; }
kill -TERM "$server"
rc=0; wait "$server" || rc=$?
PIDS=()
cat "$WORK/deb-server.log"
[ "$rc" -eq 0 ] || { echo "check-fresh: the installed server ended with status $rc on SIGTERM" >&2; exit 1; }
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq ironvale >"$WORK/deb-remove.log" 2>&1 ||
  { tail -n 30 "$WORK/deb-remove.log"; echo "check-fresh: removing the package failed" >&2; exit 1; }
left=$(cd "$ROOT" && ls -d usr/bin/ironvale* usr/share/ironvale etc/default/ironvale-server \
       usr/lib/systemd/system/ironvale-server.service 2>/dev/null || true)
[ -z "$left" ] || { echo "check-fresh: left after purge: $left" >&2; exit 1; }
step_done
