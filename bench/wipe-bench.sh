#!/usr/bin/env bash
# Free-space wipe throughput against the peers, on the same volume in the same run: an ext4
# image loop-mounted on the host, an NTFS image through ntfs-3g, and (unless --no-fat) a FAT32
# image written by the kernel's vfat driver inside User-Mode Linux. On each volume, one after
# the other, every fill takes the whole free space and is synced before its clock stops:
#
#   blankwright   `blankwright clean Y: --no-slack --no-names --yes`, one pass
#   scrub         `scrub -X -p fillzero DIR` (O_DIRECT, 4 MiB writes, fsync per file)
#   sfill         `sfill -f -l -l -z` (one pass of zeros, no syncs of its own)
#   dd-dsync      `dd bs=256K oflag=dsync`
#   dd-direct     `dd bs=4M oflag=direct`
#
# Prints MB/s (MB = 10^6 bytes of the free space measured before the fill) and the ratios
# blankwright/scrub and blankwright/dd-direct, with and without the one 2 s wait of the final
# fill of a full disk (the wait is taken off the clean's time for the second figure).
#
#   bench/wipe-bench.sh [--blankwright PATH] [--mib N] [--no-fat]   (defaults: build/host, 1024)
#
# Needs root (loop and FUSE mounts), mkfs.ext4, mkntfs, ntfs-3g, mkfs.fat and user-mode-linux;
# installs scrub and secure-delete (sfill) through apt-get when they are missing. Not part of
# ctest.
set -euo pipefail

# fill NAME MOUNT COMMAND...: one timed fill of the free space, synced, as "NAME bytes seconds";
# whatever the fill left is removed afterwards (the blankwright clean removes its own files).
fill() {
  local name=$1 mnt=$2 free start end
  shift 2
  sync
  free=$(($(stat -f -c '%a * %S' "$mnt")))
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  sync
  end=$(date +%s.%N)
  echo "$name $free $(echo "$end - $start" | bc -l)"
  rm -rf "$mnt/SCRUB.DIR" "$mnt/DDFILL.BIN"
  find "$mnt" -maxdepth 1 -name 'oooooooo*' -exec rm -rf {} + 2>/dev/null || true
  sync
}

dd_fill() { dd if=/dev/zero of="$1/DDFILL.BIN" "${@:2}" status=none; }

# measure MOUNT RAW BLANKWRIGHT: the fills of one mounted volume. A first dd fill that is not
# counted takes what a fresh volume costs its first writer.
measure() {
  local mnt=$1 raw=$2 blankwright=$3
  "$blankwright" drive add Y: --mount "$mnt" --source "$raw" >/dev/null
  for setting in "OverwriteCount 1" "CleanFileNames 0" "EmptyTempFolder 0" "EmptyRecycleBin 0"; do
    # shellcheck disable=SC2086 # name and value
    "$blankwright" config set $setting >/dev/null
  done
  fill warm-up "$mnt" dd_fill "$mnt" bs=4M >/dev/null
  fill blankwright "$mnt" "$blankwright" clean Y: --no-slack --no-names --yes
  [ -z "$(ls "$mnt"/BlankwrightTMP* 2>/dev/null)" ] || echo "wipe files left behind" >&2
  fill scrub "$mnt" scrub -X -p fillzero "$mnt/SCRUB.DIR"
  fill sfill "$mnt" sfill -f -l -l -z "$mnt"
  fill dd-dsync "$mnt" dd_fill "$mnt" bs=256K oflag=dsync
  fill dd-direct "$mnt" dd_fill "$mnt" bs=4M oflag=direct
  "$blankwright" drive remove Y: >/dev/null 2>&1 || true
}

if [ "${1:-}" = --guest ]; then
  measure "$BW_UML_MOUNT" "$BW_UML_DEVICE" "$2" >"$3"
  exit
fi

cd "$(dirname "$0")/.."
# shellcheck source=bench/lib.sh
source bench/lib.sh
bench_options wipe-bench "$@"
if ! command -v scrub >/dev/null || ! command -v sfill >/dev/null; then
  apt-get install -y -qq scrub secure-delete >/dev/null
fi
for tool in mkfs.fat mkfs.ext4 mkntfs ntfs-3g linux.uml scrub sfill bc; do
  command -v "$tool" >/dev/null || {
    echo "wipe-bench: $tool is missing" >&2
    exit 2
  }
done

bench_scratch wipe-bench
export BLANKWRIGHT_HOME=$work/home
mkdir -p "$BLANKWRIGHT_HOME"

# report TITLE RESULTS: MB/s of each fill and the ratios.
report() {
  awk -v title="$1" '
    $1 != "warm-up" { mbs[$1] = $2 / 1e6 / $3; secs[$1] = $3; mb[$1] = $2 / 1e6 }
    END {
      printf "%s\n", title
      n = split("blankwright scrub sfill dd-dsync dd-direct", order, " ")
      for (i = 1; i <= n; i++)
        printf "  %-12s %8.1f MB in %7.2f s  %8.1f MB/s\n", order[i], mb[order[i]],
          secs[order[i]], mbs[order[i]]
      nowait = mb["blankwright"] / (secs["blankwright"] - 2)
      printf "  %-12s %8.1f MB in %7.2f s  %8.1f MB/s  (the 2 s wait taken off)\n",
        "blankwright-", mb["blankwright"], secs["blankwright"] - 2, nowait
      printf "  ratio blankwright/scrub      %5.2f   without the wait %5.2f\n",
        mbs["blankwright"] / mbs["scrub"], nowait / mbs["scrub"]
      printf "  ratio blankwright/dd-direct  %5.2f   without the wait %5.2f\n",
        mbs["blankwright"] / mbs["dd-direct"], nowait / mbs["dd-direct"]
    }' "$2"
}

# Images written in full first: the first writer to a sparse image would pay for the host's
# block allocation, which no fill should be charged with.
allocate() { dd if=/dev/zero of="$1" bs=1M count="$mib" conv=fsync status=none; }

ext4=$work/ext4.img
allocate "$ext4"
# Fully initialised at once, so that no background zeroing of inode tables competes with the
# fills; no blocks kept for root, which every fill (all run by root) would take.
mkfs.ext4 -q -F -m 0 -E lazy_itable_init=0,lazy_journal_init=0 "$ext4"
mkdir "$work/ext4.mnt"
mount -o loop "$ext4" "$work/ext4.mnt"
measure "$work/ext4.mnt" "$ext4" "$blankwright" >"$work/ext4.result"
umount "$work/ext4.mnt"
report "ext4, $mib MiB, 4 KiB blocks (loop mount on the host)" "$work/ext4.result"

ntfs=$work/ntfs.img
allocate "$ntfs"
mkntfs -F -f -q -c 4096 -L BWBENCH "$ntfs" >/dev/null 2>&1
mkdir "$work/ntfs.mnt"
ntfs-3g "$ntfs" "$work/ntfs.mnt"
measure "$work/ntfs.mnt" "$ntfs" "$blankwright" >"$work/ntfs.result"
umount "$work/ntfs.mnt"
report "NTFS, $mib MiB, 4 KiB clusters (ntfs-3g on the host)" "$work/ntfs.result"

if [ "$fat" = 1 ]; then
  fat32=$work/fat32.img
  allocate "$fat32"
  mkfs.fat -F 32 -s 8 -n BWBENCH "$fat32" >/dev/null 2>&1
  scripts/uml-run -q -t 1500 "$fat32" -- bash "$PWD/bench/wipe-bench.sh" --guest "$blankwright" \
    "$work/fat32.result"
  report "FAT32, $mib MiB, 4 KiB clusters (vfat inside User-Mode Linux)" "$work/fat32.result"
fi
