#!/usr/bin/env bash
# Installs the Debian packages that one of Tarvik's tasks needs, and nothing
# else. Quick when everything is there already: apt is only asked for what is
# missing.
#
#   scripts/install-deps.sh run|test|bench|fuzz|windows|package|format|fresh|screenshot|reproducible|mutate ...
#
# It never stops, disables or kills a service or process. When it installs
# Dovecot itself (the tests start their own on loopback), a policy-rc.d keeps
# the package from starting the system service, and only while that install
# runs; a Dovecot that was installed or running before is left as it was.
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

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive

# apt-get, quietly. While another apt (a desktop's automatic updates, say)
# holds apt's lock, it waits up to ten minutes and says so; after that, or on
# any other failure, it fails with apt's own message.
apt_get() {
  local out said="" deadline=$((SECONDS + 600))
  while ! out=$($sudo apt-get -qq "$@" 2>&1 >/dev/null); do
    if ! grep -q "Could not get lock" <<<"$out" || [ $SECONDS -ge $deadline ]; then
      echo "$out" >&2
      return 1
    fi
    [ -n "$said" ] || echo "Waiting for another apt to finish (at most ten minutes) ..."
    said=1
    sleep 5
  done
}

echo "Installing: ${missing[*]} ${missing_services[*]}"
apt_get update
if [ ${#missing[@]} -gt 0 ]; then
  apt_get install -y --no-install-recommends "${missing[@]}"
fi

if [ ${#missing_services[@]} -gt 0 ]; then
  # invoke-rc.d and deb-systemd-invoke ask policy-rc.d before they start a
  # service; 101 means "not allowed". Someone else's policy is left alone.
  policy=${TARVIK_POLICY_RC_D:-/usr/sbin/policy-rc.d}
  if [ ! -e "$policy" ]; then
    # Ours goes when this script ends, right after the install, or if it fails.
    trap '$sudo rm -f "$policy"' EXIT
    printf '#!/bin/sh\n# Placed by Tarvik while it installs Dovecot.\ncase "$1" in dovecot*) exit 101 ;; esac\nexit 0\n' |
      $sudo tee "$policy" >/dev/null
    $sudo chmod 755 "$policy"
  fi
  apt_get install -y --no-install-recommends "${missing_services[@]}"
fi
