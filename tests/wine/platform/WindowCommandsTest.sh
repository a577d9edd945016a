#!/usr/bin/env bash
# The window-command service under Wine: the test program starts a second copy of itself as the
# receiving window and talks to it across the process boundary.
#
# usage: WindowCommandsTest.sh SOURCE_DIR WIN64_BUILD_DIR
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"

exe=$win_build/tests/wine/platform/bw_wine_window_test.exe
[[ -f $exe ]] || skip "$exe not built (cmake --preset win64 && cmake --build --preset win64)"

status=0
output=$(run_wine -- "$exe" 2>&1) || status=$?
echo "$output" | tr -d '\r'

check_test_program "$status" "$output" 3
