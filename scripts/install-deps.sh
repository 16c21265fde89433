#!/usr/bin/env bash
# Installs the Debian packages that one of Tarvik's tasks needs, and nothing
# else. Quick when everything is there already: apt is only asked for what is
# missing.
#
#   scripts/install-deps.sh run|test|bench|fuzz|windows|package|format|fresh|screenshot|reproducible|mutate ...
#
# It never stops or kills a service or process. When it installs Dovecot
# itself (the tests start their own on loopback), a policy-rc.d keeps the
# package from starting the system service while that install runs, and the
# service it installed is kept from starting at boot; a Dovecot that was
# installed or running before is left as it was.
set -euo pipefail

run=(build-essential cmake make pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
  libgl-dev fonts-dejavu-core)
test=(libgtest-dev libbenchmark-dev iproute2)
servers=(dovecot-core dovecot-pop3d)
# Debian's default clang and its runtime (sanitizers, libFuzzer), of the same
# version on every release.
fuzz=(clang libclang-rt-dev)
windows=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine wine64 xvfb xauth
  xdotool nsis imagemagick iproute2)
package=(dpkg-dev file lintian desktop-file-utils appstream librsvg2-bin imagemagick man-db
  debootstrap)

wanted=()
services=()
for task in "$@"; do
  case "$task" in
    run) wanted+=("${run[@]}") ;;
    test | bench) wanted+=("${run[@]}" "${test[@]}") services+=("${servers[@]}") ;;
    fuzz) wanted+=(cmake make "${fuzz[@]}") ;;
    windows) wanted+=(cmake make "${windows[@]}") ;;
    package) wanted+=("${run[@]}" "${package[@]}") ;;
    format) wanted+=(clang-format) ;;
    fresh) wanted+=(debootstrap) ;;
    screenshot) wanted+=(xvfb xauth imagemagick) ;;
    reproducible) wanted+=(git diffoscope faketime) ;;
    mutate) wanted+=(python3) ;;
    *) echo "install-deps: unknown task '$task'" >&2; exit 2 ;;
  esac
done

missing_of() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
      echo "$p"
    fi
  done | sort -u
}
mapfile -t missing < <(missing_of "${wanted[@]}")
mapfile -t missing_services < <(missing_of "${services[@]}")
[ ${#missing[@]} -gt 0 ] || [ ${#missing_services[@]} -gt 0 ] || exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
# sudo resets the environment, so the frontend goes on apt's command line: no
# package may stop to ask a question nobody sees. apt waits for its own lock
# where it can (installing); DEBIAN_FRONTEND and the lock time-out hold as
# root and through sudo alike.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -qq -o DPkg::Lock::Timeout=600)

# 0 while another process holds one of apt's locks, whatever language apt
# speaks. apt takes them with fcntl, so fcntl's own question tells (the
# kernel's /proc/locks is empty in some sandboxes); the files are root's.
apt_locked() {
  "${sudo[@]}" perl -MFcntl -e 'for my $lock (@ARGV) {
      open(my $f, "<", $lock) or next;
      my $how = pack("s s x4 q q i x4", F_WRLCK, 0, 0, 0, 0);
      fcntl($f, F_GETLK, $how) or next;
      exit 0 if unpack("s", $how) != F_UNLCK;
    } exit 1' /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock \
    /var/cache/apt/archives/lock
}

# apt-get, quietly. While another apt (a desktop's automatic updates, say)
# holds apt's lock, it waits up to ten minutes and says so; after that, or on
# any other failure, it fails with apt's own message. An attempt that began
# while the lock was held is tried again even when the lock is free by the
# time it has failed: the holder may have let go in between.
apt_get() {
  local out said="" held deadline=$((SECONDS + 600))
  while :; do
    held=""
    if apt_locked; then
      [ -n "$said" ] || echo "Waiting for another apt to finish (at most ten minutes) ..."
      said=1
      held=1
    fi
    out=$("${apt[@]}" "$@" 2>&1 >/dev/null) && return 0
    if { [ -z "$held" ] && ! apt_locked; } || [ $SECONDS -ge $deadline ]; then
      echo "$out" >&2
      return 1
    fi
    sleep 5
  done
}

# What this script did to the system and undoes when it ends, however it ends.
policy=${TARVIK_POLICY_RC_D:-/usr/sbin/policy-rc.d}
placed_policy=""
installed_dovecot=""
finish() {
  [ -z "$installed_dovecot" ] || keep_off_at_boot
  [ -z "$placed_policy" ] || "${sudo[@]}" rm -f "$policy"
}
trap finish EXIT

# The package of a Dovecot that was missing enables the system's service: at
# the next boot it would listen on every interface and log in the system's
# users. The tests start a Dovecot of their own, so the service this script
# installed goes off at boot again, as `systemctl disable dovecot` would put
# it (and `systemctl enable dovecot` undoes): update-rc.d turns the init
# script's start links into stop links and disables the unit, systemctl the
# socket too. Without systemctl the links are removed as update-rc.d removes
# the unit's. A Dovecot that was installed before is never touched.
keep_off_at_boot() {
  local link
  if [ -e /etc/init.d/dovecot ]; then
    "${sudo[@]}" update-rc.d dovecot disable >/dev/null 2>&1 || true
  fi
  if command -v systemctl >/dev/null; then
    "${sudo[@]}" systemctl --root=/ --quiet disable dovecot.service dovecot.socket 2>/dev/null || true
  else
    for link in /etc/systemd/system/*.wants/dovecot.service /etc/systemd/system/*.wants/dovecot.socket; do
      [ ! -L "$link" ] || "${sudo[@]}" rm -f "$link"
    done
  fi
}

echo "Installing: ${missing[*]} ${missing_services[*]}"
apt_get update
if [ ${#missing[@]} -gt 0 ]; then
  apt_get install -y --no-install-recommends "${missing[@]}"
fi

if [ ${#missing_services[@]} -gt 0 ]; then
  # invoke-rc.d and deb-systemd-invoke ask policy-rc.d before they start a
  # service; 101 means "not allowed". Someone else's policy is left alone.
  if [ ! -e "$policy" ]; then
    placed_policy=1
    printf '#!/bin/sh\n# Placed by Tarvik while it installs Dovecot.\ncase "$1" in dovecot*) exit 101 ;; esac\nexit 0\n' |
      "${sudo[@]}" tee "$policy" >/dev/null
    "${sudo[@]}" chmod 755 "$policy"
  fi
  for package in "${missing_services[@]}"; do
    [ "$package" != dovecot-core ] || installed_dovecot=1
  done
  apt_get install -y --no-install-recommends "${missing_services[@]}"
fi
