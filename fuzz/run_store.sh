#!/bin/sh
# Builds the fuzz targets of the saved-game reader and of the game log
# reader with clang (libFuzzer, ASan, UBSan) and runs each for the given
# number of seconds (default 60), with corpora seeded from files the
# program itself writes (korvat-cli of the given build folder).
#
#   fuzz/run_store.sh [SECONDS] [BUILD_FOLDER]
#
# BUILD_FOLDER defaults to build; the corpora and any crash files are kept
# in fuzz/work/ (not under version control).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-60}
build=${2:-$root/build}
work=$here/work
mkdir -p "$work/gamefile-corpus" "$work/logfile-corpus" "$work/crashes"

sources="$(ls "$root"/src/model/*.cpp "$root"/src/core/*.cpp "$root"/src/play/*.cpp 2>/dev/null)
  $root/src/store/bytes.cpp $root/src/store/logfile.cpp $root/src/store/gamefile.cpp"
flags="-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I$root/src"
# shellcheck disable=SC2086
clang++ $flags "$here/gamefile_fuzz.cpp" $sources -o "$work/gamefile_fuzz"
# shellcheck disable=SC2086
clang++ $flags "$here/logfile_fuzz.cpp" $sources -o "$work/logfile_fuzz"

# Seeds: games saved by the program after some play, and their logs.
cli=$build/bin/korvat-cli
if [ -x "$cli" ]; then
  export ASAN_OPTIONS=detect_leaks=0
  "$cli" games | while IFS="$(printf '\t')" read -r row game name piles flags; do
    case $row in *[05]) ;; *) continue ;; esac
    for number in 1 2; do
      last=$((piles - 1))
      "$cli" play "$game" "$number" click:$last auto click:$last step click:0 auto \
        --save "$work/gamefile-corpus/seed-$game-$number.GAM" \
        --log "$work/logfile-corpus/seed-LOG.DAT" >/dev/null 2>&1 || true
    done
  done
  cp "$work/logfile-corpus/seed-LOG.DAT" "$work/logfile-corpus/seed-short.DAT" 2>/dev/null &&
    truncate -s 100 "$work/logfile-corpus/seed-short.DAT" || true
fi
printf '<KORVAT>' > "$work/gamefile-corpus/seed-signature"

cd "$work"
./gamefile_fuzz -max_total_time="$seconds" -max_len=40000 -rss_limit_mb=2048 \
  -artifact_prefix="$work/crashes/gamefile-" -print_final_stats=1 gamefile-corpus
./logfile_fuzz -max_total_time="$seconds" -max_len=30000 -rss_limit_mb=2048 \
  -artifact_prefix="$work/crashes/logfile-" -print_final_stats=1 logfile-corpus
