#!/usr/bin/env bash
# What the resident watcher (kestrane.scr /w) costs while it waits for the
# idle time, next to the reference band (bench/referenceBand.cpp), measured
# alternating in the same run: CPU time of its own process and with the Wine
# server's share, resident memory, and how often its threads woke (voluntary
# context switches, all threads of the process; Wine's own threads count).
# BENCH_SECONDS (at least 60) and BENCH_ROUNDS set the length.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
source "$(dirname "$0")/measure.sh"
ensure_packages
build_win64 >/dev/null
export KESTRANE_OWN_DISPLAY=1
export WINEPREFIX="$BUILD/wineprefix-bench"
seconds="${BENCH_SECONDS:-60}"
rounds="${BENCH_ROUNDS:-2}"
wakes() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { s += $2 } END { print s + 0 }'; }
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }


measure() {  # $1 program, $2 pattern, rest arguments; prints: own-% with-server-% rss-KiB wakes-per-s
  local program=$1 pattern=$2
  shift 2
  local pid server before after server_before server_after wakes_before wakes_after rss
  pid=$(start_and_find "$program" "$pattern" "$@")
  sleep 3
  server=$(server_pid)
  before=$(cpu_ticks "$pid"); server_before=$(cpu_ticks "$server"); wakes_before=$(wakes "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid"); server_after=$(cpu_ticks "$server"); wakes_after=$(wakes "$pid")
  rss=$(rss_kib "$pid")
  kill "$pid" 2>/dev/null || true
  wait 2>/dev/null || true
  awk -v b="$before" -v a="$after" -v sb="$server_before" -v sa="$server_after" -v t="$ticks" -v s="$seconds" \
      -v r="$rss" -v wb="$wakes_before" -v wa="$wakes_after" \
    'BEGIN { printf "%.3f %.3f %d %.2f\n", 100 * (a - b) / t / s, 100 * (a - b + sa - sb) / t / s, r, (wa - wb) / s }'
}

ensure_display 1920x1080x24
trap 'wineserver -k 2>/dev/null; stop_display' EXIT
boot_wine
wine reg delete 'HKCU\Software\Varnel\KestraneWorkstation' /f >/dev/null 2>&1 || true
printf '%-6s %-26s %-10s %-12s %-10s %s\n' round program "CPU own" "CPU +server" "RSS KiB" "wakes/s"
for round in $(seq 1 "$rounds"); do
  read -r a b c d < <(measure "$BUILD/win64/referenceBand.exe" 'referenceBand.exe')
  printf '%-6s %-26s %-10s %-12s %-10s %s\n' "$round" "reference band" "$a %" "$b %" "$c" "$d"
  # Waiting: the default idle time of ten minutes never passes in the run.
  read -r a b c d < <(measure "$BUILD/win64/kestrane.scr" 'kestrane.scr /w' /w)
  printf '%-6s %-26s %-10s %-12s %-10s %s\n' "$round" "watcher, waiting" "$a %" "$b %" "$c" "$d"
done
