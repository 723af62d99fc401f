#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run the demo, and makes the
# Debian root whose 32-bit Wine runs the Windows program (scripts/wine-root). Safe to run again:
# apt-get only installs what is missing, and the root is made once.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  clang libclang-rt-14-dev
  zlib1g-dev libssl-dev googletest
  g++-mingw-w64-i686-posix libz-mingw-w64-dev
  debootstrap
  xvfb xauth xdotool x11-utils imagemagick strace
  python3 zip unzip libarchive-tools p7zip-full locales
  osslsigncode openssl
  nsis
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all packages present"
"$(dirname "$0")/wine-root" ensure
