#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian packages that cpack builds from this build tree, kezcfg and
# kez-server-config: their files lie where a desktop finds them, their
# dependencies were computed, and the program the window's package installs
# starts from the menu entry's command and ends with status 0.
set -euo pipefail
cpack_config=$1
. "$(dirname "$0")/lib.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Two packages, each the same byte for byte when built at the same source date.
export SOURCE_DATE_EPOCH=1765195200
for out in out again; do
    cpack --config "$cpack_config" -B "$scratch/$out" >"$scratch/cpack.log" 2>&1 || {
        cat "$scratch/cpack.log" >&2
        fail "cpack could not build the packages"
    }
done
debs=("$scratch"/out/*.deb)
[ "${#debs[@]}" -eq 2 ] || fail "expected two .deb files, found: ${debs[*]}"
deb=$(echo "$scratch"/out/kez-server-config_*.deb)
tool_deb=$(echo "$scratch"/out/kezcfg_*.deb)
[ -f "$deb" ] && [ -f "$tool_deb" ] || fail "expected kez-server-config and kezcfg, found: ${debs[*]}"
for built in "$deb" "$tool_deb"; do
    cmp "$built" "$scratch/again/$(basename "$built")" || fail "two builds of $(basename "$built") differ"
    # Debian's own checks: no tag at all, pedantic ones included.
    lintian --pedantic --tag-display-limit 0 "$built" 2>&1 | grep -v 'running with root privileges' >"$scratch/lintian.log" || true
    cat "$scratch/lintian.log"
    ! grep -Eq '^[EWIP]: ' "$scratch/lintian.log" || fail "lintian reports tags on $(basename "$built")"
done

# field DEB NAME
field() {
    dpkg-deb -f "$1" "$2"
}
# depends_names DEB: the package names of Depends, one a line, without
# versions; alternatives count as names of their own.
depends_names() {
    tr ',|' '\n\n' <<<"$(field "$1" Depends)" | sed 's/^ *//; s/[ (].*//'
}
# listing DEB: every file with its mode and owner; directories leave the list.
listing() {
    dpkg-deb -c "$1" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | LC_ALL=C sort
}

[ "$(field "$deb" Package)" = kez-server-config ] || fail "package name is '$(field "$deb" Package)'"
[ "$(field "$tool_deb" Package)" = kezcfg ] || fail "package name is '$(field "$tool_deb" Package)'"
version=$(field "$deb" Version)
[ "$(field "$tool_deb" Version)" = "$version" ] || fail "the two packages have different versions"
[ "$version" = "$(sed -n '1s/^kez-server-config (\(.*\)) .*/\1/p' "$(dirname "$0")/../../dist/changelog")" ] ||
    fail "version $version is not the changelog's newest"
for built in "$deb" "$tool_deb"; do
    [ "$(field "$built" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture is '$(field "$built" Architecture)'"
done
echo "kez-server-config Depends: $(field "$deb" Depends)"
echo "kezcfg Depends: $(field "$tool_deb" Depends)"
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6 fonts-liberation2 kezcfg; do
    depends_names "$deb" | grep -Fxq "$needed" || fail "kez-server-config's Depends lacks $needed"
done
grep -Fq "kezcfg (= $version)" <<<"$(field "$deb" Depends)" || fail "kez-server-config does not depend on its own kezcfg"
for needed in libqt6core6 libc6 libstdc++6; do
    depends_names "$tool_deb" | grep -Fxq "$needed" || fail "kezcfg's Depends lacks $needed"
done
! depends_names "$tool_deb" | grep -Eq 'gui|widgets|font|x11|xcb|gl' || fail "kezcfg depends on something that draws"
# kezcfg's files came in kez-server-config 1.0: dpkg may take them over.
for relation in Breaks Replaces; do
    [ "$(field "$tool_deb" "$relation")" = "kez-server-config (<< $version~)" ] ||
        fail "kezcfg's $relation is '$(field "$tool_deb" "$relation")'"
done

echo "$(listing "$deb")"
[ "$(listing "$deb")" = "$(LC_ALL=C sort <<<"-rwxr-xr-x root/root ./usr/bin/kez-server-config
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
-rw-r--r-- root/root ./usr/share/metainfo/org.example.KezServerConfig.metainfo.xml")" ] ||
    fail "kez-server-config's files differ from the expected list"
echo "$(listing "$tool_deb")"
[ "$(listing "$tool_deb")" = "$(LC_ALL=C sort <<<"-rwxr-xr-x root/root ./usr/bin/kezcfg
-rw-r--r-- root/root ./usr/share/doc/kezcfg/README.md
-rw-r--r-- root/root ./usr/share/doc/kezcfg/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/kezcfg/copyright
-rw-r--r-- root/root ./usr/share/man/man1/kezcfg.1.gz")" ] ||
    fail "kezcfg's files differ from the expected list"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
dpkg-deb -x "$tool_deb" "$root"
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
