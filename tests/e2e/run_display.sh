#!/usr/bin/env bash
# The end-to-end "desktop" and "watcher" tests inside a Wine virtual desktop
# named Default, as the operator's desktop is named on Windows: the tests
# change its size while the band shows, and Wine records input over the
# whole of it for GetLastInputInfo, which the watcher reads. A Wine prefix
# and a virtual display of their own. Expects the Windows build in
# build/win64. Exits non-zero when a test fails.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
own_display_and_wine
export WINEPREFIX="$BUILD/wineprefix-desktop"

ensure_display 1920x1080x24
xsetroot -solid '#3a6ea5'
log "booting $WINEPREFIX on $DISPLAY"
boot_wine
# Every program of the prefix then runs in the virtual desktop "Default".
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1920x1080 /f >/dev/null 2>&1
wineserver -w
log "desktop and watcher tests in a 1920 x 1080 virtual desktop named Default"
KESTRANE_VIRTUAL_DESKTOP=1 wine "$BUILD/win64/e2e_driver.exe" "$@" desktop watcher \
  2>&1 | tr -d '\r' | tee "$BUILD/e2e-desktop.log"
# The summary line tells the driver's result.
summary=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$BUILD/e2e-desktop.log" | tail -n 1)
run_passed=$(sed -nE 's/^e2e: ([0-9]+) passed.*/\1/p' <<<"$summary")
run_failed=$(sed -nE 's/.* ([0-9]+) failed.*/\1/p' <<<"$summary")
echo "desktop: ${run_passed:-0} passed, ${run_failed:-1} failed"
[ -n "$run_passed" ] && [ "$run_passed" -gt 0 ] && [ "${run_failed:-1}" -eq 0 ]
