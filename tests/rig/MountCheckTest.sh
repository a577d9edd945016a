#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# A drive whose folder is not the mount point of its volume: never mounted, unmounted since,
# and unmounted in the middle of a clean. Every job must refuse or stop, and nothing may be
# written to the bare folder, which lies on the host's own file system. The volume is an NTFS
# image mounted by ntfs-3g on the host; mapping it without --source finds the image from the
# mount table.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/common.sh"
. "$here/lib/images.sh"

rig_need mkntfs ntfs-3g fusermount
rig_init

image=$RIG_TMP/vol.img
mnt=$RIG_TMP/vol.mnt
out=$RIG_TMP/out
mkdir -p "$mnt" "$out"
make_ntfs "$image" 24 4096 || {
  fail "the image cannot be made"
  rig_finish
}

# bare_folder_untouched WHAT: the bare folder holds only the file put there, as it was.
bare_folder_untouched() {
  check_eq "$1: the bare folder's contents" "host.txt" "$(ls -A "$mnt")"
  check_eq "$1: the host file" "kept" "$(cat "$mnt/host.txt" 2>/dev/null)"
}

# refused WHAT STATUS ERRFILE: the job ended before doing anything, with a one-line reason.
refused() {
  check_eq "$1: exit status" 2 "$2"
  grep -q 'is not a mount point' "$3" || fail "$1: no reason given: $(cat "$3")"
  check_eq "$1: lines of error" 1 "$(wc -l <"$3")"
}

echo "== never mounted"
echo kept >"$mnt/host.txt"
bw drive add Y: --mount "$mnt" >/dev/null 2>"$out/add.err"
check_eq "drive add without --source on a bare folder: exit status" 2 $?
grep -q 'is not a mount point' "$out/add.err" || fail "drive add does not say why"
bw drive add Y: --mount "$mnt" --source "$image" 2>"$out/add.err" ||
  fail "a drive with its source cannot be mapped ahead of its mount"
grep -q '^note: .*is not a mount point' "$out/add.err" || fail "drive add gives no note"
bw clean Y: --yes >"$out/clean.out" 2>"$out/clean.err"
refused "clean" $? "$out/clean.err"
bw scan Y: >"$out/scan.out" 2>"$out/scan.err"
refused "scan" $? "$out/scan.err"
bw zap --yes-to-all "$mnt/host.txt" >"$out/zap.out" 2>"$out/zap.err"
refused "zap" $? "$out/zap.err"
bare_folder_untouched "never mounted"
rm -f "$mnt/host.txt"

echo "== mounted, then unmounted since"
ntfs_mount "$image" "$mnt" || {
  fail "ntfs-3g cannot mount the image"
  rig_finish
}
bw drive remove Y: >/dev/null
bw drive add Y: --mount "$mnt" 2>"$out/add.err" || fail "drive add finds no source: $(cat "$out/add.err")"
check_eq "the source found in the mount table" "$image" "$(bw drive list | cut -f 4)"
bw clean Y: --yes --no-slack --no-names >"$out/clean.out" 2>&1
check_eq "clean of the mounted volume: exit status" 0 $?
ntfs_unmount "$mnt"
echo kept >"$mnt/host.txt"
bw clean Y: --yes --no-slack --no-names >"$out/clean2.out" 2>"$out/clean2.err"
refused "clean after the unmount" $? "$out/clean2.err"
bare_folder_untouched "unmounted since"
rm -f "$mnt/host.txt"

echo "== unmounted in the middle of the wipe"
ntfs_mount "$image" "$mnt" || {
  fail "ntfs-3g cannot mount the image again"
  rig_finish
}
bw clean Y: --yes --no-slack --no-names >"$out/clean3.out" 2>&1 &
pid=$!
# The wipe's second file is its final fill, which waits 2 s once the volume is full.
SECONDS=0
while [ ! -e "$mnt/BlankwrightTMP2.gf" ] && kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt 120 ]; do
  sleep 0.05
done
fusermount -u -z "$mnt" || fail "the volume cannot be unmounted in the middle"
wait "$pid"
check_eq "clean of a volume unmounted in the middle: exit status" 1 $?
grep -q 'Drives Not Cleaned: Y:' "$out/clean3.out" ||
  fail "the drive is not reported not cleaned: $(tail -n 5 "$out/clean3.out")"
check_eq "the bare folder after the job" "" "$(ls -A "$mnt")"

rig_finish
