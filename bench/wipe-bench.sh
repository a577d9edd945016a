#!/usr/bin/env bash
# Free-space wipe throughput: `blankwright clean Y:` with one pass (slack and names left out) on
# a FAT32 volume written by the kernel's vfat driver inside User-Mode Linux and on an ext4 image
# loop-mounted on the host, against `dd bs=256K oflag=dsync` filling the same free space of the
# same volume in the same run. Prints both throughputs (MB = 10^6 bytes) and their ratio.
#
#   bench/wipe-bench.sh [BLANKWRIGHT] [SIZE_MIB]   (default build/host/cli/blankwright, 2048)
#
# The clean is timed as a whole, start-up and its one 2 s wait for a full disk included (the
# final fill waits once per pass when the last clusters are taken). Needs root (loop mounts),
# mkfs.fat, mkfs.ext4 and user-mode-linux; not part of ctest.
set -euo pipefail

# In the guest (or on the host for ext4): both fills of one mounted volume, results as
# "name bytes seconds" lines.
measure() {
  local mnt=$1 raw=$2 blankwright=$3 free start end
  "$blankwright" drive add Y: --mount "$mnt" --source "$raw" >/dev/null
  for setting in "OverwriteCount 1" "CleanFileNames 0" "EmptyTempFolder 0" "EmptyRecycleBin 0"; do
    # shellcheck disable=SC2086 # name and value
    "$blankwright" config set $setting >/dev/null
  done
  sync
  free=$(($(stat -f -c '%a * %S' "$mnt")))
  start=$(date +%s.%N)
  "$blankwright" clean Y: --no-slack --no-names --yes >/dev/null
  end=$(date +%s.%N)
  echo "wipe $free $start $end"
  [ -z "$(ls "$mnt"/BlankwrightTMP* 2>/dev/null)" ] || echo "wipe files left behind" >&2

  sync
  start=$(date +%s.%N)
  dd if=/dev/zero of="$mnt/DDFILL.BIN" bs=256K oflag=dsync status=none 2>/dev/null || true
  end=$(date +%s.%N)
  echo "dd $(stat -c %s "$mnt/DDFILL.BIN") $start $end"
  rm -f "$mnt/DDFILL.BIN"
  sync
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

# report NAME RESULTS: the two fills of one volume.
report() {
  awk -v n="$1" '
    { bytes[$1] = $2; secs[$1] = $4 - $3 }
    END {
      w = bytes["wipe"] / 1e6 / secs["wipe"]; d = bytes["dd"] / 1e6 / secs["dd"]
      printf "%s\n", n
      printf "  blankwright clean (1 pass)  %8.1f MB in %6.2f s  %7.1f MB/s\n", bytes["wipe"] / 1e6, secs["wipe"], w
      printf "  dd bs=256K oflag=dsync      %8.1f MB in %6.2f s  %7.1f MB/s\n", bytes["dd"] / 1e6, secs["dd"], d
      printf "  ratio (blankwright / dd)    %.2f\n", w / d
    }' "$2"
}

fat=$work/fat32.img
mkfs.fat -C -F 32 -s 8 -n BWBENCH "$fat" $((mib * 1024)) >/dev/null
scripts/uml-run -q -t 900 "$fat" -- bash "$PWD/bench/wipe-bench.sh" --guest "$blankwright" \
  "$work/fat32.result"
report "FAT32, $mib MiB, 4 KiB clusters (vfat inside User-Mode Linux)" "$work/fat32.result"

ext4=$work/ext4.img
truncate -s "${mib}M" "$ext4"
mkfs.ext4 -q -F -m 0 "$ext4"
mkdir "$work/ext4.mnt"
mount -o loop "$ext4" "$work/ext4.mnt"
measure "$work/ext4.mnt" "$ext4" "$blankwright" >"$work/ext4.result"
umount "$work/ext4.mnt"
report "ext4, $mib MiB, 4 KiB blocks (loop mount on the host)" "$work/ext4.result"
