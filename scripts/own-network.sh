#!/bin/sh
# Runs a command in a network namespace of its own with only loopback up, so
# that it may listen on port 110 without root and without touching whatever
# listens on the host: `unshare -n` as root, otherwise with a user namespace
# too (`unshare -rn`), which Debian allows every user. Where the kernel
# refuses that (user namespaces switched off, a container's seccomp profile),
# it says so in one line and ends with 77, the status of a skipped test;
# under CI=true, where nothing may skip, with 1.
#   own-network.sh COMMAND [ARG...]
set -eu
[ "$(id -u)" -eq 0 ] && flags=-n || flags=-rn
if ! refused=$(unshare $flags true 2>&1); then
  echo "skipped: no network namespace of its own here (unshare $flags: $refused)"
  [ "${CI:-}" != true ] || exit 1
  exit 77
fi
exec unshare $flags sh -c 'PATH=$PATH:/usr/sbin:/sbin; ip link set lo up && exec "$@"' own-network "$@"
