#!/usr/bin/env bash
# Makes (or finds) the bare root that scripts/check-fresh.sh starts from: a
# minimal Debian 12 (debootstrap --variant=minbase) from the mirror this
# machine's apt sources name, with only the packages below added, packed as
# <dir>/base-<key>.tar. The key hashes this script and the mirror, so a
# tarball is reused only when this same script made it from the same package
# list; its recorded checksum must still match. Prints the tarball's path.
# Usage: scripts/fresh-base.sh DIR   (needs root and debootstrap)
set -euo pipefail
SUITE=bookworm
BASE_PACKAGES=(git)
DIR=${1:?usage: fresh-base.sh DIR}

# The first source line for $SUITE in deb822 or one-line form.
mirror() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v s="$SUITE" '/^URIs:/{u=$2} /^Suites:/{for(i=2;i<=NF;i++) if($i==s) ok=1}
         /^$/{if(ok&&u){print u; exit} u="";ok=0} END{if(ok&&u) print u}' "$f"
  done
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk -v s="$SUITE" '$1=="deb" && $3==s {print $2}'
}
MIRROR=$(mirror | head -n 1 || true)
MIRROR=${MIRROR:-http://deb.debian.org/debian}
SECURITY=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list 2>/dev/null |
           grep -E '^(URIs:|deb )' | grep -oE 'https?://[^ ]*debian-security' | head -n 1 || true)
SECURITY=${SECURITY:-http://deb.debian.org/debian-security}

mkdir -p "$DIR"
DIR=$(cd "$DIR" && pwd)
KEY=$({ cat "$0"; echo "$MIRROR $SECURITY"; } | sha256sum | cut -c1-16)
BASE=$DIR/base-$KEY.tar
if [ -f "$BASE" ] && [ -f "$BASE.sha256" ] && (cd "$DIR" && sha256sum --quiet -c "$(basename "$BASE").sha256" >&2); then
  echo "$BASE"
  exit 0
fi

ROOT=$DIR/base-root
mounts_under() { awk -v r="$1" '$2==r || index($2, r"/")==1 {print $2}' /proc/mounts | sort -r; }
unmount_all() { local m; for m in $(mounts_under "$ROOT"); do umount "$m" 2>/dev/null || umount -l "$m" || true; done; }
trap unmount_all EXIT
unmount_all
[ -z "$(mounts_under "$ROOT")" ] || { echo "fresh-base: cannot unmount under $ROOT" >&2; exit 1; }
rm -rf --one-file-system "$ROOT" "$DIR"/base-*.tar "$DIR"/base-*.tar.sha256
echo "fresh-base: debootstrap --variant=minbase $SUITE from $MIRROR, then ${BASE_PACKAGES[*]}" >&2
# Downloaded packages are kept in $DIR/cache for the next root; they do not
# change what the root holds.
mkdir -p "$DIR/cache/debs" "$DIR/cache/apt/partial"
debootstrap --variant=minbase --cache-dir="$DIR/cache/debs" "$SUITE" "$ROOT" "$MIRROR" >"$DIR/debootstrap.log" 2>&1 ||
  { tail -n 30 "$DIR/debootstrap.log" >&2; exit 1; }
cat >"$ROOT/etc/apt/sources.list" <<EOF
deb $MIRROR $SUITE main
deb $MIRROR $SUITE-updates main
deb $SECURITY $SUITE-security main
EOF
cp /etc/resolv.conf "$ROOT/etc/resolv.conf"
mount --bind /proc "$ROOT/proc"
mount --bind /dev "$ROOT/dev"
mount --bind /dev/pts "$ROOT/dev/pts"
mount --bind "$DIR/cache/apt" "$ROOT/var/cache/apt/archives"
chroot "$ROOT" apt-get update -qq >&2
chroot "$ROOT" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${BASE_PACKAGES[@]}" >/dev/null
unmount_all
chroot "$ROOT" apt-get clean
rm -rf "$ROOT"/var/lib/apt/lists/* "$ROOT/etc/resolv.conf"
tar -cpf "$BASE.tmp" -C "$ROOT" .
mv "$BASE.tmp" "$BASE"
(cd "$DIR" && sha256sum "$(basename "$BASE")" >"$(basename "$BASE").sha256")
rm -rf --one-file-system "$ROOT"
echo "$BASE"
