#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian package that cpack builds from this build tree: its files lie
# where a desktop finds them, its dependencies were computed, and the program
# it installs starts from the menu entry's command and ends with status 0.
set -euo pipefail
cpack_config=$1
. "$(dirname "$0")/lib.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Packages built at the same source date are the same, byte for byte.
export SOURCE_DATE_EPOCH=1765195200
for out in out again; do
    cpack --config "$cpack_config" -B "$scratch/$out" >"$scratch/cpack.log" 2>&1 || {
        cat "$scratch/cpack.log" >&2
        fail "cpack could not build the package"
    }
done
debs=("$scratch"/out/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
cmp "$deb" "$scratch/again/$(basename "$deb")" || fail "two builds of the package differ"

# Debian's own checks: no error and no warning, pedantic ones included.
lintian --pedantic --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' >"$scratch/lintian.log" || true
cat "$scratch/lintian.log"
! grep -Eq '^[EW]: ' "$scratch/lintian.log" || fail "lintian reports errors or warnings"

field() {
    dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = kez-server-config ] || fail "package name is '$(field Package)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture is '$(field Architecture)'"
depends=$(field Depends)
echo "Depends: $depends"
# Package names alone, one a line, without versions or alternatives.
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6 fonts-liberation2; do
    grep -Fxq "$needed" <<<"$names" || fail "Depends lacks $needed"
done

# Every file with its mode and owner; directories leave the list.
listing=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }')
echo "$listing"
expected="-rwxr-xr-x root/root ./usr/bin/kez-server-config
-rwxr-xr-x root/root ./usr/bin/kezcfg
-rw-r--r-- root/root ./usr/share/man/man1/kezcfg.1.gz
-rw-r--r-- root/root ./usr/share/applications/org.example.KezServerConfig.desktop
-rw-r--r-- root/root ./usr/share/doc/kez-server-config/README.md
-rw-r--r-- root/root ./usr/share/doc/kez-server-config/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/kez-server-config/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/org.example.KezServerConfig.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/org.example.KezServerConfig.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/org.example.KezServerConfig.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/org.example.KezServerConfig.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/org.example.KezServerConfig.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/org.example.KezServerConfig.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/org.example.KezServerConfig.svg
-rw-r--r-- root/root ./usr/share/man/man1/kez-server-config.1.gz
-rw-r--r-- root/root ./usr/share/metainfo/org.example.KezServerConfig.metainfo.xml"
[ "$(LC_ALL=C sort <<<"$listing")" = "$(LC_ALL=C sort <<<"$expected")" ] || fail "the package's files differ from the expected list"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
gzip -t "$root/usr/share/man/man1/kez-server-config.1.gz" || fail "the manual page is not a valid gzip file"
! readelf -d "$root/usr/bin/kez-server-config" | grep -Eq 'RPATH|RUNPATH' || fail "the program carries a library search path"
readelf -S "$root/usr/bin/kez-server-config" | grep -q '\.debug_info' && fail "the program is not stripped"
# Cross-checks between the metadata and the desktop entry it names.
appstreamcli validate-tree --no-net "$root" >"$scratch/appstream.log" 2>&1 || {
    cat "$scratch/appstream.log" >&2
    fail "appstreamcli validate-tree failed"
}

entry=$root/usr/share/applications/org.example.KezServerConfig.desktop
command=$(sed -n 's/^Exec=//p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named '$icon'"
grep -q '^Path=' "$entry" && fail "the menu entry names a working directory; menus start it in the home folder"

# The menu starts the command found on PATH, in the home folder.
export PATH="$root/usr/bin:$PATH"
[ "$(command -v "$command")" = "$root/usr/bin/kez-server-config" ] || fail "'$command' is not the packaged program"
mkdir "$scratch/home"
cd "$scratch/home"
start_program "$command"
choose_file_menu_item_from_end 1
expect_exit 0
echo "The packaged program started from '$command' and ended with status 0"

# kezcfg works without a display.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/kezcfg" decode weaponban 524290)" = "shotgun
rocket launcher" ] || fail "the packaged kezcfg does not decode without a display"
echo "The packaged kezcfg decodes without a display"
