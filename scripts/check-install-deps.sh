#!/usr/bin/env bash
# scripts/install-deps.sh against stubs of apt, sudo (which resets the
# environment, as the real one does) and the service tools, as a user with
# sudo: a process that stands for the system's Dovecot must survive, make
# run must not install what only the tests need, apt must run
# non-interactively, Dovecot must be installed under a policy-rc.d that
# forbids starting it, only while it installs, and the service it installed
# must be kept from starting at boot; a Dovecot installed before is left
# alone. No service is ever stopped.
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
# Installed: what INSTALLED names.
printf '#!/bin/sh\nfor p; do :; done\ncase " $INSTALLED " in *" $p "*) %s ;; *) exit 1 ;; esac\n' \
  'echo "install ok installed"' >"$tmp/bin/dpkg-query"
printf '#!/bin/sh\n[ "$1" = -u ] && echo 1000 || exec /usr/bin/id "$@"\n' >"$tmp/bin/id"
printf '#!/bin/sh\nexec env -i PATH="$PATH" TARVIK_POLICY_RC_D="$TARVIK_POLICY_RC_D" "$@"\n' \
  >"$tmp/bin/sudo"
printf '#!/bin/sh\necho "apt-get $DEBIAN_FRONTEND $* | %s" >>"%s/calls"\n' \
  '$(cat "$TARVIK_POLICY_RC_D" 2>/dev/null | tr "\n" " ")' "$tmp" >"$tmp/bin/apt-get"
chmod +x "$tmp/bin/"*
export PATH="$tmp/bin:$PATH" TARVIK_POLICY_RC_D="$tmp/policy-rc.d"
fail() { echo "FAIL: $*"; cat "$tmp/calls"; exit 1; }
install() {
  : >"$tmp/calls"
  "$(dirname "$0")/install-deps.sh" "$@" >/dev/null || fail "install-deps $* failed"
}

INSTALLED="" install run
grep -q -e dovecot -e libgtest -e clang "$tmp/calls" &&
  fail "make run installs what only the tests need"
INSTALLED="" install test
kill -0 $stand_in || fail "the stand-in for the system's Dovecot was killed"
grep '^apt-get' "$tmp/calls" | grep -v '^apt-get noninteractive ' && fail "apt may ask questions"
grep 'install.* dovecot-core' "$tmp/calls" | grep -q 'dovecot\*) exit 101' ||
  fail "Dovecot was installed without a policy that keeps its service from starting"
[ ! -e "$tmp/policy-rc.d" ] || fail "our policy-rc.d was left behind"
off="systemctl --root=/ --quiet disable dovecot.service dovecot.socket"
grep -q -x "$off" "$tmp/calls" ||
  fail "the Dovecot installed here was not kept from starting at boot"
grep -v '^apt-get' "$tmp/calls" | grep -v -x -e "$off" -e "update-rc.d dovecot disable" &&
  fail "a service tool did more than keep it from starting at boot"
INSTALLED="dovecot-core" install test
grep -v '^apt-get' "$tmp/calls" && fail "a service tool touched a Dovecot installed before"
echo "install-deps: no service touched"
