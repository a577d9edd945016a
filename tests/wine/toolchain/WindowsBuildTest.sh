#!/usr/bin/env bash
# Checks of the Windows builds themselves, read from the built files with objdump:
# - a .def file names a DLL's exports undecorated, and the DLL has no "lib" prefix;
# - the resource-id headers went through windres (the check DLL carries a resource section).
# The win64 build is required; the win32 build is checked too when it has been built.
#
# usage: WindowsBuildTest.sh SOURCE_DIR WIN64_BUILD_DIR WIN32_BUILD_DIR
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
win32_build=$1

check_build() { # BUILD_DIR OBJDUMP
  local build=$1 objdump=$2
  command -v "$objdump" >/dev/null || fail "$objdump is not installed"
  local dll=$build/tests/wine/toolchain/bw_def_export.dll
  [[ -f $dll ]] || fail "$dll not built (a .def DLL must not be named lib...)"
  local exports sections
  exports=$("$objdump" -p "$dll")
  grep -Eq '^[[:space:]]*\[ *[0-9]+\] BwDefExport$' <<<"$exports" ||
    fail "$dll does not export BwDefExport undecorated: $(grep BwDef <<<"$exports")"
  sections=$("$objdump" -h "$dll")
  grep -qw '\.rsrc' <<<"$sections" || fail "$dll has no resources"
}

[[ -d $win_build/cli ]] || skip "$win_build not built (cmake --preset win64 && cmake --build --preset win64)"
check_build "$win_build" x86_64-w64-mingw32-objdump
if [[ -d $win32_build/cli ]]; then
  check_build "$win32_build" i686-w64-mingw32-objdump
else
  echo "$win32_build not built: only the x86_64 build was checked"
fi
echo PASSED
