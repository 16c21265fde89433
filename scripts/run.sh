#!/usr/bin/env bash
# Starts the program from a build folder. Without a display it says how to
# start it under a virtual one, with the install line when that is missing,
# and ends with status 2.
set -euo pipefail
build=${1:-build}
program="$build/app/tarvik"
if [ ! -x "$program" ]; then
  echo "The window is not built yet: $build has the POP3 library and its tests only."
  exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  start="xvfb-run -a $program"
  if ! command -v xvfb-run >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo "
    start="${sudo}apt-get install -y xvfb xauth && $start"
  fi
  echo "No display found. Start Tarvik on a desktop, or without one: $start" >&2
  exit 2
fi
exec "$program"
