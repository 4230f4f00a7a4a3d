#!/usr/bin/env bash
# Two small file systems for the disk-full tests, each with room for the
# program and one MiB more; the program's one takes no file besides the
# program and the marker, so nothing can be staged beside the program:
#   small_disks.sh mount <dir> <program.exe>,  small_disks.sh umount <dir>
# When mounting is not allowed, <dir>/reason says why and the tests skip.
set -uo pipefail
action=$1
dir=$2

unmount() {
  for disk in temp program; do
    mountpoint -q "$dir/$disk" && umount "$dir/$disk"
  done
  rm -rf "$dir"
}

case "$action" in
  mount)
    unmount
    mkdir -p "$dir/temp" "$dir/program"
    room=$(( $(stat -c %s "$3") / 1024 + 1024 ))
    for disk in temp program; do
      options="size=${room}k"
      # Its root, the marker and the program.
      [ "$disk" = program ] && options+=",nr_inodes=3"
      if ! error=$(mount -t tmpfs -o "$options" tmpfs "$dir/$disk" 2>&1); then
        echo "cannot mount a small file system here: $error" > "$dir/reason"
        exit 0
      fi
    done
    touch "$dir/temp/mounted" "$dir/program/mounted"
    ;;
  umount) unmount ;;
esac
