#!/usr/bin/env bash
# Creates (or refreshes) a Wine prefix in which both flight simulators are installed as far as
# the installer can tell: their registry entries in the 32-bit view, their scenery.cfg files,
# and Tarvik add-on folders of every kind of version, reached through each kind of
# configuration line.
#
# Usage: scripts/make-demo-prefix.sh PREFIX [options]
#   --obsolete-files   put the add-on's obsolete scenery files (app/obsolete_files.cpp) into
#                      every add-on folder's scenery sub-folder
#   --read-only        make the add-on folders' files read-only (and the textures hidden)
#   --no-drive-d       do not map drive D:; the unknown-version folder then lives on C:
#
# What it makes (C: is PREFIX/drive_c, D: is PREFIX/drive_d):
#   HKLM\SOFTWARE\Microsoft\Microsoft Games\Flight Simulator\7.0  path     = C:\Games\FS2000
#   HKLM\SOFTWARE\Microsoft\Microsoft Games\Flight Simulator\8.0  EXE path = C:\Games\FS2002
#   C:\Games\FS2000\scenery.cfg and C:\Games\FS2002\scenery.cfg (CR LF) naming:
#     C:\Games\FS2000\Addon Scenery\Tarvik  version 2.0  (FS2000, relative line)
#     C:\Games\FS2002\Addon Scenery\Tarvik  version 2.0  (FS2002, relative line)
#     C:\Games\Addons\Tarvik V21            version 2.1  (both, "Local=..\" line)
#     C:\Scenery\Tarvik Old                 version 1.0  (FS2000, drive line; not offered)
#     D:\Tarvik                             unknown      (FS2002, drive line)
#   Each add-on folder has scenery\ (the marker qiro.bgl and a few .bgl files) and texture\
#   (a few .bmp files).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

if [[ $# -lt 1 || $1 == -* ]]; then
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
fi
prefix=$(realpath -m "$1")
shift
obsolete_files=false
read_only=false
drive_d=true
for option in "$@"; do
  case $option in
    --obsolete-files) obsolete_files=true ;;
    --read-only) read_only=true ;;
    --no-drive-d) drive_d=false ;;
    *) echo "make-demo-prefix: unknown option $option" >&2; exit 2 ;;
  esac
done

# Marker sizes that tell the versions apart.
readonly SIZE_V10=442751 SIZE_V20=1071681 SIZE_V21=1040543 SIZE_UNKNOWN=1000000

ensure_wine_prefix "$prefix"
wine="$TARVIK_SCRIPTS/wine-run"
c=$prefix/drive_c

if $drive_d; then
  mkdir -p "$prefix/drive_d"
  ln -sfn ../drive_d "$prefix/dosdevices/d:"
  unknown_windows='D:\Tarvik'
  unknown_unix=$prefix/drive_d/Tarvik
else
  rm -f "$prefix/dosdevices/d:"
  unknown_windows='C:\Tarvik'
  unknown_unix=$c/Tarvik
fi

# --- The registry ---------------------------------------------------------------------------
games_key='HKLM\SOFTWARE\Microsoft\Microsoft Games\Flight Simulator'
"$wine" reg add "$games_key\\7.0" /v path /d 'C:\Games\FS2000' /f /reg:32 >/dev/null 2>&1
"$wine" reg add "$games_key\\8.0" /v 'EXE path' /d 'C:\Games\FS2002' /f /reg:32 >/dev/null 2>&1

# --- The add-on folders ---------------------------------------------------------------------
# make_addon UNIX_FOLDER MARKER_SIZE
make_addon() {
  local folder=$1 size=$2
  rm -rf "$folder"
  mkdir -p "$folder/scenery" "$folder/texture"
  head -c "$size" /dev/zero >"$folder/scenery/qiro.bgl"
  for name in trvk_amsterdam.bgl trvk_polders.bgl trvk_roads.bgl; do
    printf 'scenery %s\r\n' "$name" >"$folder/scenery/$name"
  done
  for name in polder_su.bmp polder_wi.bmp water.bmp; do
    printf 'texture %s\r\n' "$name" >"$folder/texture/$name"
  done
  if $obsolete_files; then
    grep -o '"[^"]*\.[A-Za-z]\{3\}"' app/obsolete_files.cpp | tr -d '"' | while read -r name; do
      printf 'obsolete %s\r\n' "$name" >"$folder/scenery/$name"
    done
  fi
}

make_addon "$c/Games/FS2000/Addon Scenery/Tarvik" $SIZE_V20
make_addon "$c/Games/FS2002/Addon Scenery/Tarvik" $SIZE_V20
make_addon "$c/Games/Addons/Tarvik V21" $SIZE_V21
make_addon "$c/Scenery/Tarvik Old" $SIZE_V10
make_addon "$unknown_unix" $SIZE_UNKNOWN
mkdir -p "$c/Games/FS2000/Scenery/World" "$c/Games/FS2002/Scenery/World"

# --- The scenery configuration files (CR LF) -------------------------------------------------
# write_cfg UNIX_FILE LINE...
write_cfg() {
  local file=$1
  shift
  printf '%s\r\n' "$@" >"$file"
}

write_cfg "$c/Games/FS2000/scenery.cfg" \
  '[General]' 'Title=FS2000 World Scenery' 'Clean_on_Exit=TRUE' '' \
  '[Area.001]' 'Title=Default Terrain' 'Local=Scenery\World' 'Layer=1' 'Active=TRUE' '' \
  '[Area.002]' 'Title=Tarvik' 'Local=Addon Scenery\Tarvik' 'Layer=2' 'Active=TRUE' '' \
  '[Area.003]' 'Title=Tarvik V2.1' 'Local=..\Addons\Tarvik V21' 'Layer=3' 'Active=TRUE' '' \
  '[Area.004]' 'Title=Tarvik (old)' 'Local=C:\Scenery\Tarvik Old' 'Layer=4' 'Active=FALSE'

write_cfg "$c/Games/FS2002/scenery.cfg" \
  '[General]' 'Title=FS2002 World Scenery' 'Clean_on_Exit=TRUE' '' \
  '[Area.001]' 'Title=Default Terrain' 'Local=Scenery\World' 'Layer=1' 'Active=TRUE' '' \
  '[Area.002]' 'Title=Tarvik' 'Local=Addon Scenery\Tarvik' 'Layer=2' 'Active=TRUE' '' \
  '[Area.003]' 'Title=Tarvik V2.1' 'Local=..\Addons\Tarvik V21' 'Layer=3' 'Active=TRUE' '' \
  '[Area.004]' 'Title=Tarvik (elsewhere)' "Local=$unknown_windows" 'Layer=4' 'Active=TRUE'

if $read_only; then
  for folder in 'C:\Games\FS2000\Addon Scenery\Tarvik' 'C:\Games\FS2002\Addon Scenery\Tarvik' \
    'C:\Games\Addons\Tarvik V21' "$unknown_windows"; do
    "$wine" cmd /c attrib +r "$folder\\scenery\\*" >/dev/null 2>&1
    "$wine" cmd /c attrib +r +h "$folder\\texture\\*" >/dev/null 2>&1
  done
fi

cat <<EOF
Demo prefix: $prefix
  registry (32-bit view): $games_key\\7.0 path = C:\\Games\\FS2000
                          $games_key\\8.0 EXE path = C:\\Games\\FS2002
  C:\\Games\\FS2000\\scenery.cfg, C:\\Games\\FS2002\\scenery.cfg
  add-on folders:
    C:\\Games\\FS2000\\Addon Scenery\\Tarvik   version 2.0 (FS2000, relative line)
    C:\\Games\\FS2002\\Addon Scenery\\Tarvik   version 2.0 (FS2002, relative line)
    C:\\Games\\Addons\\Tarvik V21             version 2.1 (both, Local=..\\ line)
    C:\\Scenery\\Tarvik Old                  version 1.0 (FS2000, drive line; not offered)
    $unknown_windows$(printf '%*s' $((39 - ${#unknown_windows})) '')version unknown (FS2002, drive line)
  obsolete files: $obsolete_files   read-only files: $read_only   drive D: $drive_d
EOF
