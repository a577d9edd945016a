# shellcheck shell=bash disable=SC2154 # rig_failures comes from common.sh
# Slack-space and deleted-name cleaning, held against The Sleuth Kit (bash; sourced after
# common.sh and images.sh). A volume is populated by the kernel's vfat driver inside User-Mode
# Linux, snapshotted on the host, cleaned by some build of blankwright, and snapshotted again:
#   - names: `fls -r -d` lists no deleted entry whose name is not a filler name (".~BW");
#   - slack: the slack of every qualifying live file is all 0x00, files that do not qualify are
#     unchanged to the end of their last cluster, and every live file keeps its checksum, size
#     and times.
# The checks report through fail (common.sh) and return 1 when anything failed.

# ---------------------------------------------------------------------------------------------
# In the guest, on the vfat mount.
# ---------------------------------------------------------------------------------------------

# set_fat_attributes FILE BITS: the FAT attribute byte through the driver's own ioctl
# (FAT_IOCTL_SET_ATTRIBUTES): 0x01 read-only, 0x02 hidden, 0x04 system, 0x20 archive.
set_fat_attributes() {
  perl -e 'open(my $f, "<", $ARGV[0]) or die "$ARGV[0]: $!\n";
           ioctl($f, 0x40047211, pack("L", oct($ARGV[1]))) or die "$ARGV[0]: ioctl: $!\n";' \
    "$1" "$2"
}

# list_attributes ROOT: "PATH<TAB>BITS" for every file below ROOT, sorted, with the FAT
# attribute byte in hex as the driver reports it (FAT_IOCTL_GET_ATTRIBUTES). Asking opens each
# file but reads nothing, so no access time moves.
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

# entry_name N TAG: a name taking N directory entries (1 to 4), unique by TAG, in the variable
# name: a plain upper-case 8.3 name, a mixed-case 8.3 name (a long-name entry and the short
# entry), a name of 14 to 26 characters, one of 27 to 39.
entry_name() {
  case $1 in
  1) printf -v name 'D%s.TXT' "$2" ;;
  2) printf -v name 'd%s.Txt' "$2" ;;
  3) printf -v name 'Deleted file %s.txt' "$2" ;;
  4) printf -v name 'A deleted file with a long name %s.txt' "$2" ;;
  esac
}

# make_runs DIR TAG: files that, once deleted, leave runs of 1 to 8 deleted entries between
# kept one-entry files ("K<TAG><n>.TXT"), and two more single runs after them. Each run is made
# of files of 1 to 4 entries, created in order into a fresh part of the folder; the first
# deleted file is D<TAG>1.TXT, a run of one.
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

# populate_for_cleaning ROOT OUT: populate_tree, runs of deleted entries in the root, in
# "Runs" and three folders down, and files whose attributes or sizes decide whether their
# slack is cleaned; the attributes go to OUT/attributes-before.
populate_for_cleaning() {
  local root=$1 out=$2 cluster
  cluster=$(stat -f -c %S "$root") || return 1
  populate_tree "$root" || return 1
  make_runs "$root" R && make_runs "$root/Runs" S && make_runs "$root/DATA/NESTED/DEEP" T ||
    return 1
  mkdir "$root/Attrs" || return 1
  write_known "$root/Attrs/READONLY.TXT" 3000
  write_known "$root/Attrs/SYSTEM.SYS" 3000
  write_known "$root/Attrs/Hidden file.txt" 3000
  write_known "$root/Attrs/WHOLE.BIN" $((2 * cluster))
  write_known "$root/Attrs/ONE.TXT" 1
  set_fat_attributes "$root/Attrs/READONLY.TXT" 0x21 &&
    set_fat_attributes "$root/Attrs/SYSTEM.SYS" 0x24 &&
    set_fat_attributes "$root/Attrs/Hidden file.txt" 0x22 || return 1
  sync
  list_attributes "$root" >"$out/attributes-before"
}

# ---------------------------------------------------------------------------------------------
# On the host, on the image.
# ---------------------------------------------------------------------------------------------

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
# DIR/files (sorted by path), the data with slack of each file that has any in
# DIR/slack/INODE, and the deleted entries in DIR/deleted. One icat per such file: every call
# of The Sleuth Kit reads the volume anew.
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
  fls -r -p -d "$image" >"$dir/deleted"
}

# zero_past FILE OFFSET: true when every byte of FILE from OFFSET on is 0x00.
zero_past() {
  [ "$(tail -c +$(($2 + 1)) "$1" | tr -d '\0' | wc -c)" -eq 0 ]
}

is_filler() { [[ ${1,,} == *.~bw ]]; }

# stale_names FILE: the deleted entries of an fls listing whose names are no filler's.
stale_names() {
  local line path
  while IFS= read -r line; do
    path=${line#*$'\t'}
    is_filler "${path##*/}" || echo "$line"
  done <"$1"
}

# check_population KIND OUT: the snapshot OUT/before has deleted names to clean, single runs
# among them.
check_population() {
  local kind=$1 out=$2 stale
  stale=$(stale_names "$out/before/deleted" | wc -l)
  [ "$stale" -ge 40 ] || fail "$kind: only $stale deleted names before cleaning"
  # The Sleuth Kit shows the lost first letter of a deleted short name as "_".
  grep -q $'\tRuns/.S1.TXT$' "$out/before/deleted" ||
    fail "$kind: the single deleted entry in Runs is not there to clean"
}

# check_names KIND OUT: every deleted entry in OUT/after/deleted is a filler's; no filler or
# wipe file is live.
check_names() {
  local kind=$1 out=$2 failures=$rig_failures line shown=0
  while IFS= read -r line; do
    fail "$kind: deleted name left: $line"
    shown=$((shown + 1))
    [ $shown -ge 10 ] && break
  done < <(stale_names "$out/after/deleted")
  cut -f1 "$out/after/files" | grep -iE '\.~bw$|BlankwrightTMP' &&
    fail "$kind: a filler or wipe file is still live"
  [ "$rig_failures" = "$failures" ]
}

# check_slack KIND OUT CLUSTER [LEFT...]: the live files of OUT/before and OUT/after hold the
# same data with the same size and times; files of CLUSTER-sized slack or LEFT (paths whose
# attributes exclude them) keep their slack, every other file's slack is all zeros.
check_slack() {
  local kind=$1 out=$2 cluster=$3 failures=$rig_failures
  shift 3
  local -A after_line left
  local path inode size times sha cleaned=0 junk=0 kept=0
  for path in "$@"; do left[$path]=1; done
  diff -u <(cut -f1 "$out/before/files") <(cut -f1 "$out/after/files") >&2 ||
    fail "$kind: the live files changed"
  while IFS=$'\t' read -r path inode size times sha; do
    after_line[$path]="$inode"$'\t'"$size"$'\t'"$times"$'\t'"$sha"
  done <"$out/after/files"
  while IFS=$'\t' read -r path inode size times sha; do
    [ -n "${after_line[$path]+x}" ] || continue
    check_eq "$kind: $path size, times and checksum" \
      "$inode"$'\t'"$size"$'\t'"$times"$'\t'"$sha" "${after_line[$path]}"
    [ "$size" -gt 0 ] || continue
    local before=$out/before/slack/$inode after=$out/after/slack/$inode
    if [ -z "${left[$path]+x}" ] && [ $((size % cluster)) -ne 0 ]; then
      cleaned=$((cleaned + 1))
      zero_past "$before" "$size" || junk=$((junk + 1))
      zero_past "$after" "$size" || fail "$kind: $path: slack not cleaned"
    else
      kept=$((kept + 1))
      cmp -s "$before" "$after" || fail "$kind: $path does not qualify but was changed"
    fi
  done <"$out/before/files"
  # The driver writes whole sectors: only clusters of several sectors hold junk in slack.
  if [ "$cluster" -gt 512 ] && [ "$junk" -lt 5 ]; then
    fail "$kind: only $junk files held junk in their slack before"
  fi
  echo "$kind: slack of $cleaned files cleaned ($junk held junk), $kept left alone"
  [ "$rig_failures" = "$failures" ]
}

# system_files FILE: the paths an attributes listing marks system.
system_files() {
  local path bits
  while IFS=$'\t' read -r path bits; do
    (((16#$bits & 0x04) != 0)) && echo "$path"
  done <"$1"
}
