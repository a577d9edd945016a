#!/usr/bin/env bash
# Blankwright Base.exe under Wine, started and driven as a user and the other programs do:
#   - it carries the boot-time cleaner and its .pif as resources 175 and 172, byte for byte;
#   - it shows its splash picture and makes its hidden main window, found by class and title;
#   - a second start hands over to the running copy and ends, leaving one;
#   - the About box opens from the tray menu's command and closes;
#   - code 3 without the drive viewer beside it says "File not Found";
#   - code 100 ends it, and so does WM_CLOSE, without any box in the way.
# Screenshots of its windows go to the scratch folder, and to BW_SCREENSHOTS when that is set.
#
# usage: StartTest.sh SOURCE_DIR WIN64_BUILD_DIR
#        StartTest.sh --inside OUT BASE DRIVER SWPCLNR   (under wine-run --command)
set -uo pipefail

if [[ ${1:-} == --inside ]]; then
  out=$2 base=$3 driver=$4 swpclnr=$5
  # shellcheck source=../Scenario.sh
  . "$(dirname "${BASH_SOURCE[0]}")/../Scenario.sh"
  # Here a shot may be cut out of the whole screen: shot WINDOW CROP NAME.
  shot() { import -window "$1" ${2:+-crop "$2"} "$out/$3.png" 2>/dev/null || echo "no screenshot of $3" >&2; }

  # The boot-time cleaner travels inside the program byte for byte.
  check "swpclnr.exe is resource 175" drive bootfile "$base" 175 'C:\swpclnr.exe'
  check "byte for byte" cmp "$WINEPREFIX/drive_c/swpclnr.exe" "$swpclnr"
  check "the .pif is resource 172" drive bootfile "$base" 172 'C:\swpbtmgr.pif'
  check "byte for byte" cmp "$WINEPREFIX/drive_c/swpbtmgr.pif" "${swpclnr%/*}/swpbtmgr.pif"

  "$WINE" "$base" &
  first=$!
  check "the splash picture is shown" drive wait-window "" BlankwrightSplash 60
  shot root 320x160+480+432 splash
  check "the main window is there" drive wait-window Blankwright AfxFrameOrView42s 60

  timeout 60 "$WINE" "$base"
  check "a second start ends at once with status 0" [ $? -eq 0 ]
  check "the first copy still runs" kill -0 "$first"

  # A right click on the tray icon opens the owner-drawn menu at the cursor (the screen's
  # middle); cancelling the mode closes it.
  check "the tray icon's right click is taken" drive post 0x401 139 0x204
  sleep 2
  shot root 250x156+636+508 tray-menu
  check "the menu is closed" drive post 0x1F 0 0

  check "the About command is taken" drive menu 32771
  check "the About box opens" drive wait-window "About Blankwright" 30
  shot "About Blankwright" "" about
  check "the About box closes" drive close "About Blankwright"
  check "the About box is gone" drive wait-gone "About Blankwright" 30

  check "code 3 is taken" drive send 3 C
  check "a missing viewer is reported" drive wait-window "File not Found" 30
  shot "File not Found" "" file-not-found
  drive close "File not Found"

  check "code 100 is taken" drive send 100
  status=0
  timeout 30 tail --pid="$first" -f /dev/null || status=124
  check "code 100 ends the program" [ $status -eq 0 ]
  wait "$first"
  check "it ends with exit code 0" [ $? -eq 0 ]

  "$WINE" "$base" &
  second=$!
  check "a fresh start makes its window" drive wait-window Blankwright AfxFrameOrView42s 60
  drive close Blankwright
  timeout 30 tail --pid="$second" -f /dev/null
  check "WM_CLOSE ends it without a box" [ $? -eq 0 ]
  kill "$second" 2>/dev/null
  exit $((failures != 0))
fi

# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
base="$win_build/tray/win32/Blankwright Base.exe"
driver=$win_build/tests/wine/tray/bw_base_driver.exe
[[ -f $base && -f $driver ]] || skip "Base.exe or its driver not built (cmake --build --preset win64)"
command -v import >/dev/null || skip "imagemagick's import is missing (scripts/setup)"
# Base.exe alone in its folder: the drive viewer is not beside it.
mkdir -p "$scratch/program" "$scratch/shots"
cp "$base" "$scratch/program/"
run_wine --timeout 300 --command -- bash "$0" --inside "$scratch/shots" \
  "$scratch/program/Blankwright Base.exe" "$driver" "$win_build/boot/swpclnr.exe" || fail "the scenario failed"
for shot in splash tray-menu about file-not-found; do
  [[ -s $scratch/shots/$shot.png ]] || fail "no screenshot of $shot"
done
if [[ -n ${BW_SCREENSHOTS:-} ]]; then
  mkdir -p "$BW_SCREENSHOTS" && cp "$scratch/shots/"*.png "$BW_SCREENSHOTS/"
fi
echo "all checks passed"
