#!/usr/bin/env bash
# Scans drive LETTER with `blankwright scan --list` and shows three of its hits (first, middle,
# last) in both display modes:   scan-and-show.sh LETTER OUT
# OUT receives scan (standard output), scan.err, scan.status, show.N, hex.N and show-errors.
set -u
letter=$1
out=$2
"$BW_CLI" scan "$letter:" --list >"$out/scan" 2>"$out/scan.err"
echo $? >"$out/scan.status"
# No process substitution: the guest may have no /dev/fd.
hits=($(grep -E '^[0-9]+$' "$out/scan"))
count=${#hits[@]}
[ "$count" -gt 0 ] || exit 0
for n in "${hits[0]}" "${hits[count / 2]}" "${hits[count - 1]}"; do
  "$BW_CLI" scan "$letter:" --show "$n" >"$out/show.$n" 2>>"$out/show-errors"
  "$BW_CLI" scan "$letter:" --show "$n" --hex >"$out/hex.$n" 2>>"$out/show-errors"
done
