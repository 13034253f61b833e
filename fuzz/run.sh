#!/bin/bash
# Builds the libFuzzer harness (clang, AddressSanitizer, UndefinedBehavior-
# Sanitizer, LeakSanitizer) and fuzzes whole runs for SECONDS (default 60).
# The tracked seeds in fuzz/corpus are read, never written: new inputs go to
# build/fuzz/corpus, and a crashing input to build/fuzz/artifacts/.
#
# usage: fuzz/run.sh [SECONDS] [extra libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2
mkdir -p build/fuzz/corpus build/fuzz/artifacts
# Standard error of the runs is closed (-close_fd_mask=2): failing runs print
# their message there, thousands a second. Sanitizer reports still show.
exec build/fuzz/bin/fuzz_prcfix -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -close_fd_mask=2 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/artifacts/ "$@" build/fuzz/corpus fuzz/corpus
