#!/bin/bash
# Installs the .deb on this machine as a user would, uses prcfix from the
# PATH and its man page, removes the package and checks that nothing it
# installed is left. Needs root; refuses to touch a prcfix already
# installed.
#
# usage: deb_install_test.sh DEB SAMPLE REFERENCE_PRCFIX WORK_DIR
set -u
deb=$1 sample=$2 reference=$3 work=$4
. "$(dirname "$0")/../support/check.sh"

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing a package needs root, and this suite runs as $(id -un)"
    exit 0
fi
if dpkg-query -W -f='${Status}' prcfix 2>/dev/null | grep -q 'ok installed'; then
    echo "skipped: a prcfix package is already installed here; it is left alone"
    exit 0
fi

rm -rf "$work" && mkdir -p "$work"
trap 'dpkg -r prcfix >/dev/null 2>&1' EXIT

dpkg -i "$deb" >"$work/dpkg-install.log" 2>&1
check $? "dpkg -i installs the package"
dpkg-query -L prcfix | sort >"$work/files"

hash -r
[ "$(command -v prcfix)" = /usr/bin/prcfix ]
check $? "prcfix on the PATH is the installed one"

cp "$sample" "$work/Blue.prc"
(cd "$work" && prcfix Blue.prc)
check $? "prcfix from the PATH fixes up a database: status 0"
# The base name is part of the result: the reference run gets the same one.
mkdir -p "$work/by-build"
cp "$sample" "$work/by-build/Blue.prc"
"$reference" "$work/by-build/Blue.prc"
cmp -s "$work/Blue.prc" "$work/by-build/Blue.prc" && ! cmp -s "$work/Blue.prc" "$sample"
check $? "the installed prcfix leaves the same bytes as the build's own"

[ "$(man -w prcfix 2>/dev/null)" = /usr/share/man/man1/prcfix.1.gz ]
check $? "man -w prcfix finds the installed page"
MANWIDTH=80 man -P cat prcfix 2>/dev/null | grep -q 'fix up a Palm status-bar skin database in place'
check $? "man prcfix shows the page"

dpkg -r prcfix >"$work/dpkg-remove.log" 2>&1
check $? "dpkg -r removes the package"
trap - EXIT
! dpkg-query -W -f='${Status}' prcfix 2>/dev/null | grep -q 'ok installed'
check $? "the package is no longer installed"
left=()
while read -r path; do
    # Directories the system shares (/usr, /usr/share/man, ...) stay.
    case "$path" in /. | /usr | /usr/bin | /usr/share | /usr/share/doc | /usr/share/man | /usr/share/man/man1) continue ;; esac
    [ -e "$path" ] && left+=("$path")
done <"$work/files"
((${#left[@]} == 0))
check $? "nothing it installed is left behind${left:+: ${left[*]}}"
hash -r
! command -v prcfix >/dev/null
check $? "prcfix is no longer on the PATH"

finish
