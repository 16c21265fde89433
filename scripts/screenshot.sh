#!/usr/bin/env bash
# Takes a screenshot of the mailbox window under Xvfb, with example values in
# a settings store of its own: docs/screenshot.png of the Qt window (needs a
# build: make run or make test), or with "windows" docs/screenshot-windows.png
# of the native window under wine (needs make windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" screenshot
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if [ "${1:-}" = windows ]; then
  program="$root/build-win/app/tarvik.exe"
  out="$root/docs/screenshot-windows.png"
  [ -f "$program" ] || { echo "Build first: make windows" >&2; exit 1; }
  export WINEPREFIX="$scratch/wine" WINEDEBUG=-all
  for value in server=pop.example.de user=alice password=geheim; do
    wine reg add 'HKCU\Software\Tarvik\Tarvik\settings' /v "${value%%=*}" /d "${value#*=}" /f >/dev/null
  done
  # A wine desktop of its own draws the window's frame, as Windows would.
  start="wine explorer /desktop=tarvik,720x520 '$program'"
  stop="wineserver -k"
else
  program="$root/build/app/tarvik"
  out="$root/docs/screenshot.png"
  [ -x "$program" ] || { echo "Build first: make run or make test" >&2; exit 1; }
  mkdir -p "$scratch/Tarvik"
  printf '[settings]\nserver=pop.example.de\nuser=alice\npassword=geheim\n' >"$scratch/Tarvik/Tarvik.conf"
  export XDG_CONFIG_HOME="$scratch"
  start="'$program'"
  stop=true
fi
mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 800x600x24" bash -c "
  $start & app=\$!
  sleep 4
  import -window root '$scratch/full.png'
  kill \$app; $stop
"
convert "$scratch/full.png" -trim +repage "$out"
echo "$out"
