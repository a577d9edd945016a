#!/usr/bin/env bash
# `blankwright.exe zap` of the win64 build under Wine, held against the oracles of the rig's
# zap test (tests/rig/lib/zap.sh): the data units of every zapped file hold the last pass's
# byte, other live files keep their checksums, the file system stays consistent, and on FAT
# no zapped name is left among the deleted entries.
#   ntfs:  an NTFS image mounted by ntfs-3g on the host, mapped as Y: (files through the
#          mount, sectors from the image). NTFS gets no deleted-name cleaning by design: its
#          check is that nothing zapped is still listed as live. Consistency: ntfsfix -n.
#   fat16: a FAT16 image under the Linux kernel's vfat driver inside User-Mode Linux, with
#          wine64 running in the guest (y: the mount, y:: the guest's block device).
#
# usage: ZapTest.sh SOURCE_DIR WIN64_BUILD_DIR ntfs|fat16
#        ZapTest.sh --guest OUT EXE   (inside the guest, run by uml-run)
if [ "${1:-}" = --guest ]; then
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  . "$here/../../rig/lib/populate.sh"
  out=$2 exe=$3 mnt=$BW_UML_MOUNT
  live_listing "$mnt" >"$out/zap-before"
  # The prefix is made from the template the host made; the drive links are in place before
  # its Wine server starts.
  "$here/../../../scripts/wine-run" --no-display --timeout 500 --drive "y=$mnt" \
    --raw "y=$BW_UML_DEVICE" --command -- bash "$here/ZapTest.sh" --inside "$out" "$exe"
  echo $? >"$out/wine.status"
  live_listing "$mnt" >"$out/zap-after"
  drop_caches
  exit 0
fi
if [ "${1:-}" = --inside ]; then
  # In the Wine prefix: the overwrite count, then the zap.
  out=$2 exe=$3
  "$WINE" "$exe" config set OverwriteCount 12 >"$out/config.out" 2>&1 || exit 3
  "$WINE" "$exe" zap --yes-to-all 'Y:\Work\Zap' 'Y:\Work\target document.txt' \
    >"$out/zap.out" 2>"$out/zap.err"
  echo $? >"$out/zap.status"
  exit 0
fi

set -uo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
kind=${1:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rig_lib=$source_dir/tests/rig/lib
# The rig's checks count their failures and report them at the end.
# shellcheck source=../../rig/lib/common.sh
. "$rig_lib/common.sh"
. "$rig_lib/images.sh"
. "$rig_lib/populate.sh"
. "$rig_lib/zap.sh"
set +e

exe=$win_build/cli/blankwright.exe
[[ -f $exe ]] || skip "$exe not built (cmake --preset win64 && cmake --build --preset win64)"
command -v fls >/dev/null && command -v blkcat >/dev/null || skip "The Sleuth Kit is missing"
out=$scratch/out
mkdir -p "$out"
export BLANKWRIGHT_HOME=$scratch/home

case $kind in
ntfs)
  command -v mkntfs >/dev/null && command -v ntfs-3g >/dev/null || skip "ntfs-3g is missing"
  [[ -e /dev/fuse ]] || skip "no /dev/fuse: cannot mount the test image"
  image=$scratch/ntfs.img mnt=$scratch/ntfs
  make_ntfs "$image" 64 2048 || exit 1
  mounts+=("$mnt")
  ntfs_mount "$image" "$mnt" || exit 1
  populate_zap "$mnt" || fail "ntfs: the population failed"
  ntfs_unmount "$mnt"
  zap_record "$image" "$out" ntfs
  ntfs_mount "$image" "$mnt" || exit 1
  live_listing "$mnt" >"$out/zap-before"
  run_wine --no-display --drive "y=$mnt" --raw "y=$image" --command -- \
    bash "$here/ZapTest.sh" --inside "$out" "$exe" || fail "ntfs: Wine failed"
  live_listing "$mnt" >"$out/zap-after"
  ntfs_unmount "$mnt"
  zap_check_result "$out" zap ntfs
  zap_check_units "$image" "$out" ntfs
  ntfsfix -n "$image" >"$out/ntfsfix" 2>&1 || fail "ntfs: ntfsfix -n: $(cat "$out/ntfsfix")"
  fls -r -p -u "$image" | grep -e $'\tWork/Zap' -e $'\tWork/target document.txt$' &&
    fail "ntfs: a zapped item is still listed as live"
  ;;
fat16)
  rig_need mkfs.fat
  rig_require_uml
  image=$scratch/fat16.img
  make_image fat16-4k-clusters "$image" || exit 1
  uml() { "$source_dir/scripts/uml-run" -q "$@"; }
  uml -t 240 -o utf8 "$image" -- bash "$rig_lib/../ZapTest.sh" --guest populate "$out" ||
    fail "fat16: the population failed"
  fsck_clean "$image" || fail "fat16: fsck.fat -n is not clean after the vfat driver"
  zap_record "$image" "$out" fat16
  # The template is made on the host (wineboot in the guest would take minutes).
  run_wine --no-display --command -- true || fail "fat16: no Wine prefix template"
  # The first Wine start in a boot takes about a minute.
  uml -t 560 -m 1G -o utf8 "$image" -- bash "$here/ZapTest.sh" --guest "$out" "$exe" ||
    fail "fat16: the guest run failed"
  check_eq "fat16: wine-run status" 0 "$(cat "$out/wine.status" 2>/dev/null)"
  zap_check_result "$out" zap fat16
  fsck_clean "$image" || fail "fat16: fsck.fat -n is not clean after the zap"
  zap_check_units "$image" "$out" fat16
  zap_check_names "$image" "$out" fat16
  ;;
*)
  echo "usage: ZapTest.sh SOURCE_DIR WIN64_BUILD_DIR ntfs|fat16" >&2
  exit 2
  ;;
esac
rig_finish
