#!/usr/bin/env bash
# Debian's own checks of the package: lintian with no error and no warning,
# then its desktop entry and its AppStream metadata, each failing on any
# finding.   lint-package.sh PACKAGE.deb
set -euo pipefail
deb=$1
lintian --fail-on error,warning "$deb"
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents/usr/share/applications/tarvik.desktop"
appstreamcli validate --no-net --strict "$contents"/usr/share/metainfo/*.metainfo.xml >/dev/null
echo "$deb: lintian, desktop-file-validate and appstreamcli find nothing"
