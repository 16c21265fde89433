#!/usr/bin/env bash
# Installs the Debian package into a fresh, minimal Debian 12 system (made
# with debootstrap in a folder) and checks it there: the package brings
# everything the program needs to start under Xvfb, its manual page renders,
# its icon is found at 48 pixels, and AppStream lists it. Run `make package`
# first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(ls -1t "$root"/build/tarvik_*.deb | head -n 1)
target=${TARVIK_CLEAN_ROOT:-/tmp/tarvik-clean-root}
[ "$(id -u)" -eq 0 ] || { echo "needs root (debootstrap and chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y -qq --no-install-recommends debootstrap >/dev/null

if [ ! -x "$target/usr/bin/apt-get" ]; then
  rm -rf "$target"
  # The mirror this machine's own apt uses.
  mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  [ -n "$mirror" ] || mirror=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list)
  debootstrap --variant=minbase bookworm "$target" "$mirror" >/dev/null
fi
cp "$deb" "$target/tmp/tarvik.deb"
mount --bind /proc "$target/proc"
mount --bind /dev "$target/dev"
trap 'umount -l "$target/proc" "$target/dev"' EXIT
DEBIAN_FRONTEND=noninteractive chroot "$target" apt-get install -y -qq --no-install-recommends \
  /tmp/tarvik.deb xvfb xauth man-db appstream >/dev/null
fail() { echo "On the clean system: $*" >&2; exit 1; }
chroot "$target" env MANWIDTH=80 man -P cat tarvik 2>&1 | grep -q '^ *tarvik - list and delete' ||
  fail "man tarvik does not render"
icon=$(sed -n 's/^Icon=//p' "$target/usr/share/applications/tarvik.desktop")
[ "$(od -An -tu1 -j16 -N8 "$target/usr/share/icons/hicolor/48x48/apps/$icon.png" | tr -s ' ')" = \
  " 0 0 0 48 0 0 0 48" ] || fail "no 48 pixel icon for Icon=$icon in the hicolor theme"
chroot "$target" appstreamcli refresh-cache --force >/dev/null 2>&1
chroot "$target" appstreamcli get de.tarvik.tarvik | grep -q 'Identifier: de.tarvik.tarvik' ||
  fail "appstreamcli does not list de.tarvik.tarvik"
set +e
chroot "$target" xvfb-run -a timeout 3 /usr/bin/tarvik
rc=$?
set -e
if [ $rc -eq 124 ]; then
  echo "The package installed on a clean system: its manual page renders, its icon is found at"
  echo "48 pixels, AppStream lists it, and the program ran until it was stopped."
else
  echo "The program ended with $rc on the clean system." >&2
  exit 1
fi
