#!/usr/bin/env bash
# Blankwright Base.exe under Wine zapping files of an image drive Y: on code 1, with the paths
# in the Selections key as the context menu leaves them:
#   - code 1 without a Selections key says "Cannot access registry, access denied.";
#   - the File Destruction Warning lists every selection lower-cased, each with its icon, a
#     long one shortened with "...", and "Overwriting files 12 times!" under a red WARNING;
#     Enter answers No, and Esc and the close box leave too: nothing is zapped, the key is gone;
#   - files dropped on the desktop zap icon (Blankwright File Zap.exe) are handed over the same
#     way; Yes runs the Zapping Progress dialog: the folder and system-file confirmations come,
#     Yes to All answers them, and the dialog ends by itself;
#   - a single system-type file's confirmation has Yes to All greyed, and Esc answers No;
#   - Cancel (and Enter) in the progress dialog asks "Are you sure you want to stop zapping the
#     selected files?": No goes on, Yes stops, and the file being overwritten is still deleted;
#     the close box stops without asking.
# Then the oracles of the rig's zap test: every data unit the zapped files had holds the last
# pass's 0xFF, every other live file is as it was, nothing zapped is still listed as live.
#
# On FAT the zap cleans the deleted names of the selections' folder too: no zapped name can be
# read afterwards, and fsck.fat -n finds nothing to repair. The FAT run, Wine inside a slow
# User-Mode Linux guest, goes as far as the zap with its confirmations; the rest, which no file
# system changes, runs on NTFS.
#
# usage: ZapTest.sh SOURCE_DIR WIN64_BUILD_DIR ntfs|fat
#        ZapTest.sh --inside OUT BASE DRIVER CLI ROOT         (under wine-run --command, NTFS)
#        ZapTest.sh --fat-populate SIZE                       (inside the guest)
#        ZapTest.sh --fat-host IMAGE UML_RUN OUT BASE DRIVER CLI  (under wine-run, FAT)
#        ZapTest.sh --fat-guest OUT BASE DRIVER CLI           (inside the guest)
#
#   ntfs  an NTFS image through ntfs-3g on the host, as Y:
#   fat   a FAT16 image mounted by the kernel's vfat driver inside User-Mode Linux, with wine64
#         and an X server of its own running in the guest
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rig=$here/../../rig

# scenario OUT BASE DRIVER CLI ROOT: the steps, where Wine runs and the volume is mounted on
# ROOT, linked to Y:.
scenario() {
  local out=$1 base=$2 driver=$3 cli=$4 root=$5
  # shellcheck source=../Scenario.sh
  . "$(dirname "${BASH_SOURCE[0]}")/../Scenario.sh"
  cli() { "$WINE" "$cli" "$@" >"$out/cli.log" 2>&1 </dev/null; }
  selections='HKLM\Software\Tarnhollow\Blankwright\Selections'
  # choose PATH...: the Selections key as the context menu writes it, one value a path.
  choose() {
    local path
    "$WINE" reg delete "$selections" /f >/dev/null 2>&1 </dev/null
    for path in "$@"; do
      "$WINE" reg add "$selections" /v "$path" /t REG_BINARY /d 00 /f >/dev/null 2>&1 </dev/null ||
        return 1
    done
  }
  key_gone() { ! "$WINE" reg query "$selections" >/dev/null 2>&1 </dev/null; }
  warning="File Destruction Warning"
  progress="Zapping Progress"
  unchanged() { [[ $(live_listing "$root") == "$(cat "$out/before")" ]]; }

  # Twelve passes: the last writes 0xFF, which no fresh cluster holds.
  cli config set OverwriteCount 12 || { cat "$out/cli.log" >&2 && exit 3; }
  "$WINE" "$base" &
  local base_pid=$!
  check "the main window is there" drive wait-window Blankwright AfxFrameOrView42s 60
  live_listing "$root" >"$out/before"

  # No key: the registry message, nothing else.
  "$WINE" reg delete "$selections" /f >/dev/null 2>&1 </dev/null
  check "code 1 without Selections is taken" drive send 1
  check "the registry message comes" drive wait-window "Registry IO Error" 30
  check "it is the access message" text_is "Registry IO Error" 65535 \
    "Cannot access registry, access denied."
  check "OK closes it" drive click "Registry IO Error" 1
  check "the registry message goes" drive wait-gone "Registry IO Error" 30
  check "no warning without selections" drive wait-gone "$warning" 1

  # The warning's rows; Enter answers No.
  local long='Y:\Documents\Reports\2024\Quarterly Figures of the Northern Region\Summary of the Year.txt'
  check "the selections are written" choose 'Y:\Work\Zap' 'Y:\Work\target document.txt' "$long"
  check "code 1 is taken" drive send 1
  check "the warning opens" drive wait-window "$warning" 30
  check "the key is deleted once read" key_gone
  check "the overwrite line" text_is "$warning" 1070 "Overwriting files 12 times!"
  check "the WARNING label" text_is "$warning" 1069 "WARNING"
  drive rows "$warning" 1068
  cp "$out/driver.txt" "$out/rows"
  echo "warning rows:" >&2 && cat "$out/rows" >&2
  # Files, not process substitution: the guest of the FAT run has no /dev/fd.
  cut -f2 "$out/rows" >"$out/row-texts"
  check "three rows" [ "$(wc -l <"$out/rows")" -eq 3 ]
  check "the folder, lower-cased" grep -qxF 'y:\work\zap' "$out/row-texts"
  check "the file, lower-cased" grep -qxF 'y:\work\target document.txt' "$out/row-texts"
  check "the long path shortened after its drive" \
    grep -qx 'y:\\\.\.\..*\\summary of the year\.txt' "$out/row-texts"
  check "each row has its own image" [ "$(cut -f1 "$out/rows" | sort -u | tr '\n' ' ')" == "0 1 2 " ]
  sleep 1
  shot "$warning" base-zap-warning
  check "Enter is pressed" drive key "$warning" 13
  check "Enter closes the warning" drive wait-gone "$warning" 30
  check "no progress after No" drive wait-gone "$progress" 2
  check "nothing was zapped after No" unchanged

  # Esc and the close box leave as well. These, the single file and the stops below depend on
  # no file system and on timing that the slow guest keeps badly: the NTFS run covers them.
  local how hows=(Esc "the close box")
  [ -z "${BW_UML_GUEST:-}" ] || hows=()
  for how in "${hows[@]}"; do
    check "the selections are written for $how" choose 'Y:\Work\Zap' 'Y:\Work\target document.txt'
    check "code 1 is taken for $how" drive send 1
    check "the warning opens for $how" drive wait-window "$warning" 30
    if [[ $how == Esc ]]; then
      check "Esc is pressed on the warning" drive key "$warning" 27
    else
      check "the close box is pressed on the warning" drive close "$warning"
    fi
    check "$how closes the warning" drive wait-gone "$warning" 30
    check "nothing was zapped after $how" unchanged
  done

  # Yes: the zap, its confirmations answered Yes to All. This time the selections are dropped
  # on the desktop zap icon, Blankwright File Zap.exe, which hands them over as the menu does.
  "$WINE" "$(dirname "$base")/Blankwright File Zap.exe" 'Y:\Work\Zap' \
    'Y:\Work\target document.txt' 'Y:\Work\Gone meanwhile.txt' >"$out/filezap.log" 2>&1 </dev/null
  check "the zap icon hands the selections over" [ $? -eq 0 ]
  check "the warning opens a third time" drive wait-window "$warning" 30
  check "Yes is pressed" drive click "$warning" 1071
  check "the progress dialog opens" drive wait-window "$progress" 30
  local prompts=0
  for _ in $(seq 600); do
    if drive wait-window Confirmation 0; then
      prompts=$((prompts + 1))
      drive text Confirmation 1079
      echo "confirmation: $(cat "$out/driver.txt")" >&2
      case $(cat "$out/driver.txt") in
      "is a folder, destroy it and all its contents?")
        check "the folder prompt names the folder" text_is Confirmation 1078 zap
        sleep 1
        shot Confirmation base-zap-folder-prompt
        ;;
      "appears to be a SYSTEM file, Zap it?")
        check "the system prompt names the file" text_is Confirmation 1078 program.exe
        sleep 1
        shot Confirmation base-zap-prompt
        ;;
      esac
      check "Yes to All is pressed" drive click Confirmation 1073
      drive wait-gone Confirmation 10
    elif drive wait-gone "$progress" 0; then
      break
    fi
    sleep 0.2
  done
  check "the confirmations came (folder, system file)" [ $prompts -ge 2 ]
  check "the progress dialog ends by itself" drive wait-gone "$progress" 300
  check "no message about the vanished selection" drive wait-gone "Drive Error" 1
  check "the folder is gone" [ ! -e "$root/Work/Zap" ]
  check "the file is gone" [ ! -e "$root/Work/target document.txt" ]
  check "the file beside them stays" [ -e "$root/Work/stays.txt" ]
  live_listing "$root" >"$out/after-zap"
  if [ -n "${BW_UML_GUEST:-}" ]; then
    end_base "$base_pid"
    return $((failures != 0))
  fi

  # One file alone: Yes to All is greyed, and Esc keeps the file.
  check "one system-type file is selected" choose 'Y:\Work\solo.dll'
  check "code 1 is taken for one file" drive send 1
  check "the warning opens for one file" drive wait-window "$warning" 30
  check "Yes is pressed for one file" drive click "$warning" 1071
  check "its confirmation comes" drive wait-window Confirmation 30
  check "it asks about a system file" text_is Confirmation 1079 \
    "appears to be a SYSTEM file, Zap it?"
  check "Yes to All is greyed for a single file" bash -c '! "$0" "$1" enabled Confirmation 1073' \
    "$WINE" "$driver"
  check "Yes is offered" drive enabled Confirmation 1074
  check "Esc is pressed" drive key Confirmation 27
  check "Esc closes the confirmation" drive wait-gone Confirmation 30
  check "the zap of one file ends" drive wait-gone "$progress" 30
  live_listing "$root" >"$out/after-esc"
  check "Esc kept the file" grep -q $'^Work/solo.dll\t' "$out/after-esc"
  check "nothing else changed after Esc" [ "$(live_listing "$root")" == "$(cat "$out/after-zap")" ]

  # Cancel asks; No goes on, Yes stops. Large files keep the dialog up long enough.
  check "two large files are selected" choose 'Y:\big one.bin' 'Y:\big two.bin'
  check "code 1 is taken for the large files" drive send 1
  check "the warning opens for the large files" drive wait-window "$warning" 30
  check "Yes is pressed for the large files" drive click "$warning" 1071
  check "the progress dialog opens for the large files" drive wait-window "$progress" 30
  for _ in $(seq 100); do
    drive text "$progress" 1083
    [[ $(cat "$out/driver.txt") == Pass* ]] && break
    sleep 0.1
  done
  check "the pass line" grep -qxE 'Pass [0-9]+ of 12 overwrites' "$out/driver.txt"
  check "the path line" text_is "$progress" 1082 'y:\big one.bin'
  shot "$progress" base-zap-progress
  check "Cancel is pressed" drive click "$progress" 1085
  check "the stop question comes" drive wait-window Abort 30
  check "it asks the question" text_is Abort 65535 \
    "Are you sure you want to stop zapping the selected files?"
  check "No is pressed" drive click Abort 7
  check "the question goes" drive wait-gone Abort 30
  check "the zap goes on after No" drive wait-window "$progress" 1
  check "Enter is typed while the zap runs" drive char "$progress" 13
  check "Enter asks the question too" drive wait-window Abort 30
  check "Yes is pressed" drive click Abort 6
  check "the progress dialog ends after Yes" drive wait-gone "$progress" 120
  check "the file being overwritten is still deleted" [ ! -e "$root/big one.bin" ]
  check "the next file is not touched" [ -e "$root/big two.bin" ]

  # The close box stops without asking.
  check "the large file is selected" choose 'Y:\big two.bin'
  check "code 1 is taken for the close box" drive send 1
  check "the warning opens for the close box" drive wait-window "$warning" 30
  check "Yes is pressed for the close box" drive click "$warning" 1071
  check "the progress dialog opens for the close box" drive wait-window "$progress" 30
  for _ in $(seq 100); do
    drive text "$progress" 1083
    [[ $(cat "$out/driver.txt") == Pass* ]] && break
    sleep 0.1
  done
  check "the close box is pressed on the progress dialog" drive close "$progress"
  check "the progress dialog ends without a question" drive wait-gone "$progress" 120
  check "no question after the close box" drive wait-gone Abort 1
  check "the interrupted file is deleted" [ ! -e "$root/big two.bin" ]
  check "every other live file is as after the zap" \
    [ "$(live_listing "$root")" == "$(grep -v '^big ' "$out/after-zap")" ]

  end_base "$base_pid"
  return $((failures != 0))
}

end_base() {
  check "code 100 ends Base" drive send 100
  timeout 30 tail --pid="$1" -f /dev/null
}

# extra_files ROOT SIZE: beside the zap's tree, a system-type file to keep and two large files
# for stopping a zap. Made before the zap, so that they never take the zapped files' clusters.
extra_files() {
  write_known "$1/Work/solo.dll" 3000 &&
    head -c "$2" /dev/urandom >"$1/big one.bin" && head -c "$2" /dev/urandom >"$1/big two.bin"
  sync
}

case ${1:-} in
--inside)
  # shellcheck source=../../rig/lib/populate.sh
  . "$rig/lib/populate.sh"
  scenario "${@:2}"
  exit
  ;;
--fat-populate)
  # shellcheck source=../../rig/lib/populate.sh
  . "$rig/lib/populate.sh"
  # shellcheck source=../../rig/lib/zap.sh
  . "$rig/lib/zap.sh"
  populate_zap "$BW_UML_MOUNT" light && extra_files "$BW_UML_MOUNT" "$2"
  exit
  ;;
--fat-host)
  # The guest starts a Wine server of its own on the same prefix, and an X server of its own:
  # the host's cannot be reached from inside.
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  "$3" -q -t 840 -m 1G -o utf8 "$2" -- bash "$0" --fat-guest "${@:4}"
  exit
  ;;
--fat-guest)
  # shellcheck source=../Scenario.sh
  . "$(dirname "${BASH_SOURCE[0]}")/../Scenario.sh"
  guest_desktop || exit 3
  # shellcheck source=../../rig/lib/populate.sh
  . "$rig/lib/populate.sh"
  scenario "$2" "$3" "$4" "$5" "$BW_UML_MOUNT"
  status=$?
  guest_desktop_end
  drop_caches
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
# shellcheck source=../../rig/lib/zap.sh
. "$rig/lib/zap.sh"
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
rig_need fls istat blkcat blkstat mkntfs ntfs-3g Xvfb
RIG_TMP=$(mktemp -d /tmp/bw-wine-zap.XXXXXX) || exit 2
export RIG_TMP
trap rig_cleanup EXIT

case $kind in
ntfs)
  image=$RIG_TMP/zap.img mnt=$RIG_TMP/mnt out=$RIG_TMP/out
  mkdir -p "$out" "$RIG_TMP/program"
  cp "$base" "$win_build/shell/filezap/Blankwright File Zap.exe" "$RIG_TMP/program/" || exit 2
  make_ntfs "$image" 256 4096 && ntfs_mount "$image" "$mnt" && populate_zap "$mnt" &&
    extra_files "$mnt" 24M || exit 2
  ntfs_unmount "$mnt"
  zap_record "$image" "$out" ntfs
  ntfs_mount "$image" "$mnt" || exit 2
  "$source_dir/scripts/wine-run" --timeout 560 --drive "y=$mnt" --raw "y=$image" --command -- \
    bash "$0" --inside "$out" "$RIG_TMP/program/Blankwright Base.exe" "$driver" "$cli" "$mnt"
  status=$?
  ntfs_unmount "$mnt"
  ((status == 0)) || fail "the scenario under Wine failed ($status)"
  zap_check_units "$image" "$out" ntfs
  fls -r -p -u "$image" | grep -e $'\tWork/Zap' -e $'\tWork/target document.txt$' &&
    fail "ntfs: a zapped item is still listed as live"
  ;;
fat)
  rig_need mkfs.fat fsck.fat
  rig_require_uml
  image=$RIG_TMP/zap.img out=$RIG_TMP/out
  mkdir -p "$out" "$RIG_TMP/program"
  # The deleted-name cleaning of FAT starts the filler program from Base's folder.
  cp "$base" "$win_build/cli/BWSingle.exe" "$win_build/shell/filezap/Blankwright File Zap.exe" \
    "$RIG_TMP/program/" || exit 2
  # FAT16 with 4 KiB clusters, 64 MiB.
  make_fat "$image" 65536 16 8 3 || exit 2
  "$source_dir/scripts/uml-run" -q -t 240 -o utf8 "$image" -- bash "$0" --fat-populate 1M ||
    fail "fat: the population failed"
  fsck_clean "$image" || fail "fat: fsck.fat -n is not clean after the vfat driver"
  zap_record "$image" "$out" fat
  "$source_dir/scripts/wine-run" --timeout 900 --command -- bash "$0" --fat-host "$image" \
    "$source_dir/scripts/uml-run" "$out" "$RIG_TMP/program/Blankwright Base.exe" "$driver" "$cli" ||
    fail "the scenario in the guest failed"
  fsck_clean "$image" || fail "fat: fsck.fat -n is not clean after the zap"
  zap_check_units "$image" "$out" fat
  zap_check_names "$image" "$out" fat
  ;;
*)
  echo "usage: ZapTest.sh SOURCE_DIR WIN64_BUILD_DIR ntfs|fat" >&2
  exit 2
  ;;
esac
shots="base-zap-warning base-zap-prompt base-zap-folder-prompt"
[ "$kind" = ntfs ] && shots+=" base-zap-progress"
for shot in $shots; do
  [[ -s $out/$shot.png ]] || fail "no screenshot of $shot"
done
if [[ -n ${BW_SCREENSHOTS:-} ]]; then
  mkdir -p "$BW_SCREENSHOTS" && cp "$out/"*.png "$BW_SCREENSHOTS/"
fi
rig_finish
