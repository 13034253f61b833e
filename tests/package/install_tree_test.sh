#!/bin/bash
# `cmake --install` into a fresh prefix puts the program and its man page
# where a Linux user looks for them, and the installed program runs.
#
# usage: install_tree_test.sh BUILD_DIR SAMPLE WORK_DIR
set -u
build=$1 sample=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
prefix=$work/prefix
status=0
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
(cd "$prefix" && find . -type f | sort) >"$work/tree"
printf '%s\n' ./bin/prcfix ./share/man/man1/prcfix.1 >"$work/expected"
if ! diff -u "$work/expected" "$work/tree"; then
    echo "the install tree is not the program and its man page"
    status=1
fi
cp "$sample" "$work/Blue.prc"
if ! "$prefix/bin/prcfix" "$work/Blue.prc" || cmp -s "$work/Blue.prc" "$sample"; then
    echo "the installed prcfix did not fix up a copy of the sample"
    status=1
fi
exit $status
