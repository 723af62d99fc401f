# Shared helpers of the project's scripts; source it.

TARVIK_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Creates (once) a Wine prefix in the folder given, of 64-bit Windows (WINEARCH=win64, the
# default: 32-bit programs run through WoW64) or of 32-bit Windows (win32), in the Debian root's
# Wine (scripts/wine-run), and keeps its wineserver running.
ensure_wine_prefix() {
  local prefix=$1
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  local wine=$TARVIK_SCRIPTS/wine-run
  if [[ ! -f $prefix/system.reg ]]; then
    echo "wine: creating prefix $prefix (${WINEARCH:-win64})"
    mkdir -p "$prefix"
    WINEARCH=${WINEARCH:-win64} "$wine" wineboot -i >/dev/null 2>&1 || true
    "$wine" --server -w
  fi
  # Wine's own Windows fonts (package fonts-wine: MS Sans Serif, Tahoma, Marlett for the caption
  # buttons), where this Wine looks for them, so that windows look as their layout intends.
  local fonts=$TARVIK_SCRIPTS/../build/wine-root/usr/share/wine/fonts
  if [[ -d $fonts ]]; then
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp -u "$fonts"/* "$prefix/drive_c/windows/Fonts/"
  fi
  "$wine" --server -p >/dev/null 2>&1 || true
  # Start Wine's own background processes now, detached from any output: started later by a
  # test program, they would inherit its output pipe and keep CTest waiting for it to close.
  "$wine" wineboot >/dev/null 2>&1 </dev/null || true
}

# Uses the caller's X display, or starts Xvfb on a free one (its screen XVFB_SCREEN, default
# 1280x1024x24); sets DISPLAY and XVFB_PID.
ensure_display() {
  if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    XVFB_PID=
    return
  fi
  local number=90
  while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$number"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}

stop_display() {
  [[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null || true
}
