#!/bin/sh
# Builds the picture reader's fuzz target with clang (libFuzzer, ASan,
# UBSan) and runs it for the given number of seconds (default 60), with a
# corpus seeded from our own picture files.
#
#   fuzz/run.sh [SECONDS] [PICTURE_FOLDER]
#
# PICTURE_FOLDER defaults to build/share/korvat; the corpus and any crash
# files are kept in fuzz/work/ (not under version control).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-60}
pictures=${2:-$root/build/share/korvat}
work=$here/work
mkdir -p "$work/corpus" "$work/crashes"

clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/src" "$here/pcx_fuzz.cpp" "$root/src/view/pcx.cpp" "$root/src/view/surface.cpp" \
  -o "$work/pcx_fuzz"

for f in "$pictures"/*.PCX; do
  [ -f "$f" ] && cp "$f" "$work/corpus/seed-$(basename "$f")"
done
# A tiny well-formed picture (4 x 2, a run and two single bytes) so that
# there is always a seed.
if [ ! -f "$work/corpus/seed-tiny" ]; then
  python3 - "$work/corpus/seed-tiny" <<'PY'
import sys
head = bytearray(128)
head[0:4] = bytes([10, 5, 1, 8])
head[8:10] = (3).to_bytes(2, 'little')
head[10:12] = (1).to_bytes(2, 'little')
head[65] = 1
head[66:68] = (4).to_bytes(2, 'little')
stream = bytes([0xC6, 7, 1, 2, 12])
palette = bytes(range(256)) * 3
open(sys.argv[1], 'wb').write(bytes(head) + stream + palette)
PY
fi

cd "$work"
exec ./pcx_fuzz -max_total_time="$seconds" -max_len=300000 -rss_limit_mb=2048 \
  -artifact_prefix="$work/crashes/" -print_final_stats=1 corpus
