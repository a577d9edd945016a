#!/usr/bin/env bash
# `blankwright.exe scan Y: --list` of the win64 build under Wine finds the same clusters with
# deleted data as the Linux build and as The Sleuth Kit: on a FAT16 image (filled and partly
# emptied with mtools, mounted read-only by fusefat: the scan only reads) and on an NTFS image
# (ntfs-3g), where Wine has no volume bitmap query and the scan reads the $Bitmap file itself.
# A shown hit prints the same lines in both builds.
#
# usage: ScanTest.sh SOURCE_DIR WIN64_BUILD_DIR LINUX_BLANKWRIGHT
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
linux_cli=$1
oracle=$source_dir/tests/rig/viewer/tsk-deleted-clusters

exe=$win_build/cli/blankwright.exe
[[ -f $exe ]] || skip "$exe not built (cmake --preset win64 && cmake --build --preset win64)"
[[ -x $linux_cli ]] || fail "no Linux build at $linux_cli"
command -v blkls >/dev/null || skip "The Sleuth Kit is missing (scripts/setup)"
export BLANKWRIGHT_HOME=$scratch/home MTOOLS_SKIP_CHECK=1

# write_lines FILE SIZE PHRASE: SIZE bytes of numbered lines of PHRASE.
write_lines() {
  local line=0 text=""
  while ((${#text} < $2)); do
    line=$((line + 1))
    text+="$3 line $line, for the scan test."$'\n'
  done
  printf '%s' "${text:0:$2}" >"$1"
}

# check_volume NAME KIND IMAGE: both builds and the oracle on one image.
check_volume() {
  local name=$1 kind=$2 image=$3
  local mnt=$scratch/mnt-$name
  mount_readonly "$kind" "$image" "$mnt"
  "$linux_cli" drive add Y: --mount "$mnt" --source "$image" >/dev/null

  local linux wine expected
  linux=$("$linux_cli" scan Y: --list) || fail "$name: the Linux scan failed: $linux"
  wine=$(run_wine --no-display --drive "y=$mnt" --raw "y=$image" -- "$exe" scan Y: --list |
    tr -d '\r') || fail "$name: the Wine scan failed: $wine"
  expected=$("$oracle" "$image") || fail "$name: tsk-deleted-clusters failed"
  local linux_hits wine_hits
  linux_hits=$(grep -E '^[0-9]+$' <<<"$linux" || true)
  wine_hits=$(grep -E '^[0-9]+$' <<<"$wine" || true)
  [[ -n $expected ]] || fail "$name: the image holds no deleted data"
  [[ $wine_hits == "$expected" ]] ||
    fail "$name: Wine's hits differ from The Sleuth Kit's:"$'\n'"$(diff <(echo "$expected") <(echo "$wine_hits") | head)"
  [[ $wine_hits == "$linux_hits" ]] || fail "$name: Wine's hits differ from the Linux build's"

  local first
  first=$(head -n 1 <<<"$wine_hits")
  local mode
  for mode in "" --hex; do
    local l w
    l=$("$linux_cli" scan Y: --show "$first" $mode) || fail "$name: Linux --show $first failed"
    w=$(run_wine --no-display --drive "y=$mnt" --raw "y=$image" -- "$exe" scan Y: --show "$first" \
      $mode | tr -d '\r') || fail "$name: Wine --show $first failed"
    [[ $w == "$l" ]] || fail "$name: --show $first $mode differs between the builds"
  done
  echo "ok $name: $(wc -l <<<"$wine_hits") clusters with deleted data in both builds"
}

# FAT16, 2 KiB clusters: files written and some deleted with mtools.
fat=$scratch/fat16.img
mkfs.fat -C -F 16 -s 4 -n BWSCAN "$fat" 32768 >/dev/null
mmd -i "$fat" ::/LETTERS
for n in 1 2 3 4 5 6; do
  write_lines "$scratch/d$n.txt" $((n * 3000 + 500)) "Deleted file $n of the Wine test,"
  write_lines "$scratch/k$n.txt" $((n * 1000 + 100)) "Kept file $n of the Wine test,"
  mcopy -i "$fat" "$scratch/d$n.txt" "::/LETTERS/DELETED$n.TXT"
  mcopy -i "$fat" "$scratch/k$n.txt" "::/LETTERS/KEPT$n.TXT"
done
mdel -i "$fat" "::/LETTERS/DELETED*.TXT"
check_volume fat16 fat "$fat"

# NTFS, 4 KiB clusters: the same through ntfs-3g.
ntfs=$scratch/ntfs.img
truncate -s 32M "$ntfs"
mkntfs -q -F -f -c 4096 -L BWSCAN "$ntfs" >/dev/null 2>&1 || fail "mkntfs failed"
mkdir -p "$scratch/fill"
mounts+=("$scratch/fill")
ntfs-3g "$ntfs" "$scratch/fill" || fail "ntfs-3g cannot mount $ntfs"
for n in 1 2 3 4 5 6; do
  cp "$scratch/d$n.txt" "$scratch/fill/Deleted $n.txt"
  cp "$scratch/k$n.txt" "$scratch/fill/Kept $n.txt"
done
rm "$scratch/fill"/Deleted*
fusermount -u "$scratch/fill"
check_volume ntfs ntfs "$ntfs"
