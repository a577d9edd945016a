#!/bin/sh
# Runs a rig test binary on a fresh NTFS image mounted by ntfs-3g, with BW_RIG_MOUNT naming the
# mount. Exits 77 (skipped) where no such mount can be made: not root, no FUSE, no ntfs-3g.
set -u
binary=$1
shift
command -v mkntfs >/dev/null 2>&1 || command -v /usr/sbin/mkntfs >/dev/null 2>&1 || exit 77
command -v ntfs-3g >/dev/null 2>&1 || exit 77
[ "$(id -u)" = 0 ] && [ -e /dev/fuse ] || exit 77
work=$(mktemp -d /tmp/bw-ntfs3g-XXXXXX)
cleanup() {
  fusermount -u "$work/mnt" 2>/dev/null || umount "$work/mnt" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
truncate -s 32M "$work/ntfs.img"
PATH=$PATH:/usr/sbin mkntfs -F -Q -q "$work/ntfs.img" >/dev/null 2>&1 || exit 77
mkdir "$work/mnt"
ntfs-3g "$work/ntfs.img" "$work/mnt" || exit 77
BW_RIG_MOUNT=$work/mnt "$binary" "$@"
