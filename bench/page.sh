#!/bin/bash
# The page's figures in headless Chromium beside the native prcfix (the
# benchmark's release build) on the same files: the page's size, the time to
# ready, the time per file for a typical skin and the worst table, a 1 GiB
# file against a 1 MiB one, and a batch of 1,000 skins. A measurement, not a
# test.
#
# usage: bench/page.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j2 >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web -j2 >/dev/null
exec /usr/bin/python3 bench/page_bench.py build/web/prcfix.html \
    build/bench/bin/prcfix build/bench/bin/make_bench_db build/bench/page
