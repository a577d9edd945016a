#!/usr/bin/env bash
# The win64 installer under Wine, end to end in a fresh prefix:
#   - a silent install puts the programs, the DLLs and the guide into Program Files\Blankwright,
#     registers the Explorer menu, writes UFilePath and the Run value, makes the Start-menu
#     entries and starts the tray program;
#   - through the installed menu (the Explorer stand-in of the shell tests), on an NTFS image
#     drive: Clean Drive cleans it (afterwards no byte but 0x00 in its unallocated space), Zap
#     destroys two files and leaves the third, Scan starts the drive viewer, which scans it;
#   - installing again over it ends the running tray program and viewer through the unload hook,
#     replaces the files and starts the tray program again, which answers;
#   - a silent uninstall ends the tray program first and leaves no file, registration, Run value
#     or setting behind.
#
# usage: InstallTest.sh SOURCE_DIR WIN64_BUILD_DIR
#        InstallTest.sh --inside OUT SETUP DRIVER SHELL_HOST ROOT   (under wine-run --command)
set -uo pipefail

if [[ ${1:-} == --inside ]]; then
  out=$2 setup=$3 driver=$4 host=$5 root=$6
  folder="$WINEPREFIX/drive_c/Program Files/Blankwright"
  # shellcheck source=../Scenario.sh
  . "$(dirname "${BASH_SOURCE[0]}")/../Scenario.sh"
  # No pipe from a Wine program: the desktop process it may start keeps the pipe open.
  query() { # query KEY VALUE: exit 0 when the value is there; its line in $out/query.log
    "$WINE" reg query "$1" /v "$2" >"$out/query.log" 2>&1 </dev/null
  }
  settings='HKLM\Software\Tarnhollow\Blankwright\Settings'
  class='HKCR\CLSID\{6F1D2A90-3C4B-11D2-9E5A-5B7C3D1E2F40}\InprocServer32'
  run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
  base_pid() { pgrep -f 'Program Files.Blankwright.Blankwright Base.exe' | head -n 1; }
  # A process that has ended, whether or not its parent has collected it yet.
  ended() { [[ ! -e /proc/$1 ]] || grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat"; }

  "$WINE" "$setup" /S >"$out/setup.log" 2>&1 </dev/null
  check "the installer ends with 0" [ $? -eq 0 ]
  for file in "Blankwright Base.exe" "Blankwright Drive Viewer.exe" "Blankwright File Zap.exe" \
    BWSingle.exe THBWshell.dll Unload.dll Uninstall.exe Guide/tray.md; do
    check "$file is installed" [ -f "$folder/$file" ]
  done
  check "UFilePath names the folder" query "$settings" UFilePath
  check "... as C:\\Program Files\\Blankwright" grep -q 'C:\\Program Files\\Blankwright' \
    "$out/query.log"
  check "the menu class is registered" query "$class" ""
  check "... to the installed DLL" grep -qi 'Blankwright\\THBWshell.dll' "$out/query.log"
  check "the Run value starts the tray program" query "$run" BlankwrightBaseEXE
  links="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Blankwright"
  for link in Blankwright "Drive Viewer" Uninstall; do
    check "the Start menu has $link" [ -f "$links/$link.lnk" ]
  done
  check "the installer started the tray program" \
    drive wait-window Blankwright AfxFrameOrView42s 60
  first=$(base_pid)

  # The installed menu, as Explorer uses it: Clean Drive on the image drive, confirmed, runs the
  # job and reports the drive as cleaned.
  "$WINE" "$host" invoke 1 'Y:\' >"$out/host.log" 2>&1 </dev/null
  check "Clean Drive asks to close the programs" drive wait-window "Close All Programs" 30
  check "Clean Drives is pressed" drive click "Close All Programs" 1
  check "the cleaning runs" drive wait-window Cleaning 30
  check "the report comes" drive wait-window "Cleaning Report" 300
  check "Y: was cleaned" text_is "Cleaning Report" 1163 "Y:"
  drive char "Cleaning Report" 13
  check "the report closes" drive wait-gone "Cleaning Report" 30
  # Zap two files through the installed menu: the warning lists them, Yes zaps them.
  echo one >"$root/one.txt" && echo two >"$root/two.txt" && echo stays >"$root/stays.txt"
  "$WINE" "$host" invoke 0 'Y:\one.txt' 'Y:\two.txt' >"$out/host.log" 2>&1 </dev/null
  check "the zap warning opens" drive wait-window "File Destruction Warning" 30
  check "Yes is pressed" drive click "File Destruction Warning" 1071
  for _ in $(seq 100); do [[ -e $root/one.txt || -e $root/two.txt ]] || break; sleep 0.3; done
  check "both files are gone" [ ! -e "$root/one.txt" -a ! -e "$root/two.txt" ]
  check "the file beside them stays" [ "$(cat "$root/stays.txt")" == stays ]
  check "the zap's window closes" drive wait-gone "Zapping Progress" 60
  "$WINE" "$host" invoke 2 'Y:\' >"$out/host.log" 2>&1 </dev/null
  check "Scan starts the drive viewer" drive wait-window "Blankwright Drive Viewer" 60
  check "its scan reports" drive wait-window Report 120
  drive close Report
  drive wait-gone Report 30
  drive close "Blankwright Drive Viewer"
  check "the viewer closes" drive wait-gone "Blankwright Drive Viewer" 60
  # The viewer open, without a drive to scan, while the installation is replaced.
  "$WINE" "$folder/Blankwright Drive Viewer.exe" 1 &
  check "the viewer opens again" drive wait-window "Blankwright Drive Viewer" 60

  # Installing again over a running installation.
  "$WINE" "$setup" /S >"$out/setup2.log" 2>&1 </dev/null
  check "the second install ends with 0" [ $? -eq 0 ]
  check "the first tray program was ended" ended "${first:-0}"
  check "the viewer was closed" drive wait-gone "Blankwright Drive Viewer" 30
  check "the tray program runs again" drive wait-window Blankwright AfxFrameOrView42s 60
  check "and answers" drive menu 32771
  check "with its About box" drive wait-window "About Blankwright" 30
  drive close "About Blankwright"

  # Removing it, silently: the uninstaller runs from a copy of itself and returns at once.
  "$WINE" "$folder/Uninstall.exe" /S >"$out/uninstall.log" 2>&1 </dev/null
  for _ in $(seq 120); do [ -e "$folder" ] || break; sleep 0.5; done
  check "the tray program was ended" drive wait-gone Blankwright 30
  check "no file of ours is left" [ ! -e "$folder" ]
  check "the menu class is gone" bash -c '! "$0" reg query "$1" >/dev/null 2>&1 </dev/null' \
    "$WINE" "$class"
  check "the Run value is gone" bash -c '! "$0" reg query "$1" /v BlankwrightBaseEXE >/dev/null 2>&1 </dev/null' \
    "$WINE" "$run"
  check "the settings are gone" bash -c '! "$0" reg query "$1" >/dev/null 2>&1 </dev/null' \
    "$WINE" "$settings"
  check "the Start-menu entries are gone" [ ! -e "$links" ]
  exit $((failures != 0))
fi

# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
setup=$(ls "$win_build"/setup-blankwright-*-win64.exe 2>/dev/null | head -n 1)
driver=$win_build/tests/wine/tray/bw_base_driver.exe
host=$win_build/tests/wine/shell/bw_shell_host.exe
[[ -n $setup && -f $driver && -f $host ]] || skip "the installer or the test programs are not built"
command -v mkntfs >/dev/null && command -v blkls >/dev/null || skip "ntfs-3g or sleuthkit missing"
[[ -e /dev/fuse ]] || skip "no /dev/fuse"
mkdir -p "$scratch/out" "$scratch/mnt"
# Y: is an NTFS image through ntfs-3g, with the text of a deleted file in its free space.
image=$scratch/y.img
truncate -s 32M "$image" && mkntfs -F -f -q -c 4096 "$image" >/dev/null 2>&1 &&
  ntfs-3g "$image" "$scratch/mnt" || fail "cannot make and mount the image"
mounts+=("$scratch/mnt")
yes 'Deleted data the cleaning must overwrite.' 2>/dev/null | head -c 16M >"$scratch/mnt/OLD.TXT"
rm -f "$scratch/mnt/OLD.TXT" && sync
run_wine --timeout 560 --drive "y=$scratch/mnt" --raw "y=$image" --command -- bash "$0" --inside \
  "$scratch/out" "$setup" "$driver" "$host" "$scratch/mnt" || fail "the scenario failed"
fusermount -u "$scratch/mnt" || fail "the image is still busy"
left=$(blkls "$image" | tr -d '\0' | wc -c)
echo "unallocated bytes other than 0x00 after the clean and the zap: $left"
((left == 0)) || fail "$left unallocated bytes still hold other data"
echo "all checks passed"
