# Shared by the benchmark scripts: the CPU time of processes from Linux's /proc.
# shellcheck shell=bash

ticks=$(getconf CLK_TCK)

# User and system clock ticks of a process so far.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Run time of all threads of a process so far in microseconds, from the
# scheduler's own count: clock ticks are 10 ms, a tenth of a band's 30 s.
cpu_us() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%d\n", sum / 1000 }'; }

# The newest process on this display whose command line has the pattern.
find_pid() {
  pgrep -f "$1" | while read -r p; do
    tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "DISPLAY=$DISPLAY" && echo "$p"; done | tail -n1
}

# The Wine server of this prefix.
server_pid() {
  pgrep -f wineserver | while read -r p; do
    tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$p"; done | head -n1
}

# Starts a Windows program and waits until its process shows; prints its pid.
start_and_find() {  # program pattern arguments...
  local program=$1 pattern=$2 pid=""
  shift 2
  wine "$program" "$@" >/dev/null 2>&1 &
  for _ in $(seq 1 100); do
    pid=$(find_pid "$pattern")
    [ -n "$pid" ] && break
    sleep 0.1
  done
  echo "$pid"
}
