#!/usr/bin/env bash
# The real tarvik.exe under wine, driven with xdotool as a user would, against
# the scripted server on 127.0.0.1:110 (the window's only port): list, with
# nothing stored while the box is unchecked; delete the third row, message 2
# now that another mail program took message 2, after which no row is
# selected; list again with the box checked, and leave with the close box
# (Alt+F4). Then the installer, the installed program with the fields it
# remembers, left with Escape, and the uninstaller, which leaves the user's
# settings. Run under Xvfb, in a throwaway wine prefix and a network of its
# own.   window-e2e.sh BUILD_DIR
set -u
build=$1
out=$(mktemp)
trap 'rm -f "$out"' EXIT
fail() { echo "FAIL: $*"; cat "$out"; exit 1; }
settings='HKCU\Software\Tarvik\Tarvik\settings'
login="S+OK|CUSER alice|S+OK|CPASS secret|S+OK|"
list="CSTAT|S+OK 3 9|CLIST|S+OK|S1 100|S2 200|S3 300|S.|CUIDL|S+OK|S1 u1|S2 u2|S3 u3|S.|"
left="CSTAT|S+OK 2 9|CLIST|S+OK|S1 100|S2 300|S.|CUIDL|S+OK|S1 u1|S2 u3|S.|"
tops="CTOP 1 0|S+OK|SSubject: Grüße|SFrom: bob|S|S.|CTOP 2 0|S+OK|SFrom: carol|S|S.|"
rows=$'(001) Grüße von bob: 100 bytes\n(002) Mail # 2 von carol: 200 bytes'
# Starts the server with a transcript, types the keys, and wants these rows,
# the selected row and the status.
converse() {
  timeout 120 wine "$build/tests/window_probe.exe" "$1" >"$out" &
  local server=$!
  timeout 30 sh -c 'until ss -Hltn "sport = :110" | grep -q .; do sleep 0.1; done'  # it listens
  xdotool key --delay 100 $2
  wait $server || fail "the window did not send what the server expected ($1)"
  [ "$(tr -d '\r' <"$out")" = "$3" ] || fail "rows and status"
}
start() {  # a tarvik.exe, whose window gets the keys
  wine "$1" &
  app=$!
  # Focusing a window that is not mapped yet is an X error: try again.
  timeout 30 sh -c "until xdotool search --name '^tarvikon$' windowfocus --sync; do
    sleep 0.5; done" 2>/dev/null || fail "no window"
}
stop() {  # the key ends the program, which reports success
  xdotool key "$1"
  for _ in $(seq 50); do kill -0 $app 2>/dev/null || break; sleep 0.2; done
  ! kill -0 $app 2>/dev/null || fail "$1 did not end the program"
  wait $app || fail "the program ended with a failure after $1"
}

start "$build/app/tarvik.exe"
converse "${login}CSTAT|S+OK 3 9|${list}${tops}CTOP 3 0|S-ERR|CRSET|S+OK|CQUIT|S+OK|" \
  "Tab Tab Tab 1 2 7 period 0 period 0 period 1 Tab a l i c e Tab s e c r e t Tab Return" \
  "$rows"$'\n(003) Mail # 3: 300 bytes\n-1\nErfrage Statistik...'
! wine reg query "$settings" >/dev/null 2>&1 || fail "stored with the box unchecked"
# Another mail program took message 2: the third row's message is number 2 now.
converse "${login}${left}CDELE 2|S+OK|CQUIT|S+OK|" \
  "Tab Tab Tab Down Down Down Tab Tab Tab Tab Tab Tab Return" "$rows"$'\n-1\nMail gelöscht'
# A second press only says that no row is selected.
xdotool key Return
timeout 30 xdotool search --sync --name '^Tarvik$' >/dev/null || fail "a row was still selected"
xdotool key Return
converse "${login}CSTAT|S+OK 0 0|CQUIT|S+OK|" "Tab Tab Tab Tab Tab Tab Tab space Return" \
  $'-1\nKeine Mails auf dem Server'
stop alt+F4

timeout 120 wine "$build"/tarvik-setup-*.exe /S || fail "the silent install"
installed="$WINEPREFIX/drive_c/Program Files/Tarvik"
start "$installed/tarvik.exe"
[ "$(wine "$build/tests/window_probe.exe" fields)" = "127.0.0.1|alice|secret|" ] ||
  fail "the fields were not remembered"
stop Escape
timeout 120 wine "$installed/uninstall.exe" /S
for _ in $(seq 50); do [ -e "$installed" ] || break; sleep 0.2; done
[ ! -e "$installed" ] || fail "the uninstaller left $installed"
wine reg query "$settings" >/dev/null || fail "the user's settings went too"
echo "The window listed, deleted and remembered; the installer installed and removed it."
