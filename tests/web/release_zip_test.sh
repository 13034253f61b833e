#!/bin/bash
# The page's release zip, as `--target package` makes it: the page, its
# manifest, worker, icons, the licence and the zip library's, nothing else, the page the one
# built here, and a .sha256 beside it that verifies it.
#
# usage: release_zip_test.sh BUILD_DIR WORK_DIR
set -u
build=$1 work=$2
. "$(dirname "$0")/../support/check.sh"

rm -rf "$work" && mkdir -p "$work/unpacked"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1
check $? "cpack makes the zip"
zip=$(ls "$work"/prcfix-*-web.zip 2>/dev/null | head -1)
[ -n "$zip" ]
check $? "the zip is named prcfix-<version>-web.zip"
want="LICENSE LICENSE.client-zip.txt icons/ icons/favicon.png icons/icon-192.png icons/icon-512.png icons/icon-maskable-512.png manifest.webmanifest prcfix.html sw.js "
[ "$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')" = "$want" ]
check $? "the zip holds the page, its manifest, worker and icons, LICENSE and the zip library's licence"
(cd "$work/unpacked" && unzip -q "$zip")
cmp -s "$work/unpacked/prcfix.html" "$build/prcfix.html" && cmp -s "$work/unpacked/sw.js" "$build/sw.js"
check $? "its page and worker are the ones built"
(cd "$work" && sha256sum -c "$(basename "$zip").sha256" >/dev/null)
check $? "the .sha256 beside the zip verifies it"
finish
