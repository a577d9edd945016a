#!/usr/bin/env bash
# Does a second write in flight pay? fio writes 1 GiB past the cache (O_DIRECT, synced at the
# end) on an ext4 image loop-mounted on the host and on an NTFS image through ntfs-3g: 256 KiB
# writes one at a time (the wipe's unit, as it writes now), 256 KiB writes two and four at a
# time (libaio), and 1 MiB and 4 MiB writes one at a time as the disk's own figures. Each file
# grows with its writes, as a wipe file does ("grow"); the deeper writes are also run into a
# file fio allocated first ("prealloc"), where they need not wait for each other to extend
# it. Each is run --runs times; the median MB/s is printed with its ratio to the first.
#
#   bench/write-depth-bench.sh [--runs N]   (default 3)
#
# Needs root (loop and FUSE mounts), mkfs.ext4, mkntfs and ntfs-3g; installs fio through
# apt-get when it is missing. Not part of ctest.
set -euo pipefail

runs=3
while (($#)); do
  case $1 in
  --runs) runs=$2; shift 2 ;;
  *) echo "usage: bench/write-depth-bench.sh [--runs N]" >&2; exit 2 ;;
  esac
done
command -v fio >/dev/null || apt-get install -y -qq fio >/dev/null

# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
bench_scratch depth-bench

# ENGINE BLOCK DEPTH FILE on the mounted folder, FILE grow or prealloc: MB/s of one 1 GiB fill.
fill() {
  local fallocate=none
  [ "${5:-grow}" = prealloc ] && fallocate=native
  fio --name=fill --directory="$1" --rw=write --size=1G --direct=1 --ioengine="$2" --bs="$3" \
    --iodepth="$4" --fallocate="$fallocate" --end_fsync=1 --output-format=terse 2>/dev/null |
    awk -F';' '{ printf "%.0f\n", $48 * 1024 / 1e6 }' # field 48: write bandwidth, KiB/s
  rm -f "$1"/fill.*
}

measure() { # TITLE MOUNT
  echo "$1"
  local first="" config median
  # Not counted: the first fill of a fresh image pays for the host's block allocation.
  fill "$2" psync 4m 1 >/dev/null
  for config in "psync 256k 1 grow" "libaio 256k 2 grow" "libaio 256k 4 grow" \
    "libaio 256k 2 prealloc" "libaio 256k 4 prealloc" "psync 1m 1 grow" "psync 4m 1 grow"; do
    # shellcheck disable=SC2086 # engine, block, depth, file
    median=$(for _ in $(seq "$runs"); do fill "$2" $config; done | sort -n |
      awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
    first=${first:-$median}
    # shellcheck disable=SC2086
    printf '  %-7s %-5s depth %s %-8s  %6d MB/s  ratio %.2f\n' $config "$median" \
      "$(echo "$median / $first" | bc -l)"
  done
}

truncate -s 2G "$work/ext4.img"
mkfs.ext4 -q -F -m 0 "$work/ext4.img"
mkdir "$work/ext4.mnt"
mount -o loop "$work/ext4.img" "$work/ext4.mnt"
measure "ext4 (loop mount on the host)" "$work/ext4.mnt"
umount "$work/ext4.mnt"

truncate -s 2G "$work/ntfs.img"
mkntfs -F -f -q -c 4096 "$work/ntfs.img" >/dev/null 2>&1
mkdir "$work/ntfs.mnt"
ntfs-3g "$work/ntfs.img" "$work/ntfs.mnt"
measure "NTFS (ntfs-3g on the host)" "$work/ntfs.mnt"
umount "$work/ntfs.mnt"
