#!/usr/bin/env bash
# Runs the tests of the Windows build (make windows) under wine, in a wine
# prefix of their own that is thrown away afterwards. Fails when a test does.
set -euo pipefail
build=${1:-build-win}
WINEPREFIX=$(mktemp -d /tmp/tarvik-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all
# wineserver -k ends the wine server of this prefix only: the one started here.
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
wine "$build/tests/tarvik_core_tests.exe"
