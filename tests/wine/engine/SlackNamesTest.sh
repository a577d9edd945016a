#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR/../../rig
# Slack-space and deleted-name cleaning by the Windows build: `blankwright.exe clean Y:` under
# wine64 on a FAT16 volume, with BWSingle.exe making the one-entry fillers. Wine runs inside
# the User-Mode Linux guest of the rig, on the kernel's vfat driver, because FUSE's fusefat
# gives every new name a long-name entry and so can never make a name of one entry. The
# volume is populated as in tests/rig/SlackNamesTest.sh, and the same oracles hold:
#   - `fls -r -d` lists no deleted entry whose name is not a filler name (".~BW");
#   - the slack of every qualifying live file is all 0x00, files that do not qualify are
#     unchanged, every live file keeps its checksum, size and times and its attribute bits;
#   - `fsck.fat -n` is clean and no filler or wipe file remains.
# Wine reads attributes from the Unix mode and its own extended attribute, not from the FAT
# attribute byte: on vfat it sees the read-only bit but not the system bit, so the system file
# counts as an ordinary one here.
#
# usage: SlackNamesTest.sh SOURCE_DIR WIN64_BUILD_DIR
#        SlackNamesTest.sh --clean OUT PREFIX EXE   (inside the guest)
set -uo pipefail

# ---------------------------------------------------------------------------------------------
# In the guest: the drive letters of the prefix point at the mount and the device, and a Wine
# server of its own (its socket on a tmpfs of the guest) serves the one run.
# ---------------------------------------------------------------------------------------------
if [ "${1:-}" = --clean ]; then
  out=$2 prefix=$3 exe=$4
  export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
  ln -sfn "$BW_UML_MOUNT" "$WINEPREFIX/dosdevices/y:" &&
    ln -sfn "$BW_UML_DEVICE" "$WINEPREFIX/dosdevices/y::" || exit 3
  mkdir -p "/tmp/.wine-$(id -u)" && mount -t tmpfs tmpfs "/tmp/.wine-$(id -u)" || exit 3
  wineserver -p || exit 3
  timeout 400 wine "$exe" clean Y: --yes >"$out/clean.out" 2>&1
  echo $? >"$out/clean.status"
  wineserver -k
  find "$BW_UML_MOUNT" -iname '*.~bw' -o -iname 'BlankwrightTMP*' >"$out/left"
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../rig" && pwd)
  . "$here/lib/slacknames.sh"
  list_attributes "$BW_UML_MOUNT" >"$out/attributes-after" || exit 3
  exit 0
fi

# ---------------------------------------------------------------------------------------------
# On the host.
# ---------------------------------------------------------------------------------------------
source_dir=$1
win_build=$2
exe=$win_build/cli/blankwright.exe
rig=$source_dir/tests/rig
if [ ! -f "$exe" ] || [ ! -f "$win_build/cli/BWSingle.exe" ]; then
  echo "SKIPPED: $exe or BWSingle.exe not built (cmake --preset win64 && cmake --build --preset win64)"
  exit 77
fi
. "$rig/lib/common.sh"
. "$rig/lib/images.sh"
. "$rig/lib/slacknames.sh"
rig_need mkfs.fat fsck.fat fsstat fls icat perl wine

BW_UML_RUNNER=$source_dir/scripts/uml-run
RIG_TMP=$(mktemp -d /tmp/bw-wine-names.XXXXXX) || exit 2
prefix=
# BW_KEEP=1 keeps the scratch folder and the prefix, to look at after a failure.
# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
  [ -n "${BW_KEEP:-}" ] && echo "kept: $RIG_TMP $prefix" >&2 && return
  [ -n "$prefix" ] && rm -rf -- "$(dirname "$prefix")"
  rm -rf -- "$RIG_TMP"
}
trap cleanup EXIT

kind="fat16-4k-clusters"
image=$RIG_TMP/$kind.img
out=$RIG_TMP/out
mkdir -p "$out"
echo "== $kind under Wine"
if ! { make_image "$kind" "$image" && fill_junk "$image"; }; then
  echo "FAIL: the image cannot be made" >&2
  exit 1
fi
uml_run "$image" -- bash "$rig/SlackNamesTest.sh" --populate "$out" || {
  echo "FAIL: populating in the guest failed" >&2
  exit 1
}
fsck_clean "$image" || fail "fsck.fat -n is not clean after the vfat driver"
snapshot "$image" "$out/before"
check_population "$kind" "$out"

# A prefix of the runner's, kept for the guest, with the settings written on the host (where
# Wine starts in a second, not a minute).
log=$RIG_TMP/wine-run.log
# shellcheck disable=SC2016 # expanded by the inner shell, where wine-run sets WINE
"$source_dir/scripts/wine-run" --keep --no-display --command -- bash -c \
  '$WINE "$0" config set CleanFileNames 1 && $WINE "$0" config set SlackMode 1 &&
   $WINE "$0" config set OverwriteCount 1 && $WINESERVER -w' "$exe" >"$log" 2>&1
status=$?
prefix=$(sed -n 's/^wine-run: prefix kept at //p' "$log")
if [ $status -ne 0 ] || [ ! -d "$prefix" ]; then
  echo "FAIL: the Wine prefix cannot be made:" >&2
  cat "$log" >&2
  exit 1
fi

# The first start of Wine in a fresh guest takes most of a minute.
"$BW_UML_RUNNER" -q -t 500 -m 1G "$image" -- bash "$0" --clean "$out" "$prefix" "$exe" || {
  echo "FAIL: the cleaning boot failed" >&2
  exit 1
}
check_eq "clean exit status" 0 "$(cat "$out/clean.status")" || cat "$out/clean.out" >&2
grep -q 'Cleaning folder and file names on Drive Y:' "$out/clean.out" ||
  fail "the names phase did not run: $(tr -d '\r' <"$out/clean.out")"
[ -s "$out/left" ] && fail "files left on the volume: $(tr '\n' ' ' <"$out/left")"
fsck_clean "$image" || fail "fsck.fat -n is not clean after cleaning"
snapshot "$image" "$out/after"
check_names "$kind" "$out"
check_slack "$kind" "$out" "$(fsstat "$image" | sed -n 's/^Cluster Size: //p')"
diff -u "$out/attributes-before" "$out/attributes-after" >&2 || fail "attributes changed"
rig_finish
