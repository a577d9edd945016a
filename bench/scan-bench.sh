#!/usr/bin/env bash
# Scan throughput: `blankwright scan` on a 1 GiB FAT32 image and a 1 GiB NTFS image whose free
# space mostly holds deleted data, against The Sleuth Kit's blkls extracting the same
# unallocated data in the same run. Prints both times, the rates and the ratio.
#
#   bench/scan-bench.sh [BLANKWRIGHT]    (default build/host/cli/blankwright)
#
# Needs mkfs.fat, mtools, fusefat, mkntfs, ntfs-3g and blkls; not part of ctest. Both tools
# read the same image file, the page cache warmed by a first pass of each, so that the
# figures compare the work done rather than the disk; each figure is the median of five runs.
set -euo pipefail
cd "$(dirname "$0")/.."
blankwright=$(readlink -f "${1:-build/host/cli/blankwright}")
[[ -x $blankwright ]] || { echo "scan-bench: no $blankwright (cmake --build --preset host)" >&2; exit 2; }
for tool in mkfs.fat mcopy mdel fusefat mkntfs ntfs-3g blkls; do
  command -v "$tool" >/dev/null || { echo "scan-bench: $tool is missing (scripts/setup)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/bw-scan-bench.XXXXXX)
mounts=()
cleanup() {
  local m
  for m in ${mounts[@]+"${mounts[@]}"}; do
    mountpoint -q "$m" && { fusermount -u "$m" 2>/dev/null || umount "$m" 2>/dev/null || true; }
  done
  rm -rf "$work"
}
trap cleanup EXIT
export BLANKWRIGHT_HOME=$work/home MTOOLS_SKIP_CHECK=1

# Deleted data: text files, each some hundreds of MiB, written and then deleted, so that most
# free clusters hold something (a hit ends the cluster test at its first byte) and the rest
# are the zeros of a fresh volume (which the test reads to the end).
make_payload() { # FILE MIB NUMBER
  # yes ends on the closed pipe; only head's status counts.
  head -c "$(($2 * 1024 * 1024))" \
    < <(yes "Deleted file $3 of the benchmark: the quick brown fox jumps over the lazy dog.") >"$1"
}

seconds() { # COMMAND...: wall-clock seconds of one run, standard output discarded
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }' 
}

mount_ro() { # KIND IMAGE FOLDER
  mkdir -p "$3"
  mounts+=("$3")
  case $1 in
  fat) fusefat -o ro "$2" "$3" >/dev/null 2>&1 ;;
  ntfs) ntfs-3g -o ro "$2" "$3" ;;
  esac
  for _ in $(seq 50); do mountpoint -q "$3" && return 0; sleep 0.1; done
  echo "scan-bench: $2 did not mount" >&2
  exit 2
}

bench() { # NAME IMAGE
  local name=$1 image=$2 unallocated scan_s blkls_s
  blkls "$image" >/dev/null
  "$blankwright" scan Y: >/dev/null
  unallocated=$(blkls "$image" | wc -c)
  local scans=() blkls_runs=() _
  for _ in 1 2 3 4 5; do
    scans+=("$(seconds "$blankwright" scan Y:)")
    blkls_runs+=("$(seconds blkls "$image")")
  done
  scan_s=$(median "${scans[@]}")
  blkls_s=$(median "${blkls_runs[@]}")
  local hits
  hits=$("$blankwright" scan Y: | sed -n 's/^Clusters with deleted data: //p')
  printf '%-6s unallocated %5d MiB, %s clusters with deleted data\n' "$name" \
    $((unallocated / 1048576)) "$hits"
  awk -v n="$name" -v u="$unallocated" -v s="$scan_s" -v b="$blkls_s" 'BEGIN {
    printf "%-6s blankwright scan %7.2f s  %7.1f MiB/s\n", n, s, u / 1048576 / s
    printf "%-6s blkls            %7.2f s  %7.1f MiB/s\n", n, b, u / 1048576 / b
    printf "%-6s ratio (scan time / blkls time) %.2f\n", n, s / b
  }'
  # Cold: the image's pages dropped before each run (all caches where that is permitted,
  # else the image's own pages, which is all these reads go through), against one sequential
  # read of the whole image with dd.
  # Each is the median of five runs, taken in turns so that a slow spell of the disk falls on
  # all three.
  local cold_scan=() cold_blkls=() cold_dd=()
  for _ in 1 2 3 4 5; do
    cold_scan+=("$(drop "$image" && seconds "$blankwright" scan Y:)")
    cold_blkls+=("$(drop "$image" && seconds blkls "$image")")
    cold_dd+=("$(drop "$image" && seconds dd if="$image" of=/dev/null bs=4M status=none)")
  done
  awk -v n="$name" -v s="$(median "${cold_scan[@]}")" -v b="$(median "${cold_blkls[@]}")" \
    -v d="$(median "${cold_dd[@]}")" -v all="${cold_scan[*]} / ${cold_dd[*]}" 'BEGIN {
    printf "%-6s cold: scan %.2f s, blkls %.2f s, dd of the image %.2f s; scan/dd time %.2f\n",
      n, s, b, d, s / d
    printf "%-6s cold runs, scan / dd: %s\n", n, all
  }'
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

drop() { # IMAGE: its cached pages gone
  sync
  { echo 3 >/proc/sys/vm/drop_caches; } 2>/dev/null ||
    dd if="$1" iflag=nocache count=0 status=none
}

echo "== FAT32, 1 GiB, 4 KiB clusters"
fat=$work/fat32.img
mkfs.fat -C -F 32 -s 8 -n BWBENCH "$fat" $((1024 * 1024)) >/dev/null
for n in 1 2 3 4; do
  make_payload "$work/payload" 200 "$n"
  mcopy -i "$fat" "$work/payload" "::/FILE$n.TXT"
done
make_payload "$work/payload" 100 5
mcopy -i "$fat" "$work/payload" ::/KEEP.TXT
mdel -i "$fat" ::/FILE1.TXT ::/FILE2.TXT ::/FILE3.TXT ::/FILE4.TXT
mount_ro fat "$fat" "$work/fat.mnt"
"$blankwright" drive add Y: --mount "$work/fat.mnt" --source "$fat" >/dev/null
bench FAT32 "$fat"
fusermount -u "$work/fat.mnt"

echo "== NTFS, 1 GiB, 4 KiB clusters"
ntfs=$work/ntfs.img
truncate -s 1G "$ntfs"
mkntfs -q -F -f -c 4096 -L BWBENCH "$ntfs" >/dev/null 2>&1
mkdir -p "$work/ntfs.mnt"
ntfs-3g "$ntfs" "$work/ntfs.mnt"
mounts+=("$work/ntfs.mnt")
for n in 1 2 3 4; do
  make_payload "$work/ntfs.mnt/file$n.txt" 200 "$n"
done
make_payload "$work/ntfs.mnt/keep.txt" 100 5
rm "$work/ntfs.mnt"/file[1-4].txt
fusermount -u "$work/ntfs.mnt"
mount_ro ntfs "$ntfs" "$work/ntfs.mnt"
"$blankwright" drive add Y: --mount "$work/ntfs.mnt" --source "$ntfs" >/dev/null
bench NTFS "$ntfs"
