#!/bin/sh
# Runs a shell command as root inside a Debian system in a folder, with no
# environment but a PATH: in mount and PID namespaces of its own, so that the
# system's /proc, /dev and /sys mounts, and every process the command leaves,
# go when it ends, however it ends; none of its mounts is ever seen on the
# host. pivot_root rather than chroot: in a chroot the kernel refuses the
# user namespaces that the tests' own networks need. APT_CACHE, when given,
# becomes the system's apt archive folder, so that a second run downloads
# nothing.   in-root.sh ROOT APT_CACHE|"" COMMAND
set -eu
exec unshare --mount --pid --fork --kill-child --propagation private -- /bin/sh -ec '
  root=$1
  mount --rbind "$root" "$root"
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount --rbind /sys "$root/sys"
  [ -z "$2" ] || mount --bind "$2" "$root/var/cache/apt/archives"
  cd "$root"
  pivot_root . mnt
  cd /
  umount -l /mnt
  exec env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/sh -ec "$3"
' in-root "$1" "$2" "$3"
