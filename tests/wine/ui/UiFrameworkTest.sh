#!/usr/bin/env bash
# The window framework's test program under Wine, with an X server: real dialogs and controls.
#
# usage: UiFrameworkTest.sh SOURCE_DIR WIN64_BUILD_DIR
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"

exe=$win_build/tests/wine/ui/bw_wine_ui_test.exe
[[ -f $exe ]] || skip "$exe not built (cmake --preset win64 && cmake --build --preset win64)"

status=0
output=$(run_wine -- "$exe" 2>&1) || status=$?
echo "$output" | tr -d '\r'

# A program that never ran can exit 0 under Wine: every test must have run and passed.
((status == 0)) || fail "the test program exited with $status"
grep -q '^\[  PASSED  \] 9 tests' <<<"$output" || fail "not all nine tests passed"
! grep -q 'SKIPPED\|FAILED' <<<"$output" || fail "tests were skipped or failed"
