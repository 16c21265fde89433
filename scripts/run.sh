#!/usr/bin/env bash
# Starts the program from a build folder.
set -euo pipefail
build=${1:-build}
program="$build/app/tarvik"
if [ ! -x "$program" ]; then
  echo "The window is not built yet: $build has the POP3 library and its tests only."
  exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found. Start Tarvik on a desktop, or without one: xvfb-run -a $program" >&2
  exit 2
fi
exec "$program"
