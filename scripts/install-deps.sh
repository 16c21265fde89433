#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Tarvik need.
# Quick when everything is there already: apt is only asked for what is missing.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core
  dovecot-core dovecot-pop3d
  xvfb xauth dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

# The tests start Dovecot themselves, with their own configuration on loopback;
# the system service that the package may have started is not wanted.
if [ -e /etc/init.d/dovecot ]; then
  $sudo service dovecot stop >/dev/null 2>&1 || true
  if command -v systemctl >/dev/null 2>&1; then
    $sudo systemctl disable --now dovecot >/dev/null 2>&1 || true
  fi
  $sudo update-rc.d dovecot disable >/dev/null 2>&1 || true
fi
pkill -x dovecot 2>/dev/null || true
