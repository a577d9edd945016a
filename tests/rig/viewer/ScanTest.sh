#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# The deleted-data scan on real volumes. FAT images are filled and partly emptied by the Linux
# kernel's vfat driver inside User-Mode Linux and scanned there; NTFS images by ntfs-3g on the
# host. `blankwright scan --list` must find exactly the clusters The Sleuth Kit finds
# unallocated and holding a byte other than 0x00, 0xFF and 0xF6 (tsk-deleted-clusters), and
# `--show` of a hit must print that cluster's bytes as the text and hex displays show them:
# the text of a deleted file.
#
#   ScanTest.sh KIND      fat12-floppy, fat16, fat16-4k-sectors, fat32, fat32-2k, ntfs-512,
#                         ntfs-4k, ntfs-4k-sectors
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
oracle=$here/tsk-deleted-clusters

# Inside the guest: fill, delete, then scan and show. Results go to the folder OUT.
if [ "${1:-}" = --guest ]; then
  out=$2
  bash "$here/fill-and-delete.sh" "$BW_UML_MOUNT" || exit 3
  sync
  echo 3 >/proc/sys/vm/drop_caches
  "$BW_CLI" drive add Y: --mount "$BW_UML_MOUNT" --source "$BW_UML_DEVICE" >/dev/null || exit 3
  bash "$here/scan-and-show.sh" Y "$out"
  exit 0
fi

. "$here/../lib/common.sh"
. "$here/../lib/images.sh"

rig_need fsstat blkls python3
rig_init
kind=${1:?usage: ScanTest.sh KIND}
image=$RIG_TMP/$kind.img
out=$RIG_TMP/out
mkdir -p "$out"

case $kind in
ntfs-*)
  case $kind in
  ntfs-512) make_ntfs "$image" 24 512 ;;
  ntfs-4k) make_ntfs "$image" 32 4096 ;;
  ntfs-4k-sectors) make_ntfs "$image" 32 8192 4096 ;;
  *) echo "no kind $kind" >&2; exit 2 ;;
  esac || exit 2
  mnt=$RIG_TMP/mnt
  ntfs_mount "$image" "$mnt" || { echo "ntfs-3g cannot mount $image" >&2; exit 2; }
  bash "$here/fill-and-delete.sh" "$mnt" || fail "the volume cannot be filled"
  ntfs_unmount "$mnt"
  # The scan only reads: a read-only mount serves the ready test and the free space.
  ntfs-3g -o ro "$image" "$mnt" && rig_track_mount "$mnt" || exit 2
  map_drive Y "$mnt" "$image" >/dev/null || exit 2
  bash "$here/scan-and-show.sh" Y "$out"
  ntfs_unmount "$mnt"
  ;;
fat*)
  # IMAGE KIB FAT_BITS SECTORS_PER_CLUSTER RESERVED [SECTOR_SIZE]
  case $kind in
  fat12-floppy) make_fat12_floppy "$image" ;;
  fat16) make_fat "$image" 32768 16 4 3 ;;
  fat16-4k-sectors) make_fat "$image" 24576 16 1 2 4096 ;;
  fat32) make_fat "$image" 40960 32 1 40 ;;
  fat32-2k) make_fat "$image" 163840 32 4 17 ;;
  *) echo "no kind $kind" >&2; exit 2 ;;
  esac || exit 2
  uml_run "$image" -- bash "$here/ScanTest.sh" --guest "$out" ||
    fail "the guest run failed: $(cat "$out"/*.err 2>/dev/null)"
  ;;
*)
  echo "no kind $kind" >&2
  exit 2
  ;;
esac

check_eq "scan exit status" 0 "$(cat "$out/scan.status" 2>/dev/null)"
[ -s "$out/scan.err" ] && fail "the scan wrote errors: $(cat "$out/scan.err")"
grep -E '^[0-9]+$' "$out/scan" >"$out/hits"
"$oracle" "$image" >"$out/expected" || fail "tsk-deleted-clusters failed"
hits=$(wc -l <"$out/hits")
[ "$hits" -gt 0 ] || fail "no hits: the deleted files were not found"
if ! cmp -s "$out/expected" "$out/hits"; then
  fail "the hits differ from The Sleuth Kit's count: $(diff "$out/expected" "$out/hits" | head -n 20)"
fi
check_eq "clusters with deleted data" "Clusters with deleted data: $hits" \
  "$(grep '^Clusters with deleted data:' "$out/scan")"
check_eq "report count" "Clusters containing deleted files: $hits" \
  "$(grep '^Clusters containing deleted files:' "$out/scan")"

# The clusters shown: every one must be the text of a deleted file, and both displays must be
# what the bytes The Sleuth Kit reads there give.
shown=0
for f in "$out"/show.*; do
  [ -e "$f" ] || continue
  n=${f##*.}
  shown=$((shown + 1))
  tr -d '\n' <"$f" | grep -q "Deleted file [0-9]* of the rig line [0-9]*" ||
    fail "cluster $n: the text display shows no deleted file: $(head -n 2 "$f")"
  "$oracle" "$image" --text "$n" >"$out/expected-text.$n"
  cmp -s "$out/expected-text.$n" "$f" || fail "cluster $n: text display differs from its bytes"
  "$oracle" "$image" --hex "$n" >"$out/expected-hex.$n"
  cmp -s "$out/expected-hex.$n" "$out/hex.$n" || fail "cluster $n: hex display differs from its bytes"
done
[ "$shown" -gt 0 ] || fail "no cluster was shown"
[ -s "$out/show-errors" ] && fail "--show wrote errors: $(head -n 3 "$out/show-errors")"
echo "$kind: $hits clusters with deleted data, as The Sleuth Kit counts; $shown shown"
rig_finish
