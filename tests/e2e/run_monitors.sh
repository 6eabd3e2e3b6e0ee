#!/usr/bin/env bash
# The end-to-end "monitors" tests on layouts of several monitors: for each, a
# virtual display as large as the layout's bounding box, one RandR monitor
# description per monitor (the first, the primary, on the output "screen"),
# and Wine's X11 driver asked for the monitors through Xinerama
# (UseXRandR=N), which the X server answers from those descriptions. A Wine
# prefix of its own. Expects the Windows build in build/win64. Exits non-zero
# when a test fails.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
own_display_and_wine
export WINEPREFIX="$BUILD/wineprefix-monitors"

# name | framebuffer | X monitors (WxH+X+Y, the primary first) | the same in Windows' coordinates (left,top,right,bottom)
LAYOUTS=(
  "two rows of two|3840x2160|1920x1080+0+0 1920x1080+1920+0 1920x1080+0+1080 1920x1080+1920+1080|0,0,1920,1080;1920,0,3840,1080;0,1080,1920,2160;1920,1080,3840,2160"
  "a portrait monitor beside a landscape one|3000x1920|1920x1080+1080+420 1080x1920+0+0|0,0,1920,1080;-1080,-420,0,1500"
  "different heights, an offset, negative coordinates|3200x1080|1920x1080+1280+0 1280x1024+0+56|0,0,1920,1080;-1280,56,0,1080"
)

passed=0 failed=0
: >"$BUILD/e2e-monitors.log"
for layout in "${LAYOUTS[@]}"; do
  IFS='|' read -r name framebuffer monitors expected <<<"$layout"
  stop_display
  ensure_display "${framebuffer}x24"
  xsetroot -solid '#3a6ea5'
  # shellcheck disable=SC2086
  set_monitors $monitors
  if [ ! -d "$WINEPREFIX" ]; then
    log "booting $WINEPREFIX"
    boot_wine
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
    wineserver -w
  fi
  log "monitors: $name ($framebuffer: $monitors)"
  KESTRANE_MONITORS="$expected" wine "$BUILD/win64/e2e_driver.exe" "$@" monitors 2>&1 | tr -d '\r' |
    tee -a "$BUILD/e2e-monitors.log" | tee "$BUILD/e2e-monitors-last.log"
  wineserver -k 2>/dev/null || true
  summary=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$BUILD/e2e-monitors-last.log" | tail -n 1)
  run_passed=$(sed -nE 's/^e2e: ([0-9]+) passed.*/\1/p' <<<"$summary")
  run_failed=$(sed -nE 's/.* ([0-9]+) failed.*/\1/p' <<<"$summary")
  passed=$((passed + ${run_passed:-0}))
  if [ -z "$run_passed" ] || [ "$run_passed" -eq 0 ]; then failed=$((failed + 1)); else failed=$((failed + ${run_failed:-1})); fi
done
echo "monitors: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
