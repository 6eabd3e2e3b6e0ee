#!/usr/bin/env bash
# CPU time of a running band against the reference band (bench/referenceBand.cpp):
# both measured in the same run, alternating, at 1920 x 1080 and 7680 x 2160,
# with Wine's server-side graphics. Figures come from Linux's /proc: the
# program's own process, and the same plus the Wine server's share, since
# every call that crosses into Wine's server costs time there too.
# BENCH_STRIPS="TOP BOTTOM" also measures, in each round, the same band with
# that many rows kept clear on every monitor, against the band without.
# BENCH_MONITORS="WxH+X+Y ..." lays monitors out on the display (the first the
# primary; BENCH_SIZES then gives the framebuffer), as tests/e2e/run_monitors.sh
# does: four monitors of different heights give four bands.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
source "$(dirname "$0")/measure.sh"
ensure_packages
build_win64 >/dev/null
export KESTRANE_OWN_DISPLAY=1
export WINEPREFIX="$BUILD/wineprefix-bench"
seconds="${BENCH_SECONDS:-30}"
rounds="${BENCH_ROUNDS:-3}"
warmup="${BENCH_WARMUP:-5}"
sizes="${BENCH_SIZES:-1920x1080 7680x2160}"
saver="${BENCH_SAVER:-$BUILD/win64/kestrane.scr}"

measure() {  # $1 program, $2 pattern, rest arguments; prints: own-% with-server-%
  local program=$1 pattern=$2
  shift 2
  xdotool mousemove 700 500
  sleep 0.3
  local pid server before after server_before server_after
  pid=$(start_and_find "$program" "$pattern" "$@")
  # Wine's start-up of a program runs a second or two after its process
  # shows; the steady state is what counts.
  sleep "$warmup"
  server=$(server_pid)
  before=$(cpu_us "$pid"); server_before=$(cpu_us "$server")
  sleep "$seconds"
  after=$(cpu_us "$pid"); server_after=$(cpu_us "$server")
  # A real dismissal ends both.
  xdotool mousemove 900 800
  sleep 1
  kill "$pid" 2>/dev/null || true
  wait 2>/dev/null || true
  awk -v b="$before" -v a="$after" -v sb="$server_before" -v sa="$server_after" -v s="$seconds" \
    'BEGIN { printf "%.3f %.3f\n", 100 * (a - b) / 1e6 / s, 100 * (a - b + sa - sb) / 1e6 / s }'
}

printf '%-10s %-6s %-16s %-16s %-16s %s\n' desktop round "reference (own)" "kestrane (own)" \
  "reference (+server)" "kestrane (+server)"
for size in $sizes; do
  ensure_display "${size}x24"
  # shellcheck disable=SC2086
  set_monitors ${BENCH_MONITORS:-}
  boot_wine
  if [ -n "${BENCH_MONITORS:-}" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /f >/dev/null 2>&1 || true
  fi
  wineserver -k 2>/dev/null || true
  xsetroot -solid '#3a6ea5'
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v ClientSideGraphics /d N /f >/dev/null 2>&1
  wine reg delete 'HKCU\Software\Varnel\KestraneWorkstation' /f >/dev/null 2>&1 || true
  sum_ref=0 sum_kes=0 sum_ref_s=0 sum_kes_s=0 sum_str=0 sum_str_s=0
  for round in $(seq 1 "$rounds"); do
    read -r ref ref_s < <(measure "$BUILD/win64/referenceBand.exe" 'referenceBand.exe')
    read -r kes kes_s < <(measure "$saver" "$(basename "$saver")" /s)
    printf '%-10s %-6s %-16s %-16s %-16s %s\n' "$size" "$round" "$ref %" "$kes %" "$ref_s %" "$kes_s %"
    if [ -n "${BENCH_STRIPS:-}" ]; then
      read -r top bottom <<<"$BENCH_STRIPS"
      wine reg add 'HKCU\Software\Varnel\KestraneWorkstation' /v KeepClearTop /t REG_DWORD /d "$top" /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Varnel\KestraneWorkstation' /v KeepClearBottom /t REG_DWORD /d "$bottom" /f >/dev/null 2>&1
      read -r str str_s < <(measure "$saver" "$(basename "$saver")" /s)
      wine reg delete 'HKCU\Software\Varnel\KestraneWorkstation' /f >/dev/null 2>&1 || true
      printf '%-10s %-6s kept clear %s: %s (own), %s (with the server)\n' "$size" "$round" "$BENCH_STRIPS" "$str %" "$str_s %"
      sum_str=$(awk -v a="$sum_str" -v b="$str" 'BEGIN { print a + b }')
      sum_str_s=$(awk -v a="$sum_str_s" -v b="$str_s" 'BEGIN { print a + b }')
    fi
    sum_ref=$(awk -v a="$sum_ref" -v b="$ref" 'BEGIN { print a + b }')
    sum_kes=$(awk -v a="$sum_kes" -v b="$kes" 'BEGIN { print a + b }')
    sum_ref_s=$(awk -v a="$sum_ref_s" -v b="$ref_s" 'BEGIN { print a + b }')
    sum_kes_s=$(awk -v a="$sum_kes_s" -v b="$kes_s" 'BEGIN { print a + b }')
  done
  awk -v r="$sum_ref" -v k="$sum_kes" -v rs="$sum_ref_s" -v ks="$sum_kes_s" -v n="$rounds" -v d="$size" \
    'BEGIN { printf "%-10s mean   %-16s %-16s %-16s %s\n", d, sprintf("%.3f %%", r / n), sprintf("%.3f %%", k / n),
             sprintf("%.3f %%", rs / n), sprintf("%.3f %%", ks / n);
             printf "%-10s ratio kestrane / reference: %.2f (own), %.2f (with the server)\n", d,
             (r > 0 ? k / r : 0), (rs > 0 ? ks / rs : 0) }'
  if [ -n "${BENCH_STRIPS:-}" ]; then
    awk -v k="$sum_kes" -v ks="$sum_kes_s" -v t="$sum_str" -v ts="$sum_str_s" -v n="$rounds" -v d="$size" \
      'BEGIN { printf "%-10s kept clear: mean %.2f %% (own), %.2f %% (with the server); ratio to the band without: %.2f, %.2f\n",
               d, t / n, ts / n, (k > 0 ? t / k : 0), (ks > 0 ? ts / ks : 0) }'
  fi
  wineserver -k 2>/dev/null || true
  stop_display
done
