#!/usr/bin/env bash
# Proves the README's set-up on a clean system: a minimal Debian (bookworm,
# the default, or trixie) made with debootstrap in a folder, with nothing but
# git, make, sudo, ca-certificates and locales added, and this repository's
# last commit cloned into it. There, first as a normal user who has sudo, in
# a German locale, while another process holds apt's locks for a while:
# CI=true make test, so that every package comes in through sudo and the
# set-up waits for the lock; then that nothing starts Dovecot at boot. Then
# as root with LANG unset: make run and the command it prints, CI=true make
# test, CI=true make test-windows, make package, make bench and make fuzz.
# The tests must leave nothing in /tmp. Every step has a time limit. Prints
# each step's time; fails on any failure.
#
# The base system is kept as a tarball under /var/cache/tarvik-fresh, and the
# packages apt downloads beside it, so that a second run downloads nothing.
# Everything else it makes goes when it ends, however it ends: each step runs
# in mount and PID namespaces of its own, which take its mounts and every
# process it leaves with them.   check-fresh.sh [RELEASE]
set -euo pipefail
release=${1:-bookworm}
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=/var/cache/tarvik-fresh
[ "$(id -u)" -eq 0 ] || { echo "check-fresh: needs root (debootstrap, mounts)" >&2; exit 1; }
"$repo/scripts/install-deps.sh" fresh

work=$(mktemp -d /var/tmp/tarvik-fresh.XXXXXX)
trap 'rm -rf --one-file-system "$work"' EXIT
root=$work/root
log=$work/log
mkdir -p "$root" "$cache/$release-apt/partial"
include=git,make,sudo,ca-certificates,locales
base=$cache/$release-$(printf %s "$include" | cksum | cut -d' ' -f1).tar
if [ ! -s "$base" ]; then
  # The mirror this machine's own apt uses.
  mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  [ -n "$mirror" ] || mirror=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list)
  echo "Making a minimal Debian $release with debootstrap ..."
  debootstrap --variant=minbase --include="$include" "$release" "$root" \
    "$mirror" >"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }
  tar -C "$root" -cf "$base.part" . && mv "$base.part" "$base"
else
  tar -C "$root" -xf "$base"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
# The host names Debian's installer writes, which debootstrap leaves out:
# localhost, and the host's own name, which sudo looks up.
printf '127.0.0.1\tlocalhost\n127.0.1.1\t%s\n::1\tlocalhost ip6-localhost ip6-loopback\n' \
  "$(hostname)" >"$root/etc/hosts"
git clone -q "$repo" "$root/root/tarvik"

inside() {
  "$repo/scripts/in-root.sh" "$root" "$cache/$release-apt" "$1"
}

# Runs one step, timed and within LIMIT seconds; on failure shows the end of
# its output. Interrupted or out of time, it ends the step's namespace, and
# with it every process of the step.   step NAME LIMIT COMMAND
step() {
  local name=$1 start=$SECONDS
  timeout --kill-after=30 "$2" "$repo/scripts/in-root.sh" "$root" "$cache/$release-apt" "$3" >"$log" 2>&1 &
  local running=$!
  trap 'kill -KILL $(cat /proc/'$running'/task/*/children) 2>/dev/null; wait; exit 130' INT TERM
  if ! wait $running; then
    tail -n 60 "$log"
    echo "check-fresh $release: FAILED: $name"
    exit 1
  fi
  trap - INT TERM
  printf 'check-fresh %s: %-44s %4d s\n' "$release" "$name" $((SECONDS - start))
}

# Nothing of the tests may stay in /tmp. The X servers' socket folder is the
# system's: a desktop has it from the start, and Xvfb makes it where it is
# missing.
clean_tmp() {
  local left
  left=$(ls -A "$root/tmp" | grep -v -x '\.X11-unix' || true)
  [ -z "$left" ] || { echo "check-fresh $release: left in /tmp after $1:" $left; exit 1; }
}

# A user who has sudo, in a clone of their own, on a system where nothing
# was installed yet; sudo is for apt alone, so nothing of theirs may become
# root's. They speak German, and apt does too, while another process holds
# apt's locks for the first 40 seconds: the set-up must wait, and say so.
inside 'useradd -m -s /bin/bash -G sudo tester
  echo "tester ALL=(ALL) NOPASSWD: ALL" >/etc/sudoers.d/tester
  sed -i "s/^# *de_DE.UTF-8/de_DE.UTF-8/" /etc/locale.gen && locale-gen >/dev/null'
git clone -q "$repo" "$root/home/tester/tarvik"
chown -R "$(stat -c %u:%g "$root/home/tester")" "$root/home/tester/tarvik"
step "CI=true make test (a user with sudo, German)" 2400 '
  perl -MFcntl -e "my (\$seconds, @locks) = @ARGV; my @held;
    for my \$lock (@locks) { open(my \$f, \">>\", \$lock) or die; my \$how = pack(\"s s x4 q q i x4\", F_WRLCK, 0, 0, 0, 0);
      fcntl(\$f, F_SETLKW, \$how) or die; push @held, \$f } sleep \$seconds" \
    40 /var/lib/apt/lists/lock /var/lib/dpkg/lock-frontend &
  sleep 1
  runuser -l tester -c "cd tarvik && LANG=de_DE.UTF-8 CI=true make test" >/tmp/test.out 2>&1 ||
    { cat /tmp/test.out; exit 1; }
  grep -q "Waiting for another apt" /tmp/test.out || { echo "the set-up did not wait for the lock"; exit 1; }
  rm /tmp/test.out'
clean_tmp "make test as a user"
[ -z "$(find "$root/home/tester" ! -user "$(stat -c %u "$root/home/tester")" -print -quit)" ] ||
  { echo "check-fresh $release: root owns files in the user's clone"; exit 1; }
# The Dovecot that the set-up installed starts at no boot.
[ -x "$root/usr/sbin/dovecot" ] || { echo "check-fresh $release: the set-up did not install Dovecot"; exit 1; }
at_boot=$(ls "$root"/etc/systemd/system/*.wants/ "$root"/etc/rc?.d/ 2>/dev/null | grep -E '^(dovecot\.|S[0-9]*dovecot)' || true)
[ -z "$at_boot" ] || { echo "check-fresh $release: Dovecot starts at boot:" $at_boot; exit 1; }

# The printed command must start the window: it runs for five seconds.
step "make run, and the command it prints" 1200 '
  cd /root/tarvik
  make run >/tmp/run.out 2>&1 || { cat /tmp/run.out; exit 1; }
  cat /tmp/run.out
  command=$(sed -n "s/.*without one: //p" /tmp/run.out)
  [ -n "$command" ] || { echo "make run printed no command"; exit 1; }
  sh -c "$command" &
  for _ in $(seq 300); do
    for exe in /proc/[0-9]*/exe; do
      [ "$(readlink "$exe")" = /root/tarvik/build/app/tarvik ] && break 2
    done
    sleep 1
  done
  sleep 5
  [ "$(readlink "$exe")" = /root/tarvik/build/app/tarvik ] || { echo "no window from: $command"; exit 1; }'
rm -rf "${root:?}"/tmp/* "$root"/tmp/.[!.]*
step "CI=true make test (root)" 1200 'cd /root/tarvik && CI=true make test'
clean_tmp "make test"
step "CI=true make test-windows (root)" 2400 'cd /root/tarvik && CI=true make test-windows'
clean_tmp "make test-windows"
step "make package (root)" 1200 'cd /root/tarvik && make package'
clean_tmp "make package"
step "make bench, make fuzz for 10 s (root)" 900 'cd /root/tarvik && make bench && make fuzz FUZZ_SECONDS=10'

echo "check-fresh $release: the README's commands work on a clean system, as a user and as root."
