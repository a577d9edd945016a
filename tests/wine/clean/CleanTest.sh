#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# `blankwright.exe clean Y:` of the win64 build under Wine, held against the oracles of the
# rig's clean test (tests/rig/clean): a wipe killed with kill -9 and the next run, then a clean
# with the temp folder and the Recycle Bin on, after which blkls finds only zeros (one pass) or
# 0xFF (two) in the unallocated space, every live file is as it was, no Blankwright file is
# left, the two folders hold nothing but what they must keep (and the temp folder a folder
# too deep to name), CURRENTDRIVE is empty and the drive's DRVS date is today.
#
#   ntfs  an NTFS image through ntfs-3g on the host, as Y: (files) and Y:: (sectors); X: is a
#         tmpfs for the next run. Wine keeps hidden bits in its own extended attribute, so the
#         hidden desktop.ini files are made with Wine's attrib and read back with it.
#   fat   a FAT16 image mounted by the kernel's vfat driver inside User-Mode Linux, with wine64
#         running in the guest (the prefix is the host's; the drive links are made before the
#         guest's Wine server starts). Wine reads no FAT attribute bits, so a desktop.ini looks
#         like any other file to the program there: both folders must end up empty.
#
# usage: CleanTest.sh SOURCE_DIR WIN64_BUILD_DIR ntfs|fat [PASSES]
#        CleanTest.sh --inside ROOT RAW OUT PASSES        (under wine-run, NTFS)
#        CleanTest.sh --fat-host IMAGE OUT PASSES         (under wine-run, FAT)
#        CleanTest.sh --fat-guest OUT                     (inside the guest)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rig=$here/../../rig
# shellcheck source=../../rig/lib/common.sh
. "$rig/lib/common.sh"
# shellcheck source=../../rig/lib/images.sh
. "$rig/lib/images.sh"
# shellcheck source=../../rig/lib/populate.sh
. "$rig/lib/populate.sh"
# shellcheck source=../../rig/clean/bins.sh
. "$rig/clean/bins.sh"
# shellcheck source=../../rig/clean/steps.sh
. "$rig/clean/steps.sh"
# shellcheck source=../../rig/clean/oracles.sh
. "$rig/clean/oracles.sh"

settings_key='HKLM\Software\Tarnhollow\Blankwright\Settings'

# The Windows program in place of the Linux one (see steps.sh).
program() { "$WINE" "$BW_EXE" "$@" </dev/null | tr -d '\r'; }
program_start() { "$WINE" "$BW_EXE" "$@" </dev/null & }
# Wine's reg tools take every string for NUL-terminated: they show a stored "" as garbage and
# drop the last character of other strings. The program's own export reads it as stored.
current_drive() {
  program config export 'C:\bw-settings.reg' >/dev/null &&
    reg_current_drive "$WINEPREFIX/drive_c/bw-settings.reg"
}
set_passes() {
  "$WINE" reg add "$settings_key" /v OW /t REG_BINARY /d "$(printf %02x "$1")" /f </dev/null
}
attrib() { "$WINE" cmd /c attrib "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# Wine shows a Unix symbolic link as what it points at and deletes the target when the link
# is deleted, so the temp folder holds no links here (the rig test has them).
BINS_LINKS=0
# On NTFS the hidden bits are Wine's own.
bins_ready() {
  [ "$(bins_kind "$1")" = fat ] && return 0
  attrib +h 'Y:\TEMP\desktop.ini' && attrib +h 'Y:\RECYCLER\desktop.ini'
}
bins_after() {
  [ "$(bins_kind "$1")" = fat ] && return 0
  { attrib 'Y:\TEMP\desktop.ini' && attrib 'Y:\RECYCLER\desktop.ini'; } >"$2/attrib-after"
}

case ${1:-} in
--inside)
  root=$2 raw=$3 out=$4 passes=$5
  configure "$passes" || exit 3
  run_steps "$root" "$out" "$raw"
  exit
  ;;
--fat-host)
  image=$2 out=$3 passes=$4
  configure "$passes" || exit 3
  # The guest starts a Wine server of its own on the same prefix.
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  "$BW_UML_RUNNER" -q -t 540 -m 512M -o utf8 "$image" -- bash "$here/CleanTest.sh" --fat-guest \
    "$out"
  exit
  ;;
--fat-guest)
  out=$2
  next=$(mktemp -d /dev/shm/next.XXXXXX)
  mount -t tmpfs -o size=1m bw-next-run "$next" || exit 3
  ln -sfn "$BW_UML_MOUNT" "$WINEPREFIX/dosdevices/y:" &&
    ln -sfn "$BW_UML_DEVICE" "$WINEPREFIX/dosdevices/y::" &&
    ln -sfn "$next" "$WINEPREFIX/dosdevices/x:" || exit 3
  # One server for every run: the first start in a boot is slow (tens of seconds).
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  populate_tree "$BW_UML_MOUNT" || exit 3
  run_steps "$BW_UML_MOUNT" "$out" "$BW_UML_DEVICE"
  status=$?
  "$WINESERVER" -k 2>/dev/null
  exit $status
  ;;
esac

# ---------------------------------------------------------------------------------------------
# On the host.
# ---------------------------------------------------------------------------------------------
source_dir=$1 win_build=$2 kind=${3:-} passes=${4:-1}
skip() {
  echo "SKIPPED: $*"
  exit 77
}
BW_EXE=$win_build/cli/blankwright.exe
[[ -f $BW_EXE ]] || skip "$BW_EXE not built (cmake --preset win64 && cmake --build --preset win64)"
[[ -e /dev/fuse ]] || skip "no /dev/fuse"
rig_need fls istat blkls mkntfs ntfs-3g ntfsfix mkfs.fat fsck.fat mmd python3
export BW_EXE BW_UML_RUNNER=$source_dir/scripts/uml-run MTOOLS_SKIP_CHECK=1
RIG_TMP=$(mktemp -d /tmp/bw-wine-clean.XXXXXX) || exit 2
export RIG_TMP
trap rig_cleanup EXIT

run_wine() { "$source_dir/scripts/wine-run" --no-display --timeout 560 "$@"; }

name=wine-$kind-n$passes
echo "== $name"
image=$RIG_TMP/$name.img
out=$RIG_TMP/$name.out
mkdir -p "$out"
case $kind in
ntfs)
  mnt=$RIG_TMP/mnt next=$RIG_TMP/next
  make_ntfs "$image" 32 4096 && ntfs_mount "$image" "$mnt" || exit 2
  mkdir -p "$next" && mount -t tmpfs -o size=1m bw-next-run "$next" && rig_track_mount "$next" ||
    exit 2
  populate_tree "$mnt" && mkdir "$mnt/TEMP" || exit 2
  run_wine --drive "y=$mnt" --raw "y=$image" --drive "x=$next" --command -- \
    bash "$here/CleanTest.sh" --inside "$mnt" "$image" "$out" "$passes"
  status=$?
  ntfs_unmount "$mnt"
  ((status == 0)) || { fail "$name: the steps under Wine failed ($status)"; rig_finish; }
  ntfsfix -n "$image" >"$out/ntfsfix" 2>&1 || fail "$name: ntfsfix -n: $(cat "$out/ntfsfix")"
  check_crash "$name" "$out"
  check_clean "$name" "$image" "$out" "$passes" RECYCLER
  ;;
fat)
  rig_require_uml
  make_image fat16-1k-clusters "$image" && mmd -i "$image" ::/TEMP ::/RECYCLED || exit 2
  run_wine --command -- bash "$here/CleanTest.sh" --fat-host "$image" "$out" "$passes" || {
    fail "$name: the steps in the guest failed"
    rig_finish
  }
  fsck_clean "$image" || fail "$name: fsck.fat -n is not clean"
  check_crash "$name" "$out"
  check_clean "$name" "$image" "$out" "$passes" RECYCLED ""
  ;;
*)
  echo "usage: CleanTest.sh SOURCE_DIR WIN64_BUILD_DIR ntfs|fat [PASSES]" >&2
  exit 2
  ;;
esac
rig_finish
