# Shared by the project's scripts: paths, dependency install, Wine and Xvfb.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$ROOT/build"
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

PACKAGES=(cmake g++ make libgtest-dev googletest mingw-w64 g++-mingw-w64-x86-64 wine wine64
          xvfb xdotool x11-apps x11-utils x11-xserver-utils imagemagick python3 clang libclang-rt-14-dev
          fonts-wine libxml2-utils)

log() { printf '== %s\n' "$*" >&2; }

# Installs whatever of the toolchain, Wine, Xvfb and the test tools is missing.
ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

build_host() {
  cmake -S "$ROOT" -B "$BUILD/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD/host" -j"$(nproc)"
}

# The source's commit and its date, for tools that want a date: the same
# bytes from the same commit whenever and wherever it is built.
source_commit() { git -C "$ROOT" rev-parse HEAD 2>/dev/null || echo unknown; }
source_date_epoch() { git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 0; }

build_win64() {
  export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(source_date_epoch)}"
  cmake -S "$ROOT" -B "$BUILD/win64" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD/win64" -j"$(nproc)"
}

# Only the program: the test drivers are 64-bit tools.
build_win32() {
  export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(source_date_epoch)}"
  cmake -S "$ROOT" -B "$BUILD/win32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DKESTRANE_32BIT=ON --no-warn-unused-cli >/dev/null
  cmake --build "$BUILD/win32" -j"$(nproc)" --target kestrane
}

# A virtual display unless one is given; -noreset keeps the root colour.
XVFB_PID=""
ensure_display() {
  local size="${1:-1920x1080x24}"
  if [ -n "${DISPLAY:-}" ] && [ -z "${KESTRANE_OWN_DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=97
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "$size" -noreset -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# Describes monitors on the display, "WxH+X+Y" each, the first (the primary)
# on the output "screen"; Wine reads them through Xinerama when its X11
# driver value UseXRandR is N.
set_monitors() {
  local n=0 m w h rest
  for m in "$@"; do
    w=${m%%x*}; rest=${m#*x}; h=${rest%%+*}
    # A size in millimetres at 96 DPI, as a real monitor reports one.
    xrandr --setmonitor "KESTRANE$n" "$w/$((w * 254 / 960))x$h/$((h * 254 / 960))+${m#*+}" \
      "$([ "$n" -eq 0 ] && echo screen || echo none)" >/dev/null
    n=$((n + 1))
  done
}

# A virtual display and a Wine server of the script's own, both ended when
# the script ends, however it ends.
own_display_and_wine() {
  export KESTRANE_OWN_DISPLAY=1
  trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
}

stop_display() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=""
}

# Our own Wine prefix under the build folder, booted once per run.
boot_wine() {
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  # Wine's own Tahoma (the dialogs' and the band's font) and Marlett (the
  # caption buttons' glyphs) are only found in the prefix's Fonts folder.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -f "/usr/share/wine/fonts/$f" ] && [ ! -f "$fonts/$f" ] && cp "/usr/share/wine/fonts/$f" "$fonts/"
  done
  # A virtual display has no window manager: Wine would otherwise wait two
  # seconds for one each time an activated window is hidden.
  if [ -n "$XVFB_PID" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  fi
  wineserver -w 2>/dev/null || true
}
