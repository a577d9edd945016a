#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# Slack-space and deleted-name cleaning on real FAT volumes. Each image is made by mkfs.fat with
# its data area full of junk, filled by the Linux kernel's vfat driver inside User-Mode Linux
# (nested folders, long and short names, files with odd attributes, and deletions that leave
# runs of 1 to 8 deleted entries in the root and in folders, single runs beside longer ones),
# then cleaned by `blankwright clean` in a second boot, with CleanFileNames on, STANDARD slack
# mode and one pass; bwsingle makes the one-entry fillers. Then, on the host:
#   - `fls -r -d` lists no deleted entry whose name is not a filler name (".~BW"), in the root
#     and in every folder, where it listed many before;
#   - the slack of every qualifying live file (`icat -s` past the file's size) is all 0x00,
#     and some of it was not before;
#   - files that do not qualify (system, whole clusters) are unchanged to the last byte of
#     their last cluster;
#   - every live file keeps its checksum, size and times, and its attribute bits as the driver
#     reports them;
#   - `fsck.fat -n` is clean and no filler or wipe file remains.
#
# usage: SlackNamesTest.sh fat12|fat16|fat32
#        SlackNamesTest.sh --populate OUT      (inside the guest, run by scripts/uml-run)
#        SlackNamesTest.sh --clean OUT         (inside the guest)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/common.sh"
. "$here/lib/images.sh"
. "$here/lib/populate.sh"
. "$here/lib/slacknames.sh"

# ---------------------------------------------------------------------------------------------
# In the guest.
# ---------------------------------------------------------------------------------------------
clean() {
  local out=$1
  map_drive Y "$BW_UML_MOUNT" "$BW_UML_DEVICE" >/dev/null || exit 3
  bw clean Y: --yes >"$out/clean.out" 2>&1
  echo $? >"$out/clean.status"
  find "$BW_UML_MOUNT" -iname '*.~bw' -o -iname 'BlankwrightTMP*' >"$out/left"
  list_attributes "$BW_UML_MOUNT" >"$out/attributes-after" || exit 3
  exit 0
}

case ${1:-} in
--populate) populate_for_cleaning "$BW_UML_MOUNT" "$2" || exit 3; exit 0 ;;
--clean) clean "$2" ;;
esac

# ---------------------------------------------------------------------------------------------
# On the host.
# ---------------------------------------------------------------------------------------------
rig_need mkfs.fat fsck.fat fsstat fls icat perl
rig_init
[ -x "$(dirname "$BW_CLI")/bwsingle" ] || {
  echo "rig: no bwsingle beside $BW_CLI" >&2
  exit 2
}

case ${1:-} in
fat12) kinds=(fat12-floppy fat12-2k-clusters) ;;
fat16) kinds=(fat16-1k-clusters fat16-4k-clusters) ;;
fat32) kinds=(fat32-512-clusters fat32-2k-clusters) ;;
*)
  echo "usage: SlackNamesTest.sh fat12|fat16|fat32" >&2
  exit 2
  ;;
esac

check_image() {
  local kind=$1 image=$RIG_TMP/$1.img out=$RIG_TMP/$1.out
  echo "== $kind"
  mkdir -p "$out"
  if ! { make_image "$kind" "$image" && fill_junk "$image"; }; then
    fail "$kind: the image cannot be made"
    return
  fi
  uml_run "$image" -- bash "$here/SlackNamesTest.sh" --populate "$out" || {
    fail "$kind: populating in the guest failed"
    return
  }
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after the vfat driver"
  snapshot "$image" "$out/before"
  check_population "$kind" "$out"

  if ! { bw config set CleanFileNames 1 && bw config set SlackMode 1 &&
    bw config set OverwriteCount 1; } >/dev/null; then
    fail "$kind: blankwright config failed"
    return
  fi
  uml_run "$image" -- bash "$here/SlackNamesTest.sh" --clean "$out" || {
    fail "$kind: the cleaning boot failed"
    return
  }
  check_eq "$kind: clean exit status" 0 "$(cat "$out/clean.status")" || cat "$out/clean.out" >&2
  [ -s "$out/left" ] && fail "$kind: files left on the volume: $(tr '\n' ' ' <"$out/left")"
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after cleaning"
  snapshot "$image" "$out/after"

  check_names "$kind" "$out"
  local cluster system
  cluster=$(fsstat "$image" | sed -n 's/^Cluster Size: //p')
  mapfile -t system < <(system_files "$out/attributes-before")
  check_eq "$kind: system files" "Attrs/SYSTEM.SYS" "${system[*]}"
  check_slack "$kind" "$out" "$cluster" "${system[@]}"
  diff -u "$out/attributes-before" "$out/attributes-after" >&2 ||
    fail "$kind: attributes changed"
}

for kind in "${kinds[@]}"; do
  check_image "$kind"
done
rig_finish
