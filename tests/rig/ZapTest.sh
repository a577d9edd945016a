#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# blankwright zap on real FAT volumes: each image is made by mkfs.fat and filled by the Linux
# kernel's vfat driver inside User-Mode Linux (first boot); the clusters of every file to be
# zapped are recorded with istat on the host; the zap runs in a second boot, on the mounted
# volume mapped as Y:. Then, against The Sleuth Kit and fsck.fat:
#   - every recorded cluster holds only the last pass's byte (0xFF with 12 passes), unless
#     another file has taken it since;
#   - no zapped name is left among the deleted entries (fls -r -d) but the filler names, and
#     the parent folder's older deleted names are gone too;
#   - every other live file keeps its size, time and checksum; fsck.fat -n is clean;
#   - a second zap of the drive root empties the whole volume and keeps the root.
#
# usage: ZapTest.sh fat16|fat32
#        ZapTest.sh --guest populate|zap|zap-root OUT   (inside the guest, run by uml-run)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/common.sh"
. "$here/lib/images.sh"
. "$here/lib/populate.sh"
. "$here/lib/zap.sh"

# ---------------------------------------------------------------------------------------------
# In the guest.
# ---------------------------------------------------------------------------------------------
guest() {
  local step=$1 out=$2 mnt=$BW_UML_MOUNT
  case $step in
  populate)
    populate_zap "$mnt" || exit 3
    ;;
  zap | zap-root)
    map_drive Y "$mnt" "$BW_UML_DEVICE" >/dev/null || exit 3
    bw config set OverwriteCount "$zap_passes" >/dev/null || exit 3
    live_listing "$mnt" >"$out/$step-before"
    if [ "$step" = zap ]; then
      bw zap --yes-to-all "$mnt/$zap_folder" "$mnt/$zap_file"
    else
      bw zap --yes-to-all "$mnt"
    fi >"$out/$step.out" 2>"$out/$step.err"
    echo $? >"$out/$step.status"
    live_listing "$mnt" >"$out/$step-after"
    drop_caches
    ;;
  esac
  exit 0
}

if [ "${1:-}" = --guest ]; then
  guest "$2" "$3"
fi

# ---------------------------------------------------------------------------------------------
# On the host.
# ---------------------------------------------------------------------------------------------
rig_need mkfs.fat fsck.fat fls istat blkcat blkstat
rig_init

case ${1:-} in
fat16) kinds=(fat16-1k-clusters fat16-4k-clusters) ;;
fat32) kinds=(fat32-512-clusters fat32-2k-clusters) ;;
*)
  echo "usage: ZapTest.sh fat16|fat32" >&2
  exit 2
  ;;
esac

# boot IMAGE STEP OUT: one guest run of a step.
boot() {
  uml_run -o utf8 "$1" -- bash "$here/ZapTest.sh" --guest "$2" "$3"
}

check_image() {
  local kind=$1 image=$RIG_TMP/$1.img out=$RIG_TMP/$1.out line name
  echo "== $kind"
  mkdir -p "$out"
  make_image "$kind" "$image" || {
    fail "$kind: the image cannot be made"
    return
  }
  boot "$image" populate "$out" || {
    fail "$kind: the population failed"
    return
  }
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after the vfat driver"
  zap_record "$image" "$out" "$kind"
  fls -r -p -d "$image" | grep -q $'\tWork/old draft.txt$' ||
    fail "$kind: the older deleted name is not there to be cleaned"

  boot "$image" zap "$out" || {
    fail "$kind: the zap run failed"
    return
  }
  zap_check_result "$out" zap "$kind"
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after the zap"
  zap_check_units "$image" "$out" "$kind"
  zap_check_names "$image" "$out" "$kind"

  # The drive root: everything goes, the root stays, its own deleted names are fillers.
  boot "$image" zap-root "$out" || {
    fail "$kind: the zap of the root failed"
    return
  }
  check_eq "$kind: root zap exit status" 0 "$(cat "$out/zap-root.status")" ||
    cat "$out/zap-root.out" "$out/zap-root.err" >&2
  [ -s "$out/zap-root-after" ] && fail "$kind: live files are left after the root zap"
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after the root zap"
  fls -p -u "$image" | grep -v -e $'\t\\$' -e 'BLANKWRIGHT' >"$out/root-live"
  [ -s "$out/root-live" ] && fail "$kind: the root still lists: $(head -3 "$out/root-live")"
  while IFS= read -r line; do
    name=${line##*$'\t'}
    zap_is_filler "$name" || fail "$kind: a deleted name other than a filler is in the root: $line"
  done < <(fls -p -d "$image" | grep -v -e $'\t\\$')
}

for kind in "${kinds[@]}"; do
  check_image "$kind"
done
rig_finish
