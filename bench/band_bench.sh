#!/usr/bin/env bash
# The band's cost: start-to-visible time, peak working set at 1920 x 1080 and
# at 7680 x 2160 (their ratio), and CPU time of a running band.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
ensure_packages
build_win64 >/dev/null
export KESTRANE_OWN_DISPLAY=1
results=()
for size in 1920x1080x24 7680x2160x24; do
  ensure_display "$size"
  boot_wine
  xsetroot -solid '#3a6ea5'
  # Wine keeps a client-side copy of every window's pixels (the job of the
  # compositor on Windows, outside the program); BENCH_SERVER_SIDE=1 turns
  # it off so that the figure is the program's own memory.
  if [ -n "${BENCH_SERVER_SIDE:-}" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics /d N /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics /f >/dev/null 2>&1 || true
  fi
  # Warm-up start: the first run of a fresh display pays for font caches.
  wine "$BUILD/win64/bandBench.exe" "$BUILD/win64/kestrane.scr" 1 >/dev/null 2>&1 || true
  wine reg delete 'HKCU\Software\Varnel\KestraneWorkstation' /f >/dev/null 2>&1 || true
  line=$(wine "$BUILD/win64/bandBench.exe" "$BUILD/win64/kestrane.scr" "${BENCH_SECONDS:-10}" | tr -d '\r')
  results+=("$line")
  wineserver -k 2>/dev/null || true
  stop_display
done
printf '%s\n' "${results[@]}"
small=$(printf '%s\n' "${results[0]}" | sed -n 's/.*peak working set \([0-9.]*\) MiB.*/\1/p')
large=$(printf '%s\n' "${results[1]}" | sed -n 's/.*peak working set \([0-9.]*\) MiB.*/\1/p')
awk -v a="$small" -v b="$large" 'BEGIN { printf "peak working set ratio 7680x2160 / 1920x1080: %.2f (target <= 1.2)\n", b / a }'
ensure_display 640x480x24
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics /f >/dev/null 2>&1 || true
wineserver -w 2>/dev/null || true
stop_display
