#!/usr/bin/env bash
# The configuration sheet of Blankwright Base.exe under Wine, as a user meets it:
#   - the menu command opens "Blankwright Configuration" on the Cleaning Schedule page;
#   - Clean Selected Drives with no drive checked says so and leaves the sheet open;
#   - the schedule box enables the day boxes, a day's box its time; leaving the edits corrects
#     a minute of 70 to 45, an hour of 13 to 12 and "pm" to "AM"; the spins step the time;
#   - the General page shows the count, Advanced picks LEVEL 2 and the page then says
#     "3 overwrites"; Create says "Could not create shortcut." without the zap program and
#     makes the link with it;
#   - the General page's Verify after cleaning box, ticked, is stored by OK and shown ticked
#     when the sheet opens again;
#   - OK stores what the pages showed; a second start of the program opens the sheet of the
#     running copy, and Cancel there stores nothing;
#   - Clean Selected Drives with a drive marked closes the sheet and asks to close the programs
#     for that drive.
#
# usage: SheetTest.sh SOURCE_DIR WIN64_BUILD_DIR
#        SheetTest.sh --inside OUT PROGRAM_FOLDER DRIVER CLI     (under wine-run --command)
set -uo pipefail

if [[ ${1:-} == --inside ]]; then
  out=$2 folder=$3 driver=$4 cli=$5
  base=$folder/Blankwright\ Base.exe
  sheet="Blankwright Configuration"
  # shellcheck source=../Scenario.sh
  . "$(dirname "${BASH_SOURCE[0]}")/../Scenario.sh"
  is() { # is COMMAND TITLE ID EXPECTED
    drive "$1" "$2" "$3"
    [[ $(cat "$out/driver.txt") == "$4" ]] ||
      { echo "$1 of \"$2\" control $3: \"$(cat "$out/driver.txt")\", not \"$4\"" >&2 && return 1; }
  }
  cli() { "$WINE" "$cli" "$@" >"$out/cli.log" 2>&1 </dev/null; }
  key='HKLM\Software\Tarnhollow\Blankwright\Settings'
  exported() { # exported VALUE: the value's line in an export of the settings
    cli config export 'C:\bw-settings.reg'
    grep "^\"$1\"=" "$WINEPREFIX/drive_c/bw-settings.reg" | tr -d '\r'
  }

  # Twelve passes; C: listed but not checked, so no drive is selected.
  cli config set OverwriteCount 12 || { cat "$out/cli.log" >&2 && exit 3; }
  "$WINE" reg add "$key" /v DRVS /t REG_SZ /d C0-------- /f >/dev/null 2>&1 </dev/null

  "$WINE" "$base" &
  first=$!
  check "the main window is there" drive wait-window Blankwright AfxFrameOrView42s 60
  # A double click on the tray icon opens the sheet as the menu command does.
  check "the double click is taken" drive post 0x401 139 0x203
  check "the sheet opens" drive wait-window "$sheet" 30
  sleep 1
  shot "$sheet" sheet-schedule

  check "Clean Selected Drives is clicked" drive click "$sheet" 1069
  check "no checked drive is reported" drive wait-window "Selection Error" 30
  drive close "Selection Error"
  check "the sheet stays open" drive wait-window "$sheet" 1

  check "the day boxes are off while the schedule is" is enabled "$sheet" 1060 0
  check "the schedule box is clicked" drive press "$sheet" 1074
  sleep 1
  check "then the day boxes are on" is enabled "$sheet" 1060 1
  check "but Monday's time is off" is enabled "$sheet" 1061 0
  check "Monday's box is clicked" drive press "$sheet" 1060
  sleep 1
  check "then Monday's time is on" is enabled "$sheet" 1061 1
  for edit in "1007 70 45" "1061 13 12" "1010 pm AM"; do
    read -r id typed shown <<<"$edit"
    drive set-text "$sheet" "$id" "$typed" && drive leave "$sheet" "$id"
    sleep 0.5
    check "$typed typed into $id shows $shown after leaving it" is text "$sheet" "$id" "$shown"
  done
  # A second day: Wednesday at the spins' first values.
  check "Wednesday's box is clicked" drive press "$sheet" 1002
  sleep 0.5
  # The spins step the time: the hour up from 12 stays 12, down gives 11; the minute down from
  # 45 gives 30; either AM/PM arrow turns AM into PM.
  for step in "1033 up 1061 12" "1033 down 1061 11" "1040 down 1007 30" "1047 up 1010 PM"; do
    read -r spin arrow id shown <<<"$step"
    drive spin "$sheet" "$spin" "$arrow"
    sleep 0.5
    check "spin $spin $arrow shows $shown in $id" is text "$sheet" "$id" "$shown"
  done
  shot "$sheet" sheet-schedule-set

  check "the General page is shown" drive page "$sheet" 1
  sleep 1
  check "it shows the count" is text "$sheet" 1049 "12 overwrites"
  check "Verify after cleaning is off at first" is checked "$sheet" 1300 0
  check "Verify after cleaning is clicked" drive press "$sheet" 1300
  sleep 0.5
  check "then it is on" is checked "$sheet" 1300 1
  shot "$sheet" sheet-general
  check "Advanced is clicked" drive click "$sheet" 1178
  check "Advanced Overwrites opens" drive wait-window "Advanced Overwrites" 30
  check "LEVEL 4 is selected for 12" is checked "Advanced Overwrites" 1183 1
  shot "Advanced Overwrites" advanced-overwrites
  check "LEVEL 2 is chosen" drive press "Advanced Overwrites" 1009
  sleep 0.5
  check "OK is clicked" drive click "Advanced Overwrites" 1
  check "Advanced Overwrites closes" drive wait-gone "Advanced Overwrites" 30
  check "the page follows the count" is text "$sheet" 1049 "3 overwrites"

  check "Create is clicked without the zap program" drive click "$sheet" 1173
  check "it cannot make the shortcut" drive wait-window "Shortcut Error" 30
  drive close "Shortcut Error"
  : >"$folder/Blankwright File Zap.exe"
  check "Create is clicked with the zap program" drive click "$sheet" 1173
  check "it makes the shortcut" drive wait-window "Shortcut" 30
  drive close "Shortcut"
  link=$(ls "$WINEPREFIX"/drive_c/users/*/Desktop/"Blankwright File Zap.lnk" 2>/dev/null)
  check "the link is on the desktop" [ -n "$link" ]
  user=$(basename "$(dirname "$(dirname "$link")")")
  check "it points at a file that is there" \
    drive link-target "C:\\users\\$user\\Desktop\\Blankwright File Zap.lnk"
  # The short form of the zap program beside the tray program.
  check "the zap program, by its short path" grep -qiE '\\program\\BLAN~[^\\]*\.EXE$' \
    "$out/driver.txt"

  check "the Temp Files page is shown" drive page "$sheet" 2
  sleep 1
  shot "$sheet" sheet-temp-files
  check "OK is clicked" drive click "$sheet" 1
  check "the sheet closes" drive wait-gone "$sheet" 30
  check "the count is stored" [ "$(exported OW)" == '"OW"=hex:03' ]
  check "the schedule is stored" [ "$(exported CSCH)" == '"CSCH"=hex:01' ]
  check "Monday is stored" [ "$(exported MonChk)" == '"MonChk"=hex:01' ]
  check "Monday's hour is stored" [ "$(exported MonHR)" == '"MonHR"=hex:0b' ]
  check "Monday's minute is stored" [ "$(exported MonMin)" == '"MonMin"=hex:1e' ]
  check "Monday's PM is stored" [ "$(exported MonMarid)" == '"MonMarid"=hex:01' ]
  check "Wednesday is stored" [ "$(exported WedChk)" == '"WedChk"=hex:01' ]
  check "Verify after cleaning is stored" [ "$(exported VAC)" == '"VAC"=hex:01' ]

  # A second start hands over: the running copy opens its sheet; Cancel stores nothing.
  timeout 60 "$WINE" "$base"
  check "a second start ends at once" [ $? -eq 0 ]
  check "the running copy opens its sheet" drive wait-window "$sheet" 30
  check "the General page is shown again" drive page "$sheet" 1
  sleep 1
  check "it shows Verify after cleaning as stored" is checked "$sheet" 1300 1
  check "back to the schedule page" drive page "$sheet" 0
  sleep 0.5
  check "the schedule box is clicked off" drive press "$sheet" 1074
  sleep 0.5
  check "Cancel is clicked" drive click "$sheet" 2
  check "the sheet closes" drive wait-gone "$sheet" 30
  check "Cancel stored nothing" [ "$(exported CSCH)" == '"CSCH"=hex:01' ]
  check "one copy still runs" kill -0 "$first"

  # Clean Selected Drives with C: marked (a click on its line) closes the sheet as OK and asks
  # to close the programs before cleaning C:; that is cancelled here: C: is the Wine prefix.
  check "the sheet opens again" drive menu 32773
  check "it is there" drive wait-window "$sheet" 30
  check "C:'s line is clicked" drive release "$sheet" 1059
  sleep 0.5
  check "Clean Selected Drives is clicked" drive click "$sheet" 1069
  check "the sheet closes" drive wait-gone "$sheet" 30
  check "the confirmation names C:" drive wait-window "Close All Programs" 30
  check "it names C:" is text "Close All Programs" 1059 "C:"
  check "it is cancelled" drive click "Close All Programs" 2
  check "the confirmation closes" drive wait-gone "Close All Programs" 30
  check "C: is stored as marked" [ "$(exported DRVS)" == '"DRVS"="C1--------"' ]
  drive send 100
  timeout 30 tail --pid="$first" -f /dev/null
  exit $((failures != 0))
fi

# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
base="$win_build/tray/win32/Blankwright Base.exe"
driver=$win_build/tests/wine/tray/bw_base_driver.exe
cli=$win_build/cli/blankwright.exe
[[ -f $base && -f $driver && -f $cli ]] || skip "the win64 programs are not built"
command -v import >/dev/null || skip "imagemagick's import is missing (scripts/setup)"
mkdir -p "$scratch/program" "$scratch/shots"
cp "$base" "$scratch/program/"
run_wine --timeout 400 --command -- bash "$0" --inside "$scratch/shots" "$scratch/program" \
  "$driver" "$cli" || fail "the scenario failed"
for shot in sheet-schedule sheet-schedule-set sheet-general advanced-overwrites sheet-temp-files; do
  [[ -s $scratch/shots/$shot.png ]] || fail "no screenshot of $shot"
done
if [[ -n ${BW_SCREENSHOTS:-} ]]; then
  mkdir -p "$BW_SCREENSHOTS" && cp "$scratch/shots/"*.png "$BW_SCREENSHOTS/"
fi
echo "all checks passed"
