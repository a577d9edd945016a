#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# The volume layer on real NTFS volumes: each image is made by mkntfs, mounted on the host by
# ntfs-3g and filled through it; `blankwright info` on the mapped drive must agree with The
# Sleuth Kit's fsstat, and the system cluster size with what ntfs-3g reports. The FAT directory
# reader must refuse the volume.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/common.sh"
. "$here/lib/images.sh"
. "$here/lib/populate.sh"

rig_need mkntfs ntfs-3g fusermount fsstat
rig_init

fsstat_field() { sed -n "s/^$2: *//p" "$1" | head -n 1; }

# KIND SIZE_MIB CLUSTER SECTOR
volumes=(
  "ntfs-1k 24 1024 512"
  "ntfs-4k 24 4096 512"
  "ntfs-4kb-sectors 32 8192 4096"
)

for volume in "${volumes[@]}"; do
  read -r kind mib cluster sector <<<"$volume"
  echo "== $kind"
  image=$RIG_TMP/$kind.img
  mnt=$RIG_TMP/$kind.mnt
  out=$RIG_TMP/$kind.out
  mkdir -p "$out"
  make_ntfs "$image" "$mib" "$cluster" "$sector" || {
    fail "$kind: the image cannot be made"
    continue
  }
  ntfs_mount "$image" "$mnt" || {
    fail "$kind: ntfs-3g cannot mount the image"
    continue
  }
  populate_tree "$mnt" || fail "$kind: the volume cannot be filled"
  map_drive Y "$mnt" "$image" || fail "$kind: the drive cannot be mapped"
  bw info Y: >"$out/info" 2>"$out/info.err"
  check_eq "$kind: info exit status" 0 $?
  [ -s "$out/info.err" ] && fail "$kind: info wrote errors: $(cat "$out/info.err")"
  check_eq "$kind: system cluster size against ntfs-3g's" "$(stat -f -c %S "$mnt")" \
    "$(value_of system_cluster_size "$out/info")"
  probe Y: tree >/dev/null 2>"$out/probe.err"
  check_eq "$kind: the FAT reader's exit status on NTFS" 2 $?
  grep -q 'is NTFS, not FAT' "$out/probe.err" || fail "$kind: the FAT reader took NTFS"
  ntfs_unmount "$mnt"

  fsstat "$image" >"$out/fsstat" || {
    fail "$kind: fsstat cannot read the image"
    continue
  }
  last=$(sed -n 's/^Total Cluster Range: 0 - \([0-9]*\)$/\1/p' "$out/fsstat")
  bytes_per_sector=$(fsstat_field "$out/fsstat" "Sector Size")
  bytes_per_cluster=$(fsstat_field "$out/fsstat" "Cluster Size")
  check_eq "$kind: format" "$(fsstat_field "$out/fsstat" "File System Type")" \
    "$(value_of format "$out/info")"
  check_eq "$kind: bytes per sector" "$bytes_per_sector" "$(value_of bytes_per_sector "$out/info")"
  check_eq "$kind: bytes per cluster" "$bytes_per_cluster" \
    "$(value_of bytes_per_cluster "$out/info")"
  check_eq "$kind: sectors per cluster" "$((bytes_per_cluster / bytes_per_sector))" \
    "$(value_of sectors_per_cluster "$out/info")"
  check_eq "$kind: cluster count" "$((last + 1))" "$(value_of cluster_count "$out/info")"
  check_eq "$kind: first data sector" 0 "$(value_of first_data_sector "$out/info")"
  # Not what fsstat says, but what the test asked mkntfs for.
  check_eq "$kind: bytes per cluster asked for" "$cluster" "$bytes_per_cluster"
  check_eq "$kind: sector size asked for" "$sector" "$bytes_per_sector"
done
rig_finish
