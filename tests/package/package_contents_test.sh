#!/bin/bash
# The .deb and the .tar.gz hold the program, its compressed man page and,
# in the .deb, the licence and changelog where Debian keeps them; the .deb's
# control fields are the project's.
#
# usage: package_contents_test.sh DEB TGZ VERSION
set -u
deb=$1 tgz=$2 version=$3
status=0
same() { # same DESCRIPTION EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        printf '%s differ:\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
        status=1
    fi
}

same ".deb files" "./usr/bin/prcfix
./usr/share/doc/prcfix/changelog.gz
./usr/share/doc/prcfix/copyright
./usr/share/man/man1/prcfix.1.gz" \
    "$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort)"
same ".deb fields" "prcfix $version utils $(dpkg --print-architecture)" \
    "$(dpkg-deb -f "$deb" Package Version Section Architecture | cut -d' ' -f2 | tr '\n' ' ' | sed 's/ $//')"
dpkg-deb -f "$deb" Depends | grep -q 'libc6' ||
    { echo "the .deb's dependencies were not worked out from the binary"; status=1; }
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/man/man1/prcfix.1.gz | gzip -t ||
    { echo "the man page in the .deb is not gzip-compressed"; status=1; }

top=prcfix-$version-linux-$(uname -m)
same ".tar.gz files" "$top/bin/prcfix
$top/share/man/man1/prcfix.1.gz" "$(tar -tzf "$tgz" | grep -v '/$' | sort)"
exit $status
