#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The example playbook on three local hosts, each a game folder of its own:
# the first run changes all three, a second changes none, check mode writes
# nothing, a refused value fails only its host and leaves its files as
# they were, and so does a rotation map that the game data beside a host's
# folder lacks, until the host forces it. Then three running game servers
# (ENGINE, loopback ports 28230-28232): the handler reloads exactly the
# servers whose files changed, and check mode sends nothing.
set -euo pipefail
kezcfg=$1
playbook=$2
engine=$3
make_map=$engine/make-map

scratch=$(mktemp -d)
cd "$scratch" # no ansible.cfg of the caller applies
servers=()
cleanup() {
    for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${servers[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT
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
    kez_reload: false
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

if [ ! -x "$engine/run-server" ]; then
    echo "6 passed, 0 failed (no game server at hand for the reload runs)"
    exit 0
fi

# reload_inventory FRAGLIMIT_OF_Y: three hosts, each with a game folder and a
# running server of its own.
reload_inventory() {
    cat >"$scratch/inventory.yml" <<YAML
kez_servers:
  vars:
    ansible_connection: local
    ansible_python_interpreter: /usr/bin/python3
    kezcfg_bin: $kezcfg
  hosts:
    x: {kez_dir: $scratch/x/data/kez, kez_server: "127.0.0.1:28230", kez_config: {serverName: X-ray, rconPassword: fleet, maxClients: 8, startingMap: q2dm1}}
    y: {kez_dir: $scratch/y/data/kez, kez_server: "127.0.0.1:28231", kez_config: {serverName: Yankee, rconPassword: fleet, maxClients: 8, fragLimit: $1, startingMap: q2dm1}}
    z: {kez_dir: $scratch/z/data/kez, kez_server: "127.0.0.1:28232", kez_config: {serverName: Zulu, rconPassword: fleet, maxClients: 8, startingMap: q2dm1}}
YAML
}

# handled HOST: whether the reload handler ran (changed) on HOST.
handled() {
    sed -n '/RUNNING HANDLER/,/PLAY RECAP/p' "$scratch/out" | grep -q "^changed: \[$1\]"
}

chmod 755 "$scratch" # the servers run as nobody under root
for host in x y z; do
    mkdir -p "$scratch/$host/data/baseq2/maps" "$scratch/$host/data/kez"
    "$engine/make-map" "$scratch/$host/data/baseq2/maps/q2dm1.bsp"
done
reload_inventory 10
play -e kez_reload=false
[ "$status" -eq 0 ] || { cat "$scratch/out"; fail "writing the game folders exited $status"; }
port=28230
for host in x y z; do
    "$engine/run-server" "$scratch/$host/data" +set game kez +set port $port +exec server.cfg \
        </dev/null >"$scratch/$host.log" 2>&1 &
    servers+=($!)
    port=$((port + 1))
done
for port in 28230 28231 28232; do
    for _ in $(seq 80); do
        "$kezcfg" status --timeout 0.25 127.0.0.1:$port >/dev/null 2>&1 && continue 2
        sleep 0.25
    done
    fail "the server on port $port does not answer"
done

reload_inventory 30
play
[ "$status" -eq 0 ] || { cat "$scratch/out"; fail "the reload run exited $status"; }
handled y || { cat "$scratch/out"; fail "y's server was not reloaded"; }
! handled x && ! handled z || { cat "$scratch/out"; fail "a server whose files did not change was reloaded"; }
"$kezcfg" status --rcon --against "$scratch/y/data/kez" 127.0.0.1:28231 | grep -q '^  fraglimit: 30$' ||
    fail "y's server does not run its new frag limit"
for host in x y z; do
    port=$((28230 + $(expr index xyz $host) - 1))
    "$kezcfg" status --rcon --against "$scratch/$host/data/kez" 127.0.0.1:$port >/dev/null ||
        fail "$host's server does not run its files"
done
echo "reload: only y's server ran its changed files"

before=$(cd "$scratch" && md5sum x/data/kez/* y/data/kez/* z/data/kez/*)
reload_inventory 50
play --check
[ "$status" -eq 0 ] || { cat "$scratch/out"; fail "check mode exited $status"; }
expect_recap y changed 1
handled y && fail "check mode reloaded y's server"
[ "$(cd "$scratch" && md5sum x/data/kez/* y/data/kez/* z/data/kez/*)" = "$before" ] || fail "check mode wrote files"
"$kezcfg" status --rcon --against "$scratch/y/data/kez" 127.0.0.1:28231 | grep -q '^  fraglimit: 30$' ||
    fail "check mode changed y's server"
echo "check mode: y would change, nothing written or sent"

# A server that no longer runs its files (changed through its console, as a
# reload that failed would leave it) is brought back by the next run, though
# no file changes; check mode only reports it; a converged fleet changes nothing.
runs_99() {
    local shown
    shown=$("$kezcfg" status --rcon --against "$scratch/y/data/kez" 127.0.0.1:28231 || true)
    grep -q '^  fraglimit: 99$' <<<"$shown"
}
reload_inventory 30
printf '\xff\xff\xff\xffrcon fleet fraglimit 99\n' >/dev/udp/127.0.0.1/28231
sleep 0.3
runs_99 || fail "y's server did not take fraglimit 99 through its console"
play --check
[ "$status" -eq 0 ] || { cat "$scratch/out"; fail "check mode on a differing server exited $status"; }
expect_recap y changed 1
expect_recap x changed 0
handled y && fail "check mode reloaded y's server"
runs_99 || { cat "$scratch/out"; fail "check mode changed y's server"; }
play
[ "$status" -eq 0 ] || { cat "$scratch/out"; fail "the converging run exited $status"; }
handled y || { cat "$scratch/out"; fail "y's differing server was not reloaded"; }
"$kezcfg" status --rcon --against "$scratch/y/data/kez" 127.0.0.1:28231 >/dev/null ||
    fail "y's server does not run its files after the converging run"
play
[ "$status" -eq 0 ] || { cat "$scratch/out"; fail "the run on a converged fleet exited $status"; }
for host in x y z; do expect_recap $host changed 0; done
echo "convergence: a differing server is reloaded with no file changed, then nothing changes"

# A server that cannot be compared fails its host with what to do.
play -e kez_server=127.0.0.1:28239
[ "$status" -ne 0 ] || fail "a server that is not there did not fail the run"
expect_recap y failed 1
grep -q 'nothing listens on port 28239' "$scratch/out" || { cat "$scratch/out"; fail "the port is not named"; }
grep -q 'kez_reload: false' "$scratch/out" || { cat "$scratch/out"; fail "the failure does not say what to do"; }
echo "no server: each host fails, naming the port and what to do"
echo "10 passed, 0 failed"
