#!/bin/bash
# Whole-process timings of prcfix, each comparison measured side by side in
# one run of bench/interleave (rounds that run every command once, in a
# shuffled order, each on a fresh copy of its database), and the read, write
# and lseek system calls of each run (strace -c):
#   - a typical skin (12 entries) against a floor program that only starts,
#     opens the file for update, reads 80 bytes and closes it;
#   - the worst table (65535 entries, every one "ovly") against half of it
#     (32768) and against the same fix-up through Palm::PDB (libpalm-perl).
# Ratios use medians. This is a measurement, not a test: it exits 0 once it
# has measured, and says which targets were met.
#
# usage: bench/run.sh [ROUNDS_FOR_THE_TYPICAL_SKIN [ROUNDS_FOR_THE_WORST]]
set -euo pipefail
cd "$(dirname "$0")/.."
typical_rounds=${1:-1000}
worst_rounds=${2:-40}
for tool in strace perl; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is needed (apt-get install $tool)"; exit 2; }
done
perl -MPalm::PDB -e1 2>/dev/null || { echo "bench: Palm::PDB is needed (apt-get install libpalm-perl)"; exit 2; }

cmake --preset bench >/dev/null
cmake --build --preset bench -j2 >/dev/null
bin=build/bench/bin
data=build/bench/data
mkdir -p "$data"
"$bin/make_bench_db" typical "$data/Typical.prc.orig"
"$bin/make_bench_db" overlays 32768 "$data/Half.prc.orig"
"$bin/make_bench_db" overlays 65535 "$data/Worst.prc.orig"

echo "timing: $typical_rounds rounds of the typical skin, $worst_rounds of the worst table"
"$bin/interleave" "$typical_rounds" \
    prcfix "$data/Typical.prc.orig" "$data/Typical.prc" "$bin/prcfix" \; \
    floor "$data/Typical.prc.orig" "$data/Floor.prc" "$bin/floor" \; \
    >build/bench/typical.tsv
"$bin/interleave" "$worst_rounds" \
    prcfix-65535 "$data/Worst.prc.orig" "$data/Worst.prc" "$bin/prcfix" \; \
    prcfix-32768 "$data/Half.prc.orig" "$data/Half.prc" "$bin/prcfix" \; \
    palm-pdb-65535 "$data/Worst.prc.orig" "$data/WorstPerl.prc" perl bench/palm_pdb_fixup.pl \; \
    >build/bench/worst.tsv

calls() { # calls PROGRAM DATABASE: "read write lseek" of one run
    cp "$data/$2.prc.orig" "$data/$2.prc"
    strace -c -o build/bench/strace.txt -e trace=read,write,lseek "$bin/$1" "$data/$2.prc" >/dev/null 2>&1 || true
    # strace -c prints a row per call: % time, seconds, usecs/call, calls,
    # [errors,] name.
    for call in read write lseek; do
        awk -v c="$call" '$NF == c { print $4; found = 1 } END { if (!found) print 0 }' build/bench/strace.txt
    done | paste -sd' '
}

echo
echo "system calls (read write lseek) of one run:"
echo "  floor, typical skin:    $(calls floor Typical)"
echo "  prcfix, typical skin:   $(calls prcfix Typical)"
echo "  prcfix, 32768 overlays: $(calls prcfix Half)"
echo "  prcfix, 65535 overlays: $(calls prcfix Worst)"

echo
perl -e '
    my %m;
    for my $file (@ARGV) {
        open my $f, "<", $file or die "$file: $!";
        while (<$f>) { my ($name, $median) = split /\t/; $m{$name} = $median; }
    }
    printf "medians (ms): prcfix typical %.3f, floor %.3f; prcfix 65535 %.1f, 32768 %.1f; Palm::PDB 65535 %.1f\n",
        @m{qw(prcfix floor prcfix-65535 prcfix-32768 palm-pdb-65535)};
    my @rows = (
        ["typical skin, prcfix / floor", $m{prcfix} / $m{floor}, "<=", 1.15],
        ["65535 overlays, ms", $m{"prcfix-65535"}, "<", 150],
        ["65535 / 32768 overlays", $m{"prcfix-65535"} / $m{"prcfix-32768"}, "<=", 2.4],
        ["65535 overlays, prcfix / Palm::PDB", $m{"prcfix-65535"} / $m{"palm-pdb-65535"}, "<=", 0.6],
    );
    for my $r (@rows) {
        my $ok = $r->[2] eq "<" ? $r->[1] < $r->[3] : $r->[1] <= $r->[3];
        printf "  %-36s %8.3f   target %s %s: %s\n", @$r, $ok ? "met" : "NOT met";
    }' build/bench/typical.tsv build/bench/worst.tsv
