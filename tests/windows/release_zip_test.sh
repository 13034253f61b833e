#!/bin/bash
# Makes the release zip of this build as `--target package` does, unpacks
# it as a Windows user would and checks what is in it: prcfix.exe at the
# top (the one built here), the page, LICENSE and README.txt with CRLF line
# ends, and beside the zip a .sha256 file that verifies it.
#
# usage: release_zip_test.sh BUILD_DIR PRCFIX_EXE WORK_DIR
set -u
build=$1 exe=$2 work=$3
. "$(dirname "$0")/../support/check.sh"
crlf_only() { # every line of the file ends in CR LF, and there is one
    [ -s "$1" ] && ! tr -d '\r' <"$1" | cmp -s - "$1" &&
        [ "$(grep -c $'\r$' "$1")" -eq "$(wc -l <"$1")" ]
}

rm -rf "$work" && mkdir -p "$work/unpacked"
cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1
check $? "cpack makes the zip"
zip=$(ls "$work"/prcfix-*-win*.zip 2>/dev/null | head -1)
[ -n "$zip" ]
check $? "the zip is named prcfix-<version>-win32/win64.zip"

[ "$(cd "$work" && unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')" = "LICENSE LICENSE.client-zip.txt README.txt prcfix.exe prcfix.html " ]
check $? "the zip holds prcfix.exe, prcfix.html, LICENSE, the page's zip library's licence and README.txt at the top, nothing else"
(cd "$work/unpacked" && unzip -q "$zip")
cmp -s "$work/unpacked/prcfix.exe" "$exe"
check $? "its prcfix.exe is the one built"
cmp -s "$work/unpacked/prcfix.html" "$build/page/prcfix.html"
check $? "its prcfix.html is the page built beside it"
grep -q 'prcfix.html' "$work/unpacked/README.txt"
check $? "README.txt points to the page"
crlf_only "$work/unpacked/README.txt" && crlf_only "$work/unpacked/LICENSE"
check $? "README.txt and LICENSE have CRLF line ends"
grep -q 'errorlevel' "$work/unpacked/README.txt" && grep -q 'Open File\.\.\.' "$work/unpacked/README.txt"
check $? "README.txt tells the exit statuses and the dialog"

(cd "$work" && sha256sum -c "$(basename "$zip").sha256" >/dev/null)
check $? "the .sha256 beside the zip verifies it"
printf 'x' >>"$zip"
! (cd "$work" && sha256sum -c "$(basename "$zip").sha256" >/dev/null 2>&1)
check $? "and fails for a changed zip"

finish
