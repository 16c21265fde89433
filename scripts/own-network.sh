#!/bin/sh
# Runs a command in a network namespace of its own with only loopback up, so
# that it may listen on port 110 without root and without touching whatever
# listens on the host: `unshare -n` as root, otherwise with a user namespace
# too (`unshare -rn`), which Debian allows every user.
#   own-network.sh COMMAND [ARG...]
set -eu
[ "$(id -u)" -eq 0 ] && flags=-n || flags=-rn
exec unshare $flags sh -c 'PATH=$PATH:/usr/sbin:/sbin; ip link set lo up && exec "$@"' own-network "$@"
