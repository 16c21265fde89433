#!/usr/bin/env bash
# Starts a Dovecot of the tests' own on 127.0.0.1:PORT, configured in FOLDER,
# with user alice (password secret) and the given message files in a
# Maildir, numbered in the order given; "stop" ends it and removes the folder.
# Runs as root or as any user. Never touches the system's Dovecot. Should the
# test that started it die first, it ends by itself after two minutes.
#   dovecot.sh start FOLDER PORT MESSAGE...    dovecot.sh stop FOLDER
set -eu
dir=$2
# When the kernel started a process (field 22 of its stat, after the name in
# parentheses), or nothing for a process that is gone.
started() { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f20; }
if [ "$1" = stop ]; then
  # Only the process this script started: a PID of the same number may be
  # another's by now, so its start time and its command line, which names
  # this folder's configuration, must be the ones recorded.
  if read -r pid since <"$dir/pid" 2>/dev/null && [ "$(started "$pid")" = "$since" ] &&
    tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "-c $dir/dovecot.conf" && kill "$pid"; then
    # Dovecot writes its state as it goes down; removed before that, the folder comes back.
    for _ in $(seq 50); do [ "$(started "$pid")" = "$since" ] || break; sleep 0.1; done
  fi
  rm -rf "$dir"
  exit 0
fi
[ -x /usr/sbin/dovecot ] || { echo "Dovecot is not installed (make test installs it)"; exit 1; }
port=$3
shift 3
uid=$(id -u) gid=$(id -g) user="s/@USER@//; s/@NAME@/$(id -un)/; s/@GROUP@/$(id -gn)/"
[ "$uid" -ne 0 ] || uid=65534 gid=65534 user="/^@USER@/d"  # root's mail belongs to nobody
mkdir -p "$dir/mail/cur" "$dir/mail/new" "$dir/mail/tmp"
chmod 755 "$dir"
n=0
for message in "$@"; do  # named so that Dovecot numbers them in this order
  cp "$message" "$dir/mail/cur/$((1700000000 + ++n)).M${n}P1.tvk:2,"
done
chown -R "$uid:$gid" "$dir/mail"
echo "alice:{PLAIN}secret:$uid:$gid::$dir/mail" >"$dir/passwd"
# 2.4 reads a configuration of another syntax; its first line says which.
case $(/usr/sbin/dovecot --version) in 2.3.*) version=2.3 ;; *) version=2.4 ;; esac
sed "$user; s|@DIR@|$dir|g; s|@PORT@|$port|g; s|@UID@|$uid|g" "$(dirname "$0")/dovecot-$version.conf" >"$dir/dovecot.conf"
timeout 120 /usr/sbin/dovecot -F -c "$dir/dovecot.conf" </dev/null >/dev/null 2>&1 &
echo "$! $(started $!)" >"$dir/pid"
for _ in $(seq 150); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && exit 0 || sleep 0.1; done
echo "Dovecot did not listen within 15 s:"; tail -n 5 "$dir/dovecot.log" 2>/dev/null
exit 1
