#!/bin/bash
# prcfix.exe, given a path, restricts where Windows looks for libraries to
# the system folder before it does anything else: the call shows in wine's
# relay trace, and succeeds, before the database is opened.
#
# usage: dll_search_test.sh WINE_LOADER PRCFIX_EXE SAMPLE WORK_DIR
set -u
wine=$1 exe=$2 sample=$3 work=$4
here=$(dirname "$0")
. "$here/../support/check.sh"
. "$here/relay.sh"

rm -rf "$work" && mkdir -p "$work"
cp "$sample" "$work/Blue.prc"
relay_setup "$wine"
# The trace goes to a file: through a pipe, wine can keep the reader
# waiting long after the program ended.
(cd "$work" && WINEDEBUG=+relay timeout 120 "$wine" "$exe" Blue.prc </dev/null >trace.log 2>&1)
check $? "run with a path: status 0"
search_restricted_before "$work/trace.log" 'msvcrt\.fopen\('
check $? "the library search is restricted to the system folder before the file is opened"
cmp -s "$work/Blue.prc" "$sample"
check $((! $?)) "the file was fixed"
finish
