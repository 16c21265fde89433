#!/usr/bin/env bash
# scripts/install-deps.sh with every package reported missing, against stubs
# of apt and of the tools that stop services: a process that stands for the
# system's Dovecot must survive, no service tool may be called, make run must
# not install what only the tests need, and Dovecot must be installed under
# a policy-rc.d that forbids starting it, and only while it installs.
set -u
tmp=$(mktemp -d)
mkdir "$tmp/bin"
cp "$(command -v sleep)" "$tmp/dovecot"
"$tmp/dovecot" 600 &
stand_in=$!
trap 'kill $stand_in; rm -rf "$tmp"' EXIT
for tool in service systemctl update-rc.d invoke-rc.d deb-systemd-invoke pkill killall; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$tmp" >"$tmp/bin/$tool"
done
printf '#!/bin/sh\nexit 1\n' >"$tmp/bin/dpkg-query"  # nothing is installed
printf '#!/bin/sh\nexec "$@"\n' >"$tmp/bin/sudo"
printf '#!/bin/sh\necho "apt-get $* | $(cat "$TARVIK_POLICY_RC_D" 2>/dev/null | tr "\\n" " ")" >>"%s/calls"\n' "$tmp" >"$tmp/bin/apt-get"
chmod +x "$tmp/bin/"*
export PATH="$tmp/bin:$PATH" TARVIK_POLICY_RC_D="$tmp/policy-rc.d"
fail() { echo "FAIL: $*"; cat "$tmp/calls"; exit 1; }
install() { : >"$tmp/calls"; "$(dirname "$0")/install-deps.sh" "$@" >/dev/null || fail "install-deps $* failed"; }

install run
grep -q -e dovecot -e libgtest -e clang "$tmp/calls" && fail "make run installs what only the tests need"
install test
kill -0 $stand_in || fail "the stand-in for the system's Dovecot was killed"
grep -v '^apt-get' "$tmp/calls" && fail "a service tool was called"
grep 'install.* dovecot-core' "$tmp/calls" | grep -q 'dovecot\*) exit 101' ||
  fail "Dovecot was installed without a policy that keeps its service from starting"
[ ! -e "$tmp/policy-rc.d" ] || fail "our policy-rc.d was left behind"
echo "install-deps: no service touched"
