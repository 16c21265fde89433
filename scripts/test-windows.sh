#!/usr/bin/env bash
# Runs the tests of the Windows build (make windows-package) under wine, in a
# wine prefix of their own that is thrown away afterwards: the core tests,
# then the real window and the installer under Xvfb. Fails when a test does.
set -euo pipefail
build=${1:-build-win}
WINEPREFIX=$(mktemp -d /tmp/tarvik-wine.XXXXXX)
export WINEPREFIX WINEDEBUG=-all
# wineserver -k ends the wine server of this prefix only: the one started here.
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
wine "$build/tests/tarvik_core_tests.exe"
xvfb-run -a -s "-screen 0 1024x768x24" "$(dirname "$0")/../tests/win32/window_e2e.sh" "$build"
