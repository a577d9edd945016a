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
#   - files that do not qualify (system, empty, whole clusters) are unchanged to the last byte
#     of their last cluster;
#   - every live file keeps its checksum, size, times and attributes;
#   - `fsck.fat -n` is clean and no filler or wipe file remains.
#
# usage: SlackNamesTest.sh fat12|fat16|fat32
#        SlackNamesTest.sh --populate OUT      (inside the guest, run by scripts/uml-run)
#        SlackNamesTest.sh --clean OUT         (inside the guest)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/common.sh"
. "$here/lib/images.sh"
. "$here/lib/populate.sh"

# ---------------------------------------------------------------------------------------------
# In the guest.
# ---------------------------------------------------------------------------------------------

# set_fat_attributes FILE BITS: the FAT attribute byte through the driver's own ioctl
# (FAT_IOCTL_SET_ATTRIBUTES): 0x01 read-only, 0x02 hidden, 0x04 system, 0x20 archive.
set_fat_attributes() {
  perl -e 'open(my $f, "<", $ARGV[0]) or die "$ARGV[0]: $!\n";
           ioctl($f, 0x40047211, pack("L", oct($ARGV[1]))) or die "$ARGV[0]: ioctl: $!\n";' "$1" "$2"
}

# A name taking N directory entries (1 to 4): a plain upper-case 8.3 name, a mixed-case 8.3
# name (a long-name entry and the short entry), a name of 14 to 26 characters, of 27 to 39.
# entry_name N TAG: such a name, unique by TAG, in the variable name.
entry_name() {
  case $1 in
  1) printf -v name 'D%s.TXT' "$2" ;;
  2) printf -v name 'd%s.Txt' "$2" ;;
  3) printf -v name 'Deleted file %s.txt' "$2" ;;
  4) printf -v name 'A deleted file with a long name %s.txt' "$2" ;;
  esac
}

# make_runs DIR TAG: files that, once deleted, leave runs of 1 to 8 deleted entries between
# kept one-entry files, and three more single runs. Each run is made of files of 1 to 4
# entries, created in order into a fresh part of the folder.
make_runs() {
  local dir=$1 tag=$2 run part name n=0 doomed=()
  local -A parts=([1]="1" [2]="2" [3]="3" [4]="4" [5]="1 4" [6]="3 3" [7]="3 4" [8]="4 4")
  mkdir -p "$dir" || return 1
  for run in 1 2 3 4 5 6 7 8 1 1; do
    for part in ${parts[$run]}; do
      n=$((n + 1))
      entry_name "$part" "$tag$n"
      write_known "$dir/$name" $((n * 50)) || return 1
      doomed+=("$dir/$name")
    done
    : >"$dir/K${tag}$n.TXT"
  done
  rm -- "${doomed[@]}"
}

# list_attributes ROOT: "PATH<TAB>BITS" for every file below ROOT, the FAT attribute byte in
# hex as the driver reports it (FAT_IOCTL_GET_ATTRIBUTES); opening a file to ask reads nothing.
list_attributes() {
  perl -MFile::Find -e '
    my $root = shift;
    my @lines;
    find({ no_chdir => 1, wanted => sub {
      return unless -f $_;
      open(my $f, "<", $_) or die "$_: $!\n";
      my $bits = pack("L", 0);
      ioctl($f, 0x80047210, $bits) or die "$_: ioctl: $!\n";
      (my $path = $_) =~ s{^\Q$root\E/}{};
      push @lines, sprintf("%s\t%02x\n", $path, unpack("L", $bits));
    } }, $root);
    print sort @lines;' "$1"
}

populate() {
  local mnt=$BW_UML_MOUNT cluster
  cluster=$(stat -f -c %S "$mnt") || exit 3
  populate_tree "$mnt" || exit 3
  make_runs "$mnt" R || exit 3
  make_runs "$mnt/Runs" S || exit 3
  make_runs "$mnt/DATA/NESTED/DEEP" T || exit 3
  mkdir "$mnt/Attrs" || exit 3
  write_known "$mnt/Attrs/READONLY.TXT" 3000
  write_known "$mnt/Attrs/SYSTEM.SYS" 3000
  write_known "$mnt/Attrs/Hidden file.txt" 3000
  write_known "$mnt/Attrs/WHOLE.BIN" $((2 * cluster))
  write_known "$mnt/Attrs/ONE.TXT" 1
  set_fat_attributes "$mnt/Attrs/READONLY.TXT" 0x21 || exit 3
  set_fat_attributes "$mnt/Attrs/SYSTEM.SYS" 0x24 || exit 3
  set_fat_attributes "$mnt/Attrs/Hidden file.txt" 0x22 || exit 3
  sync
  list_attributes "$mnt" >"$1/attributes-before" || exit 3
  exit 0
}

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
--populate) populate "$2" ;;
--clean) clean "$2" ;;
esac

# ---------------------------------------------------------------------------------------------
# On the host.
# ---------------------------------------------------------------------------------------------
rig_need mkfs.fat fsck.fat fls istat icat perl
rig_init
bwsingle=$(dirname "$BW_CLI")/bwsingle
[ -x "$bwsingle" ] || {
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

# fill_junk IMAGE: 0x5A over every cluster after the root, so that slack holds something.
fill_junk() {
  fat_geometry "$1"
  local start size
  # shellcheck disable=SC2154 # set by fat_geometry
  if [ "$fat_bits" = 32 ]; then
    start=$((fat_root_offset + fat_spc * fat_bps))
  else
    start=$((fat_root_offset + fat_root_bytes))
  fi
  size=$(stat -c %s "$1")
  head -c $((size - start)) /dev/zero | tr '\0' '\132' |
    dd of="$1" bs=64K seek="$start" oflag=seek_bytes conv=notrunc status=none
}

# snapshot IMAGE DIR: per live file a line "PATH<TAB>INODE<TAB>SIZE<TAB>TIMES<TAB>SHA256" in
# DIR/files (sorted by path), and the data with slack of each file that has any in
# DIR/slack/INODE. One icat per such file: every call of The Sleuth Kit reads the volume anew.
snapshot() {
  local image=$1 dir=$2 inode path written accessed changed created size sha
  mkdir -p "$dir/slack"
  fls -r -p -F -u -l "$image" | grep '^r/r ' | grep -v '(Volume Label Entry)' |
    sed 's|^r/r \([0-9]*\):\t|\1\t|' | sort -t $'\t' -k2 |
    while IFS=$'\t' read -r inode path written accessed changed created size _; do
      sha=none
      if [ "$size" -gt 0 ]; then
        icat -s "$image" "$inode" >"$dir/slack/$inode"
        sha=$(head -c "$size" "$dir/slack/$inode" | sha256sum | cut -d' ' -f1)
      fi
      printf '%s\t%s\t%s\t%s\t%s\n' "$path" "$inode" "$size" \
        "$written|$accessed|$changed|$created" "$sha"
    done >"$dir/files"
}

# zero_past FILE OFFSET: true when every byte of FILE from OFFSET on is 0x00.
zero_past() {
  [ "$(tail -c +$(($2 + 1)) "$1" | tr -d '\0' | wc -c)" -eq 0 ]
}

is_filler() { [[ ${1,,} == *.~bw ]]; }

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
  local cluster
  cluster=$(fsstat "$image" | sed -n 's/^Cluster Size: //p')

  # Before: deleted names to clean, and slack with junk in it.
  snapshot "$image" "$out/before"
  fls -r -p -d "$image" >"$out/deleted-before"
  local stale
  stale=$(cut -f2- "$out/deleted-before" | while IFS= read -r path; do
    is_filler "${path##*/}" || echo "$path"
  done | wc -l)
  [ "$stale" -ge 40 ] || fail "$kind: only $stale deleted names before cleaning: the population is wrong"
  # The Sleuth Kit shows the lost first letter of a deleted short name as "_".
  grep -q $'\tRuns/.S1.TXT$' "$out/deleted-before" ||
    fail "$kind: the single deleted entry in Runs is not there to clean"

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

  # Names: every deleted entry left is a filler's.
  fls -r -p -d "$image" >"$out/deleted-after"
  local line path left=0
  while IFS= read -r line; do
    path=${line#*$'\t'}
    is_filler "${path##*/}" && continue
    fail "$kind: deleted name left: $line"
    left=$((left + 1))
    [ $left -ge 10 ] && break
  done <"$out/deleted-after"
  fls -r -p -F -u "$image" | grep -iE '\.~bw$|BlankwrightTMP' &&
    fail "$kind: a filler or wipe file is still live"

  # Slack and live files.
  snapshot "$image" "$out/after"
  cut -f1 "$out/before/files" >"$out/paths-before"
  cut -f1 "$out/after/files" >"$out/paths-after"
  diff -u "$out/paths-before" "$out/paths-after" >&2 || fail "$kind: the live files changed"
  diff -u "$out/attributes-before" "$out/attributes-after" >&2 ||
    fail "$kind: attributes changed"
  local -A after_line system
  local inode size times sha bits cleaned=0 junk=0 kept=0
  while IFS=$'\t' read -r path bits; do
    (((16#$bits & 0x04) != 0)) && system[$path]=1
  done <"$out/attributes-before"
  [ -n "${system[Attrs/SYSTEM.SYS]+x}" ] || fail "$kind: the system file is not marked system"
  while IFS=$'\t' read -r path inode size times sha; do
    after_line[$path]="$inode"$'\t'"$size"$'\t'"$times"$'\t'"$sha"
  done <"$out/after/files"
  while IFS=$'\t' read -r path inode size times sha; do
    [ -n "${after_line[$path]+x}" ] || continue
    check_eq "$kind: $path size, times and checksum" \
      "$inode"$'\t'"$size"$'\t'"$times"$'\t'"$sha" "${after_line[$path]}"
    [ "$size" -gt 0 ] || continue
    local before=$out/before/slack/$inode after=$out/after/slack/$inode
    if [ -z "${system[$path]+x}" ] && [ $((size % cluster)) -ne 0 ]; then
      cleaned=$((cleaned + 1))
      zero_past "$before" "$size" || junk=$((junk + 1))
      zero_past "$after" "$size" || fail "$kind: $path: slack not cleaned"
    else
      kept=$((kept + 1))
      cmp -s "$before" "$after" || fail "$kind: $path does not qualify but was changed"
    fi
  done <"$out/before/files"
  if [ "$cluster" -gt 512 ]; then
    # The driver writes whole sectors: only clusters of several sectors have junk in slack.
    [ "$junk" -ge 5 ] || fail "$kind: only $junk files had junk in their slack before"
  fi
  echo "$kind: $stale deleted names cleaned; $cleaned files' slack cleaned ($junk held junk)," \
    "$kept left alone"
}

for kind in "${kinds[@]}"; do
  check_image "$kind"
done
rig_finish
