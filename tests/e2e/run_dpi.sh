#!/usr/bin/env bash
# The end-to-end "dpi" tests on a display scaled to 125 % and 150 %: each DPI
# gets its own Wine prefix and its own virtual 1920 x 1080 display. Expects
# the Windows build in build/win64. Exits non-zero when a test fails.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
own_display_and_wine

passed=0
failed=0
for dpi in ${KESTRANE_DPIS:-120 144}; do
  export WINEPREFIX="$BUILD/wineprefix-dpi$dpi"
  ensure_display 1920x1080x24
  xsetroot -solid '#3a6ea5'
  log "booting $WINEPREFIX on $DISPLAY at $dpi DPI"
  boot_wine
  # Read when the prefix's display driver starts: set it, then restart Wine.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  log "dpi tests at $dpi DPI"
  KESTRANE_EXPECT_DPI=$dpi wine "$BUILD/win64/e2e_driver.exe" dpi 2>&1 | tr -d '\r' | tee "$BUILD/e2e-dpi$dpi.log"
  status=${PIPESTATUS[0]}
  summary=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$BUILD/e2e-dpi$dpi.log" | tail -n 1)
  run_passed=$(sed -nE 's/^e2e: ([0-9]+) passed.*/\1/p' <<<"$summary")
  run_failed=$(sed -nE 's/.* ([0-9]+) failed.*/\1/p' <<<"$summary")
  passed=$((passed + ${run_passed:-0}))
  # A crash or a missing summary counts as one failure.
  if [ "$status" -ne 0 ] && [ "${run_failed:-0}" -eq 0 ]; then run_failed=1; fi
  failed=$((failed + ${run_failed:-0}))
  if [ "$dpi" = 144 ] && [ -f "$BUILD/win64/config-dialog-144.bmp" ]; then
    convert "$BUILD/win64/config-dialog-144.bmp" "$BUILD/config-dialog-150.png" && \
      log "screenshot: $BUILD/config-dialog-150.png (docs/ keeps a copy)"
  fi
  # The next DPI gets a display and a Wine server of its own.
  wineserver -k 2>/dev/null || true
  stop_display
done
echo "dpi: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
