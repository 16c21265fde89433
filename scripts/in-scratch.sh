#!/usr/bin/env bash
# Runs a command with a temporary folder of its own (TMPDIR, and the runtime
# folder Qt would otherwise make in /tmp), removed when it ends, however it
# ends: nothing the tests write for a while stays behind in /tmp.
#   in-scratch.sh COMMAND [ARG...]
set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tarvik.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# Others may pass through, not look: the tests' Dovecot, started as root,
# reaches its folder in here as its own users.
chmod 711 "$scratch"
mkdir -m 700 "$scratch/runtime"
TMPDIR=$scratch XDG_RUNTIME_DIR=$scratch/runtime "$@"
