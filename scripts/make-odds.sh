#!/usr/bin/env bash
# Makes src/shell/game_odds.inc, the odds of every game that the game
# chooser shows, from the table of docs/winnability.md's section "Every
# game". Run it whenever that table is made again:
#     scripts/make-odds.sh           # writes the file
#     scripts/make-odds.sh --check   # only says whether it is up to date (a test runs this)
set -euo pipefail
cd "$(dirname "$0")/.."
source=docs/winnability.md
out=src/shell/game_odds.inc

# The first table of the section: | id | game | deals | winnable |
# unwinnable | unknown | winnable % | 95% interval | ...
rows=$(awk -F'|' '
  /^## Every game/ { section = 1; next }
  section && /^## / { exit }
  section && /^\|/ { intable = 1 }
  section && intable && !/^\|/ { exit }
  section && intable && $2 ~ /^ *[0-9]+ *$/ {
    for (i = 2; i <= 9; i++) gsub(/^ +| +$/, "", $i)
    split($9, range, "-"); sub(/%$/, "", range[2])
    printf "    {%d, %d, %d, %d, %d, %d, %d},  // %s\n", $2, $4, $5, $6, $7, \
      int(range[1] * 10 + 0.5), int(range[2] * 10 + 0.5), $3
  }' "$source")
if [ -z "$rows" ]; then
  echo "make-odds.sh: no table of every game found in $source" >&2
  exit 1
fi
made=$(printf '%s\n' \
  "// The odds of every game from the survey in docs/winnability.md (section" \
  "// \"Every game\"): made by scripts/make-odds.sh, not edited by hand." \
  "// command id, deals surveyed, winnable, unwinnable, unknown, the 95% interval" \
  "// of the winnable share in tenths of a per cent (low, high)." \
  "$rows")
if [ "${1:-}" = "--check" ]; then
  if [ "$made" != "$(cat "$out" 2>/dev/null)" ]; then
    echo "$out does not match the table in $source: run scripts/make-odds.sh" >&2
    exit 1
  fi
  echo "$out matches $source"
  exit 0
fi
printf '%s\n' "$made" > "$out"
echo "wrote $out ($(printf '%s\n' "$rows" | wc -l) games)"
