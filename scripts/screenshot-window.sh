#!/usr/bin/env bash
# Builds the installer if needed, starts it under a virtual X display in a demo Wine prefix
# (scripts/make-demo-prefix.sh), waits for its window, saves a screenshot of the screen to
# screenshots/window.png and closes the installer again.
#
# Environment: BUILD_DIR (default build/windows), DEMO_PREFIX (default build/demo-prefix),
# SCREENSHOT (default screenshots/window.png), WITHOUT_WINDOWS_FONTS=1 to take Wine's copies of
# Windows' fonts (MS Sans Serif, Tahoma, ...) out of the prefix first, as in a prefix made
# without them.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

build_dir=${BUILD_DIR:-build/windows}
prefix=$(realpath -m "${DEMO_PREFIX:-build/demo-prefix}")
screenshot=${SCREENSHOT:-screenshots/window.png}
program=$build_dir/bin/tarvik_installer.exe

if [[ ! -f $build_dir/build.ninja ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake >/dev/null
fi
cmake --build "$build_dir" --target tarvik_installer -j2

# The display comes first: Wine's desktop process starts with the first Wine program of the
# prefix and keeps the display it found.
ensure_debian_root >/dev/null
ensure_display
bash scripts/make-demo-prefix.sh "$prefix"
ensure_wine_prefix "$prefix"
if [[ ${WITHOUT_WINDOWS_FONTS:-0} == 1 ]]; then
  (cd build/debian-root/usr/share/wine/fonts &&
    for font in *; do rm -f "$prefix/drive_c/windows/Fonts/$font"; done)
  root_wineserver -k 2>/dev/null || true
  root_wineserver -w 2>/dev/null || true
fi
# Without a window manager Wine draws the windows' frames and captions itself.
root_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

installer=
cleanup() {
  [[ -n $installer ]] && kill "$installer" 2>/dev/null || true
  stop_display
}
trap cleanup EXIT

# Wine's helper processes inherit the first program's output; keep it off the caller's pipe.
root_wine "$program" >/dev/null 2>&1 &
installer=$!
if ! window=$(timeout 60 xdotool search --sync --onlyvisible --name "Tarvik V2" | head -1); then
  echo "screenshot-window: the installer's window did not appear" >&2
  exit 1
fi
xdotool mousemove 0 0  # no tooltip over the lists
sleep 2                # let it paint
mkdir -p "$(dirname "$screenshot")"
import -window root "$screenshot"
echo "screenshot-window: saved $screenshot (window $window: $(xdotool getwindowgeometry "$window" | tr '\n' ' '))"

# Close it as the user would; the installer ends when its window closes.
xdotool windowactivate "$window" 2>/dev/null || true
xdotool key --window "$window" alt+F4 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$installer" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$installer" 2>/dev/null; then
  echo "screenshot-window: the installer did not close; ending it" >&2
else
  installer=
fi
