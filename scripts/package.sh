#!/usr/bin/env bash
# The package step: makes dist/tarvik_installer.exe, the linked installer program with the
# payload archive appended to it byte for byte, and puts dist/tarvik_unzip.dll beside it. Then
# checks the result: the archive is found by the shift of its central directory, the shift equals
# the program's length, the program part is the linked program unchanged, every entry inflates
# to its CRC-32, and the program's resources are exactly the icon, the version information and
# the manifest, and that neither the program nor the library imports a DLL that a file beside
# them could stand in for. With a code-signing certificate the package is signed after the
# archive is appended, so the signature covers program and payload alike, and the library is
# signed too; the check then also verifies both signatures and names the signer.
#
# usage: scripts/package.sh [PAYLOAD_FOLDER] [--sign-pkcs12 FILE [--timestamp URL]]
#   Without a folder the demo payload is generated (511 files) and packaged. With one, the
#   files directly inside PAYLOAD_FOLDER/scenery and PAYLOAD_FOLDER/texture are packed.
#   --sign-pkcs12 FILE signs with the certificate and key in the PKCS#12 file, whose password
#   is read from the environment variable TARVIK_SIGN_PASSWORD (never from the command line);
#   --timestamp URL adds a timestamp (RFC 3161) from that server.
#
# Environment: TARVIK_NATIVE_BUILD (default build/native: the package tools),
# TARVIK_WINDOWS_BUILD (default build/windows: the program and the library), TARVIK_DIST
# (default dist), TARVIK_NO_BUILD=1 to use the trees as they are instead of bringing the
# targets up to date.
set -euo pipefail
usage() {
  echo "usage: scripts/package.sh [PAYLOAD_FOLDER] [--sign-pkcs12 FILE [--timestamp URL]]" >&2
  exit 2
}
payload_folder= pkcs12= timestamp=
while (($#)); do
  case $1 in
    --sign-pkcs12) (($# >= 2)) || usage; pkcs12=$(realpath "$2"); shift 2 ;;
    --timestamp) (($# >= 2)) || usage; timestamp=$2; shift 2 ;;
    -*) usage ;;
    *) [[ -z $payload_folder ]] || usage; payload_folder=$(realpath "$1"); shift ;;
  esac
done
[[ -z $timestamp || -n $pkcs12 ]] || usage
if [[ -n $pkcs12 && -z ${TARVIK_SIGN_PASSWORD+set} ]]; then
  echo "package: set TARVIK_SIGN_PASSWORD to the password of $pkcs12" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
source scripts/package-signing.sh
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
library=$windows/bin/tarvik_unzip.dll
# The program knows its library by a digest that signing leaves as it is, so a signed library
# loads as the unsigned one would.
if [[ -n $pkcs12 ]]; then
  "$native/bin/tarvik_make_package" "$program" "$archive" "$work/unsigned.exe"
  sign_package "$pkcs12" "$timestamp" "$work/unsigned.exe" "$dist/tarvik_installer.exe"
  sign_package "$pkcs12" "$timestamp" "$library" "$dist/tarvik_unzip.dll"
else
  "$native/bin/tarvik_make_package" "$program" "$archive" "$dist/tarvik_installer.exe"
  cp "$library" "$dist/tarvik_unzip.dll.part"
  mv "$dist/tarvik_unzip.dll.part" "$dist/tarvik_unzip.dll"
fi

"$native/bin/tarvik_check_package" "$dist/tarvik_installer.exe" "$program" --archive "$archive" \
  --library "$dist/tarvik_unzip.dll"
if [[ -n $pkcs12 ]]; then
  verify_signature "$pkcs12" "$dist/tarvik_installer.exe"
  verify_signature "$pkcs12" "$dist/tarvik_unzip.dll"
fi
echo "package: $dist/tarvik_installer.exe ($(stat -c %s "$dist/tarvik_installer.exe") bytes)" \
  "and $dist/tarvik_unzip.dll"
