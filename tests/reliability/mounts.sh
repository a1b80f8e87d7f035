#!/bin/sh
# mounts.sh up|down FOLDER: FOLDER/readonly, a read-only tmpfs, and
# FOLDER/full, a 4 MB tmpfs. "up" never fails: a folder that could not be
# mounted is simply left out, and the tests that need it skip.
action=$1
root=$2
case "$action" in
  up)
    mkdir -p "$root/readonly" "$root/full"
    mountpoint -q "$root/readonly" || mount -t tmpfs -o size=1m,ro tmpfs "$root/readonly" 2>/dev/null ||
      echo "reliability: cannot mount a read-only tmpfs at $root/readonly" >&2
    mountpoint -q "$root/full" || mount -t tmpfs -o size=4m tmpfs "$root/full" 2>/dev/null ||
      echo "reliability: cannot mount a 4 MB tmpfs at $root/full" >&2
    # Marks left only where the mounts took.
    mountpoint -q "$root/readonly" && : >"$root/readonly.mounted"
    mountpoint -q "$root/full" && : >"$root/full.mounted"
    exit 0
    ;;
  down)
    for name in readonly full; do
      if mountpoint -q "$root/$name"; then umount "$root/$name" || umount -l "$root/$name"; fi
      rm -f "$root/$name.mounted"
    done
    exit 0
    ;;
esac
echo "usage: mounts.sh up|down FOLDER" >&2
exit 2
