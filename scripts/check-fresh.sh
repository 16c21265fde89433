#!/usr/bin/env bash
# Proves the README's set-up on a clean system: a minimal Debian (bookworm,
# the default, or trixie) made with debootstrap in a folder, with nothing but
# git, make, sudo and ca-certificates added, and this repository's last
# commit cloned into it. There, as root with LANG unset: make run and the
# command it prints, CI=true make test, CI=true make test-windows, make
# package, make bench and make fuzz; then as a normal user who has sudo:
# CI=true make test. The tests must leave nothing in /tmp. Prints each
# step's time; fails on any failure.
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
if [ ! -s "$cache/$release.tar" ]; then
  # The mirror this machine's own apt uses.
  mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  [ -n "$mirror" ] || mirror=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list)
  echo "Making a minimal Debian $release with debootstrap ..."
  debootstrap --variant=minbase --include=git,make,sudo,ca-certificates "$release" "$root" \
    "$mirror" >"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }
  tar -C "$root" -cf "$cache/$release.tar.part" . && mv "$cache/$release.tar.part" "$cache/$release.tar"
else
  tar -C "$root" -xf "$cache/$release.tar"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
echo "127.0.1.1 $(hostname)" >>"$root/etc/hosts"  # sudo looks its host up
git clone -q "$repo" "$root/root/tarvik"

# Runs a shell command in the clean system as root, with no environment but
# a PATH. pivot_root rather than chroot: in a chroot the kernel refuses the
# user namespaces that the tests' own networks need.
inside() {
  unshare --mount --pid --fork --kill-child --propagation private -- /bin/sh -ec '
    root=$1
    mount --rbind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    mount --bind "$2" "$root/var/cache/apt/archives"
    cd "$root"
    pivot_root . mnt
    cd /
    umount -l /mnt
    exec env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/sh -ec "$3"
  ' inside "$root" "$cache/$release-apt" "$1"
}

# Runs one step, timed; on failure shows the end of its output. Interrupted,
# it ends the step's namespace, and with it every process of the step.
step() {
  local name=$1 start=$SECONDS
  inside "$2" >"$log" 2>&1 &
  local unshare=$!
  trap 'kill -KILL $(cat /proc/'$unshare'/task/*/children) 2>/dev/null; wait; exit 130' INT TERM
  if ! wait $unshare; then
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

# The printed command must start the window: it runs for five seconds.
step "make run, and the command it prints" '
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
step "CI=true make test (root)" 'cd /root/tarvik && CI=true make test'
clean_tmp "make test"
step "CI=true make test-windows (root)" 'cd /root/tarvik && CI=true make test-windows'
clean_tmp "make test-windows"
step "make package (root)" 'cd /root/tarvik && make package'
clean_tmp "make package"
step "make bench, make fuzz for 10 s (root)" 'cd /root/tarvik && make bench && make fuzz FUZZ_SECONDS=10'

# A user who has sudo, in a clone of their own; sudo is for apt alone, so
# nothing of theirs may become root's.
inside 'useradd -m -s /bin/bash -G sudo tester
  echo "tester ALL=(ALL) NOPASSWD: ALL" >/etc/sudoers.d/tester'
git clone -q "$repo" "$root/home/tester/tarvik"
chown -R "$(stat -c %u:%g "$root/home/tester")" "$root/home/tester/tarvik"
step "CI=true make test (a user with sudo)" 'runuser -l tester -c "cd tarvik && CI=true make test"'
clean_tmp "make test as a user"
[ -z "$(find "$root/home/tester" ! -user "$(stat -c %u "$root/home/tester")" -print -quit)" ] ||
  { echo "check-fresh $release: root owns files in the user's clone"; exit 1; }
echo "check-fresh $release: the README's commands work on a clean system, as root and as a user."
