#!/usr/bin/env bash
# Blankwright Drive Viewer.exe under Wine, driven as a user drives it:
#   - "d" names a CD-ROM drive: D: is not listed, the first drive is chosen and nothing scans;
#     a last argument that starts with a digit is ignored in the same way;
#   - the system menu's About item opens the About box; Help without a help file says so;
#   - "y" (a FAT16 image with deleted text) scans at once: the statistic texts, the clusters
#     found and their count are The Sleuth Kit's, the first hit is shown in text mode with the
#     deleted text, hex mode shows the same cluster (the line of offset 32 begins "0032"), and
#     another entry of the list shows that cluster;
#   - "x" (NTFS) scans the same way, through the bitmap read from the volume itself;
#   - more hits than the cluster list holds (32767): the list holds the first ones, the report
#     counts them all and says that the list stops short;
#   - Cancel Scan answered Yes stops a long scan: no report, the clusters found so far kept;
#   - Clean Selected Drive sends 0x00590002 for Y: to a running tray program (a stand-in that
#     records what it receives), starts the tray program from the viewer's folder when it is
#     not running (the stand-in, which then receives the word; and the real Base.exe, whose main
#     window then appears), and says "Blankwright Not Running" when there is none to start.
# Screenshots go to the scratch folder, and to BW_SCREENSHOTS when that is set.
#
# usage: ViewerTest.sh SOURCE_DIR WIN64_BUILD_DIR
#        ViewerTest.sh --inside OUT PROGRAMS EXPECTED      (under wine-run --command)
set -uo pipefail

if [[ ${1:-} == --inside ]]; then
  out=$2 programs=$3 expected=$4
  title="Blankwright Drive Viewer"
  failures=0
  check() { # check WHAT COMMAND...
    local what=$1
    shift
    if "$@"; then
      echo "ok: $what"
    else
      echo "FAIL: $what" >&2
      failures=$((failures + 1))
    fi
  }
  # shellcheck disable=SC2317 # called through check
  not() { ! "$@"; }
  # No pipe from a Wine program: the desktop process it may start keeps the pipe open.
  drive() {
    "$WINE" "$programs/bw_viewer_driver.exe" "$@" >"$out/driver.out" 2>"$out/driver.err"
    local status=$?
    tr -d '\r' <"$out/driver.err" >&2
    tr -d '\r' <"$out/driver.out"
    return $status
  }
  shot() { import -window "$1" "$out/$2.png" 2>/dev/null || echo "no screenshot of $2" >&2; }
  same() { # same WHAT EXPECTED_FILE ACTUAL: the text equals the file's
    local what=$1
    if [[ $3 == "$(cat "$2")" ]]; then
      echo "ok: $what"
    else
      echo "FAIL: $what:" >&2
      diff <(cat "$2") <(echo "$3") | head -n 8 >&2
      failures=$((failures + 1))
    fi
  }
  text() { drive text "$title" "$1"; }
  viewer() { # viewer FOLDER ARGUMENTS...: starts a copy of the viewer
    local folder=$1
    shift
    "$WINE" "$folder/Blankwright Drive Viewer.exe" "$@" &
    viewer_pid=$!
    drive wait-window "$title" 60 >/dev/null
  }
  # report_done: the report of the scan that started by itself is there, and is closed.
  report_done() {
    drive wait-window Report 120 >/dev/null
    drive click Report 1 >/dev/null
    drive wait-gone Report 30 >/dev/null
  }
  close_viewer() {
    drive close "$title" 0 >/dev/null
    drive wait-gone "$title" 30 >/dev/null
    wait "$viewer_pid"
  }
  # after_scan LETTER NAME: checks the finished scan of an image drive against the oracle.
  after_scan() {
    local name=$2 e=$expected/$2
    check "$name: the report appears" drive wait-window Report 120
    shot Report "$name-report"
    check "$name: the report counts The Sleuth Kit's clusters" \
      [ "$(drive text Report 1102)" == "$(wc -l <"$e/hits")" ]
    drive click Report 1 >/dev/null
    drive wait-gone Report 30 >/dev/null
    same "$name: the statistic texts" "$e/texts" \
      "$(for id in 1010 1011 1012 1013 1014 1015; do text $id; done)"
    same "$name: the cluster list holds The Sleuth Kit's clusters" "$e/hits" \
      "$(drive items "$title" 1020 | grep -v '^selected')"
    check "$name: the list's first entry is chosen" [ "$(drive items "$title" 1020 | tail -n 1)" == "selected 0" ]
    check "$name: the buttons are back to idle" drive enabled "$title" 1004
    check "$name: Cancel Scan is disabled" not drive enabled "$title" 1005
    same "$name: text mode shows the first hit" "$e/first.text" "$(drive lines "$title" 1023)"
  }

  # A CD-ROM drive is not listed and is not scanned; the first drive is chosen.
  viewer "$programs" d
  sleep 2
  drives=$(drive items "$title" 1003)
  check "D: (CD-ROM) is not listed" not grep -q '^D:' <<<"$drives"
  check "Y: is listed as a fixed drive" grep -qx 'Y: Fixed drive' <<<"$drives"
  check "the first drive is chosen" [ "$(tail -n 1 <<<"$drives")" == "selected 0" ]
  check "nothing was scanned" [ -z "$(text 1012)" ]
  check "Cancel Scan is disabled when idle" not drive enabled "$title" 1005
  shot "$title" viewer-idle
  # The system menu's About item, and Help without a help file.
  drive syscommand "$title" 16 >/dev/null
  check "the About box opens" drive wait-window "About Blankwright Drive Viewer" 30
  shot "About Blankwright Drive Viewer" about
  check "it names the program" [ "$(drive text "About Blankwright Drive Viewer" 1200)" == "$title" ]
  drive click "About Blankwright Drive Viewer" 1 >/dev/null
  drive wait-gone "About Blankwright Drive Viewer" 30 >/dev/null
  drive click "$title" 1008 >/dev/null
  check "Help without a help file says so" drive wait-window "Blankwright Drive Viewer Help" 30
  shot "Blankwright Drive Viewer Help" help-missing
  drive click "Blankwright Drive Viewer Help" 1 >/dev/null
  drive wait-gone "Blankwright Drive Viewer Help" 30 >/dev/null
  close_viewer

  # The last argument counts; one that starts with a digit is ignored.
  viewer "$programs" y 7y
  sleep 2
  check "a digit argument chooses the first drive" \
    [ "$(drive items "$title" 1003 | tail -n 1)" == "selected 0" ]
  check "a digit argument starts no scan" [ -z "$(text 1012)" ]
  close_viewer

  # FAT16: the scan starts by itself.
  viewer "$programs" y
  after_scan Y fat16
  check "fat16: text mode holds the deleted text" grep -q "Deleted file" <<<"$(drive lines "$title" 1023)"
  shot "$title" viewer-text
  drive click "$title" 1022 >/dev/null
  sleep 1
  hex=$(drive lines "$title" 1023)
  same "fat16: hex mode shows the first hit" "$expected/fat16/first.hex" "$hex"
  check "fat16: hex mode's offset 32 line begins 0032" [ "$(sed -n 3p <<<"$hex" | cut -c1-4)" == 0032 ]
  shot "$title" viewer-hex
  drive pick "$title" 1020 2 >/dev/null
  sleep 1
  same "fat16: the third entry shows its cluster" "$expected/fat16/third.hex" \
    "$(drive lines "$title" 1023)"

  # Clean Selected Drive with the tray program running: the stand-in records the word.
  "$WINE" "$programs/standin/bw_tray_standin.exe" &
  standin=$!
  check "the stand-in's window is there" drive wait-window Blankwright 30
  drive click "$title" 1006 >/dev/null
  sleep 2
  check "the running tray program receives exactly 0x00590002" \
    [ "$(tr -d '\r' <"$programs/standin/standin.log")" == $'started\n0x00590002' ]
  drive close Blankwright 0 >/dev/null
  wait "$standin"
  close_viewer

  # NTFS: the same scan, from the allocation bitmap the scan reads itself under Wine.
  viewer "$programs" x
  after_scan X ntfs
  close_viewer

  # More hits than the cluster list holds: it shows the first 32767, the report counts them all
  # and says where the list stopped.
  viewer "$programs" v
  check "full: the report appears" drive wait-window Report 300
  shot Report report-list-full
  hits=$(wc -l <"$expected/full-hits")
  check "full: the report counts every hit ($hits)" [ "$(drive text Report 1102)" == "$hits" ]
  check "full: the report says the list stops short" [ "$(drive text Report 1104)" == \
    "The cluster list shows only the first 32767 of these $hits clusters." ]
  drive click Report 1 >/dev/null
  drive wait-gone Report 30 >/dev/null
  check "full: the hit text counts every hit" [ "$(text 1015)" == "$hits" ]
  same "full: the list holds the first 32767 hits" "$expected/full-listed" \
    "$(drive items "$title" 1020 | grep -v '^selected')"
  close_viewer

  # Cancel Scan, Yes: the scan stops without a report and keeps what it found.
  viewer "$programs" w
  check "the long scan runs" drive wait-enabled "$title" 1005 60
  drive click "$title" 1005 >/dev/null
  check "Cancel Scan asks" drive wait-window Abort 30
  shot Abort cancel-question
  drive click Abort 6 >/dev/null
  check "the scan stops" drive wait-enabled "$title" 1004 60
  sleep 2
  check "no report after a cancelled scan" not drive wait-window Report 0
  listed=$(drive items "$title" 1020 | grep -vc '^selected')
  check "the clusters found so far are kept" [ "$listed" -gt 0 ]
  check "the hit count is that of the list" [ "$(text 1015)" == "$listed" ]
  read_to=$(text 1014)
  check "the scan stopped short (read to $read_to)" [ "$read_to" -lt "$(cat "$expected/long-last")" ]
  close_viewer

  # The tray program not running: the viewer starts it from its own folder, waits, and sends.
  viewer "$programs/with-standin" y
  report_done
  drive click "$title" 1006 >/dev/null
  check "the started stand-in makes its window" drive wait-window Blankwright 30
  sleep 6
  check "the started program receives 0x00590002 after the wait" \
    [ "$(tr -d '\r' <"$programs/with-standin/standin.log")" == $'started\n0x00590002' ]
  drive close Blankwright 0 >/dev/null
  close_viewer

  # The same with the real Base.exe beside the viewer: its main window appears.
  viewer "$programs/with-base" y
  report_done
  drive click "$title" 1006 >/dev/null
  check "Base.exe is started from the viewer's folder" drive wait-window Blankwright 60
  sleep 6
  "$WINE" "$programs/bw_base_driver.exe" send 100 >/dev/null 2>&1
  drive wait-gone Blankwright 30 >/dev/null
  close_viewer

  # Nothing to start: the viewer says so.
  viewer "$programs/alone" y
  report_done
  drive click "$title" 1006 >/dev/null
  check "no tray program: Blankwright Not Running" drive wait-window "Blankwright Not Running" 30
  shot "Blankwright Not Running" not-running
  check "its text" [ "$(drive text "Blankwright Not Running" 0xFFFF)" == \
    "Blankwright must be running to clean drives." ]
  drive click "Blankwright Not Running" 1 >/dev/null
  close_viewer

  exit $((failures != 0))
fi

# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
viewer_exe="$win_build/viewer/win32/Blankwright Drive Viewer.exe"
base_exe="$win_build/tray/win32/Blankwright Base.exe"
driver=$win_build/tests/wine/viewer/bw_viewer_driver.exe
standin=$win_build/tests/wine/viewer/bw_tray_standin.exe
base_driver=$win_build/tests/wine/tray/bw_base_driver.exe
for f in "$viewer_exe" "$base_exe" "$driver" "$standin" "$base_driver"; do
  [[ -f $f ]] || skip "$f not built (cmake --build --preset win64)"
done
for tool in import mkfs.fat mcopy mkntfs ntfs-3g fusefat blkls; do
  command -v $tool >/dev/null || skip "$tool is missing (scripts/setup)"
done
oracle=$source_dir/tests/rig/viewer/tsk-deleted-clusters
export MTOOLS_SKIP_CHECK=1

# Programs: the viewer alone, beside the stand-in named as the tray program, beside Base.exe.
p=$scratch/programs
mkdir -p "$p/standin" "$p/with-standin" "$p/with-base" "$p/alone" "$scratch/shots" \
  "$scratch/cdrom" "$scratch/expected"
cp "$viewer_exe" "$driver" "$base_driver" "$p/"
cp "$standin" "$p/standin/"
cp "$viewer_exe" "$p/with-standin/"
cp "$standin" "$p/with-standin/Blankwright Base.exe"
cp "$viewer_exe" "$base_exe" "$p/with-base/"
cp "$viewer_exe" "$p/alone/"

deleted_text() { # FILE BYTES NUMBER
  head -c "$2" < <(yes "Deleted file $3 of the viewer test, line of text") >"$1"
}

# expect NAME IMAGE FORMAT: what the window must show for IMAGE, from The Sleuth Kit.
expect() {
  local e=$scratch/expected/$1 image=$2
  mkdir -p "$e"
  "$oracle" "$image" >"$e/hits" || fail "$1: the oracle failed"
  [[ -s $e/hits ]] || fail "$1: the image holds no deleted data"
  local first third stat size free range
  first=$(sed -n 1p "$e/hits")
  third=$(sed -n 3p "$e/hits")
  "$oracle" "$image" --text "$first" >"$e/first.text"
  "$oracle" "$image" --hex "$first" >"$e/first.hex"
  "$oracle" "$image" --hex "$third" >"$e/third.hex"
  stat=$(fsstat "$image")
  size=$(sed -n 's/^Cluster Size: //p' <<<"$stat")
  free=$4
  range=$(sed -n 's/^Total Cluster Range: \([0-9]*\) - \([0-9]*\)/\1 \2/p' <<<"$stat")
  local last=${range#* }
  if [[ $3 == NTFS ]]; then
    # The window counts NTFS clusters from 0 up to the volume's cluster count.
    printf '%s\n' "$size" "$free" NTFS "0 - $((last + 1))" "$((last + 1))" "$(wc -l <"$e/hits")"
  else
    printf '%s\n' "$size" "$free" "$3" "2 - $last" "$last" "$(wc -l <"$e/hits")"
  fi >"$e/texts"
}

# Y: FAT16, 2 KiB clusters, text files written and deleted with mtools.
fat=$scratch/fat16.img
mkfs.fat -C -F 16 -s 4 -n BWVIEW "$fat" 32768 >/dev/null
for n in 1 2 3 4 5; do
  deleted_text "$scratch/d$n.txt" $((n * 3000 + 700)) "$n"
  mcopy -i "$fat" "$scratch/d$n.txt" "::/DELETED$n.TXT"
  head -c $((n * 900)) < <(yes "Kept file $n") >"$scratch/k$n.txt"
  mcopy -i "$fat" "$scratch/k$n.txt" "::/KEPT$n.TXT"
done
mdel -i "$fat" "::/DELETED*.TXT"
mount_readonly fat "$fat" "$scratch/y"
expect fat16 "$fat" FAT16 "$(($(stat -f -c '%a*%S' "$scratch/y")))"

# X: NTFS, 4 KiB clusters, filled through ntfs-3g and then mounted read-only.
ntfs=$scratch/ntfs.img
truncate -s 32M "$ntfs"
mkntfs -q -F -f -c 4096 -L BWVIEW "$ntfs" >/dev/null 2>&1 || fail "mkntfs failed"
mkdir -p "$scratch/fill"
mounts+=("$scratch/fill")
ntfs-3g "$ntfs" "$scratch/fill" || fail "ntfs-3g cannot mount $ntfs"
for n in 1 2 3 4 5; do
  cp "$scratch/d$n.txt" "$scratch/fill/Deleted $n.txt"
  cp "$scratch/k$n.txt" "$scratch/fill/Kept $n.txt"
done
rm "$scratch/fill"/Deleted*
fusermount -u "$scratch/fill"
mount_readonly ntfs "$ntfs" "$scratch/x"
expect ntfs "$ntfs" NTFS "$(($(stat -f -c '%a*%S' "$scratch/x")))"

# W: a FAT32 volume of 512-byte clusters whose scan lasts long enough to be cancelled, with
# deleted text at its start. The scan reads runs of free clusters in large reads, so it takes
# about 8 million clusters (a sparse 4 GiB image) to outlast the click on Cancel Scan.
long=$scratch/long.img
mkfs.fat -C -F 32 -s 1 -n BWLONG "$long" 4194304 >/dev/null
mcopy -i "$long" "$scratch/d5.txt" ::/DELETED.TXT
mdel -i "$long" ::/DELETED.TXT
mount_readonly fat "$long" "$scratch/w"
sed -n 's/^Total Cluster Range: [0-9]* - \([0-9]*\)/\1/p' <(fsstat "$long") >"$scratch/expected/long-last"

# V: more clusters with deleted data than the cluster list holds: 80 MiB of text deleted from a
# FAT16 volume of 2 KiB clusters (FAT16: fusefat reports no free space for FAT32, and the
# report's share would read 0.00%).
full=$scratch/full.img
mkfs.fat -C -F 16 -s 4 -n BWFULL "$full" $((120 * 1024)) >/dev/null
deleted_text "$scratch/big.txt" $((80 * 1024 * 1024)) 6
mcopy -i "$full" "$scratch/big.txt" ::/DELETED.TXT
mdel -i "$full" ::/DELETED.TXT
mount_readonly fat "$full" "$scratch/v"
"$oracle" "$full" >"$scratch/expected/full-hits" || fail "full: the oracle failed"
(($(wc -l <"$scratch/expected/full-hits") > 32767)) || fail "full: too few hits for the test"
head -n 32767 "$scratch/expected/full-hits" >"$scratch/expected/full-listed"

run_wine --timeout 600 --drive "y=$scratch/y" --raw "y=$fat" --drive "x=$scratch/x" \
  --raw "x=$ntfs" --drive "w=$scratch/w" --raw "w=$long" --drive "v=$scratch/v" \
  --raw "v=$full" --drive "d=$scratch/cdrom" \
  --type d=cdrom --command -- bash "$0" --inside "$scratch/shots" "$p" "$scratch/expected" ||
  fail "the scenario failed"
for shot in viewer-idle about help-missing viewer-text viewer-hex fat16-report ntfs-report \
  report-list-full cancel-question not-running; do
  [[ -s $scratch/shots/$shot.png ]] || fail "no screenshot of $shot"
done
if [[ -n ${BW_SCREENSHOTS:-} ]]; then
  mkdir -p "$BW_SCREENSHOTS" && cp "$scratch/shots/"*.png "$BW_SCREENSHOTS/"
fi
echo "all checks passed"
