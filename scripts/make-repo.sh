#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Makes a signed apt repository of the given packages with reprepro:
#   scripts/make-repo.sh OUTDIR DEB...
# OUTDIR is made afresh and holds only what a web server publishes: dists/
# (Release, InRelease and Release.gpg, the indices), pool/ and the public key
# kez-archive-keyring.asc; reprepro's own database goes beside it, in
# OUTDIR.db. Signed with the key REPO_KEY (a fingerprint) of gpg's keyring
# (GNUPGHOME, or ~/.gnupg); without REPO_KEY, with a throwaway key that is
# made in GNUPGHOME (which must then be given) the first time and kept
# there, for tests only.
# The suite is the Debian release the packages were built on (REPO_SUITE,
# bookworm unless given), whose libraries their dependencies name.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 OUTDIR DEB..." >&2; exit 2; }
out=$(realpath -m "$1")
shift
suite=${REPO_SUITE:-bookworm}
if [ -z "${REPO_KEY:-}" ]; then
    : "${GNUPGHOME:?without REPO_KEY, GNUPGHOME names the folder of the throwaway key}"
    export GNUPGHOME
    # The agent that signs with the throwaway key ends with this script.
    trap 'gpgconf --kill gpg-agent' EXIT
    mkdir -p "$GNUPGHOME"
    chmod 700 "$GNUPGHOME"
    if ! gpg --batch --quiet --list-secret-keys "Kez throwaway" >/dev/null 2>&1; then
        echo "Making a throwaway signing key in $GNUPGHOME (for tests; publish nothing signed with it)"
        gpg --batch --quiet --pinentry-mode loopback --passphrase '' \
            --quick-generate-key "Kez throwaway test repository key <kez@example.org>" ed25519 sign never
    fi
    REPO_KEY=$(gpg --batch --quiet --with-colons --list-secret-keys "Kez throwaway" | awk -F: '$1 == "fpr" { print $10; exit }')
fi

rm -rf "$out" "$out.db"
mkdir -p "$out.db/conf"
cat >"$out.db/conf/distributions" <<EOF
Origin: Kez Server Configuration
Label: Kez Server Configuration
Codename: $suite
Architectures: $(dpkg --print-architecture)
Components: main
Description: kezcfg and kez-server-config
SignWith: $REPO_KEY
EOF
reprepro --silent --basedir "$out.db" --outdir "$out" includedeb "$suite" "$@"
gpg --batch --armor --export "$REPO_KEY" >"$out/kez-archive-keyring.asc"
[ -s "$out/dists/$suite/InRelease" ] && [ -s "$out/dists/$suite/Release.gpg" ] ||
    { echo "reprepro did not sign the repository" >&2; exit 1; }
echo "Repository in $out, signed with $REPO_KEY"
