#!/usr/bin/env bash
# The Win32 platform's own test program under Wine, with a raw drive to read: a sparse image
# of a little over 5 GiB mapped as the removable drive Y:, with markers in sectors on both sides
# of the 4 GiB line and at the very end, where the 32-bit part of an offset alone would land
# somewhere else.
#
# usage: PlatformTest.sh SOURCE_DIR WIN64_BUILD_DIR
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"

exe=$win_build/tests/wine/platform/bw_wine_platform_test.exe
[[ -f $exe ]] || skip "$exe not built (cmake --preset win64 && cmake --build --preset win64)"

sectors=$((5 * 1024 * 1024 * 2 + 2048)) # 5 GiB + 1 MiB in 512-byte sectors
markers=(0 1 8388607 8388608 8388609 $((sectors - 1)))
image=$scratch/raw.img
truncate -s $((sectors * 512)) "$image"
for m in "${markers[@]}"; do
  printf 'BLANKWRIGHT MARKER %s' "$m" | dd of="$image" bs=512 seek="$m" conv=notrunc status=none
done
mkdir "$scratch/root"

status=0
output=$(BW_TEST_RAW_DRIVE=Y BW_TEST_RAW_SECTORS=$sectors \
  BW_TEST_RAW_MARKERS=$(IFS=,; echo "${markers[*]}") \
  run_wine --drive "y=$scratch/root" --raw "y=$image" --type y=floppy -- \
  "$exe" 2>&1) || status=$?
echo "$output" | tr -d '\r'

check_test_program "$status" "$output"
grep -q '^\[       OK \] RawDriveTest.ReadsAcrossTheFourGiBLine' <<<"$output" ||
  fail "the raw-drive tests did not run"
