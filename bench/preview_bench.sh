#!/usr/bin/env bash
# Preview bench (not a timed test): the CPU time a running preview takes over
# 10 s, and how late the blink lands after each second boundary, measured by
# the test host from its own pixels on the screen. Prints a table.
#
#   bench/preview_bench.sh            builds, then measures (about 45 s)
#   SKIP_BUILD=1 bench/preview_bench.sh
#
# CPU comes from /proc: under Wine, GetProcessTimes on another process
# reports the caller's own times.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=../scripts/lib/common.sh
source scripts/lib/common.sh
export KESTRANE_OWN_DISPLAY="${KESTRANE_OWN_DISPLAY:-1}"
ensure_display
OUT="$(mktemp)"
trap 'rm -f "$OUT"; stop_display' EXIT
boot_wine
[ -n "${SKIP_BUILD:-}" ] || build_win64 >/dev/null
xsetroot -solid '#3a6ea5' 2>/dev/null || true

WIN64="$BUILD/win64"
SCR="$(winepath -w "$WIN64/kestrane.scr" 2>/dev/null)"
SETTLE_MS=2500    # the saver starts and settles first
WINDOW_MS=10000
DURATION=$((SETTLE_MS + WINDOW_MS + 500))
HZ=$(getconf CLK_TCK)

seconds() { awk -v ms="$1" 'BEGIN { print ms / 1000 }'; }

# User + system clock ticks of a process (empty when it is gone).
ticks() {
  local stat
  stat="$(cat "/proc/$1/stat" 2>/dev/null)" || { echo ""; return; }
  stat="${stat##*) }"
  awk '{ print $12 + $13 }' <<<"$stat"
}

# The wineserver of this prefix: it answers the saver's window queries.
prefix_server() {
  local dev ino p
  dev=$(printf '%x' "$(stat -c %d "$WINEPREFIX")")
  ino=$(printf '%x' "$(stat -c %i "$WINEPREFIX")")
  for p in $(pgrep '^wineserver' || true); do
    case "$(readlink "/proc/$p/cwd" 2>/dev/null)" in
      */server-$dev-$ino) echo "$p"; return 0 ;;
    esac
  done
  return 1
}

# The saver started by the host whose window handle is $1.
saver_pid() {
  local f words
  for f in /proc/[0-9]*/cmdline; do
    words="$(tr '\0' ' ' 2>/dev/null <"$f")" || continue
    case "$words" in
      "$SCR /p $1 "*) basename "$(dirname "$f")"; return 0 ;;
    esac
  done
  return 1
}

# Runs the host with the given options; sets SAVER_MS and SERVER_MS to the
# CPU milliseconds of the saver and of the wineserver over the window
# (SAVER_MS empty without a saver) and leaves the host's report in $OUT.
measure() {
  SAVER_MS=""; SERVER_MS=""
  : >"$OUT"
  wine "$WIN64/previewHost.exe" "$SCR" 152 112 --duration "$DURATION" --settle "$SETTLE_MS" "$@" >"$OUT" 2>/dev/null &
  local job=$! hwnd="" pid="" server="" c0="" c1="" s0="" s1=""
  for _ in $(seq 1 200); do
    hwnd="$(sed -n 's/^host hwnd=\([0-9]*\).*/\1/p' "$OUT" | tr -d '\r')"
    [ -n "$hwnd" ] && break
    sleep 0.05
  done
  [ -n "$hwnd" ] || { log "the preview host did not start"; exit 1; }
  if [[ " $* " != *" --no-saver "* ]]; then
    for _ in $(seq 1 200); do
      pid="$(saver_pid "$hwnd" || true)"
      [ -n "$pid" ] && break
      sleep 0.02
    done
    [ -n "$pid" ] || { log "the saver did not start"; exit 1; }
  fi
  sleep "$(seconds "$SETTLE_MS")"
  server="$(prefix_server || true)"
  [ -n "$pid" ] && c0=$(ticks "$pid")
  [ -n "$server" ] && s0=$(ticks "$server")
  sleep "$(seconds "$WINDOW_MS")"
  [ -n "$pid" ] && c1=$(ticks "$pid")
  [ -n "$server" ] && s1=$(ticks "$server")
  wait "$job" || true
  if [ -n "$pid" ]; then
    [ -n "$c0" ] && [ -n "$c1" ] || { log "the saver ended too early"; cat "$OUT" >&2; exit 1; }
    SAVER_MS=$(( (c1 - c0) * 1000 / HZ ))
  fi
  [ -n "$s0" ] && [ -n "$s1" ] && SERVER_MS=$(( (s1 - s0) * 1000 / HZ ))
  return 0
}

value() { grep '^result' "$OUT" | tr -d '\r' | tr ' ' '\n' | sed -n "s/^$1=//p" | head -1; }
percent() { awk -v ms="$1" -v w="$WINDOW_MS" 'BEGIN { if (ms == "") print "n/a"; else printf "%s ms (%.2f %% of one core)", ms, 100 * ms / w }'; }

# CPU, with the host sampling only five times a second so that it stays out
# of the figures; the wineserver once without a saver for its baseline.
measure --no-saver --interval 200
BASE_SERVER_MS="$SERVER_MS"
measure --interval 200
CPU_SAVER_MS="$SAVER_MS"
CPU_SERVER_MS="$SERVER_MS"
# Lateness, sampling every millisecond.
measure --interval 1

printf '| preview, 152 x 112 host, %d s of blinking        | value |\n' $((WINDOW_MS / 1000))
printf '|----------------------------------------------------|-------|\n'
printf '| saver process CPU                                  | %s |\n' "$(percent "$CPU_SAVER_MS")"
printf '| wineserver CPU with the saver                      | %s |\n' "$(percent "$CPU_SERVER_MS")"
printf '| wineserver CPU without it (host alone)             | %s |\n' "$(percent "$BASE_SERVER_MS")"
printf '| logo drawn after an even second: median / worst    | %s / %s ms (%s boundaries) |\n' \
  "$(value draw_median)" "$(value draw_max)" "$(value draw_count)"
printf '| blacked out after an odd second: median / worst    | %s / %s ms (%s boundaries) |\n' \
  "$(value black_median)" "$(value black_max)" "$(value black_count)"
printf '| boundaries missed, samples in the wrong phase      | %s, %s |\n' "$(value missed)" "$(value phase_bad)"
printf '| pixels painted outside the logo rectangle          | %s |\n' "$(value outside_max)"
printf '| sampling gap, median (lateness is an upper bound)  | %s ms |\n' "$(value gap_median)"
