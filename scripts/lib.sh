# Shared helpers of the project's scripts; source it.
# Wine runs inside the project's Debian 12 root (scripts/debian-root.sh, scripts/in-root), which
# holds 32-bit and 64-bit Wine: the host needs neither Wine nor the i386 architecture.

TARVIK_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Makes the Debian root with Wine unless it is there already.
ensure_debian_root() {
  bash "$TARVIK_REPO/scripts/debian-root.sh"
}

# Wine and its server inside the root, for the prefix in WINEPREFIX.
root_wine() {
  "$TARVIK_REPO/scripts/in-root" wine "$@"
}
root_wineserver() {
  "$TARVIK_REPO/scripts/in-root" wineserver "$@"
}

# Creates (once) a Wine prefix in the folder given, of 64-bit Windows (win64, the default: 32-bit
# programs run through WoW64) or of 32-bit Windows (win32), and keeps its wineserver running.
# usage: ensure_wine_prefix PREFIX [win64|win32]
ensure_wine_prefix() {
  local prefix=$1 arch=${2:-win64}
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ! -f $prefix/system.reg ]]; then
    echo "wine: creating $arch prefix $prefix"
    mkdir -p "$prefix"
    WINEARCH=$arch root_wine wineboot -i >/dev/null 2>&1 || true
    root_wineserver -w
  fi
  # Wine's own Windows fonts (package fonts-wine in the root: MS Sans Serif, Tahoma, Marlett for
  # the caption buttons), where this Wine looks for them, so that windows look as their layout
  # intends.
  local fonts=${TARVIK_DEBIAN_ROOT:-$TARVIK_REPO/build/debian-root}/usr/share/wine/fonts
  if [[ -d $fonts ]]; then
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp -u "$fonts"/* "$prefix/drive_c/windows/Fonts/"
  fi
  root_wineserver -p >/dev/null 2>&1 || true
  # Start Wine's own background processes now, detached from any output: started later by a
  # test program, they would inherit its output pipe and keep CTest waiting for it to close.
  root_wine wineboot >/dev/null 2>&1 </dev/null || true
}

# Uses the caller's X display, or starts Xvfb on a free one; sets DISPLAY and XVFB_PID.
ensure_display() {
  if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    XVFB_PID=
    return
  fi
  local number=90
  while [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$number"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  echo "Xvfb did not start" >&2
  return 1
}

stop_display() {
  [[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null || true
}
