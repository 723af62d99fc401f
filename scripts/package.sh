#!/usr/bin/env bash
# The package step: makes dist/tarvik_installer.exe, the linked installer program with the
# payload archive appended to it byte for byte, and puts dist/tarvik_unzip.dll beside it. Then
# checks the result: the archive is found by the shift of its central directory, the shift equals
# the program's length, the program part is the linked program unchanged, every entry inflates
# to its CRC-32, and the program's resources are exactly the icon, the version information and
# the manifest.
#
# usage: scripts/package.sh [PAYLOAD_FOLDER]
#   Without an argument the demo payload is generated (511 files) and packaged. With one, the
#   files directly inside PAYLOAD_FOLDER/scenery and PAYLOAD_FOLDER/texture are packed.
#
# Environment: TARVIK_NATIVE_BUILD (default build/native: the package tools),
# TARVIK_WINDOWS_BUILD (default build/windows: the program and the library), TARVIK_DIST
# (default dist), TARVIK_NO_BUILD=1 to use the trees as they are instead of bringing the
# targets up to date.
set -euo pipefail
payload_folder=${1:+$(realpath "$1")}
cd "$(dirname "$0")/.."
native=${TARVIK_NATIVE_BUILD:-build/native}
windows=${TARVIK_WINDOWS_BUILD:-build/windows}
dist=${TARVIK_DIST:-dist}
tools=(tarvik_make_payload tarvik_pack_payload tarvik_make_package tarvik_check_package)

if [[ ${TARVIK_NO_BUILD:-0} != 1 ]]; then
  for tree in "$native" "$windows"; do
    [[ -f $tree/build.ninja ]] || {
      echo "package: $tree is not configured; run scripts/build.sh first" >&2
      exit 2
    }
  done
  cmake --build "$native" --target "${tools[@]}" -j2 >/dev/null
  cmake --build "$windows" --target tarvik_installer tarvik_unzip -j2 >/dev/null
fi
for file in "${tools[@]/#/$native/bin/}" "$windows/bin/tarvik_installer.exe" \
  "$windows/bin/tarvik_unzip.dll"; do
  [[ -f $file ]] || { echo "package: $file is missing; run scripts/build.sh first" >&2; exit 2; }
done

work=$native/package
mkdir -p "$work" "$dist"
if [[ -z $payload_folder ]]; then
  echo "package: generating the demo payload"
  "$native/bin/tarvik_make_payload" "$work"
  archive=$work/payload.zip
else
  echo "package: packing $payload_folder"
  archive=$work/custom-payload.zip
  "$native/bin/tarvik_pack_payload" "$payload_folder" "$archive"
fi

program=$windows/bin/tarvik_installer.exe
"$native/bin/tarvik_make_package" "$program" "$archive" "$dist/tarvik_installer.exe"
cp "$windows/bin/tarvik_unzip.dll" "$dist/tarvik_unzip.dll.part"
mv "$dist/tarvik_unzip.dll.part" "$dist/tarvik_unzip.dll"

"$native/bin/tarvik_check_package" "$dist/tarvik_installer.exe" "$program" --archive "$archive"
echo "package: $dist/tarvik_installer.exe ($(stat -c %s "$dist/tarvik_installer.exe") bytes)" \
  "and $dist/tarvik_unzip.dll"
