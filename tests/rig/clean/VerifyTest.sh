#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# The proof of a clean, one job at a time, and slack that survives a kill. On a volume whose
# free space holds old data (junk written before mkfs.fat, or random data before mkntfs), with
# the files of populate_tree, a deleted folder of six small files, CleanFileNames on, STANDARD
# slack and two passes (ending with 0xFF, so that zeros are counted too):
#   1. `blankwright verify Y:` finds old data and deleted names (exit 3);
#   2. a clean killed with kill -9 as soon as its wipe starts: verify still finds data (exit 3);
#   3. a second clean started while a first one works refuses (exit 1, "a cleaning is already
#      running") while the first runs on to its end;
#   4. a clean killed at spread-out points of its slack phase, over and over: each kill comes
#      once the slack note is written, and each next run starts by putting its file back;
#   5. `blankwright clean Y: --verify`: exit 0 with 0 clusters (and 0 names on FAT).
# Then, against tools nobody here wrote: every live file keeps its size, mtime and sha256 from
# before step 1; blkls finds nothing but 0xFF in unallocated units; fsck.fat -n (ntfsfix -n) is
# clean; on FAT, fls -r -d lists no deleted name but fillers. FAT runs in User-Mode Linux (one
# boot per image), NTFS on the host through ntfs-3g. The figures are printed as "FIGURES".
#
# usage: VerifyTest.sh fat12|fat16|fat32|ntfs
#        VerifyTest.sh --guest OUT              (inside the guest, run by scripts/uml-run)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../lib/common.sh"
. "$here/../lib/images.sh"
. "$here/../lib/populate.sh"
. "$here/../lib/slacknames.sh"

# Points of the slack phase at which a clean is killed, in milliseconds after it began.
kill_delays=(0 20 50 100 170 260 380 530 720 950 1250 1600)

# The slack phase's note: a file in the root of the drive (or, for a file it could not cut back,
# a registry value). $root is on_volume's.
note_written() {
  [ -e "$root/BlankwrightSlack.~BW" ] ||
    grep -q '^"SlackJournal"=' "$BLANKWRIGHT_HOME/registry.reg" 2>/dev/null
}
# in_slack OUT: the clean writing OUT has begun to count the files whose slack it cleans.
# shellcheck disable=SC2317 # called through wait_for's eval
in_slack() { [[ -e $1 && $(<"$1") == *"Scanning Directories"* ]]; }

# wait_for CONDITION PID: polls until CONDITION holds or PID ends; false when PID ended first.
# Built-ins only: a program started in the guest takes longer than a small volume's wipe.
wait_for() {
  while ! eval "$1"; do
    kill -0 "$2" 2>/dev/null || return 1
  done
}

set_passes() {
  bw config export "$RIG_TMP/settings.reg" >/dev/null &&
    sed -i "s/^\"OW\"=hex:.*/\"OW\"=hex:$(printf %02x "$1")/" "$RIG_TMP/settings.reg" &&
    bw config import "$RIG_TMP/settings.reg" >/dev/null
}

# dirty ROOT: the tree, a folder of files with slack for the kills to land among, and a folder
# of six small files deleted with it.
dirty() {
  local i
  populate_tree "$1" && mkdir "$1/Slack" "$1/Gone" || return 1
  for ((i = 1; i <= 200; i++)); do
    write_known "$1/Slack/file $i.txt" $((i * 37 % 3000 + 1))
  done
  for i in 1 2 3 4 5 6; do
    printf 'Private note number %d, to go.\n' "$i" >"$1/Gone/note$i.txt"
  done
  sync && rm -r "$1/Gone" && sync
}

# on_volume ROOT RAW OUT: the steps, each leaving its output and status in OUT.
on_volume() {
  local root=$1 raw=$2 out=$3 pid d hits=0 longer=0 missed=0
  map_drive Y "$root" "$raw" >/dev/null && bw config set CleanFileNames 1 >/dev/null &&
    bw config set SlackMode 1 >/dev/null && set_passes 2 && dirty "$root" || return 3
  live_listing "$root" >"$out/live-before"

  bw verify Y: >"$out/before.out" 2>&1
  echo $? >"$out/before.status"

  "$BW_CLI" clean Y: --yes >"$out/killed-clean.out" 2>&1 &
  pid=$!
  wait_for "[ -e '$root/BlankwrightTMP1.gf' ]" $pid
  kill -9 $pid 2>/dev/null
  wait $pid 2>/dev/null
  bw verify Y: >"$out/killed.out" 2>&1
  echo $? >"$out/killed.status"

  # The first is past its start-up clean-up once it cleans slack.
  "$BW_CLI" clean Y: --yes >"$out/first.out" 2>&1 &
  pid=$!
  wait_for "in_slack '$out/first.out'" $pid
  bw clean Y: --yes >"$out/second.out" 2>&1
  echo $? >"$out/second.status"
  kill -0 $pid 2>/dev/null && echo 1 >"$out/first-alive"
  wait $pid
  echo $? >"$out/first.status"

  for d in "${kill_delays[@]}"; do
    "$BW_CLI" clean Y: --no-names --yes >"$out/slack-kill.out" 2>&1 &
    pid=$!
    if wait_for "in_slack '$out/slack-kill.out'" $pid; then
      sleep "$(printf '%d.%03d' $((d / 1000)) $((d % 1000)))"
      kill -9 $pid 2>/dev/null
      note_written && hits=$((hits + 1))
    else
      missed=$((missed + 1))
    fi
    wait $pid 2>/dev/null
    live_listing "$root" | grep -v '^Blankwright\(TMP\|Slack\)' | diff -q "$out/live-before" - >/dev/null ||
      longer=$((longer + 1))
  done
  echo "$hits $missed $longer" >"$out/kills"

  bw clean Y: --verify --yes >"$out/final.out" 2>&1
  echo $? >"$out/final.status"
  note_written && echo 1 >"$out/note-after"
  live_listing "$root" >"$out/live-after"
  [ -n "${BW_UML_GUEST:-}" ] && drop_caches
  return 0
}

if [ "${1:-}" = --guest ]; then
  on_volume "$BW_UML_MOUNT" "$BW_UML_DEVICE" "$2"
  exit
fi

# figure FILE: "CLUSTERS NAMES" from a Verify line ("-" for names on NTFS).
figure() {
  sed -n 's/^Verify drive Y: \([0-9]*\) clusters\? of free space still hold data\(, \([0-9]*\) deleted names\? still readable\)\?.*/\1 \3/p' "$1"
}

# tail_bytes IMAGE FAT: on FAT, the bytes of the sectors after the last whole cluster; else 0.
tail_bytes() {
  local total16 total32 root_entries first total
  [ "$2" = 1 ] || {
    echo 0
    return
  }
  fat_geometry "$1"
  le total16 19 2
  le total32 32 4
  le root_entries 17 2
  first=$((fat_reserved + fat_count * fat_size + (root_entries * 32 + fat_bps - 1) / fat_bps))
  total=$((total16 != 0 ? total16 : total32))
  echo $(((total - first) % fat_spc * fat_bps))
}

check_volume() {
  local name=$1 image=$2 out=$3 fat=$4 before killed final left names
  local kills_hit kills_missed kills_longer
  before=$(figure "$out/before.out")
  killed=$(figure "$out/killed.out")
  final=$(figure "$out/final.out")
  check_eq "$name: verify before the clean" 3 "$(cat "$out/before.status")"
  ((${before%% *} > 0)) || fail "$name: verify found no old data before: $(cat "$out/before.out")"
  check_eq "$name: verify after a wipe cut short" 3 "$(cat "$out/killed.status")"
  ((${killed%% *} > 0)) || fail "$name: nothing found after the kill: $(cat "$out/killed.out")"

  check_eq "$name: the second clean's exit status" 1 "$(cat "$out/second.status")"
  grep -q 'clean: a cleaning is already running; nothing was done' "$out/second.out" ||
    fail "$name: the second clean did not refuse: $(cat "$out/second.out")"
  [ -s "$out/first-alive" ] || fail "$name: the first clean ended before the second was refused"
  check_eq "$name: the first clean's exit status" 0 "$(cat "$out/first.status")"

  read -r kills_hit kills_missed kills_longer <"$out/kills"
  check_eq "$name: slack kills that missed the slack phase" 0 "$kills_missed"
  ((kills_hit > 0)) || fail "$name: no kill left a slack note to replay"

  check_eq "$name: clean --verify exit status" 0 "$(cat "$out/final.status")"
  grep -q '^Verify drive Y: 0 clusters of free space still hold data.*(clean)$' "$out/final.out" ||
    fail "$name: verify after the clean: $(grep Verify "$out/final.out")"
  [ -s "$out/note-after" ] && fail "$name: a slack note outlived the clean"
  diff -u "$out/live-before" "$out/live-after" >&2 ||
    fail "$name: live files changed (path, size, mtime, sha256)"

  # Sectors after a FAT volume's last whole cluster belong to no cluster: nothing can be
  # written there through files, and verify does not count them.
  left=$(blkls "$image" | head -c "-$(tail_bytes "$image" "$fat")" | tr -d '\377' | wc -c)
  check_eq "$name: unallocated bytes other than 0xFF" 0 "$left"
  names=-
  if [ "$fat" = 1 ]; then
    fls -r -p -d "$image" >"$out/deleted"
    names=0
    while IFS=$'\t' read -r _ path; do
      is_filler "$path" || [[ ${path,,} == *blankwrighttmp* ]] || names=$((names + 1))
    done <"$out/deleted"
    check_eq "$name: deleted names fls lists besides fillers" 0 "$names"
  fi
  echo "FIGURES $name: before clean ${before% *} clusters, ${before#* } names;" \
    "after a kill -9 in the wipe ${killed% *} clusters;" \
    "slack kills ${#kill_delays[@]} (a note to replay $kills_hit, live files left changed by" \
    "the kill $kills_longer); after clean --verify ${final% *} clusters, ${final#* } names (fls: $names)"
}

rig_need mkfs.fat fsck.fat fls blkls mkntfs ntfs-3g ntfsfix perl
rig_init
[ -x "$(dirname "$BW_CLI")/bwsingle" ] || {
  echo "rig: no bwsingle beside $BW_CLI" >&2
  exit 2
}

kind=${1:-}
out=$RIG_TMP/$kind.out
image=$RIG_TMP/$kind.img
mkdir -p "$out"
echo "== $kind"
case $kind in
fat12 | fat16 | fat32)
  # FAT32 with 1 KiB clusters: with 512-byte clusters the slack phase is skipped as on NT.
  declare -A image_kinds=([fat12]=fat12-2k-clusters [fat16]=fat16-1k-clusters)
  if [ "$kind" = fat32 ]; then made() { make_fat "$image" 81920 32 2 32; }; else
    made() { make_image "${image_kinds[$kind]}" "$image"; }; fi
  if ! { made && fill_junk "$image"; }; then
    fail "$kind: the image cannot be made"
    rig_finish
  fi
  # Some twenty cleans in one boot: more than uml_run's usual time.
  rig_require_uml
  "$BW_UML_RUNNER" -q -t 560 "$image" -- bash "$here/VerifyTest.sh" --guest "$out" ||
    fail "$kind: the steps in the guest failed"
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean"
  check_volume "$kind" "$image" "$out" 1
  ;;
ntfs)
  mnt=$RIG_TMP/ntfs.mnt
  # Random data first: mkntfs -f writes only what the file system needs.
  head -c 32M /dev/urandom >"$image"
  if ! mkntfs -F -f -q -c 4096 -L BLANKWRIGHT "$image" >/dev/null 2>&1 ||
    ! ntfs_mount "$image" "$mnt"; then
    fail "ntfs: the image cannot be made and mounted"
    rig_finish
  fi
  on_volume "$mnt" "$image" "$out"
  status=$?
  ntfs_unmount "$mnt"
  check_eq "ntfs: the steps on the volume" 0 "$status"
  ntfsfix -n "$image" >"$out/ntfsfix" 2>&1 || fail "ntfs: ntfsfix -n: $(cat "$out/ntfsfix")"
  check_volume ntfs "$image" "$out" 0
  ;;
*)
  echo "usage: VerifyTest.sh fat12|fat16|fat32|ntfs" >&2
  exit 2
  ;;
esac
rig_finish
