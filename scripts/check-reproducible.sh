#!/usr/bin/env bash
# Builds the release artifacts twice from clean clones of the last commit and
# compares them byte for byte: the .deb (make package), tarvik.exe (make
# windows) and the installer (make windows-package). The second build differs
# from the first wherever a careless build would let it show: another folder
# (deeper, other names), a day later (faketime), umask 002 instead of 022,
# another time zone, and no locale at all instead of C.UTF-8. On a difference
# it prints diffoscope's summary and fails.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
"$repo/scripts/install-deps.sh" package windows reproducible
work=$(mktemp -d "${TMPDIR:-/tmp}/tarvik-reproducible.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Clones into FOLDER and builds there with umask MASK under the given command
# prefix; its output goes to FOLDER.log, shown when the build fails.
build() {
  local dir=$1 mask=$2 start=$SECONDS
  shift 2
  git clone -q "$repo" "$dir"
  if ! (cd "$dir" && umask "$mask" && "$@" make package windows-package) >"$dir.log" 2>&1; then
    tail -n 40 "$dir.log"
    echo "check-reproducible: the build in $dir failed"
    exit 1
  fi
  echo "check-reproducible: built in $dir in $((SECONDS - start)) s" >&2
}
build "$work/a" 022 env TZ=UTC LANG=C.UTF-8 LC_ALL=
build "$work/second/clone-b" 002 env -u LANG -u LC_ALL TZ=Pacific/Chatham faketime -f +1d

different=0
for artifact in build/tarvik_*_amd64.deb build-win/app/tarvik.exe build-win/tarvik-setup-*.exe; do
  a=$(cd "$work/a" && ls $artifact) b=$work/second/clone-b/$(cd "$work/a" && ls $artifact)
  if cmp -s "$work/a/$a" "$b"; then
    echo "check-reproducible: $a is the same, $(sha256sum <"$b" | cut -c1-64)"
  else
    echo "check-reproducible: $a differs:"
    diffoscope --text - --max-text-report-size 20000 "$work/a/$a" "$b" | head -n 80 || true
    different=1
  fi
done
exit $different
