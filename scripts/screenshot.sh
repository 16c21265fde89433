#!/usr/bin/env bash
# Takes a screenshot of the mailbox window under Xvfb: docs/screenshot.png.
# Needs a build (make run or make test builds one); installs Xvfb and
# ImageMagick when they are missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program="$root/build/app/tarvik"
out="${1:-$root/docs/screenshot.png}"
[ -x "$program" ] || { echo "Build first: make run or make test" >&2; exit 1; }

need=()
command -v xvfb-run >/dev/null || need+=(xvfb xauth)
command -v import >/dev/null || need+=(imagemagick)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# A settings store of its own, so the picture shows example values.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p "$config/Tarvik"
cat > "$config/Tarvik/Tarvik.conf" <<'CONF'
[settings]
server=pop.example.de
user=alice
password=geheim
CONF
mkdir -p "$(dirname "$out")"
XDG_CONFIG_HOME="$config" xvfb-run -a -s "-screen 0 800x600x24" bash -c "
  '$program' & app=\$!
  sleep 2
  import -window root '$out.full.png'
  kill \$app
"
convert "$out.full.png" -trim +repage "$out"
rm -f "$out.full.png"
echo "$out"
