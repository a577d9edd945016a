# The zap's fixture and oracles (bash), shared by the rig test (the Linux program on FAT under
# the kernel's vfat driver) and the Wine test (the Windows program on FAT and NTFS). Needs
# common.sh (fail, check_eq) and populate.sh (populate_tree, write_known).

# What the zap is given, below the volume root: a folder and a file of the same parent, so
# that the parent folder's deleted names are the ones cleaned at the end.
zap_folder="Work/Zap"
zap_file="Work/target document.txt"
zap_passes=12 # an even count: the last pass writes 0xFF, which no fresh cluster holds

# populate_zap ROOT [light]: the population of the volume tests, then the tree to zap: files
# of one byte to 70000 bytes, an empty one, a read-only one, a system-type name, nested and
# dot folders; a file that stays beside the selections, and an older deleted name in their
# parent. "light" leaves out populate_tree (for volumes filled through a slow driver).
populate_zap() {
  local root=$1
  if [ "${2:-}" != light ]; then
    populate_tree "$root" || return 1
  fi
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
  # The read-only attribute, where the driver keeps it (ntfs-3g only with -o permissions).
  chmod a-w "$root/$zap_folder/FIVE.TXT" 2>/dev/null
  sync
}

# zap_data_units IMAGE INODE: the data units (sectors on FAT, clusters on NTFS) istat lists for
# a file's data, one a line.
zap_data_units() {
  istat "$1" "$2" | awk '
    /^Sectors:/ { listing = 1; next }
    /^Type: / { listing = /^Type: \$DATA / && /Non-Resident/; next }
    listing { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+$/) print $i }'
}

# zap_record IMAGE OUT WHAT: before the zap, OUT/units gets "UNIT<TAB>PATH" for every data
# unit of the files to zap and OUT/names the names that must not be read again.
zap_record() {
  local image=$1 out=$2 what=$3 type inode path
  : >"$out/units"
  : >"$out/names"
  while IFS=$'\t' read -r type inode path; do
    case $path in
    "$zap_folder"/* | "$zap_file")
      printf '%s\n' "${path##*/}" >>"$out/names"
      [ "$type" = r ] && zap_data_units "$image" "${inode%%-*}" | sed "s|\$|\t$path|" >>"$out/units"
      ;;
    esac
  done < <(fls -r -p "$image" | sed -n 's|^\([rd]\)/[rd] \([0-9-]*\):\t\(.*\)$|\1\t\2\t\3|p')
  printf '%s\n' Zap "old draft.txt" >>"$out/names"
  [ "$(wc -l <"$out/names")" -ge 12 ] || fail "$what: fls does not list the files to zap"
  [ -s "$out/units" ] || fail "$what: istat gives no data units for the files to zap"
}

# zap_is_filler NAME: a name the deleted-name cleaning leaves (its ".~BW" filler files; a
# deleted short entry shows with "_" for its first character).
zap_is_filler() {
  local name=${1,,}
  [[ $name == *.~bw && $name == *blankw* ]]
}

# zap_check_result OUT STEP WHAT: the program's exit status and last line, and every live file
# other than the selections as it was (OUT/STEP-before, OUT/STEP-after from live_listing).
zap_check_result() {
  local out=$1 step=$2 what=$3
  check_eq "$what: zap exit status" 0 "$(tr -d '\r' <"$out/$step.status")" ||
    cat "$out/$step.out" "$out/$step.err" >&2
  grep -q 'All selections were zapped' "$out/$step.out" || fail "$what: the zap did not finish"
  grep -v -e "^$zap_folder/" -e "^$zap_file"$'\t' "$out/$step-before" >"$out/others-before"
  diff -u "$out/others-before" "$out/$step-after" >&2 ||
    fail "$what: live files other than the selections changed"
  grep -q -e "^$zap_folder/" -e "^$zap_file"$'\t' "$out/$step-after" &&
    fail "$what: a selection is still there"
  grep -q $'^Work/stays.txt\t' "$out/$step-after" || fail "$what: Work/stays.txt is gone"
}

# zap_check_units IMAGE OUT WHAT: every data unit the zapped files had holds only 0xFF, unless
# a file has taken it since.
zap_check_units() {
  local image=$1 out=$2 what=$3 size unit path bad=0 checked
  size=$(blkcat -s "$image" | awk -F: '/Size of Addressable Unit/ { print $1; exit }')
  [ -n "$size" ] || {
    fail "$what: blkcat gives no data unit size"
    return
  }
  # One pass over the image lists the units that hold anything but 0xFF; blkcat per unit
  # would start a process for each of hundreds.
  python3 -c '
import sys
size = int(sys.argv[2])
with open(sys.argv[1], "rb") as image:
    for line in sys.stdin:
        image.seek(int(line.split("\t", 1)[0]) * size)
        if image.read(size).strip(b"\xff"):
            sys.stdout.write(line)
' "$image" "$size" <"$out/units" >"$out/units-not-overwritten" || {
    fail "$what: the data units cannot be read from $image"
    return
  }
  while IFS=$'\t' read -r unit path; do
    blkstat "$image" "$unit" | grep -q '^Allocated' && continue
    bad=$((bad + 1))
    [ $bad -le 5 ] && fail "$what: data unit $unit of $path does not hold the last pass"
  done <"$out/units-not-overwritten"
  checked=$(wc -l <"$out/units")
  [ $bad -eq 0 ] || fail "$what: $bad of $checked data units of zapped files were not overwritten"
  echo "$what: $checked data units of zapped files hold the last pass"
}

# zap_check_names IMAGE OUT WHAT: no zapped name is left among the deleted entries, and the
# parent folder Work, still there, holds no deleted name but fillers.
zap_check_names() {
  local image=$1 out=$2 what=$3 line path name wanted
  fls -u -p "$image" | grep -q $'\tWork$' || fail "$what: the parent folder Work is gone"
  fls -r -p -d "$image" >"$out/deleted"
  while IFS= read -r line; do
    path=${line#*:$'\t'}
    name=${path##*/}
    zap_is_filler "$name" && continue
    while IFS= read -r wanted; do
      wanted=${wanted,,}
      if [[ ${name,,} == "$wanted" || ${name,,} == "_${wanted:1}"* ]]; then
        fail "$what: the zapped name $wanted can still be read: $line"
      fi
    done <"$out/names"
    [[ $path == Work/* ]] && fail "$what: a deleted name other than a filler is in Work: $line"
  done <"$out/deleted"
}
