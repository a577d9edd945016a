#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# The volume layer on real FAT volumes: each image is made by mkfs.fat, filled by the Linux
# kernel's vfat driver inside User-Mode Linux (one boot per image), and then held against The
# Sleuth Kit:
#   - `blankwright info`, run in the guest on the mounted volume, against fsstat;
#   - every folder fls lists found by LocateDirectory, by its long path and by its 8.3 path
#     (istat's short names), with exactly the clusters istat reports, on the host and, while
#     the volume is mounted, in the guest;
#   - FAT32's root chain, and on one FAT32 volume folders above cluster 65535; lookups that
#     must fail (a file, a deleted folder, a missing one); fsck.fat -n clean afterwards;
#   - on the floppy, folders of exactly 80 and of 81 clusters.
#
# usage: VolumeTest.sh fat12|fat16|fat16-4k-sectors|fat32
#        VolumeTest.sh --guest KIND OUT     (inside the guest, run by scripts/uml-run)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/common.sh"
. "$here/lib/images.sh"
. "$here/lib/populate.sh"

# ---------------------------------------------------------------------------------------------
# In the guest: fill the volume, then record what the programs under test see while it is
# mounted.
# ---------------------------------------------------------------------------------------------
guest() {
  local kind=$1 out=$2 mnt=$BW_UML_MOUNT
  populate_tree "$mnt" || exit 3
  if [ "$kind" = fat12-floppy ]; then
    populate_chain_limit "$mnt" || exit 3
  fi
  drop_caches
  stat -f -c %S "$mnt" >"$out/kernel-cluster-size"
  map_drive Y "$mnt" "$BW_UML_DEVICE" || exit 3
  bw info Y: >"$out/info" 2>"$out/info.err"
  echo $? >"$out/info.status"
  probe Y: tree >"$out/tree" 2>"$out/tree.err"
  probe Y: root >"$out/root" 2>&1
  exit 0
}

# The folder of 81 clusters met by a job: zapping a file in it asks the name cleaning to read
# the folder, which must refuse it in a box the user sees.
guest_zap_in_long_folder() {
  local out=$1 mnt=$BW_UML_MOUNT
  map_drive Y "$mnt" "$BW_UML_DEVICE" >/dev/null || exit 3
  bw zap --yes-to-all "$mnt/EIGHTY1/F1.TXT" >"$out/zap81.out" 2>"$out/zap81.err"
  exit 0
}

if [ "${1:-}" = --guest ]; then
  guest "$2" "$3"
fi
if [ "${1:-}" = --zap-in-long-folder ]; then
  guest_zap_in_long_folder "$2"
fi

# ---------------------------------------------------------------------------------------------
# On the host.
# ---------------------------------------------------------------------------------------------
rig_need mkfs.fat fsck.fat fsstat fls istat
rig_init

case ${1:-} in
fat12) kinds=(fat12-floppy fat12-2k-clusters) ;;
fat16) kinds=(fat16-1k-clusters fat16-4k-clusters) ;;
fat16-4k-sectors) kinds=(fat16-4k-sectors) ;;
fat32) kinds=(fat32-512-clusters fat32-2k-clusters) ;;
*)
  echo "usage: VolumeTest.sh fat12|fat16|fat16-4k-sectors|fat32" >&2
  exit 2
  ;;
esac

# Mount options per kind: shortname=winnt stores an all-lower-case 8.3 name as one short
# entry with case bits instead of adding a long name.
mount_options() {
  case $1 in
  fat16-4k-clusters | fat32-2k-clusters) echo utf8,shortname=winnt ;;
  *) echo utf8 ;;
  esac
}

# fsstat_field IMAGE_REPORT LABEL: the text after "LABEL: ".
fsstat_field() { sed -n "s/^$2: *//p" "$1" | head -n 1; }

# fsstat's geometry in info's terms, "key=value" lines in info's order.
expected_info() {
  local report=$1 area range reserved
  area=$(sed -n 's/^\*\* Cluster Area: \([0-9]*\) - .*/\1/p' "$report")
  range=$(sed -n 's/^Total Cluster Range: 2 - \([0-9]*\)$/\1/p' "$report")
  reserved=$(sed -n 's/^\* Reserved: 0 - \([0-9]*\)$/\1/p' "$report")
  local sector cluster
  sector=$(fsstat_field "$report" "Sector Size")
  cluster=$(fsstat_field "$report" "Cluster Size")
  echo "format=$(fsstat_field "$report" "File System Type")"
  echo "bytes_per_sector=$sector"
  echo "sectors_per_cluster=$((cluster / sector))"
  echo "bytes_per_cluster=$cluster"
  echo "reserved_sectors=$((reserved + 1))"
  echo "first_data_sector=$area"
  echo "cluster_count=$((range - 1))"
}

# istat_folder IMAGE INODE AREA SPC: "SHORTNAME<TAB>CLUSTERS" from istat: the 8.3 name in the
# upper case it has on disk (istat shows the lower-case bits some drivers set instead of a long
# name), and the clusters of its sector list, in order.
istat_folder() {
  istat "$1" "$2" | awk -v area="$3" -v spc="$4" '
    /^Name: / && !named { name = toupper(substr($0, 7)); named = 1 }
    /^Sectors:/ { listing = 1; next }
    listing {
      for (i = 1; i <= NF; i++) {
        c = int(($i - area) / spc) + 2
        if (c != last) { clusters = clusters (n++ ? " " : "") c; last = c }
      }
    }
    END { print name "\t" clusters }'
}

check_image() {
  local kind=$1 image=$RIG_TMP/$1.img out=$RIG_TMP/$1.out
  echo "== $kind"
  mkdir -p "$out"
  make_image "$kind" "$image" || {
    fail "$kind: the image cannot be made"
    return
  }
  if ! uml_run -o "$(mount_options "$kind")" "$image" -- bash "$here/VolumeTest.sh" \
    --guest "$kind" "$out"; then
    fail "$kind: the guest run failed"
    return
  fi
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after the vfat driver"

  # Geometry: info in the guest against fsstat on the host.
  fsstat "$image" >"$out/fsstat" || {
    fail "$kind: fsstat cannot read the image"
    return
  }
  check_eq "$kind: info exit status" 0 "$(cat "$out/info.status")"
  [ -s "$out/info.err" ] && fail "$kind: info wrote errors: $(cat "$out/info.err")"
  expected_info "$out/fsstat" >"$out/info.expected"
  grep -v -e '^free_bytes=' -e '^system_cluster_size=' "$out/info" >"$out/info.shared"
  diff -u "$out/info.expected" "$out/info.shared" >&2 ||
    fail "$kind: blankwright info disagrees with fsstat"
  check_eq "$kind: system cluster size against the kernel's" \
    "$(cat "$out/kernel-cluster-size")" "$(value_of system_cluster_size "$out/info")"

  local area spc
  area=$(value_of first_data_sector "$out/info.expected")
  spc=$(value_of sectors_per_cluster "$out/info.expected")

  # Folders: fls's list, with istat's short names and clusters.
  fls -r -p -D "$image" | sed -n 's|^d/d \([0-9]*\):\t\(.*\)$|\1\t\2|p' >"$out/fls-folders"
  local count
  count=$(wc -l <"$out/fls-folders")
  # shellcheck disable=SC2154 # rig_folders comes from lib/populate.sh
  [ "$count" -ge "${#rig_folders[@]}" ] ||
    fail "$kind: fls lists $count folders, fewer than the ${#rig_folders[@]} made"
  grep -q $'\tOld stuff$' "$out/fls-folders" &&
    fail "$kind: fls lists the deleted folder as live: the population is wrong"
  fls -r -p -d "$image" | grep -q 'Many files/Entry number 0007 long name.txt' ||
    fail "$kind: no deleted entry is left to read"

  # inode, path, 8.3 name and clusters of every folder.
  local inode path short clusters
  declare -A inode_of short_of clusters_of
  while IFS=$'\t' read -r inode path; do
    inode_of[$path]=$inode
    IFS=$'\t' read -r short clusters < <(istat_folder "$image" "$inode" "$area" "$spc")
    short_of[$inode]=$short
    clusters_of[$inode]=$clusters
  done <"$out/fls-folders"

  : >"$out/expected-long"
  : >"$out/expected-short"
  : >"$out/expected-tree"
  local prefix part shortpath longpath parts
  while IFS=$'\t' read -r inode path; do
    clusters=${clusters_of[$inode]}
    shortpath=Y:
    prefix=""
    IFS=/ read -r -a parts <<<"$path"
    for part in "${parts[@]}"; do
      prefix=${prefix:+$prefix/}$part
      shortpath+="\\${short_of[${inode_of[$prefix]}]}"
    done
    longpath="Y:\\${path//\//\\}"
    read -r -a parts <<<"$clusters"
    if [ "${#parts[@]}" -gt 80 ]; then
      printf '%s\t-\tcluster chain > 80\n' "$longpath" >>"$out/expected-long"
      printf '%s\t-\tcluster chain > 80\n' "$shortpath" >>"$out/expected-short"
      printf '%s\t%s\t-\tcluster chain > 80\n' "$longpath" "$shortpath" >>"$out/expected-tree"
    else
      printf '%s\t%s\n' "$longpath" "$clusters" >>"$out/expected-long"
      printf '%s\t%s\n' "$shortpath" "$clusters" >>"$out/expected-short"
      printf '%s\t%s\t%s\n' "$longpath" "$shortpath" "$clusters" >>"$out/expected-tree"
    fi
  done <"$out/fls-folders"

  # On the host, through the image file, every folder by both of its paths.
  mkdir -p "$RIG_TMP/empty"
  map_drive Y "$RIG_TMP/empty" "$image" || fail "$kind: the drive cannot be mapped"
  for names in long short; do
    cut -f1 "$out/expected-$names" | probe Y: locate - >"$out/located-$names" 2>"$out/locate.err"
    diff -u "$out/expected-$names" "$out/located-$names" >&2 ||
      fail "$kind: LocateDirectory by $names names disagrees with fls/istat"
  done

  # In the guest, on the mounted volume: the same folders, in any order.
  diff -u <(sort "$out/expected-tree") <(sort "$out/tree") >&2 ||
    fail "$kind: the folder tree read in the guest disagrees with fls/istat"

  if [[ $kind == fat32* ]]; then
    local root
    root=$(istat_folder "$image" 2 "$area" "$spc" | cut -f2)
    check_eq "$kind: root chain in the guest" "$root" "$(cat "$out/root")"
    check_eq "$kind: root chain on the host" "$root" "$(probe Y: root)"
  fi

  # Lookups that must fail: a file with a folder's name, a deleted folder, a name that is
  # nowhere, a folder asked for one level too high, and a file's long name.
  local wrong
  for wrong in 'Y:\Reports 2024' 'Y:\Old stuff' 'Y:\DATA\NOPE' 'Y:\Documents\Q1' \
    'Y:\Documents\Letter to the bank.txt'; do
    local line
    line=$(probe Y: locate "$wrong" 2>&1)
    [[ $line == "$wrong"$'\t-\t'* ]] || fail "$kind: $wrong was found: $line"
  done

  if [ "$kind" = fat12-floppy ]; then
    grep -q $'^Y:\\\\EIGHTY\t' "$out/expected-long" || fail "$kind: no EIGHTY folder"
    grep -q $'^Y:\\\\EIGHTY\t[0-9]' "$out/located-long" ||
      fail "$kind: the folder of exactly 80 clusters was not read"
    grep -q $'^Y:\\\\EIGHTY1\t-\tcluster chain > 80$' "$out/located-long" ||
      fail "$kind: the folder of 81 clusters was not refused"
    # The reader only gives its reason; the job that met the folder shows it, on a copy.
    cp -- "$image" "$image.81" &&
      uml_run -o "$(mount_options "$kind")" "$image.81" -- bash "$here/VolumeTest.sh" \
        --zap-in-long-folder "$out" || fail "$kind: the zap in the long folder did not run"
    grep -q 'cluster chain > 80' "$out/zap81.err" ||
      fail "$kind: the 81-cluster refusal was not shown: $(cat "$out/zap81.err")"
    rm -f -- "$image.81"
  fi
}

for kind in "${kinds[@]}"; do
  check_image "$kind"
done
rig_finish
