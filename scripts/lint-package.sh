#!/usr/bin/env bash
# Debian's own checks of the package: lintian with no error and no warning,
# then its desktop entry and its AppStream metadata, each failing on any
# error or warning.   lint-package.sh PACKAGE.deb
set -euo pipefail
deb=$1
lintian --fail-on error,warning "$deb"
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents/usr/share/applications/tarvik.desktop"
# No error and no warning. Notes are shown but pass: AppStream 0.16 (Debian
# 12) and 1.0 (Debian 13) each note the other's way to name the developer.
report=$(appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml) ||
  { echo "$report"; exit 1; }
if grep -E '^[EW]:' <<<"$report"; then exit 1; fi
echo "$deb: lintian, desktop-file-validate and appstreamcli find no error and no warning"
