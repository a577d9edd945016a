#!/usr/bin/env bash
# The drive viewer's scan in its window against `blankwright scan` on the same 1 GiB drive:
# a FAT32 image of 4 KiB clusters whose free space mostly holds deleted data, mapped to Y:
# under Wine. Times, in one Wine session (the prefix and X server already up):
#   - blankwright.exe scan Y: (the win64 command line), to its end;
#   - Blankwright Drive Viewer.exe y, from its start to its report window;
# and the Linux `blankwright scan` on the same image for reference. Prints the ratio of the
# window's time to the command line's. Each runs four times, in turn, and its fastest run
# counts: the first runs warm the page cache, and the machine's other work only ever adds.
#
#   bench/viewer-bench.sh [WIN64_BUILD] [LINUX_BLANKWRIGHT]   (defaults build/win64,
#                                                              build/host/cli/blankwright)
# Needs mkfs.fat, mtools, fusefat and Wine (scripts/wine-run); not part of ctest.
set -euo pipefail

if [[ ${1:-} == --inside ]]; then
  win=$2 out=$3
  viewer="$win/viewer/win32/Blankwright Drive Viewer.exe"
  driver=$win/tests/wine/viewer/bw_viewer_driver.exe
  now() { date +%s.%N; }
  # The two alternate, so that a load of the machine's other work falls on both alike.
  for run in 1 2 3 4; do
    start=$(now)
    "$WINE" "$win/cli/blankwright.exe" scan Y: >"$out/cli.txt" 2>&1
    end=$(now)
    echo "cli $run $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')" >>"$out/times"
    start=$(now)
    "$WINE" "$viewer" y &
    pid=$!
    "$WINE" "$driver" wait-window Report 600 >/dev/null 2>&1
    end=$(now)
    echo "viewer $run $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')" >>"$out/times"
    "$WINE" "$driver" text Report 1102 >"$out/viewer-hits.txt" 2>&1
    "$WINE" "$driver" click Report 1 >/dev/null 2>&1
    "$WINE" "$driver" wait-gone Report 30 >/dev/null 2>&1
    "$WINE" "$driver" close "Blankwright Drive Viewer" 0 >/dev/null 2>&1
    wait "$pid" || true
  done
  exit 0
fi

cd "$(dirname "$0")/.."
win=$(readlink -f "${1:-build/win64}")
linux=$(readlink -f "${2:-build/host/cli/blankwright}")
for f in "$win/cli/blankwright.exe" "$win/viewer/win32/Blankwright Drive Viewer.exe" \
  "$win/tests/wine/viewer/bw_viewer_driver.exe" "$linux"; do
  [[ -f $f ]] || { echo "viewer-bench: $f not built" >&2; exit 2; }
done
work=$(mktemp -d /tmp/bw-viewer-bench.XXXXXX)
cleanup() {
  mountpoint -q "$work/mnt" && fusermount -u "$work/mnt"
  rm -rf "$work"
}
trap cleanup EXIT
export MTOOLS_SKIP_CHECK=1 BLANKWRIGHT_HOME=$work/home

image=$work/fat32.img
# BW_BENCH_MIB makes a smaller drive for a quick look; the figure is taken on 1 GiB.
mib=${BW_BENCH_MIB:-1024}
mkfs.fat -C -F 32 -s 8 -n BWBENCH "$image" $((mib * 1024)) >/dev/null
for n in 1 2 3 4; do
  head -c $((mib * 1024 * 1024 / 5)) < <(yes "Deleted file $n of the benchmark: the quick brown fox.") \
    >"$work/payload"
  mcopy -i "$image" "$work/payload" "::/FILE$n.TXT"
done
mdel -i "$image" ::/FILE1.TXT ::/FILE2.TXT ::/FILE3.TXT ::/FILE4.TXT
rm "$work/payload"
mkdir -p "$work/mnt" "$work/out"
fusefat -o ro "$image" "$work/mnt" >/dev/null 2>&1
for _ in $(seq 50); do mountpoint -q "$work/mnt" && break; sleep 0.1; done

"$linux" drive add Y: --mount "$work/mnt" --source "$image" >/dev/null
"$linux" scan Y: >/dev/null
start=$(date +%s.%N)
"$linux" scan Y: >"$work/linux.txt"
end=$(date +%s.%N)
linux_s=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')

scripts/wine-run --timeout 1200 --drive "y=$work/mnt" --raw "y=$image" --command -- \
  bash "$0" --inside "$win" "$work/out"
fastest() { awk -v k="$1" '$1 == k && (m == "" || $3 < m) { m = $3 } END { print m }' "$work/out/times"; }
cli_s=$(fastest cli)
viewer_s=$(fastest viewer)
echo "$mib MiB FAT32, 4 KiB clusters: $(sed -n 's/^Clusters with deleted data: //p' "$work/linux.txt") clusters with deleted data (the window's report: $(tr -d '\r' <"$work/out/viewer-hits.txt"))"
echo "runs (seconds):"
sed 's/^/  /' "$work/out/times"
awk -v l="$linux_s" -v c="$cli_s" -v v="$viewer_s" 'BEGIN {
  printf "Linux blankwright scan              %7.2f s\n", l
  printf "blankwright.exe scan under Wine      %7.2f s  (fastest run)\n", c
  printf "Drive Viewer window under Wine       %7.2f s  (fastest run, start to report)\n", v
  printf "ratio window / blankwright.exe scan  %.2f\n", v / c
}'
