#!/usr/bin/env bash
# Makes the Debian 12 root in which the project runs Wine (build/debian-root, or the folder
# given), unless it is there already: debootstrap's minimal base of bookworm, with the sources
# bookworm and bookworm-updates only, the i386 architecture added inside it, and 32-bit and
# 64-bit Wine with its fonts, and strace. Nothing on the host changes but its files below the
# root's folder. scripts/in-root runs a command inside the root.
# usage: scripts/debian-root.sh [ROOT]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(realpath -m "${1:-${TARVIK_DEBIAN_ROOT:-build/debian-root}}")
mirror=http://deb.debian.org/debian
packages=(wine wine32:i386 wine64 fonts-wine strace)

if [[ -f $root/.complete ]]; then
  echo "debian-root: $root is ready"
  exit 0
fi
start=$SECONDS
# A root left half-made by an interrupted run is made again. Nothing stays mounted into the
# folder outside a namespace of scripts/in-root; should something be (an interrupted debootstrap
# mounts /proc), the root is left alone, since removing it would reach into the mount.
if awk -v root="$root/" 'index($2, root) == 1 { found = 1 } END { exit !found }' /proc/self/mounts
then
  echo "debian-root: something is mounted below $root; unmount it first" >&2
  exit 1
fi
rm -rf "$root"
mkdir -p "$(dirname "$root")"
echo "debian-root: bootstrapping bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 || {
  tail -20 "$root.log" >&2
  echo "debian-root: debootstrap failed (log: $root.log)" >&2
  exit 1
}
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
SOURCES
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The root only needs to be complete for scripts/in-root to enter it.
touch "$root/.complete"
echo "debian-root: installing ${packages[*]}"
if ! scripts/in-root sh -c "dpkg --add-architecture i386 && apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    ${packages[*]} && apt-get clean" >>"$root.log" 2>&1; then
  rm -f "$root/.complete"
  tail -20 "$root.log" >&2
  echo "debian-root: installing Wine failed (log: $root.log)" >&2
  exit 1
fi
echo "debian-root: ready in $((SECONDS - start)) s ($(du -sh "$root" | cut -f1))"
