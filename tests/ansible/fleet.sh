#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The example playbook on three local hosts, each a game folder of its own:
# the first run changes all three, a second changes none, check mode writes
# nothing, a refused value fails only its host and leaves its files as
# they were, and so does a rotation map that the game data beside a host's
# folder lacks, until the host forces it.
set -euo pipefail
kezcfg=$1
playbook=$2
make_map=$3

scratch=$(mktemp -d)
cd "$scratch" # no ansible.cfg of the caller applies
trap 'rm -rf "$scratch"' EXIT
export ANSIBLE_LOCAL_TEMP=$scratch/tmp ANSIBLE_REMOTE_TEMP=$scratch/tmp ANSIBLE_NOCOLOR=1 \
       ANSIBLE_RETRY_FILES_ENABLED=0 HOME=$scratch

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# inventory MAXCLIENTS_OF_B [ROTATION_OF_D [FORCE_D]]: four hosts, b with the
# given maxClients, d (a mod folder beside baseq2, which holds q2dm1 alone)
# with the given rotation.
inventory() {
    cat >"$scratch/inventory.yml" <<YAML
kez_servers:
  vars:
    ansible_connection: local
    ansible_python_interpreter: /usr/bin/python3
    kezcfg_bin: $kezcfg
  hosts:
    a: {kez_dir: $scratch/a, kez_config: {serverName: Alpha, mapList: true, rotation: [q2dm1, q2dm2]}}
    b: {kez_dir: $scratch/b, kez_config: {serverName: Bravo, maxClients: $1, families: [{variable: weaponban, flags: [BFG10K]}]}}
    c: {kez_dir: $scratch/c, kez_config: {serverName: Charlie, motd: "Welcome\nto Charlie"}}
    d: {kez_dir: $scratch/game/kez, kezcfg_force: ${3:-false}, kez_config: {mapList: true, rotation: ${2:-[q2dm1]}}}
YAML
}

# play [ARGS...]: runs the playbook; sets recap and status.
play() {
    status=0
    ansible-playbook -i "$scratch/inventory.yml" "$playbook" "$@" >"$scratch/out" 2>&1 || status=$?
    recap=$(sed -n '/PLAY RECAP/,$p' "$scratch/out")
}

expect_recap() {
    local host=$1 field=$2 value=$3
    grep -Eq "^$host +: .*\\b$field=$value\\b" <<<"$recap" || { cat "$scratch/out"; fail "$host: expected $field=$value"; }
}

mkdir -p "$scratch/a" "$scratch/b" "$scratch/c" "$scratch/game/kez" "$scratch/game/baseq2/maps"
"$make_map" "$scratch/game/baseq2/maps/q2dm1.bsp"
inventory 8
play
[ "$status" -eq 0 ] || { cat "$scratch/out"; fail "first run exited $status"; }
for host in a b c d; do expect_recap $host changed 1; done
grep -q '^set hostname "Bravo"' "$scratch/b/server.cfg" || fail "b's server.cfg lacks its host name"
[ "$(cat "$scratch/a/maplist.txt")" = $'q2dm1\nq2dm2' ] || fail "a's rotation is not as given"
echo "first run: all three changed"

play
[ "$status" -eq 0 ] || fail "second run exited $status"
for host in a b c d; do expect_recap $host changed 0; done
echo "second run: none changed"

before=$(cd "$scratch" && md5sum a/* b/* c/* game/kez/*)
inventory 12
play --check
[ "$status" -eq 0 ] || fail "check mode exited $status"
expect_recap b changed 1
expect_recap a changed 0
grep -q '+set maxclients 12' "$scratch/out" || { cat "$scratch/out"; fail "check mode shows no diff"; }
[ "$(cd "$scratch" && md5sum a/* b/* c/* game/kez/*)" = "$before" ] || fail "check mode wrote files"
echo "check mode: b would change, nothing written"

inventory 300
play
[ "$status" -ne 0 ] || fail "a refused value did not fail the run"
expect_recap b failed 1
expect_recap a failed 0
expect_recap c failed 0
grep -q 'maxClients.*must be a whole number from 0 to 255' "$scratch/out" || { cat "$scratch/out"; fail "kezcfg's message is not shown"; }
[ "$(cd "$scratch" && md5sum a/* b/* c/* game/kez/*)" = "$before" ] || fail "a refused host's files changed"
echo "refused value: only b failed, its files unchanged"

inventory 12 '[q2dm1, q2dm9]'
play
[ "$status" -ne 0 ] || fail "a missing rotation map did not fail the run"
expect_recap d failed 1
expect_recap b failed 0
expect_recap b changed 1
grep -q 'maplist.txt:2: error: the game server cannot find maps/q2dm9.bsp' "$scratch/out" || { cat "$scratch/out"; fail "check's line is not shown"; }
[ "$(cat "$scratch/game/kez/maplist.txt")" = q2dm1 ] || fail "a refused host's rotation changed"
echo "missing map: only d failed, with check's line, its files unchanged"

inventory 12 '[q2dm1, q2dm9]' true
play
[ "$status" -eq 0 ] || { cat "$scratch/out"; fail "kezcfg_force did not write"; }
expect_recap d changed 1
[ "$(cat "$scratch/game/kez/maplist.txt")" = $'q2dm1\nq2dm9' ] || fail "the forced rotation was not written"
echo "kezcfg_force: d written"
echo "6 passed, 0 failed"
