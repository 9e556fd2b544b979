#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The packages as an operator gets them: built with cpack, put in a signed
# apt repository by scripts/make-repo.sh (what make repo runs) with a
# throwaway key, served over HTTP on the loopback address, and installed with
# apt into a minimal Debian 12 made with mmdebstrap. Shows that
#   - apt refuses the repository when its Release changed after signing, and
#     a package that changed after the index was made;
#   - apt-get install kezcfg adds few packages, nothing that draws, and
#     kezcfg checks and lists maps from a pak and a pk3 there;
#   - apt-get install kez-server-config adds the window, every library of it
#     resolves, and it upgrades the single package of 1.0, kezcfg included;
#   - the example playbook, run in a second such root with Debian's
#     ansible-core, installs kezcfg from the repository and applies a
#     configuration: the first run changes, the second changes nothing.
# Needs root (chroot, mounts) and Debian's mirror. The minimal root is cached
# as a tarball in CACHE_DIR, and so are the Debian packages downloaded.
#   apt_repository.sh CPACK_CONFIG SOURCE_DIR CACHE_DIR MAKE_MAP
set -euo pipefail
cpack_config=$1
source_dir=$2
cache_dir=$3
make_map=$4
mirror=${KEZ_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security_mirror=${KEZ_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: needs root, for chroot and mounts (CI runs it as root)"
    exit 77
fi
# Everything mounted below lives in a mount namespace of its own and goes
# with it, however the test ends; the scratch folder is removed only after
# that, from outside, so that no removal ever reaches through a mount.
if [ -z "${KEZ_SCRATCH:-}" ]; then
    scratch=$(mktemp -d)
    chmod 755 "$scratch"
    status=0
    KEZ_SCRATCH=$scratch unshare --mount --propagation private -- "$0" "$@" || status=$?
    if findmnt -rn -o TARGET | grep -q "^$scratch/"; then
        echo "mounts remain under $scratch; left in place" >&2
    else
        rm -rf --one-file-system "$scratch"
    fi
    exit "$status"
fi
scratch=$KEZ_SCRATCH

started=$(date +%s)
step() {
    echo "[$(($(date +%s) - started)) s] $*"
}

server_pid=
stop_server() {
    [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
}
trap stop_server EXIT

step "building the packages and the repository"
export SOURCE_DATE_EPOCH=1765195200
cpack --config "$cpack_config" -B "$scratch/debs" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack could not build the packages"; }
GNUPGHOME=$scratch/gnupg "$source_dir/scripts/make-repo.sh" "$scratch/repo" "$scratch"/debs/*.deb >"$scratch/repo.log" 2>&1 ||
    { cat "$scratch/repo.log" >&2; fail "make-repo.sh failed"; }
version=$(dpkg-deb -f "$scratch"/debs/kezcfg_*.deb Version)

# The repository as published, over HTTP on a port the system picks.
mkdir "$scratch/www"
cp -a "$scratch/repo" "$scratch/www/kez"
python3 - "$scratch/www" "$scratch/port" 2>"$scratch/http.log" <<'EOF' &
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
with open(sys.argv[2] + '.new', 'w') as f:
    f.write(str(server.server_port))
import os
os.rename(sys.argv[2] + '.new', sys.argv[2])
server.serve_forever()
EOF
server_pid=$!
for _ in $(seq 100); do [ -s "$scratch/port" ] && break; sleep 0.1; done
[ -s "$scratch/port" ] || fail "the HTTP server did not start"
url=http://127.0.0.1:$(cat "$scratch/port")/kez

# republish: the served copy made the same as the repository again.
republish() {
    rm -rf "$scratch/www/kez"
    cp -a "$scratch/repo" "$scratch/www/kez"
}

# A minimal Debian 12, made once and kept as a tarball.
mkdir -p "$cache_dir/archives/partial"
tarball=$cache_dir/bookworm-apt.tar
if [ ! -s "$tarball" ]; then
    step "making a minimal Debian 12 with mmdebstrap (kept in $tarball)"
    # mmdebstrap makes a tarball of a name that ends in .tar.
    mmdebstrap --variant=apt bookworm "$cache_dir/new.tar" "deb $mirror bookworm main" \
        "deb $mirror bookworm-updates main" "deb $security_mirror bookworm-security main" >"$scratch/mmdebstrap.log" 2>&1 ||
        { tail -n 30 "$scratch/mmdebstrap.log" >&2; rm -rf "$cache_dir/new.tar"; fail "mmdebstrap failed"; }
    mv "$cache_dir/new.tar" "$tarball"
fi
# Packages of our own never stay in the download cache: apt would take a
# cached file that matches the index instead of fetching the served one.
rm -f "$cache_dir"/archives/kez*.deb "$cache_dir"/archives/partial/*

# new_root NAME: a fresh root from the tarball, with /proc, /dev and the
# download cache mounted.
new_root() {
    root=$scratch/$1
    mkdir "$root"
    tar -C "$root" -xf "$tarball"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --bind "$cache_dir/archives" "$root/var/cache/apt/archives"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
}
in_root() {
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}
installed() {
    in_root dpkg-query -W -f '${db:Status-Abbrev} ${Package}\n' | awk '$1 ~ /^.i/ { print $2 }' | LC_ALL=C sort
}
# apt_get ARGS...: apt-get in the root, its output in $scratch/apt.log.
apt_get() {
    in_root apt-get -q -y "$@" >"$scratch/apt.log" 2>&1
}
add_repository() {
    mkdir -p "$root/etc/apt/keyrings"
    cp "$scratch/repo/kez-archive-keyring.asc" "$root/etc/apt/keyrings/"
    cat >"$root/etc/apt/sources.list.d/kez.sources" <<EOF
Types: deb
URIs: $url
Suites: bookworm
Components: main
Signed-By: /etc/apt/keyrings/kez-archive-keyring.asc
EOF
}

step "root A: refusing what changed after signing"
new_root a
add_repository
# candidate: the version of kezcfg that apt would install, or nothing.
candidate() {
    in_root apt-cache policy kezcfg 2>/dev/null | sed -n 's/^ *Candidate: //p' | grep -v '^(none)$' || true
}
# The text of InRelease and of Release, each changed after signing.
sed -i 's/^Date: .*/Date: Thu, 01 Jan 2026 00:00:00 UTC/' "$scratch/www/kez/dists/bookworm/InRelease" \
    "$scratch/www/kez/dists/bookworm/Release"
apt_get update && { cat "$scratch/apt.log"; fail "apt-get update took a changed InRelease"; }
grep -q 'BADSIG' "$scratch/apt.log" || { cat "$scratch/apt.log"; fail "apt did not report a bad signature on InRelease"; }
[ -z "$(candidate)" ] || fail "apt offers kezcfg from a changed InRelease"
rm "$scratch/www/kez/dists/bookworm/InRelease"
apt_get update && { cat "$scratch/apt.log"; fail "apt-get update took a changed Release"; }
grep -q 'BADSIG' "$scratch/apt.log" || { cat "$scratch/apt.log"; fail "apt did not report a bad signature on Release"; }
[ -z "$(candidate)" ] || fail "apt offers kezcfg from a changed Release"
echo "a Release changed after signing is refused, with InRelease and with Release.gpg"

republish
apt_get update || { cat "$scratch/apt.log"; fail "apt-get update failed on the repository"; }
! grep -E '^(W|E):' "$scratch/apt.log" || fail "apt-get update warned"
[ "$(candidate)" = "$version" ] || fail "apt offers kezcfg '$(candidate)', not $version"
# One byte of the package changed after the index was made.
deb=$(echo "$scratch"/www/kez/pool/main/k/kez-server-config/kezcfg_*.deb)
printf 'X' | dd of="$deb" bs=1 seek=$(($(stat -c %s "$deb") - 1)) conv=notrunc status=none
apt_get install kezcfg && { cat "$scratch/apt.log"; fail "apt installed a package changed after the index"; }
grep -Eq 'Hash Sum mismatch|Hashes of expected file' "$scratch/apt.log" ||
    { cat "$scratch/apt.log"; fail "apt did not report the package's changed hash"; }
! installed | grep -qx kezcfg || fail "kezcfg got installed from a changed package"
echo "a package changed after the index was made is refused"
republish

step "root A: apt-get install kezcfg"
# Qt Gui and Widgets, fonts, X11, Wayland, OpenGL and Vulkan, or anything
# else that draws.
draws() {
    grep -E '^(libqt6(gui|widgets|opengl|xcbqpa)|fonts-|fontconfig|libfontconfig|libfreetype|libharfbuzz|libx11|libxcb|libxau|libxdmcp|libxext|libxrender|libxkbcommon|libxi[0-9]|libxfixes|libxrandr|libxcursor|libxinerama|libxshmfence|libxxf86vm|libxdamage|libxcomposite|x11-|xserver|xkb-data|libwayland|libgl1|libglx|libglvnd|libegl|libgles|libopengl|libgbm|libdrm|mesa|libvulkan|libcairo|libpango|libgtk|libpng|libjpeg)'
}
# megabytes KIB: apt's megabytes (10^6 bytes) of kibibytes.
megabytes() {
    awk -v k="$1" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }'
}
# would_add PACKAGE [OPTION]: what apt-get install would add to the minimal
# root; by default with the packages that the libraries recommend.
would_add() {
    apt_get install -s "$@" || { cat "$scratch/apt.log"; fail "apt-get install -s $* failed"; }
    simulated=$(sed -n 's/^Inst \([^ ]*\) .*/\1/p' "$scratch/apt.log" | LC_ALL=C sort)
    # apt prints the space it would take when asked to confirm, not when simulating.
    in_root apt-get install --assume-no "$@" >"$scratch/apt.log" 2>&1 || true
    echo "apt-get install $* would add $(wc -l <<<"$simulated") packages," \
        "$(sed -n 's/^After this operation, \(.*\) of additional disk space will be used.*/\1/p' "$scratch/apt.log")"
}
would_add kez-server-config --no-install-recommends
would_add kez-server-config
would_add kezcfg
echo "  " $simulated
[ -z "$(draws <<<"$simulated")" ] || fail "apt-get install kezcfg would bring what draws: $(draws <<<"$simulated")"
# What kezcfg needs alone, as a server is best installed.
before=$(installed)
apt_get install --no-install-recommends kezcfg || { cat "$scratch/apt.log"; fail "apt-get install kezcfg failed"; }
added=$(LC_ALL=C comm -13 <(echo "$before") <(installed))
count=$(wc -l <<<"$added")
kib=$(for p in $added; do in_root dpkg-query -W -f '${Installed-Size}\n' "$p"; done | awk '{ s += $1 } END { print s }')
echo "apt-get install --no-install-recommends kezcfg added $count packages, $(megabytes "$kib") MB:" $added
# The whole root is checked, not only what was added.
drawing=$(installed | draws || true)
[ -z "$drawing" ] || fail "the root with kezcfg holds what draws: $drawing"
[ "$count" -le 12 ] || fail "apt-get install kezcfg added $count packages, more than 12"
awk -v k="$kib" 'BEGIN { exit !(k * 1024 <= 65e6) }' || fail "apt-get install kezcfg added $(megabytes "$kib") MB, more than 65"

# A game folder: q2dm1 in baseq2's pak0.pak, kezarena in the mod's pk3.
"$make_map" "$scratch/tiny.bsp"
game=$root/srv/q2
mkdir -p "$game/baseq2" "$game/kez"
python3 - "$game" "$scratch/tiny.bsp" <<'EOF'
import struct, sys, zipfile
game, bsp = sys.argv[1], open(sys.argv[2], 'rb').read()
# "PACK", the directory's offset and length, the file, then its 64-byte entry.
with open(f'{game}/baseq2/pak0.pak', 'wb') as pak:
    pak.write(b'PACK' + struct.pack('<ii', 12 + len(bsp), 64) + bsp)
    pak.write(b'maps/q2dm1.bsp'.ljust(56, b'\0') + struct.pack('<ii', 12, len(bsp)))
with zipfile.ZipFile(f'{game}/kez/kezmaps.pk3', 'w') as pk3:
    pk3.writestr('maps/kezarena.bsp', bsp)
EOF
maps=$(in_root kezcfg maps /srv/q2/kez) || fail "kezcfg maps failed"
[ "$(tr -s ' ' <<<"$maps")" = "kezarena kezmaps.pk3
q2dm1 ../baseq2/pak0.pak" ] || fail "kezcfg maps printed: $maps"
echo '{"serverName": "Frag Night", "adminName": "Ann", "email": "ann@example.org", "webpage": "https://example.org/",
       "startingMap": "q2dm1", "mapList": true, "rotation": ["q2dm1", "kezarena"]}' >"$root/root/config.json"
[ "$(in_root kezcfg apply /srv/q2/kez /root/config.json | head -n 1)" = "changed: server.cfg maplist.txt" ] ||
    fail "kezcfg apply did not write the configuration"
status=0
check=$(in_root kezcfg check /srv/q2/kez 2>&1) || status=$?
# Both maps found; the one only in the pk3 is a warning, which shows that
# the zip archive was read.
[ "$status" -eq 1 ] || fail "kezcfg check ended with $status: $check"
grep -q '^maplist.txt:2: warning: maps/kezarena.bsp is only in kezmaps.pk3' <<<"$check" || fail "kezcfg check printed: $check"
! grep -q 'error' <<<"$check" || fail "kezcfg check reported an error: $check"
echo "kezcfg maps and check read the pak and the pk3"

step "root A: apt-get install kez-server-config"
apt_get install kez-server-config || { cat "$scratch/apt.log"; fail "apt-get install kez-server-config failed"; }
[ -x "$root/usr/bin/kez-server-config" ] && [ -f "$root/usr/share/applications/org.example.KezServerConfig.desktop" ] ||
    fail "kez-server-config did not install the window and its menu entry"
# The programs and the platform plugin that puts the window on an X display.
for file in /usr/bin/kez-server-config /usr/bin/kezcfg \
    "$(in_root find /usr/lib -path '*/qt6/plugins/platforms/libqxcb.so' | head -n 1)"; do
    [ "$file" != "" ] || fail "no X11 platform plugin of Qt installed"
    libraries=$(in_root ldd "$file") || fail "ldd $file failed"
    ! grep -q 'not found' <<<"$libraries" || fail "$file lacks libraries: $(grep 'not found' <<<"$libraries")"
done
echo "every library of the window resolves"

# The single package of 1.0 held kezcfg and its manual page; one with those
# files stands in for it. Installing the window upgrades it, and kezcfg takes
# its files over.
apt_get purge kez-server-config kezcfg || { cat "$scratch/apt.log"; fail "could not remove the packages"; }
old=$scratch/old
mkdir -p "$old/DEBIAN" "$old/usr/bin" "$old/usr/share/man/man1"
printf '#!/bin/sh\necho old\n' >"$old/usr/bin/kezcfg"
cp "$old/usr/bin/kezcfg" "$old/usr/bin/kez-server-config"
chmod 755 "$old/usr/bin/kezcfg" "$old/usr/bin/kez-server-config"
echo old | gzip -n >"$old/usr/share/man/man1/kezcfg.1.gz"
cat >"$old/DEBIAN/control" <<EOF
Package: kez-server-config
Version: 1.0
Architecture: $(dpkg --print-architecture)
Maintainer: Kez Server Configuration author <kez@example.org>
Description: the single package of 1.0
EOF
dpkg-deb --root-owner-group -b "$old" "$root/root/old.deb" >/dev/null
in_root dpkg -i /root/old.deb >"$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "the old package did not install"; }
apt_get install kez-server-config || { cat "$scratch/apt.log"; fail "the upgrade from the single package failed"; }
[ "$(in_root dpkg-query -W -f '${Version}' kez-server-config)" = "$version" ] || fail "kez-server-config was not upgraded"
[ "$(in_root dpkg -S /usr/bin/kezcfg)" = "kezcfg: /usr/bin/kezcfg" ] || fail "kezcfg does not own /usr/bin/kezcfg"
[ "$(in_root kezcfg --version)" != old ] || fail "the old kezcfg is still installed"
echo "the single package of 1.0 upgrades to the two"

step "root B: the playbook installs and configures"
new_root b
apt_get update || { cat "$scratch/apt.log"; fail "apt-get update failed"; }
apt_get install --no-install-recommends ansible-core || { cat "$scratch/apt.log"; fail "could not install ansible-core"; }
mkdir "$root/root/play"
cp "$source_dir"/examples/ansible/*.yml "$root/root/play/"
cp "$scratch/repo/kez-archive-keyring.asc" "$root/root/play/"
mkdir -p "$root/srv/q2/kez"
cat >"$root/root/play/inventory.yml" <<EOF
kez_servers:
  hosts:
    game1:
      ansible_connection: local
      ansible_python_interpreter: /usr/bin/python3
      kez_repo_url: $url
      kez_repo_key: "{{ lookup('file', 'kez-archive-keyring.asc') }}"
      kez_dir: /srv/q2/kez
      kez_config: {serverName: Frag Night, maxClients: 16}
      kez_reload: false # no game server runs in this root
EOF
play() {
    status=0
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
        ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 \
        sh -c 'cd /root/play && ansible-playbook -i inventory.yml site.yml' >"$scratch/play.log" 2>&1 || status=$?
    recap=$(sed -n '/PLAY RECAP/,$p' "$scratch/play.log")
}
play
[ "$status" -eq 0 ] || { cat "$scratch/play.log"; fail "the first run exited $status"; }
grep -Eq '^game1 +: .*\bchanged=[1-9]' <<<"$recap" || { cat "$scratch/play.log"; fail "the first run changed nothing"; }
[ "$(in_root dpkg-query -W -f '${Version}' kezcfg)" = "$version" ] || fail "the playbook did not install kezcfg $version"
grep -q '^set hostname "Frag Night"' "$root/srv/q2/kez/server.cfg" || fail "the playbook did not apply the configuration"
grep -q '^set maxclients 16' "$root/srv/q2/kez/server.cfg" || fail "the playbook did not apply maxClients"
echo "first run: kezcfg installed from the repository, configuration applied"
play
[ "$status" -eq 0 ] || { cat "$scratch/play.log"; fail "the second run exited $status"; }
grep -Eq '^game1 +: .*\bchanged=0\b' <<<"$recap" || { cat "$scratch/play.log"; fail "the second run changed something"; }
echo "second run: nothing changed"
step "done"
