#!/usr/bin/env bash
# SHUTDOWNGLIMMERFEN called by a 32-bit program, as a 32-bit setup or removal program calls it:
# the 32-bit Unload.dll ends the running (64-bit) tray program and returns 0.
#
# usage: Unload32Test.sh SOURCE_DIR WIN64_BUILD_DIR WIN32_BUILD_DIR
#        Unload32Test.sh --inside OUT BASE DRIVER CALLER UNLOAD_DLL   (under wine-run --command)
set -uo pipefail

if [[ ${1:-} == --inside ]]; then
  out=$2 base=$3 driver=$4 caller=$5 unload=$6
  # shellcheck source=../Scenario.sh
  . "$(dirname "${BASH_SOURCE[0]}")/../Scenario.sh"
  mkdir -p "$WINEPREFIX/drive_c/Blankwright"
  cp "$base" "$unload" "$WINEPREFIX/drive_c/Blankwright/" || exit 3
  "$WINE" 'C:\Blankwright\Blankwright Base.exe' &
  first=$!
  check "the tray program runs" drive wait-window Blankwright AfxFrameOrView42s 60
  "$WINE" "$caller" 'C:\Blankwright\Unload.dll' >"$out/caller.log" 2>&1 </dev/null
  check "the 32-bit caller ends with 0" [ $? -eq 0 ]
  check "it was the 32-bit caller, and the hook returned 0" \
    grep -q 'SHUTDOWNGLIMMERFEN returned 0 (32-bit caller)' "$out/caller.log"
  timeout 30 tail --pid="$first" -f /dev/null
  check "the tray program has ended" [ $? -eq 0 ]
  exit $((failures != 0))
fi

# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
win32_build=${1:-}
base="$win_build/tray/win32/Blankwright Base.exe"
driver=$win_build/tests/wine/tray/bw_base_driver.exe
caller=$win32_build/tests/wine/shell/bw_unload_caller.exe
unload=$win32_build/shell/unload/Unload.dll
[[ -f $base && -f $driver && -f $caller && -f $unload ]] ||
  skip "the win64 and win32 builds are not there"
# scripts/setup leaves wine32 out: with it, Debian's wine and its tools turn to the 32-bit
# loader, which the User-Mode Linux guests of the FAT tests cannot run.
[[ -d /usr/lib/i386-linux-gnu/wine || -x /usr/lib/wine/wine ]] ||
  skip "wine32 is not installed (dpkg --add-architecture i386; apt-get install wine32)"
mkdir -p "$scratch/out"
run_wine --timeout 200 --command -- bash "$0" --inside "$scratch/out" "$base" "$driver" "$caller" \
  "$unload" || fail "the scenario failed"
echo "all checks passed"
