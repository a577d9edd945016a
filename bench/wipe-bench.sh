#!/usr/bin/env bash
# Free-space wipe throughput: `blankwright clean Y:` with one pass (slack and names left out) on
# a FAT32 volume written by the kernel's vfat driver inside User-Mode Linux and on an ext4 image
# loop-mounted on the host, against `dd bs=256K oflag=dsync` filling the same free space of the
# same volume in the same run. Prints both throughputs (MB = 10^6 bytes) and their ratio.
#
#   bench/wipe-bench.sh [BLANKWRIGHT] [SIZE_MIB]   (default build/host/cli/blankwright, 2048)
#
# The clean is timed as a whole, start-up and its one 2 s wait for a full disk included (the
# final fill waits once per pass when the last clusters are taken); the dd baseline runs once
# before and once after it and counts as their mean. Needs root (loop mounts),
# mkfs.fat, mkfs.ext4 and user-mode-linux; not part of ctest.
set -euo pipefail

# dd_fill MOUNT: the baseline, "dd bytes start end", the file removed again.
dd_fill() {
  local start end
  sync
  start=$(date +%s.%N)
  dd if=/dev/zero of="$1/DDFILL.BIN" bs=256K oflag=dsync status=none 2>/dev/null || true
  end=$(date +%s.%N)
  echo "dd $(stat -c %s "$1/DDFILL.BIN") $start $end"
  rm -f "$1/DDFILL.BIN"
  sync
}

# In the guest (or on the host for ext4): the fills of one mounted volume, results as
# "name bytes start end" lines. A first fill that is not counted takes what a fresh volume
# costs its first writer (allocation bitmaps set up as they are first used); the baseline then
# runs before and after the wipe, so that neither order is favoured.
measure() {
  local mnt=$1 raw=$2 blankwright=$3 free start end
  "$blankwright" drive add Y: --mount "$mnt" --source "$raw" >/dev/null
  for setting in "OverwriteCount 1" "CleanFileNames 0" "EmptyTempFolder 0" "EmptyRecycleBin 0"; do
    # shellcheck disable=SC2086 # name and value
    "$blankwright" config set $setting >/dev/null
  done
  dd_fill "$mnt" >/dev/null
  dd_fill "$mnt"
  free=$(($(stat -f -c '%a * %S' "$mnt")))
  start=$(date +%s.%N)
  "$blankwright" clean Y: --no-slack --no-names --yes >/dev/null
  end=$(date +%s.%N)
  echo "wipe $free $start $end"
  [ -z "$(ls "$mnt"/BlankwrightTMP* 2>/dev/null)" ] || echo "wipe files left behind" >&2
  dd_fill "$mnt"
}

if [ "${1:-}" = --guest ]; then
  measure "$BW_UML_MOUNT" "$BW_UML_DEVICE" "$2" >"$3"
  exit
fi

cd "$(dirname "$0")/.."
blankwright=$(readlink -f "${1:-build/host/cli/blankwright}")
mib=${2:-2048}
[[ -x $blankwright ]] || {
  echo "wipe-bench: no $blankwright (cmake --build --preset host)" >&2
  exit 2
}
for tool in mkfs.fat mkfs.ext4 linux.uml; do
  command -v "$tool" >/dev/null || {
    echo "wipe-bench: $tool is missing (scripts/setup)" >&2
    exit 2
  }
done

work=$(mktemp -d /tmp/bw-wipe-bench.XXXXXX)
cleanup() {
  mountpoint -q "$work/ext4.mnt" 2>/dev/null && umount "$work/ext4.mnt"
  rm -rf "$work"
}
trap cleanup EXIT
export BLANKWRIGHT_HOME=$work/home
mkdir -p "$BLANKWRIGHT_HOME"

# report NAME RESULTS: the fills of one volume; the baseline is the mean of the two dd runs.
report() {
  awk -v n="$1" '
    $1 == "wipe" { wb = $2; ws = $4 - $3 }
    $1 == "dd" { db += $2; ds += $4 - $3; each = each sprintf(" %.2f s", $4 - $3); runs++ }
    END {
      w = wb / 1e6 / ws; d = db / 1e6 / ds
      printf "%s\n", n
      printf "  blankwright clean (1 pass)  %8.1f MB in %6.2f s  %7.1f MB/s\n", wb / 1e6, ws, w
      printf "  dd bs=256K oflag=dsync      %8.1f MB in %6.2f s  %7.1f MB/s  (mean of%s)\n",
        db / runs / 1e6, ds / runs, d, each
      printf "  ratio (blankwright / dd)    %.2f\n", w / d
    }' "$2"
}

# Images written in full first: the first writer to a sparse image would pay for the host's
# block allocation, which neither fill should be charged with.
allocate() { dd if=/dev/zero of="$1" bs=1M count="$mib" conv=fsync status=none; }

fat=$work/fat32.img
allocate "$fat"
mkfs.fat -F 32 -s 8 -n BWBENCH "$fat" >/dev/null 2>&1
scripts/uml-run -q -t 900 "$fat" -- bash "$PWD/bench/wipe-bench.sh" --guest "$blankwright" \
  "$work/fat32.result"
report "FAT32, $mib MiB, 4 KiB clusters (vfat inside User-Mode Linux)" "$work/fat32.result"

ext4=$work/ext4.img
allocate "$ext4"
# Fully initialised at once, so that no background zeroing of inode tables competes with the
# fills; no blocks kept for root, which dd and the wipe (both run by root) would both take.
mkfs.ext4 -q -F -m 0 -E lazy_itable_init=0,lazy_journal_init=0 "$ext4"
mkdir "$work/ext4.mnt"
mount -o loop "$ext4" "$work/ext4.mnt"
measure "$work/ext4.mnt" "$ext4" "$blankwright" >"$work/ext4.result"
umount "$work/ext4.mnt"
report "ext4, $mib MiB, 4 KiB blocks (loop mount on the host)" "$work/ext4.result"
