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

check_test_program "$status" "$output" 9
