#!/usr/bin/env bash
# Builds the installer if needed, starts it under a virtual X display in a demo Wine prefix
# (scripts/make-demo-prefix.sh), waits for its window, saves a screenshot of the screen to
# screenshots/window.png and closes the installer again.
#
# Environment: BUILD_DIR (default build/windows), DEMO_PREFIX (default build/demo-prefix),
# SCREENSHOT (default screenshots/window.png), WITHOUT_WINDOWS_FONTS=1 to take Wine's copies of
# Windows' fonts (MS Sans Serif, Tahoma, ...) out of the prefix first, as in a prefix made
# without them. LOGPIXELS=N sets the prefix's DPI (Wine's LogPixels; default 96, 144 is 150 %,
# 192 is 200 %) on a virtual screen large enough for the window; DPI_CHANGED=N then tells the
# shown window that it moved to a monitor of N DPI (WM_DPICHANGED) before the screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

build_dir=${BUILD_DIR:-build/windows}
prefix=$(realpath -m "${DEMO_PREFIX:-build/demo-prefix}")
screenshot=${SCREENSHOT:-screenshots/window.png}
program=$build_dir/bin/tarvik_installer.exe

if [[ ! -f $build_dir/build.ninja ]]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
cmake --build "$build_dir" --target tarvik_installer e2e_window_text -j2

# The display comes first: Wine's desktop process starts with the first Wine program of the
# prefix and keeps the display it found. At 200 % the window is wider than 1280 pixels.
XVFB_SCREEN=1920x1200x24 ensure_display
bash scripts/make-demo-prefix.sh "$prefix"
ensure_wine_prefix "$prefix"
if [[ ${WITHOUT_WINDOWS_FONTS:-0} == 1 ]]; then
  (cd /usr/share/wine/fonts && for font in *; do rm -f "$prefix/drive_c/windows/Fonts/$font"; done)
  "$TARVIK_SCRIPTS/wine-run" --server -k 2>/dev/null || true
  "$TARVIK_SCRIPTS/wine-run" --server -w 2>/dev/null || true
fi
# Without a window manager Wine draws the windows' frames and captions itself.
"$TARVIK_SCRIPTS/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
# Wine takes the DPI from the prefix's LogPixels when its desktop starts.
"$TARVIK_SCRIPTS/wine-run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
  /d "${LOGPIXELS:-96}" /f >/dev/null 2>&1
"$TARVIK_SCRIPTS/wine-run" --server -k 2>/dev/null || true
"$TARVIK_SCRIPTS/wine-run" --server -w 2>/dev/null || true

installer=
cleanup() {
  [[ -n $installer ]] && kill "$installer" 2>/dev/null || true
  stop_display
}
trap cleanup EXIT

# Wine's helper processes inherit the first program's output; keep it off the caller's pipe.
"$TARVIK_SCRIPTS/wine-run" "$program" >/dev/null 2>&1 &
installer=$!
if ! window=$(timeout 60 xdotool search --sync --onlyvisible --name "Tarvik V2" | head -1); then
  echo "screenshot-window: the installer's window did not appear" >&2
  exit 1
fi
xdotool mousemove 0 0  # no tooltip over the lists
sleep 2                # let it paint
if [[ -n ${DPI_CHANGED:-} ]]; then
  "$TARVIK_SCRIPTS/wine-run" "$build_dir/bin/e2e_window_text.exe" --dpi-changed "$DPI_CHANGED" \
    "Tarvik V2   official update 2"
  sleep 2
fi
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
