#!/usr/bin/env bash
# Runs the tests of the Windows build (make windows-package) under wine, in a
# wine prefix of their own that is thrown away afterwards: the core tests,
# then the real window and the installer under Xvfb. Fails when a test does.
set -euo pipefail
build=${1:-build-win}
here=$(dirname "$0")
# The window's port is 110: the run gets a network of its own, where that
# port is free whoever runs it and whatever listens on the host's. Where the
# kernel refuses one, own-network.sh says so; the core tests still run, the
# window's run is skipped (under CI=true nothing is).
if [ -z "${TARVIK_OWN_NETWORK:-}" ]; then
  rc=0
  TARVIK_OWN_NETWORK=1 "$here/own-network.sh" "$0" "$@" || rc=$?
  [ $rc -eq 77 ] || exit $rc
  TARVIK_OWN_NETWORK=none
fi
# Wine prints the window's texts in the locale's character set: UTF-8 on any
# machine, whatever the caller's locale. It would offer to download Mono and
# Gecko in a dialog that waits; nothing here needs either.
export LC_ALL=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-wine.XXXXXX")
export WINEPREFIX
unset TMPDIR  # Debian 13's wine aborts ("free(): invalid pointer") when it is set
# wineserver -k ends the wine server of this prefix only: the one started
# here. Its socket folder in /tmp, whose name Debian's wine keeps in the
# prefix, goes with the prefix.
trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  case $(cat "$WINEPREFIX/wineserver" 2>/dev/null) in */* | "") ;; *) rm -rf "/tmp/$(cat "$WINEPREFIX/wineserver")" ;; esac
  rm -rf "$WINEPREFIX"' EXIT
# Wine sees this run's own Xvfb only, never the caller's display.
unset DISPLAY WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24" bash -c 'timeout 600 wine "$1/tests/tarvik_core_tests.exe" &&
  { [ "$2" = none ] || timeout 900 "$3/window-e2e.sh" "$1"; }' run "$build" "$TARVIK_OWN_NETWORK" "$here"
