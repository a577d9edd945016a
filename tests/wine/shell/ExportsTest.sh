#!/usr/bin/env bash
# The two Explorer DLLs of both Windows builds export exactly their names, undecorated, and
# nothing else: THBWshell.dll the class object, the unload answer and the regsvr32 pair;
# Unload.dll SHUTDOWNGLIMMERFEN alone. Read with objdump; the win32 build is checked when built.
#
# usage: ExportsTest.sh SOURCE_DIR WIN64_BUILD_DIR WIN32_BUILD_DIR
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
win32_build=$1

exports() { # exports OBJDUMP DLL: the export names, one a line, sorted
  "$1" -p "$2" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort
}

check_build() { # BUILD_DIR OBJDUMP
  local build=$1 objdump=$2 dll
  command -v "$objdump" >/dev/null || fail "$objdump is not installed"
  dll=$build/shell/contextmenu/THBWshell.dll
  [[ -f $dll ]] || fail "$dll not built"
  [[ $(exports "$objdump" "$dll" | tr '\n' ' ') == \
    'DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer ' ]] ||
    fail "$dll exports: $(exports "$objdump" "$dll" | tr '\n' ' ')"
  dll=$build/shell/unload/Unload.dll
  [[ -f $dll ]] || fail "$dll not built"
  [[ $(exports "$objdump" "$dll" | tr '\n' ' ') == 'SHUTDOWNGLIMMERFEN ' ]] ||
    fail "$dll exports: $(exports "$objdump" "$dll" | tr '\n' ' ')"
  echo "$build: both DLLs export exactly their names"
}

[[ -f $win_build/shell/unload/Unload.dll ]] || skip "$win_build not built (cmake --build --preset win64)"
check_build "$win_build" x86_64-w64-mingw32-objdump
if [[ -f $win32_build/shell/unload/Unload.dll ]]; then
  check_build "$win32_build" i686-w64-mingw32-objdump
else
  echo "$win32_build not built: only the x86_64 build was checked"
fi
echo PASSED
