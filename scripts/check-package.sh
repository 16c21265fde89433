#!/usr/bin/env bash
# Installs the Debian package into a fresh, minimal Debian 12 system (made
# with debootstrap in build/package-root, kept for the next run) and checks
# it there: the package brings everything the program needs to start under
# Xvfb, its manual page renders, its icon is found at 48 pixels, and
# AppStream lists it. The system is entered as check-fresh enters its own,
# in namespaces that take its mounts with them. Run `make package` first.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
deb=$(ls -1t "$repo"/build/tarvik_*.deb | head -n 1)
target=$repo/build/package-root
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap and mounts)" >&2; exit 1; }
"$repo/scripts/install-deps.sh" fresh

if [ ! -x "$target/usr/bin/apt-get" ]; then
  rm -rf --one-file-system "$target"
  # The mirror this machine's own apt uses.
  mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  [ -n "$mirror" ] || mirror=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list)
  debootstrap --variant=minbase bookworm "$target" "$mirror" >/dev/null
  cp /etc/resolv.conf "$target/etc/resolv.conf"
fi
cp "$deb" "$target/root/tarvik.deb"
inside() { timeout --kill-after=30 600 "$repo/scripts/in-root.sh" "$target" "" "$1"; }
fail() { echo "On the clean system: $*" >&2; exit 1; }

inside 'DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  /root/tarvik.deb xvfb xauth man-db appstream >/dev/null'
inside 'MANWIDTH=80 man -P cat tarvik 2>&1' | grep '^ *tarvik - list and delete' >/dev/null ||
  fail "man tarvik does not render"
icon=$(sed -n 's/^Icon=//p' "$target/usr/share/applications/tarvik.desktop")
[ "$(od -An -tu1 -j16 -N8 "$target/usr/share/icons/hicolor/48x48/apps/$icon.png" | tr -s ' ')" = \
  " 0 0 0 48 0 0 0 48" ] || fail "no 48 pixel icon for Icon=$icon in the hicolor theme"
inside 'appstreamcli refresh-cache --force >/dev/null 2>&1; appstreamcli get de.tarvik.tarvik' |
  grep 'Identifier: de.tarvik.tarvik' >/dev/null || fail "appstreamcli does not list de.tarvik.tarvik"
set +e
inside 'xvfb-run -a timeout 3 /usr/bin/tarvik'
rc=$?
set -e
if [ $rc -eq 124 ]; then
  echo "The package installed on a clean system: its manual page renders, its icon is found at"
  echo "48 pixels, AppStream lists it, and the program ran until it was stopped."
else
  echo "The program ended with $rc on the clean system." >&2
  exit 1
fi
