#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# blankwright zap on real FAT volumes: each image is made by mkfs.fat and filled by the Linux
# kernel's vfat driver inside User-Mode Linux (first boot); the clusters of every file to be
# zapped are recorded with istat on the host; the zap runs in a second boot, on the mounted
# volume mapped as Y:. Then, against The Sleuth Kit and fsck.fat:
#   - every recorded cluster holds only the last pass's byte (0xFF with 12 passes), unless
#     another file has taken it since;
#   - no zapped name is left among the deleted entries (fls -r -d) but the filler names, and
#     the parent folder's older deleted names are gone too;
#   - every other live file keeps its size, time and checksum; fsck.fat -n is clean;
#   - a second zap of the drive root empties the whole volume and keeps the root.
#
# usage: ZapTest.sh fat16|fat32
#        ZapTest.sh --guest populate|zap|zap-root OUT   (inside the guest, run by uml-run)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/common.sh"
. "$here/lib/images.sh"
. "$here/lib/populate.sh"

# What the zap is given, below the volume root: a folder and a file of the same parent.
zap_folder="Work/Zap"
zap_file="Work/target document.txt"
passes=12 # an even count: the last pass writes 0xFF, which no fresh cluster holds

# ---------------------------------------------------------------------------------------------
# In the guest.
# ---------------------------------------------------------------------------------------------
populate_zap() {
  local root=$1
  populate_tree "$root" || return 1
  mkdir -p "$root/$zap_folder/Sub/Deeper" "$root/$zap_folder/.cache" || return 1
  write_known "$root/$zap_folder/one byte.txt" 1
  write_known "$root/$zap_folder/FIVE.TXT" 5000
  write_known "$root/$zap_folder/program.exe" 4000
  write_known "$root/$zap_folder/Sub/seventy thousand bytes.bin" 70000
  write_known "$root/$zap_folder/Sub/Deeper/deep.txt" 3000
  write_known "$root/$zap_folder/.cache/cached.dat" 2000
  : >"$root/$zap_folder/empty file"
  write_known "$root/$zap_file" 12345
  write_known "$root/Work/stays.txt" 4321
  write_known "$root/Work/old draft.txt" 800
  rm "$root/Work/old draft.txt" || return 1
  chmod a-w "$root/$zap_folder/FIVE.TXT" # the read-only attribute
  sync
}

guest() {
  local step=$1 out=$2 mnt=$BW_UML_MOUNT
  case $step in
  populate)
    populate_zap "$mnt" || exit 3
    ;;
  zap | zap-root)
    map_drive Y "$mnt" "$BW_UML_DEVICE" >/dev/null || exit 3
    bw config set OverwriteCount "$passes" >/dev/null || exit 3
    live_listing "$mnt" >"$out/$step-before"
    if [ "$step" = zap ]; then
      bw zap --yes-to-all "$mnt/$zap_folder" "$mnt/$zap_file"
    else
      bw zap --yes-to-all "$mnt"
    fi >"$out/$step.out" 2>"$out/$step.err"
    echo $? >"$out/$step.status"
    live_listing "$mnt" >"$out/$step-after"
    drop_caches
    ;;
  esac
  exit 0
}

if [ "${1:-}" = --guest ]; then
  guest "$2" "$3"
fi

# ---------------------------------------------------------------------------------------------
# On the host.
# ---------------------------------------------------------------------------------------------
rig_need mkfs.fat fsck.fat fls istat blkstat
rig_init

case ${1:-} in
fat16) kinds=(fat16-1k-clusters fat16-4k-clusters) ;;
fat32) kinds=(fat32-512-clusters fat32-2k-clusters) ;;
*)
  echo "usage: ZapTest.sh fat16|fat32" >&2
  exit 2
  ;;
esac

# boot IMAGE STEP OUT: one guest run of a step.
boot() {
  uml_run -o utf8 "$1" -- bash "$here/ZapTest.sh" --guest "$2" "$3"
}

# file_sectors IMAGE INODE: the sectors istat lists for a file, one a line.
file_sectors() {
  istat "$1" "$2" | awk '/^Sectors:/ { listing = 1; next } listing { for (i = 1; i <= NF; i++) print $i }'
}

# is_filler NAME: a name the deleted-name cleaning leaves (its ".~BW" filler files; a deleted
# short entry shows with "_" for its first character).
is_filler() {
  local name=${1,,}
  [[ $name == *.~bw && $name == *blankw* ]]
}

check_image() {
  local kind=$1 image=$RIG_TMP/$1.img out=$RIG_TMP/$1.out
  echo "== $kind"
  mkdir -p "$out"
  make_image "$kind" "$image" || {
    fail "$kind: the image cannot be made"
    return
  }
  boot "$image" populate "$out" || {
    fail "$kind: the population failed"
    return
  }
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after the vfat driver"

  # The sectors of every file to be zapped, and the names that must not be read again.
  local sectors=$out/sectors names=$out/names inode path
  : >"$sectors"
  : >"$names"
  local type
  while IFS=$'\t' read -r type inode path; do
    case $path in
    "$zap_folder"/* | "$zap_file")
      printf '%s\n' "${path##*/}" >>"$names"
      [ "$type" = r ] && file_sectors "$image" "$inode" | sed "s|\$|\t$path|" >>"$sectors"
      ;;
    esac
  done < <(fls -r -p "$image" | sed -n 's|^\([rd]\)/[rd] \([0-9]*\):\t\(.*\)$|\1\t\2\t\3|p')
  printf '%s\n' Zap "old draft.txt" >>"$names"
  [ "$(wc -l <"$names")" -ge 12 ] || fail "$kind: fls does not list the files to zap"
  [ -s "$sectors" ] || fail "$kind: istat gives no sectors for the files to zap"
  fls -r -p -d "$image" | grep -q $'\tWork/old draft.txt$' ||
    fail "$kind: the older deleted name is not there to be cleaned"

  boot "$image" zap "$out" || {
    fail "$kind: the zap run failed"
    return
  }
  check_eq "$kind: zap exit status" 0 "$(cat "$out/zap.status")" ||
    cat "$out/zap.out" "$out/zap.err" >&2
  grep -q 'All selections were zapped' "$out/zap.out" || fail "$kind: the zap did not finish"
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after the zap"

  # Every other live file as it was.
  grep -v -e "^$zap_folder/" -e "^$zap_file"$'\t' "$out/zap-before" >"$out/others-before"
  diff -u "$out/others-before" "$out/zap-after" >&2 ||
    fail "$kind: live files other than the selections changed"

  # Every cluster the zapped files had holds 0xFF, or belongs to a file again.
  local sector bad=0 checked=0 bytes
  bytes=$(fsstat "$image" | sed -n 's/^Sector Size: *//p')
  while IFS=$'\t' read -r sector path; do
    checked=$((checked + 1))
    if [ "$(dd if="$image" bs="$bytes" skip="$sector" count=1 status=none | tr -d '\377' |
      wc -c)" -ne 0 ]; then
      blkstat "$image" "$sector" | grep -q '^Allocated' && continue
      bad=$((bad + 1))
      [ $bad -le 5 ] && fail "$kind: sector $sector of $path does not hold the last pass"
    fi
  done <"$sectors"
  [ $bad -eq 0 ] || fail "$kind: $bad of $checked sectors of zapped files were not overwritten"
  echo "$checked sectors of zapped files checked"

  # No zapped name is left to read, and the parent folder holds only filler names.
  local line name wanted
  fls -r -p -d "$image" >"$out/deleted"
  while IFS= read -r line; do
    path=${line#*:$'\t'}
    name=${path##*/}
    is_filler "$name" && continue
    while IFS= read -r wanted; do
      if [[ ${name,,} == "${wanted,,}" || ${name,,} == "_${wanted:1}" ||
        ${name,,} == "_${wanted:1}"* ]]; then
        fail "$kind: the zapped name $wanted can still be read: $line"
      fi
    done <"$names"
    [[ $path == Work/* ]] && fail "$kind: a deleted name other than a filler is left in Work: $line"
  done <"$out/deleted"
  fls -u -p "$image" | grep -q $'\tWork$' || fail "$kind: the parent folder Work is gone"

  # The drive root: everything goes, the root stays, its own deleted names are fillers.
  boot "$image" zap-root "$out" || {
    fail "$kind: the zap of the root failed"
    return
  }
  check_eq "$kind: root zap exit status" 0 "$(cat "$out/zap-root.status")" ||
    cat "$out/zap-root.out" "$out/zap-root.err" >&2
  [ -s "$out/zap-root-after" ] && fail "$kind: live files are left after the root zap"
  fsck_clean "$image" || fail "$kind: fsck.fat -n is not clean after the root zap"
  fls -p -u "$image" | grep -v -e $'\t\\$' -e 'BLANKWRIGHT' >"$out/root-live"
  [ -s "$out/root-live" ] && fail "$kind: the root still lists: $(head -3 "$out/root-live")"
  while IFS= read -r line; do
    name=${line##*$'\t'}
    is_filler "$name" || fail "$kind: a deleted name other than a filler is left in the root: $line"
  done < <(fls -p -d "$image" | grep -v -e $'\t\\$')
}

for kind in "${kinds[@]}"; do
  check_image "$kind"
done
rig_finish
