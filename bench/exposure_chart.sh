#!/usr/bin/env bash
# Draws docs/exposure.png: the share of the time each row of a 1920 x 1080
# desktop is blanked over 24 hours, one line per movement, default settings
# otherwise; and prints the administrators' table of every setting.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
if ! command -v gnuplot >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends gnuplot-nox >/dev/null
fi
build_host >/dev/null
data="$BUILD/exposure"
mkdir -p "$data"
for movement in 0 1; do
  "$BUILD/host/exposure" --movement "$movement" --rows > "$data/movement$movement.tsv"
done
gnuplot <<GNUPLOT
set terminal pngcairo size 900,480 font "DejaVu Sans,10"
set output "$ROOT/docs/exposure.png"
set title "Share of 24 hours each row is blanked (1920 x 1080, CoverArea 1, TransitionTime 2, borders on)"
set xlabel "desktop row (0 = top)"
set ylabel "share of the time blanked"
set format y "%.0f %%"
set xrange [0:1079]
set yrange [0:40]
set key bottom center
set grid
plot "$data/movement0.tsv" using 1:(\$2*100) every ::1 with lines lw 2 title "upside down (MovementType 0)", \
     "$data/movement1.tsv" using 1:(\$2*100) every ::1 with lines lw 2 title "randomly (MovementType 1)"
GNUPLOT
echo "$ROOT/docs/exposure.png"
"$BUILD/host/exposure" --table
