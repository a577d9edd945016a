#!/usr/bin/env bash
# Zap throughput against dd over the same bytes, on the same volume in the same run: an ext4
# image loop-mounted on the host, an NTFS image through ntfs-3g and (unless --no-fat) a FAT32
# image written by the kernel's vfat driver inside User-Mode Linux. A file of SIZE_MIB is made
# and synced, then overwritten once and deleted by `blankwright zap` (one pass: 32 KiB writes,
# a flush every 70 writes and at the end); the file is made again and dd writes the same bytes
# over it in place with the same kind of writes and sync (`dd bs=32K oflag=direct
# conv=notrunc,fdatasync`) and deletes it, then with 4 MiB writes as the disk's own figure.
# dd syncs only at its end; bench/zap-loop.c (built here with cc) makes the same writes and the
# same syncs as the zap, one every 70 writes, and is the baseline with the same sync.
# Every run ends with a sync inside its clock. Prints MB/s (MB = 10^6 bytes) and the ratios.
#
#   bench/zap-bench.sh [--blankwright PATH] [--mib N] [--no-fat]   (defaults: build/host, 1024)
#
# Needs root (loop and FUSE mounts), mkfs.ext4, mkntfs, ntfs-3g, mkfs.fat, user-mode-linux and
# cc. Not part of ctest.
set -euo pipefail

# timed NAME COMMAND...: "NAME seconds", a sync inside the clock.
timed() {
  local name=$1 start end
  shift
  sync
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  sync
  end=$(date +%s.%N)
  echo "$name $(echo "$end - $start" | bc -l)"
}

make_file() {
  dd if=/dev/urandom of="$1/BIG.BIN" bs=4M count=$((mib / 4)) conv=fsync status=none
}
dd_over() { dd if=/dev/zero of="$1/BIG.BIN" "${@:2}" conv=notrunc,fdatasync status=none && rm "$1/BIG.BIN"; }

measure() {
  local mnt=$1 raw=$2
  "$blankwright" drive add Y: --mount "$mnt" --source "$raw" >/dev/null
  make_file "$mnt"
  timed blankwright "$blankwright" zap 'Y:\BIG.BIN' --yes
  [ ! -e "$mnt/BIG.BIN" ] || echo "the zapped file is still there" >&2
  make_file "$mnt"
  timed dd-32K-direct dd_over "$mnt" bs=32K count=$((mib * 32)) oflag=direct
  make_file "$mnt"
  timed dd-4M-direct dd_over "$mnt" bs=4M count=$((mib / 4)) oflag=direct
  make_file "$mnt"
  timed same-sync-loop "$zap_loop" "$mnt/BIG.BIN"
  "$blankwright" drive remove Y: >/dev/null 2>&1 || true
}

if [ "${1:-}" = --guest ]; then # BLANKWRIGHT MIB ZAP-LOOP RESULT, inside User-Mode Linux
  blankwright=$2 mib=$3 zap_loop=$4
  measure "$BW_UML_MOUNT" "$BW_UML_DEVICE" >"$5"
  exit
fi

cd "$(dirname "$0")/.."
# shellcheck source=bench/lib.sh
source bench/lib.sh
bench_options zap-bench "$@"

bench_scratch zap-bench
export BLANKWRIGHT_HOME=$work/home
mkdir -p "$BLANKWRIGHT_HOME"
zap_loop=$work/zap-loop
cc -O2 -o "$zap_loop" bench/zap-loop.c
"$blankwright" config set OverwriteCount 1 >/dev/null

report() {
  awk -v title="$1" -v mb="$((mib * 1048576))" '
    { secs[$1] = $2; mbs[$1] = mb / 1e6 / $2 }
    END {
      printf "%s\n", title
      n = split("blankwright dd-32K-direct dd-4M-direct same-sync-loop", order, " ")
      for (i = 1; i <= n; i++)
        printf "  %-14s %8.1f MB in %7.2f s  %8.1f MB/s\n", order[i], mb / 1e6, secs[order[i]],
          mbs[order[i]]
      printf "  ratio blankwright/dd-32K-direct  %5.2f\n", mbs["blankwright"] / mbs["dd-32K-direct"]
      printf "  ratio blankwright/dd-4M-direct   %5.2f\n", mbs["blankwright"] / mbs["dd-4M-direct"]
      printf "  ratio blankwright/same-sync-loop %5.2f\n", mbs["blankwright"] / mbs["same-sync-loop"]
    }' "$2"
}

# Images twice the file's size, written in full first so that no run pays for the host's
# block allocation.
allocate() { dd if=/dev/zero of="$1" bs=1M count=$((mib * 2)) conv=fsync status=none; }

ext4=$work/ext4.img
allocate "$ext4"
mkfs.ext4 -q -F -m 0 -E lazy_itable_init=0,lazy_journal_init=0 "$ext4"
mkdir "$work/ext4.mnt"
mount -o loop "$ext4" "$work/ext4.mnt"
measure "$work/ext4.mnt" "$ext4" >"$work/ext4.result"
umount "$work/ext4.mnt"
report "ext4, a $mib MiB file (loop mount on the host)" "$work/ext4.result"

ntfs=$work/ntfs.img
allocate "$ntfs"
mkntfs -F -f -q -c 4096 -L BWBENCH "$ntfs" >/dev/null 2>&1
mkdir "$work/ntfs.mnt"
ntfs-3g "$ntfs" "$work/ntfs.mnt"
measure "$work/ntfs.mnt" "$ntfs" >"$work/ntfs.result"
umount "$work/ntfs.mnt"
report "NTFS, a $mib MiB file (ntfs-3g on the host)" "$work/ntfs.result"

if [ "$fat" = 1 ]; then
  fat32=$work/fat32.img
  allocate "$fat32"
  mkfs.fat -F 32 -s 8 -n BWBENCH "$fat32" >/dev/null 2>&1
  scripts/uml-run -q -t 1500 "$fat32" -- bash "$PWD/bench/zap-bench.sh" --guest "$blankwright" \
    "$mib" "$zap_loop" "$work/fat32.result"
  report "FAT32, a $mib MiB file (vfat inside User-Mode Linux)" "$work/fat32.result"
fi
