#!/usr/bin/env bash
# Adds to a prefix made by scripts/make-demo-prefix.sh (with --obsolete-files --read-only and
# drive D:) what the end-to-end test and the demo need beyond it:
#   D:\Scenery Extra\Tarvik   version 2.0, named by the FS2000 line
#                             "Local=D:\Scenery Extra\Tarvik\scenery" (the add-on's own scenery
#                             sub-folder: listed as its parent), read-only files, 10 of the 42
#                             obsolete files
#   C:\Games\FS2002\Addon Scenery\Tarvik keeps only every other obsolete file
#   a FS2002 line "Local=..\..\Tarvik Spare" (two parent groups) naming a folder that is not there
#   Wine draws window frames and captions itself (no window manager under Xvfb)
# usage: tests/end_to_end/enrich-prefix.sh PREFIX
set -euo pipefail
cd "$(dirname "$0")/../.."
prefix=$(realpath "$1")
c=$prefix/drive_c
d=$prefix/drive_d
[[ -d $d && -f $c/Games/FS2000/scenery.cfg ]] || {
  echo "enrich-prefix: $prefix is not a demo prefix with drive D:" >&2
  exit 2
}
mapfile -t obsolete < <(grep -o '"[^"]*\.[A-Za-z]\{3\}"' app/obsolete_files.cpp | tr -d '"')

# The add-on folder named through its scenery sub-folder.
extra=$d/Scenery\ Extra/Tarvik
rm -rf "$extra"
mkdir -p "$extra/scenery" "$extra/texture"
head -c 1071681 /dev/zero >"$extra/scenery/qiro.bgl"
for name in trvk_amsterdam.bgl trvk_polders.bgl trvk_extra.bgl; do
  printf 'scenery %s\r\n' "$name" >"$extra/scenery/$name"
done
for name in polder_su.bmp water.bmp extra_dunes.bmp; do
  printf 'texture %s\r\n' "$name" >"$extra/texture/$name"
done
for name in "${obsolete[@]:0:10}"; do
  printf 'obsolete %s\r\n' "$name" >"$extra/scenery/$name"
done
chmod a-w "$extra"/scenery/* "$extra"/texture/*  # Wine shows these as read-only

# Some of the obsolete files, not all.
fs2002=$c/Games/FS2002/Addon\ Scenery/Tarvik/scenery
for ((i = 1; i < ${#obsolete[@]}; i += 2)); do
  rm -f "$fs2002/${obsolete[i]}"
done

printf '%s\r\n' '' '[Area.005]' 'Title=Tarvik (extra)' 'Local=D:\Scenery Extra\Tarvik\scenery' \
  'Layer=5' 'Active=TRUE' >>"$c/Games/FS2000/scenery.cfg"
printf '%s\r\n' '' '[Area.005]' 'Title=Tarvik (spare)' 'Local=..\..\Tarvik Spare' 'Layer=5' \
  'Active=FALSE' >>"$c/Games/FS2002/scenery.cfg"

source scripts/lib.sh
ensure_wine_prefix "$prefix"
"$TARVIK_SCRIPTS/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null

cat <<'EOT'
  enriched: D:\Scenery Extra\Tarvik        version 2.0 (FS2000, "...\Tarvik\scenery" line)
            FS2002 Tarvik keeps every other obsolete file; FS2002 names ..\..\Tarvik Spare
EOT
