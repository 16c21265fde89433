#!/usr/bin/env bash
# Installs the Debian package into a fresh, minimal Debian 12 system (made
# with debootstrap in a folder) and starts the program there under Xvfb: the
# package must bring everything it needs. Run `make package` first.
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
DEBIAN_FRONTEND=noninteractive chroot "$target" apt-get install -y -qq --no-install-recommends /tmp/tarvik.deb xvfb xauth >/dev/null
set +e
chroot "$target" xvfb-run -a timeout 3 /usr/bin/tarvik
rc=$?
set -e
if [ $rc -eq 124 ]; then
  echo "The package installed on a clean system and the program ran until it was stopped."
else
  echo "The program ended with $rc on the clean system." >&2
  exit 1
fi
