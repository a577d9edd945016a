#!/usr/bin/env bash
# Blankwright Base.exe under Wine cleaning an image drive Y:, driven as the other programs and a
# user do, in one prefix:
#   - leftovers of an interrupted job in CURRENTDRIVE's folder are removed at start;
#   - while another program holds the machine's job lock, code 2 only says that a cleaning is
#     running; once that program is killed its lock no longer counts (NTFS run);
#   - code 2 for Y opens Close All Programs with "Y:" in dark red; Clean Drives runs the job in
#     its progress dialog, verifies the drive (VerifyAfterCleaning) and the Cleaning Report shows
#     Y: as cleaned with the check's figures; while it is open Base uses next to no processor
#     time, and Enter closes it;
#   - Cancel in the progress dialog asks the quit question; Yes stops the job and the report
#     lists Y: as not cleaned;
#   - WM_QUERYENDSESSION with CleanAtLogout runs the log-off job after the confirmation and
#     answers TRUE; the System Shutdown dialog opens from the tray menu with its drive list;
#   - a schedule match opens the ten-second countdown, which starts the job, and code 100 ends
#     Base in the middle of that job;
#   - the System Shutdown dialog, confirmed, runs the shut-down cleaning and then asks the system
#     to shut down (recorded, not done), and ClearPageFileAtShutdown follows the swap file box.
# Then the oracles of the rig's clean test: no byte other than the pass's 0x00 in the
# unallocated space (blkls), every live file as it was.
#
# usage: JobTest.sh SOURCE_DIR WIN64_BUILD_DIR ntfs|fat
#        JobTest.sh --inside OUT BASE DRIVER CLI ROOT RAW     (under wine-run --command, NTFS)
#        JobTest.sh --fat-host IMAGE UML_RUN OUT BASE DRIVER CLI  (under wine-run, FAT)
#        JobTest.sh --fat-guest OUT BASE DRIVER CLI              (inside the guest)
#
#   ntfs  an NTFS image through ntfs-3g on the host, as Y: (files) and Y:: (sectors)
#   fat   a FAT16 image mounted by the kernel's vfat driver inside User-Mode Linux, with wine64
#         and an X server of its own running in the guest
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rig=$here/../../rig

# scenario OUT BASE DRIVER CLI ROOT RAW: the steps, where Wine runs and the volume is mounted on
# ROOT (its sectors readable at RAW), with Y: and Y:: linked to them.
scenario() {
  local out=$1 base=$2 driver=$3 cli=$4 root=$5 image=$6
  # shellcheck source=../Scenario.sh
  . "$(dirname "${BASH_SOURCE[0]}")/../Scenario.sh"
  is_checked() { drive checked "$1" "$2" && [[ $(cat "$out/driver.txt") == 1 ]]; }
  cli() { "$WINE" "$cli" "$@" >"$out/cli.log" 2>&1 </dev/null; }
  key='HKLM\Software\Tarnhollow\Blankwright\Settings'
  setting() { "$WINE" reg add "$key" /v "$1" /t REG_BINARY /d "$(printf %02x "$2")" /f \
    >/dev/null 2>&1 </dev/null; }
  cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

  # One pass, no slack or names, so each job is quick; log-off cleaning on; Y: selected.
  cli config set OverwriteCount 1 && cli config set CleanAtLogout 1 &&
    cli config set CleanFileNames 0 || { cat "$out/cli.log" >&2 && exit 3; }
  # Y: alone: every other drive of the prefix (C:, and Z:, the host's root) stays out.
  "$WINE" reg add "$key" /v DRVS /t REG_SZ /d Y1-------- /f >/dev/null 2>&1 </dev/null
  setting QC 1 # STANDARD slack: every file, as the rig's oracles expect
  # Jobs are verified (only the first report has a cleaned drive to show). Not in the guest,
  # where every raw read is a round trip through ptrace: the rig's verify test covers FAT.
  [ -n "${BW_UML_GUEST:-}" ] || setting VAC 1
  # What an interrupted name cleaning left in Y:\, named by CURRENTDRIVE: one of its filler
  # files; and a user's file of the same extension, which is not Blankwright's to delete.
  echo leftover >"$root/7BlankwrightBla.~BW"
  echo mine >"$root/KEEP.~BW"
  "$WINE" reg add "$key" /v CURRENTDRIVE /t REG_SZ /d 'Y:' /f >/dev/null 2>&1 </dev/null

  "$WINE" "$base" &
  first=$!
  check "the main window is there" drive wait-window Blankwright AfxFrameOrView42s 60
  for _ in $(seq 100); do [ -e "$root/7BlankwrightBla.~BW" ] && sleep 0.1; done
  check "the leftover filler file is removed at start" [ ! -e "$root/7BlankwrightBla.~BW" ]
  check "a user's file of the same extension stays" [ -e "$root/KEEP.~BW" ]
  cli config export 'C:\bw-settings.reg'
  check "CURRENTDRIVE is emptied at start" \
    grep -q '^"CURRENTDRIVE"=""' "$WINEPREFIX/drive_c/bw-settings.reg"
  live_before=$(cd "$root" && find . -type f ! -name '*BlankwrightBla.~BW' -exec sha256sum {} + | sort)

  # Another program's cleaning holds the job lock: code 2 is turned away before anything is
  # asked or touched. That program is then killed, which leaves its lock to nobody. The lock is
  # the same on every file system: the host's NTFS run covers it.
  if [ -z "${BW_UML_GUEST:-}" ]; then
    "$WINE" "$driver" hold-lock 300 >"$out/lock.log" 2>&1 </dev/null &
    holder=$!
    for _ in $(seq 150); do grep -q held "$out/lock.log" 2>/dev/null && break; sleep 0.2; done
    check "another program holds the job lock" grep -q held "$out/lock.log"
    check "code 2 is taken while it does" drive send 2 Y
    check "Base says a cleaning is running" drive wait-window "Cleaning In Progress" 30
    check "it says so in the words of the message" text_is "Cleaning In Progress" 65535 \
      "A cleaning is already running on this computer. Try again when it has ended."
    shot "Cleaning In Progress" cleaning-in-progress
    check "no confirmation is asked" drive wait-gone "Close All Programs" 1
    check "OK closes the message" drive click "Cleaning In Progress" 1
    check "the message goes" drive wait-gone "Cleaning In Progress" 30
    check "no job ran" drive wait-gone Cleaning 1
    "$WINE" taskkill /f /im bw_base_driver.exe >/dev/null 2>&1 </dev/null
    timeout 30 tail --pid=$holder -f /dev/null
    kill $holder 2>/dev/null
  fi

  # Code 2: the confirmation, the job, the complete report with the check's figures.
  check "code 2 is taken" drive send 2 Y
  check "Close All Programs opens" drive wait-window "Close All Programs" 30
  check "it names the drive" text_is "Close All Programs" 1059 "Y:"
  shot "Close All Programs" close-all-programs
  check "Clean Drives is pressed" drive click "Close All Programs" 1
  check "the progress dialog opens" drive wait-window Cleaning 30
  shot Cleaning cleaning
  check "the report comes" drive wait-window "Cleaning Report" 300
  check "the report names the cleaned drive" text_is "Cleaning Report" 1163 "Y:"
  check "it is the complete report, without a not-cleaned line" \
    bash -c '! "$0" "$1" text "Cleaning Report" 1164 >/dev/null 2>&1' "$WINE" "$driver"
  if [ -z "${BW_UML_GUEST:-}" ]; then
    check "the report shows the check" drive text "Cleaning Report" 1165
    sed 's/^/  report: /' "$out/driver.txt" >&2
    check "it gives Y:'s figures, 0 clusters left" \
      grep -q '^Y: 0 clusters of free space hold data' "$out/driver.txt"
    shot "Cleaning Report" cleaning-verified
  else
    shot "Cleaning Report" cleaning-done
  fi
  before=$(cpu_ticks "$first")
  sleep 5
  after=$(cpu_ticks "$first")
  echo "processor time of Base over 5 s with the report open: $((after - before)) ticks" >&2
  # In the guest every system call is a round trip through ptrace, so its figure says more
  # about User-Mode Linux than about the report; the host's run holds the limit.
  [ -n "${BW_UML_GUEST:-}" ] ||
    check "an open report leaves the processor alone (under 0.2 s in 5 s)" \
      [ $((after - before)) -lt 20 ]
  check "Enter is sent" drive char "Cleaning Report" 13
  check "Enter closes the report" drive wait-gone "Cleaning Report" 30
  live_after=$(cd "$root" && find . -type f ! -name '*BlankwrightBla.~BW' -exec sha256sum {} + | sort)
  check "every live file is as it was" [ "$live_before" == "$live_after" ]
  settle
  left=$(blkls "$image" | tr -d '\0' | wc -c)
  echo "unallocated bytes other than 0x00 after the job: $left" >&2
  check "the unallocated space holds only the pass's 0x00" [ "$left" -eq 0 ]

  # The rest depends on no file system and on timing that the slow guest cannot keep (a small
  # FAT volume is cleaned before a Cancel arrives): the NTFS run covers it.
  [ -n "${BW_UML_GUEST:-}" ] && return $((failures != 0))

  # Cancel asks; Yes stops the job and the report lists the drive as not cleaned.
  check "code 2 is taken again" drive send 2 Y
  check "Close All Programs opens again" drive wait-window "Close All Programs" 30
  check "Clean Drives again" drive click "Close All Programs" 1
  check "the progress dialog opens again" drive wait-window Cleaning 30
  check "Cancel is pressed" drive click Cleaning 1167
  check "the quit question comes" drive wait-window Abort 30
  shot Abort abort
  check "Yes is pressed" drive click Abort 6
  check "the partial report comes" drive wait-window "Cleaning Report" 300
  check "nothing was cleaned" text_is "Cleaning Report" 1163 "None"
  check "Y: was not cleaned" text_is "Cleaning Report" 1164 "Y:"
  shot "Cleaning Report" cleaning-report
  check "OK closes it" drive click "Cleaning Report" 1
  check "the partial report goes" drive wait-gone "Cleaning Report" 30

  # The System Shutdown dialog from the tray menu, cancelled.
  check "the shut-down command is taken" drive menu 32772
  check "System Shutdown opens" drive wait-window "Blankwright System Shutdown" 30
  shot "Blankwright System Shutdown" shutdown
  check "Cancel closes it" drive click "Blankwright System Shutdown" 2
  check "System Shutdown goes" drive wait-gone "Blankwright System Shutdown" 30

  # Log-off: the confirmation, the job without report, TRUE.
  "$WINE" "$driver" query-end-session >"$out/logoff.log" 2>&1 &
  logoff=$!
  check "the log-off asks first" drive wait-window "Close All Programs" 30
  check "the log-off cleaning is confirmed" drive click "Close All Programs" 1
  check "the log-off job runs" drive wait-window Cleaning 30
  timeout 300 tail --pid=$logoff -f /dev/null
  wait $logoff
  tr -d '\r' <"$out/logoff.log" >&2
  check "the log-off is allowed" grep -q TRUE "$out/logoff.log"
  check "no report after a log-off cleaning" drive wait-gone "Cleaning Report" 1

  # The schedule: Base reads it at start, so it is set for the coming minute and Base started
  # again; its five-minute tick is stood in for by a WM_TIMER at that minute.
  check "code 100 ends the first copy" drive send 100
  check "the first copy is gone" drive wait-gone Blankwright 30
  sleep 1
  at=$(date -d '+1 minute' '+%u %-H %-M')
  read -r weekday hour minute <<<"$at"
  prefixes=(Mon Tues Wed Thurs Fri Sat Sun)
  day=${prefixes[weekday - 1]}
  pm=$((hour >= 12)) hour12=$((hour % 12 == 0 ? 12 : hour % 12))
  setting CSCH 1 && setting "${day}Chk" 1 && setting "${day}HR" "$hour12" &&
    setting "${day}Min" "$minute" && setting "${day}Marid" "$pm"
  "$WINE" "$base" &
  second=$!
  check "the second copy starts" drive wait-window Blankwright AfxFrameOrView42s 60
  while [[ $(date '+%-H %-M') != "$hour $minute" ]]; do sleep 0.5; done
  check "the schedule tick is posted" drive post 0x113 1 0
  check "the countdown opens" drive wait-window "Scheduled Cleaning" 30
  check "it counts from 10 or a little less" drive text "Scheduled Cleaning" 1091
  sleep 2
  shot "Scheduled Cleaning" scheduled-cleaning
  check "it names the drive" text_is "Scheduled Cleaning" 1059 "Y:"
  check "the countdown starts the job" drive wait-window Cleaning 30
  check "code 100 during the job is taken" drive send 100
  timeout 30 tail --pid="$second" -f /dev/null
  check "code 100 ends Base in the middle of a job" [ $? -eq 0 ]
  kill "$second" 2>/dev/null

  # Shut down and clean: the System Shutdown dialog, confirmed, runs the job with its shut-down
  # icon and no report, saves the settings and then asks the system to shut down, which this
  # copy records in a file instead (BW_SHUTDOWN_RECORD), and closes its own window.
  BW_SHUTDOWN_RECORD='C:\shutdown.record' "$WINE" "$base" &
  third=$!
  check "a third copy starts" drive wait-window Blankwright AfxFrameOrView42s 60
  check "the shut-down command is taken" drive menu 32772
  check "System Shutdown opens" drive wait-window "Blankwright System Shutdown" 30
  check "the swap file box is on" is_checked "Blankwright System Shutdown" 1001
  check "Shut down and clean drive list is clicked" drive click "Blankwright System Shutdown" 1003
  check "the reminder comes" drive wait-window "System Shut-Down" 30
  check "the reminder is answered OK" drive click "System Shut-Down" 1
  check "the shut-down cleaning runs" drive wait-window Cleaning 30
  shot Cleaning cleaning-shutdown
  check "the cleaning ends" drive wait-gone Cleaning 300
  drive wait-window "Shut Down Failed" 3 && echo "Base says: shut down failed" >&2
  timeout 300 tail --pid="$third" -f /dev/null
  check "Base ends after asking for the shut-down" [ $? -eq 0 ]
  check "the shut-down was asked for" grep -qx 'shut down' "$WINEPREFIX/drive_c/shutdown.record"
  "$WINE" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Memory Management' \
    /v ClearPageFileAtShutdown >"$out/pagefile.log" 2>&1 </dev/null
  check "ClearPageFileAtShutdown follows the swap file box" grep -q 'REG_DWORD.*0x1' \
    "$out/pagefile.log"
  return $((failures != 0))
}

# What the driver wrote, on the device: in the guest the raw reads go to the block device,
# whose cache the file system does not share.
settle() {
  sync
  [ -z "${BW_UML_GUEST:-}" ] || echo 3 >/proc/sys/vm/drop_caches
}

# old_data ROOT: every free cluster holds the text of a deleted file.
old_data() {
  yes 'Deleted data the cleaning must overwrite.' 2>/dev/null | head -c 1G >"$1/OLD.TXT" 2>/dev/null
  rm -f "$1/OLD.TXT"
  settle
}

case ${1:-} in
--inside)
  scenario "${@:2}"
  exit
  ;;
--fat-host)
  # The guest starts a Wine server of its own on the same prefix, and an X server of its own:
  # the host's cannot be reached from inside.
  image=$2
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  "$3" -q -t 840 -m 768M -o utf8 "$image" -- bash "$0" --fat-guest "${@:4}"
  exit
  ;;
--fat-guest)
  # shellcheck source=../Scenario.sh
  . "$(dirname "${BASH_SOURCE[0]}")/../Scenario.sh"
  guest_desktop || exit 3
  # shellcheck source=../../rig/lib/populate.sh
  . "$rig/lib/populate.sh"
  populate_tree "$BW_UML_MOUNT" || exit 3
  old_data "$BW_UML_MOUNT"
  scenario "$2" "$3" "$4" "$5" "$BW_UML_MOUNT" "$BW_UML_DEVICE"
  status=$?
  guest_desktop_end
  exit $status
  ;;
esac

# ---------------------------------------------------------------------------------------------
# On the host.
# ---------------------------------------------------------------------------------------------
# shellcheck source=../../rig/lib/common.sh
. "$rig/lib/common.sh"
# shellcheck source=../../rig/lib/images.sh
. "$rig/lib/images.sh"
# shellcheck source=../../rig/lib/populate.sh
. "$rig/lib/populate.sh"
source_dir=$1 win_build=$2 kind=${3:-ntfs}
skip() {
  echo "SKIPPED: $*"
  exit 77
}
base="$win_build/tray/win32/Blankwright Base.exe"
driver=$win_build/tests/wine/tray/bw_base_driver.exe
cli=$win_build/cli/blankwright.exe
[[ -f $base && -f $driver && -f $cli ]] || skip "the win64 programs are not built"
[[ -e /dev/fuse ]] || skip "no /dev/fuse"
command -v import >/dev/null || skip "imagemagick's import is missing (scripts/setup)"
rig_need blkls mkntfs ntfs-3g mkfs.fat fsck.fat Xvfb
RIG_TMP=$(mktemp -d /tmp/bw-wine-job.XXXXXX) || exit 2
export RIG_TMP
trap rig_cleanup EXIT

case $kind in
ntfs)
  image=$RIG_TMP/job.img mnt=$RIG_TMP/mnt out=$RIG_TMP/out
  mkdir -p "$out" "$RIG_TMP/program"
  cp "$base" "$RIG_TMP/program/"
  make_ntfs "$image" 128 4096 && ntfs_mount "$image" "$mnt" && populate_tree "$mnt" || exit 2
  old_data "$mnt"
  "$source_dir/scripts/wine-run" --timeout 560 --drive "y=$mnt" --raw "y=$image" --command -- \
    bash "$0" --inside "$out" "$RIG_TMP/program/Blankwright Base.exe" "$driver" "$cli" "$mnt" \
    "$image"
  status=$?
  ntfs_unmount "$mnt"
  ((status == 0)) || fail "the scenario under Wine failed ($status)"
  # Every job after the first wrote the same 0x00, and the one that code 100 cut short left
  # its fill files behind (live files, removed by the next start): the space stays clean.
  left=$(blkls "$image" | tr -d '\0' | wc -c)
  check_eq "unallocated bytes other than 0x00 at the end" 0 "$left"
  ;;
fat)
  rig_require_uml
  image=$RIG_TMP/job.img out=$RIG_TMP/out
  mkdir -p "$out" "$RIG_TMP/program"
  cp "$base" "$RIG_TMP/program/"
  make_image fat16-1k-clusters "$image" || exit 2
  "$source_dir/scripts/wine-run" --timeout 870 --command -- bash "$0" --fat-host "$image" \
    "$source_dir/scripts/uml-run" "$out" "$RIG_TMP/program/Blankwright Base.exe" "$driver" "$cli" ||
    fail "the scenario in the guest failed"
  fsck_clean "$image" || fail "fsck.fat -n is not clean"
  left=$(blkls "$image" | tr -d '\0' | wc -c)
  check_eq "unallocated bytes other than 0x00 at the end" 0 "$left"
  ;;
*)
  echo "usage: JobTest.sh SOURCE_DIR WIN64_BUILD_DIR ntfs|fat" >&2
  exit 2
  ;;
esac
shots="close-all-programs cleaning cleaning-done"
[ "$kind" = ntfs ] && shots="cleaning-in-progress close-all-programs cleaning cleaning-verified
  abort cleaning-report shutdown scheduled-cleaning cleaning-shutdown"
for shot in $shots; do
  [[ -s $out/$shot.png ]] || fail "no screenshot of $shot"
done
if [[ -n ${BW_SCREENSHOTS:-} ]]; then
  mkdir -p "$BW_SCREENSHOTS" && cp "$out/"*.png "$BW_SCREENSHOTS/"
fi
rig_finish
