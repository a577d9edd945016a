#!/usr/bin/env bash
# `blankwright info Y:` of the win64 build under Wine prints what the Linux build prints for the
# same volume: FAT12 (as a floppy), FAT16, FAT32 and NTFS images, each mounted read-only and
# mapped as Y: (files through the mount, sectors from the image).
#
# usage: InfoTest.sh SOURCE_DIR WIN64_BUILD_DIR LINUX_BLANKWRIGHT
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
linux_cli=$1

exe=$win_build/cli/blankwright.exe
[[ -f $exe ]] || skip "$exe not built (cmake --preset win64 && cmake --build --preset win64)"
[[ -x $linux_cli ]] || fail "no Linux build at $linux_cli"
export BLANKWRIGHT_HOME=$scratch/home

keys=(format bytes_per_sector sectors_per_cluster bytes_per_cluster reserved_sectors
  first_data_sector cluster_count free_bytes system_cluster_size)

# check_volume NAME KIND FORMAT TYPE IMAGE: compares both builds on one image.
check_volume() {
  local name=$1 kind=$2 format=$3 type=$4 image=$5
  local mnt=$scratch/mnt-$name
  mount_readonly "$kind" "$image" "$mnt"

  local removable=()
  [[ $type == floppy ]] && removable=(--removable)
  "$linux_cli" drive add Y: --mount "$mnt" --source "$image" "${removable[@]}" >/dev/null
  local linux wine
  linux=$("$linux_cli" info Y:) || fail "$name: Linux info failed"
  # The Windows program writes CR LF.
  wine=$(run_wine --no-display --drive "y=$mnt" --raw "y=$image" --type "y=$type" -- \
    "$exe" info Y: | tr -d '\r') || fail "$name: Wine info failed: $wine"

  local -A l=() w=()
  local k v
  while IFS='=' read -r k v; do l[$k]=$v; done <<<"$linux"
  while IFS='=' read -r k v; do w[$k]=$v; done <<<"$wine"
  ((${#l[@]} == ${#keys[@]} && ${#w[@]} == ${#keys[@]})) ||
    fail "$name: expected the ${#keys[@]} keys; Linux:"$'\n'"$linux"$'\n'"Wine:"$'\n'"$wine"
  [[ ${l[format]} == "$format" ]] || fail "$name: Linux reads ${l[format]}, not $format"

  # Wine answers both free-space calls from statfs of the mount: it takes f_bsize, calls that
  # eight 512-byte sectors per cluster (one 2048-byte sector when f_bsize is 2048, its guess
  # for a CD-ROM), and counts free space in whole such clusters. The Linux build takes the
  # fundamental block size instead, so these two lines may differ from it; each must match
  # Wine's own rule.
  local bsize bavail unit
  read -r bsize bavail < <(stat -f -c '%s %a' "$mnt")
  unit=$((bsize == 2048 ? 2048 : 4096))
  local -A expected_wine=(
    [free_bytes]=$((bsize * bavail / unit * unit))
    [system_cluster_size]=$unit
  )

  for k in "${keys[@]}"; do
    [[ -v l[$k] && -v w[$k] ]] || fail "$name: key $k missing"
    if [[ -v expected_wine[$k] ]]; then
      [[ ${w[$k]} == "${expected_wine[$k]}" ]] ||
        fail "$name: Wine $k=${w[$k]}, expected ${expected_wine[$k]} (Linux ${l[$k]})"
    else
      [[ ${w[$k]} == "${l[$k]}" ]] || fail "$name: $k: Linux ${l[$k]}, Wine ${w[$k]}"
    fi
  done
  echo "ok $name: ${w[format]}, ${w[cluster_count]} clusters of ${w[bytes_per_cluster]} bytes;" \
    "free ${w[free_bytes]} (Linux ${l[free_bytes]}), system cluster" \
    "${w[system_cluster_size]} (Linux ${l[system_cluster_size]})"
}

# A few files, folders and long names, so that the FAT volumes are not empty.
fill_fat() {
  local image=$1
  printf 'hello\n' >"$scratch/hello.txt"
  head -c 70000 /dev/urandom >"$scratch/random.bin"
  mmd -i "$image" ::/DOCS ::/DOCS/NESTED
  mcopy -i "$image" "$scratch/hello.txt" ::/HELLO.TXT
  mcopy -i "$image" "$scratch/random.bin" "::/DOCS/A long file name.bin"
  mcopy -i "$image" "$scratch/hello.txt" ::/DOCS/NESTED/INNER.TXT
}

make_fat() {
  local image=$1 size_kib=$2
  shift 2
  rm -f "$image"
  mkfs.fat -C "$@" "$image" "$size_kib" >/dev/null
  fill_fat "$image"
}

make_fat "$scratch/fat12.img" 1440 -F 12 -n BWFAT12
check_volume fat12 fat FAT12 floppy "$scratch/fat12.img"

make_fat "$scratch/fat16.img" 65536 -F 16 -s 4 -R 4 -n BWFAT16
check_volume fat16 fat FAT16 hd "$scratch/fat16.img"

make_fat "$scratch/fat32.img" 131072 -F 32 -s 2 -n BWFAT32
check_volume fat32 fat FAT32 hd "$scratch/fat32.img"

truncate -s 64M "$scratch/ntfs.img"
mkntfs -q -F -f -c 2048 -L BWNTFS "$scratch/ntfs.img" >/dev/null 2>&1 || fail "mkntfs failed"
check_volume ntfs ntfs NTFS hd "$scratch/ntfs.img"
