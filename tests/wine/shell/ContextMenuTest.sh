#!/usr/bin/env bash
# THBWshell.dll driven as Explorer drives it, and Unload.dll called as a removal program calls
# it, in one Wine prefix with drive letters of each type:
#   - regsvr32 registers the class; COM creates it from that registration alone;
#   - the menu's items, ids and grey states on fixed, removable, CD-ROM and network drives, a
#     network path, the Start Menu folder and a default-only request;
#   - help texts into small buffers, DllCanUnloadNow around an object's life, refused verbs;
#   - every command's word and the Selections values as a stand-in main window receives them;
#   - no tray program: the "Could not locate" message; with UFilePath set: the real tray
#     program is started, gets code 3 and starts the (stand-in) viewer on the right drive, and
#     (where it has that dialog) answers code 2 with Close All Programs for the right drive;
#   - SHUTDOWNGLIMMERFEN ends the tray program and closes the viewer, and returns 0;
#   - regsvr32 /u takes the registration away again.
# Screenshots go to the scratch folder, and to BW_SCREENSHOTS when that is set.
#
# usage: ContextMenuTest.sh SOURCE_DIR WIN64_BUILD_DIR
#        ContextMenuTest.sh --inside OUT BUILD      (under wine-run --command)
set -uo pipefail

if [[ ${1:-} == --inside ]]; then
  out=$2 build=$3
  failures=0
  check() { # check WHAT COMMAND...
    local what=$1
    shift
    if ! "$@"; then
      echo "FAIL: $what" >&2
      failures=$((failures + 1))
    fi
  }
  # No pipe from a Wine program: the desktop process it may start keeps the pipe open.
  run() { # run NAME PROGRAM ARGS...: output in $out/NAME.txt without carriage returns
    local name=$1
    shift
    "$WINE" "$@" >"$out/$name.raw" 2>"$out/$name.err"
    local status=$?
    tr -d '\r' <"$out/$name.raw" >"$out/$name.txt"
    return $status
  }
  host() { run "$1" "$build/tests/wine/shell/bw_shell_host.exe" "$@"; }
  driver() { run driver "$build/tests/wine/tray/bw_base_driver.exe" "$@"; }
  not() { ! "$@"; }
  same() { # same NAME: $out/NAME.txt is the expected text on standard input
    if ! diff -u - "$out/$1.txt" >&2; then return 1; fi
  }
  shot() { import -window root ${2:+-crop "$2"} "$out/$1.png" 2>/dev/null || echo "no screenshot of $1" >&2; }

  close_programs=no
  strings -el "$build/tray/win32/Blankwright Base.exe" | grep -qx 'Close All Programs' && close_programs=yes
  program_dir="$WINEPREFIX/drive_c/Program Files/Blankwright"
  mkdir -p "$program_dir"
  cp "$build/shell/contextmenu/THBWshell.dll" "$build/shell/unload/Unload.dll" \
    "$build/tray/win32/Blankwright Base.exe" "$program_dir/"
  cp "$build/tests/wine/shell/bw_shell_standin.exe" "$program_dir/Blankwright Drive Viewer.exe"
  clsid='{6F1D2A90-3C4B-11D2-9E5A-5B7C3D1E2F40}'

  # -- registration ----------------------------------------------------------------------------
  "$WINE" regsvr32 /s 'C:\Program Files\Blankwright\THBWshell.dll'
  check "regsvr32 succeeds" [ $? -eq 0 ]
  run query reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /s
  check "InprocServer32 with ThreadingModel Apartment" grep -q 'ThreadingModel.*Apartment' "$out/query.txt"
  check "InprocServer32 names the DLL" grep -qi 'Blankwright\\THBWshell.dll' "$out/query.txt"
  for type in '*' Directory Drive; do
    run query reg query "HKCR\\$type\\shellex\\ContextMenuHandlers\\Blankwright"
    check "handler for $type" grep -q "$clsid" "$out/query.txt"
  done

  # -- the menu ------------------------------------------------------------------------------
  menu() { # menu DRIVE-TEXT ZAP DRIVE: the whole menu when the submenu was added
    printf '%s\n' 'initialize 0x00000000' 'ids used 4' '0 separator' \
      '1 "Blankwright" id=-1 enabled submenu' "  sub 0 \"ZAP Selected File(s)\" id=100 $2" \
      '  sub 1 separator' "  sub 2 \"Clean Drive $1\" id=101 $3" \
      "  sub 3 \"Scan $1 for Deleted Data\" id=102 $3" '  sub 4 separator' \
      '  sub 5 "Configuration" id=103 enabled' '2 separator' '3 "&Open" id=1 enabled'
  }
  nothing() { printf '%s\n' 'initialize 0x00000000' 'ids used 0' '0 "&Open" id=1 enabled'; }
  host menu 0 'W:\docs\report.txt' 'X:\setup.txt'
  menu W: enabled enabled | same menu || check "a file on a fixed drive (first path only)" false
  host menu 0 'y:\a.txt'
  menu Y: enabled enabled | same menu || check "a file on a removable drive" false
  host menu 0 'X:\setup'
  menu n/a grey grey | same menu || check "a folder on a CD-ROM" false
  host menu 0 'N:\shared.txt'
  menu n/a enabled grey | same menu || check "a file on a network drive" false
  host menu 4 '\\server\share\file.txt'
  menu n/a enabled grey | same menu || check "a network path, explore request" false
  host menu 0 'W:\Start Menu'
  nothing | same menu || check "the Start Menu folder adds nothing" false
  host menu 1 'W:\docs\report.txt'
  nothing | same menu || check "a default-only request adds nothing" false

  # -- help texts, lifetime, refusals ----------------------------------------------------------
  host help
  printf '%s\n' 'help 0 A=0x00000000 "ZAP sel" next=# W=0x00000000 "ZAP selected file(s)"' \
    'help 1 A=0x00000000 "Clean t" next=# W=0x00000000 "Clean the selected drive"' \
    'help 2 A=0x00000000 "Scan se" next=# W=0x00000000 "Scan selected drive for deleted data"' \
    'help 3 A=0x00000000 "Blankwr" next=# W=0x00000000 "Blankwright configuration settings"' \
    'help 4 A=0x80070057 "" next=# W=0x80070057 ""' | same help ||
    check "help texts cut to the buffer and terminated, nothing past it" false
  host lifetime 'W:\docs\report.txt'
  printf '%s\n' 'while alive 0x00000001' 'data object held 2' 'after release 0x00000000' \
    'data object held after release 1' | same lifetime ||
    check "DllCanUnloadNow S_FALSE while an object lives, S_OK after" false
  host verb 'W:\docs\report.txt'
  check "a verb by name is refused" grep -qx 'invoke 0x80070057' "$out/verb.txt"
  host invoke 4 'W:\docs\report.txt'
  check "offset 4 is refused" grep -qx 'invoke 0x80070057' "$out/invoke.txt"

  # -- the commands' words, at a stand-in main window ----------------------------------------
  "$WINE" "$build/tests/wine/shell/bw_shell_standin.exe" "$out/standin.log" AfxFrameOrView42s \
    Blankwright >/dev/null 2>&1 &
  check "the stand-in window is there" driver wait-window Blankwright AfxFrameOrView42s 30
  # A stale selection the tray program never read must not join the zap.
  "$WINE" reg add 'HKLM\software\Tarnhollow\Blankwright\Selections' /v 'c:\stale.txt' \
    /t REG_BINARY /d 00 /f >/dev/null 2>&1
  host invoke 0 'W:\docs\report.txt' 'W:\docs\Second File.TXT' 'W:\docs'
  host invoke 1 'W:\docs\report.txt'
  host invoke 2 'y:\a.txt'
  host invoke 3 '\\server\share\file.txt'
  host invoke 1 'X:\setup'
  check "clean on a CD-ROM is refused" grep -qx 'invoke 0x80070057' "$out/invoke.txt"
  run unload64 "$build/tests/wine/shell/bw_unload_caller.exe" 'C:\Program Files\Blankwright\Unload.dll'
  check "the stand-in is gone after the unload hook" driver wait-gone Blankwright 30
  check "SHUTDOWNGLIMMERFEN returns 0 without a viewer" \
    grep -qx 'SHUTDOWNGLIMMERFEN returned 0 (64-bit caller)' "$out/unload64.txt"
  # Wine enumerates values sorted by name.
  grep -v '^args' "$out/standin.log" | tr -d '\r' >"$out/words.txt"
  printf '%s\n' 'word 0x00000001 cb=0 ptr=null' 'selection W:\docs 3 1 0' \
    'selection W:\docs\report.txt 3 1 0' 'selection W:\docs\Second File.TXT 3 1 0' \
    'word 0x00570002 cb=0 ptr=null' 'word 0x00790003 cb=0 ptr=null' \
    'word 0x00000004 cb=0 ptr=null' 'word 0x00000064 cb=0 ptr=null' 'closed' | same words ||
    check "the words and the Selections the stand-in received" false

  # -- no tray program ------------------------------------------------------------------------
  "$WINE" "$build/tests/wine/shell/bw_shell_host.exe" invoke 3 'W:\docs\report.txt' \
    >"$out/alone.raw" 2>&1 &
  alone=$!
  check "no tray program: a message" driver wait-window Error 30
  shot could-not-locate
  "$WINE" "$build/tests/wine/tray/bw_base_driver.exe" close Error >/dev/null 2>&1
  wait $alone
  check "no tray program: handled" grep -q 'invoke 0x00000000' "$out/alone.raw"

  # -- the real tray program, started through UFilePath ----------------------------------------
  "$WINE" reg add 'HKLM\software\Tarnhollow\Blankwright\Settings' /v UFilePath /t REG_SZ \
    /d 'C:\Program Files\Blankwright' /f >/dev/null 2>&1
  host invoke 2 'W:\docs\report.txt'
  check "scan through a started tray program: handled" grep -qx 'invoke 0x00000000' "$out/invoke.txt"
  check "the tray program was started" driver wait-window Blankwright AfxFrameOrView42s 30
  check "the tray program started the viewer" driver wait-window 'Blankwright Drive Viewer' 30
  sleep 1
  shot viewer-started
  viewer_log="$program_dir/viewer.log"
  check "the viewer got drive W" grep -Eq '^args .*Blankwright Drive Viewer\.exe"? W' "$viewer_log"

  # Code 2 asks for the Close All Programs confirmation, where the tray program has it.
  if [[ $close_programs == yes ]]; then
    host invoke 1 'w:\docs\report.txt'
    check "clean through the tray program: handled" grep -qx 'invoke 0x00000000' "$out/invoke.txt"
    check "code 2 opens Close All Programs" driver wait-window 'Close All Programs' 30
    sleep 1
    shot close-all-programs
    host texts 'Close All Programs'
    check "Close All Programs names drive w:" grep -qix 'w:' "$out/texts.txt"
    "$WINE" "$build/tests/wine/tray/bw_base_driver.exe" close 'Close All Programs' >/dev/null 2>&1
    check "Close All Programs is cancelled" driver wait-gone 'Close All Programs' 30
  else
    echo "note: this tray program has no Close All Programs dialog yet: code 2 checked at the stand-in only"
  fi

  run unload64 "$build/tests/wine/shell/bw_unload_caller.exe" 'C:\Program Files\Blankwright\Unload.dll'
  check "SHUTDOWNGLIMMERFEN returns 0 after closing the viewer" \
    grep -qx 'SHUTDOWNGLIMMERFEN returned 0 (64-bit caller)' "$out/unload64.txt"
  check "the tray program ended" driver wait-gone Blankwright 30
  check "the viewer closed" driver wait-gone 'Blankwright Drive Viewer' 30
  tr -d '\r' <"$viewer_log" >"$out/viewer.log"
  check "the viewer was asked to close" grep -qx closed "$out/viewer.log"

  # -- the menu on screen -------------------------------------------------------------------------
  "$WINE" "$build/tests/wine/shell/bw_shell_host.exe" show 5 'W:\docs\report.txt' \
    >"$out/show.raw" 2>&1 &
  shown=$!
  sleep 3.5
  shot context-menu 640x360+180+130
  wait $shown
  "$WINE" "$build/tests/wine/shell/bw_shell_host.exe" show 5 '\\server\share\file.txt' \
    >"$out/show.raw" 2>&1 &
  shown=$!
  sleep 3.5
  shot context-menu-network 640x360+180+130
  wait $shown

  # -- removal ------------------------------------------------------------------------------
  "$WINE" regsvr32 /u /s 'C:\Program Files\Blankwright\THBWshell.dll'
  check "regsvr32 /u succeeds" [ $? -eq 0 ]
  check "the class is gone" not run query reg query "HKCR\\CLSID\\$clsid"
  check "the handler is gone" not run query reg query 'HKCR\*\shellex\ContextMenuHandlers\Blankwright'
  host menu 0 'W:\docs\report.txt'
  check "COM finds no class any more" grep -q 'CoCreateInstance failed 0x80040154' "$out/menu.txt"
  exit $((failures != 0))
fi

# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
for file in shell/contextmenu/THBWshell.dll shell/unload/Unload.dll "tray/win32/Blankwright Base.exe" \
  tests/wine/shell/bw_shell_host.exe tests/wine/tray/bw_base_driver.exe; do
  [[ -f $win_build/$file ]] || skip "$file not built (cmake --build --preset win64)"
done
command -v import >/dev/null || skip "imagemagick's import is missing (scripts/setup)"
mkdir -p "$scratch/fixed/docs" "$scratch/floppy" "$scratch/cdrom" "$scratch/network" "$scratch/shots"
echo report >"$scratch/fixed/docs/report.txt"
echo second >"$scratch/fixed/docs/Second File.TXT"
echo a >"$scratch/floppy/a.txt"
mkdir -p "$scratch/cdrom/setup"
run_wine --timeout 400 --drive w="$scratch/fixed" --drive y="$scratch/floppy" --type y=floppy \
  --drive x="$scratch/cdrom" --type x=cdrom --drive n="$scratch/network" --type n=network \
  --command -- bash "$0" --inside "$scratch/shots" "$win_build" || fail "the scenario failed"
for shot in could-not-locate viewer-started context-menu context-menu-network; do
  [[ -s $scratch/shots/$shot.png ]] || fail "no screenshot of $shot"
done
if [[ -n ${BW_SCREENSHOTS:-} ]]; then
  mkdir -p "$BW_SCREENSHOTS" && cp "$scratch/shots/"*.png "$BW_SCREENSHOTS/"
fi

# A 32-bit removal program loads the 32-bit Unload.dll; running one needs wine32.
if [[ -x /usr/lib/wine/wine || -d /usr/lib/i386-linux-gnu/wine ]]; then
  echo "note: the 32-bit caller is wine.shell.unload32"
else
  echo "note: wine32 is not installed: SHUTDOWNGLIMMERFEN was called from a 64-bit caller only"
fi
echo "all checks passed"
