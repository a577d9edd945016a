#!/usr/bin/env bash
# Checks of the Windows builds themselves, read from the built files with objdump:
# - no program or DLL imports a call that older Windows versions lack (the loader would refuse
#   to start it there); those are looked up at run time;
# - a .def file names a DLL's exports undecorated, and the DLL has no "lib" prefix;
# - the resource-id headers went through windres (the check DLL carries a resource section).
# The win64 build is required; the win32 build is checked too when it has been built.
#
# usage: WindowsBuildTest.sh SOURCE_DIR WIN64_BUILD_DIR WIN32_BUILD_DIR
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"
win32_build=$1

# Looked up at run time by the win32 platform: imported, they keep the programs off the 9x
# family, NT 4 and 2000.
late_bound='SystemTimeToTzSpecificLocalTime|TzSpecificLocalTimeToSystemTime'

check_build() { # BUILD_DIR OBJDUMP
  local build=$1 objdump=$2 file imports checked=0
  command -v "$objdump" >/dev/null || fail "$objdump is not installed"
  # Every Windows program and DLL; boot/ holds the MS-DOS swap-file cleaner, which is none.
  while IFS= read -r -d '' file; do
    imports=$("$objdump" -p "$file") || fail "$objdump cannot read $file"
    if grep -Eqw "$late_bound" <<<"$imports"; then
      fail "$file imports $(grep -Eow "$late_bound" <<<"$imports" | sort -u | tr '\n' ' ')"
    fi
    checked=$((checked + 1))
  done < <(find "$build" \( -path "$build/CMakeFiles" -o -path "$build/boot" \) -prune -o \
    \( -name '*.exe' -o -name '*.dll' \) -type f -print0)
  echo "$build: $checked programs and DLLs free of $late_bound"

  # The check is only worth something if objdump shows imports at all.
  local cli=$build/cli/blankwright.exe
  [[ -f $cli ]] || fail "$cli not built"
  imports=$("$objdump" -p "$cli")
  grep -qw GetDiskFreeSpaceA <<<"$imports" || fail "no import table read from $cli"

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
