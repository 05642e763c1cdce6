#!/usr/bin/env bash
# Measures the time from process start to the main window shown with its
# first table drawn, as the median of 20 runs, under Xvfb (or offscreen with
# --offscreen), and the resident memory of the running program one second
# after its start.  Usage: scripts/measure-startup.sh [--offscreen] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
mode=xvfb
if [ "${1:-}" = "--offscreen" ]; then mode=offscreen; shift; fi
build=${1:-build-rel}
if [ ! -x "$build/bin/korvat" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVAT_TESTS=OFF >/dev/null
  cmake --build "$build" >/dev/null
fi
program=$(realpath "$build/bin/korvat")
work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT
export KORVAT_INI="$work/korvat.ini" KORVAT_HISTORY="$work/history.sqlite" XDG_RUNTIME_DIR="$work"
if [ "$mode" = xvfb ]; then
  display=:$(( 90 + RANDOM % 9 ))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  export DISPLAY=$display
  unset QT_QPA_PLATFORM
else
  export QT_QPA_PLATFORM=offscreen
fi
cd "$work"
times=()
for _ in $(seq 20); do
  start=$(date +%s%N)
  shown=$(KORVAT_STARTUP_PROBE=1 "$program" 2>/dev/null | awk '/^first-table/ {print $2}')
  times+=($(( (shown - start) / 1000 )))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
KORVAT_STARTUP_PROBE=stay "$program" >/dev/null 2>&1 &
pid=$!
sleep 1
rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
kill "$pid"
wait "$pid" 2>/dev/null || true
printf 'start-up to first table (%s, median of 20): %d.%03d ms\n' "$mode" $((median / 1000)) $((median % 1000))
printf 'resident memory after 1 s: %d.%d MiB\n' $((rss / 1024)) $(( (rss % 1024) * 10 / 1024 ))
