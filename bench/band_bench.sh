#!/usr/bin/env bash
# The band's cost: start-to-visible time, peak resident memory at 1920 x 1080
# and at 7680 x 2160 (and their ratio), and the CPU time of a running band.
# Memory and CPU are read from Linux's /proc for the Wine process, since
# Wine does not report other processes' times.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
ensure_packages
build_win64 >/dev/null
export KESTRANE_OWN_DISPLAY=1
# A prefix of its own: the graphics switch below must not reach the tests.
export WINEPREFIX="$BUILD/wineprefix-bench"
seconds="${BENCH_SECONDS:-10}"
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure() {  # prints: visible-ms peak-MiB cpu-percent
  ( wine "$BUILD/win64/bandBench.exe" "$BUILD/win64/kestrane.scr" $((seconds + 3)) > "$BUILD/bench-visible.txt" 2>/dev/null ) &
  local bench=$!
  local pid=""
  for _ in $(seq 1 100); do
    # The saver started on this display (other Wine programs may be running).
    pid=$(pgrep -f 'kestrane.scr' | while read -r p; do
      grep -q 'bandBench' "/proc/$p/cmdline" 2>/dev/null && continue
      tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY" && echo "$p"; done | tail -n1)
    [ -n "$pid" ] && break
    sleep 0.1
  done
  sleep 2
  local before after
  before=$(cpu_ticks "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  local peak
  peak=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
  wait "$bench" || true
  local visible
  visible=$(sed -n 's/.*start-to-visible \([0-9]*\) ms.*/\1/p' "$BUILD/bench-visible.txt" | tr -d '\r')
  awk -v v="$visible" -v p="$peak" -v b="$before" -v a="$after" -v t="$ticks" -v s="$seconds" \
    'BEGIN { printf "%s %.1f %.2f\n", v, p / 1024, 100 * (a - b) / t / s }'
}

printf '%-10s %-22s %-16s %-16s %s\n' desktop graphics start-to-visible "peak memory" "CPU (one core)"
declare -A peaks
for mode in client server; do
  for size in 1920x1080 7680x2160; do
    ensure_display "${size}x24"
    boot_wine
    xsetroot -solid '#3a6ea5'
    # Wine keeps a client-side copy of every window's pixels, which on
    # Windows the compositor holds outside the program; "server" turns it
    # off so that the figure is the program's own memory.
    if [ "$mode" = server ]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics /d N /f >/dev/null 2>&1
    else
      wine reg delete 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics /f >/dev/null 2>&1 || true
    fi
    wine reg delete 'HKCU\Software\Varnel\KestraneWorkstation' /f >/dev/null 2>&1 || true
    # Warm-up start: the first run on a fresh display pays for font caches.
    wine "$BUILD/win64/bandBench.exe" "$BUILD/win64/kestrane.scr" 1 >/dev/null 2>&1 || true
    read -r visible peak cpu < <(measure)
    peaks["$mode-$size"]=$peak
    printf '%-10s %-22s %-16s %-16s %s\n' "$size" "$mode-side (Wine)" "$visible ms" "$peak MiB" "$cpu %"
    wineserver -k 2>/dev/null || true
    stop_display
  done
done
for mode in client server; do
  awk -v a="${peaks[$mode-1920x1080]}" -v b="${peaks[$mode-7680x2160]}" -v m="$mode" \
    'BEGIN { printf "peak memory ratio 7680x2160 / 1920x1080, %s-side graphics: %.2f\n", m, b / a }'
done
ensure_display 640x480x24
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics /f >/dev/null 2>&1 || true
wineserver -w 2>/dev/null || true
stop_display
