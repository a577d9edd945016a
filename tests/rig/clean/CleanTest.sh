#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# `blankwright clean` on real volumes: FAT16 and FAT32 written by the Linux kernel's vfat
# driver inside User-Mode Linux (one boot per image), NTFS by ntfs-3g on the host. On each:
#   1. a wipe killed with kill -9 while it fills the drive leaves its BlankwrightTMP*.gf files
#      and CURRENTDRIVE behind; the next run (a clean of another drive: a small tmpfs, which in
#      the guest takes no unbuffered writes) removes them and leaves nothing on its own drive;
#   2. every free cluster then gets old data, and a clean with the temp folder and the Recycle
#      Bin switched on runs to its end. Held against tools nobody here wrote: every unallocated
#      unit blkls returns holds only the last pass's byte (N = 1: 0x00, N = 2: 0xFF); every
#      live file keeps its size, mtime and sha256; fsck.fat -n (ntfsfix -n) is clean; fls
#      finds no Blankwright file and nothing in the temp folder and the Recycle Bin but their
#      hidden desktop.ini files (and, in the temp folder, a folder too deep to name within 259
#      characters, with the folders that hold it); CURRENTDRIVE is empty and the drive's DRVS
#      date is today.
# Slack and names are left out (--no-slack --no-names, CleanFileNames 0).
#
# usage: CleanTest.sh fat16|fat32|ntfs [PASSES...]   (one volume per pass count; default 1)
#        CleanTest.sh --guest OUT PASSES             (inside the guest, run by scripts/uml-run)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../lib/common.sh"
. "$here/../lib/images.sh"
. "$here/../lib/populate.sh"
. "$here/bins.sh"
. "$here/steps.sh"
. "$here/oracles.sh"

# fill_and_clean ROOT RAW OUT PASSES: where the volume is mounted; the next run's drive is a
# tmpfs of 1 MiB.
fill_and_clean() {
  local root=$1 raw=$2 out=$3 passes=$4 next status
  populate_tree "$root" && mkdir -p "$root/TEMP" || return 3
  if [ -n "${BW_UML_GUEST:-}" ]; then next=$(mktemp -d /dev/shm/next.XXXXXX); else
    next=$(mktemp -d "$RIG_TMP/next.XXXXXX"); fi
  mount -t tmpfs -o size=1m bw-next-run "$next" || return 3
  [ -n "${BW_UML_GUEST:-}" ] || rig_track_mount "$next"
  : >"$next/zero"
  on_volume "$root" "$raw" "$out" "$passes" "$next"
  status=$?
  umount "$next"
  return $status
}

if [ "${1:-}" = --guest ]; then
  fill_and_clean "$BW_UML_MOUNT" "$BW_UML_DEVICE" "$2" "$3"
  exit
fi

rig_need fsck.fat fls istat blkls mmd mcopy mattrib mkntfs ntfs-3g ntfsfix python3
rig_init
export MTOOLS_SKIP_CHECK=1

kind=${1:-}
[ $# -gt 0 ] && shift
[ $# -gt 0 ] || set -- 1
case $kind in
fat16 | fat32 | ntfs) ;;
*)
  echo "usage: CleanTest.sh fat16|fat32|ntfs [PASSES...]" >&2
  exit 2
  ;;
esac

for passes in "$@"; do
  name=$kind-n$passes
  echo "== $name"
  image=$RIG_TMP/$name.img
  out=$RIG_TMP/$name.out
  mkdir -p "$out"
  case $kind in
  fat16 | fat32)
    # FAT16 with 1 KiB clusters; FAT32 with 512-byte ones, where every write of the final
    # fill is a single sector.
    image_kind="fat32-512-clusters"
    [ "$kind" = fat16 ] && image_kind="fat16-1k-clusters"
    # The hidden bits are set by mtools before the boot.
    if ! make_image "$image_kind" "$image" || ! bins_hidden_fat "$image" "$RIG_TMP"; then
      fail "$name: the image cannot be made"
      continue
    fi
    if ! uml_run -o utf8 "$image" -- bash "$here/CleanTest.sh" --guest "$out" "$passes"; then
      fail "$name: the steps in the guest failed"
      continue
    fi
    fsck_clean "$image" || fail "$name: fsck.fat -n is not clean"
    # The next run's drive X: is the guest's tmpfs, which takes no unbuffered writes: its wipe
    # ran the cached way, and check_crash holds it to a clean end with nothing left behind.
    check_eq "$name: X: refuses unbuffered writes" yes "$(cat "$out/next-refuses-direct")"
    ;;
  ntfs)
    mnt=$RIG_TMP/$name.mnt
    if ! make_ntfs "$image" 32 4096 || ! ntfs_mount "$image" "$mnt"; then
      fail "$name: the image cannot be made and mounted"
      continue
    fi
    fill_and_clean "$mnt" "$image" "$out" "$passes"
    status=$?
    ntfs_unmount "$mnt"
    if [ $status -ne 0 ]; then
      fail "$name: the steps on the volume failed"
      continue
    fi
    ntfsfix -n "$image" >"$out/ntfsfix" 2>&1 || fail "$name: ntfsfix -n: $(cat "$out/ntfsfix")"
    ;;
  esac
  check_crash "$name" "$out"
  check_clean "$name" "$image" "$out" "$passes" "$(bins_recycle_name "$kind")"
done
rig_finish
