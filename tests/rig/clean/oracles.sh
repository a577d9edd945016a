# shellcheck shell=bash
# The checks of a clean test, on the host after the volume is unmounted (bash, sourced): what
# steps.sh recorded, and the image itself read by tools nobody here wrote (The Sleuth Kit's
# blkls, fls and istat). Needs lib/common.sh (fail, check_eq) and bins.sh.

# drive_date SETTINGS LETTER: the 8 date characters of LETTER's record in the DRVS line of
# `blankwright config show`.
drive_date() {
  local list i
  list=$(sed -n 's/^DriveList  *DRVS  *"\(.*\)"\r*$/\1/p' "$1")
  for ((i = 0; i + 10 <= ${#list}; i += 10)); do
    [ "${list:i:1}" = "$2" ] && echo "${list:i+2:8}" && return
  done
}

# check_crash NAME OUT: a wipe killed part-way left its files and CURRENTDRIVE; the next run
# removed the files, gave the space back and emptied CURRENTDRIVE.
check_crash() {
  local name=$1 out=$2
  grep -qx BlankwrightTMP1.gf "$out/crash-left" ||
    fail "$name: no wipe file after the kill (the kill missed the wipe): $(cat "$out/crash.out")"
  check_eq "$name: CURRENTDRIVE after the kill" "Y:\\" "$(cat "$out/crash-current")"
  check_eq "$name: the next run's exit status" 0 "$(cat "$out/next.status")"
  [ -s "$out/next-left" ] &&
    fail "$name: the next run left the wipe's files: $(tr '\n' ' ' <"$out/next-left")"
  check_eq "$name: CURRENTDRIVE after the next run" "" "$(cat "$out/next-current")"
  (($(cat "$out/next-free-kib") > $(cat "$out/crash-free-kib"))) ||
    fail "$name: the next run freed no space on Y:"
}

# check_clean NAME IMAGE OUT PASSES RECYCLE [KEPT]: the clean under test. RECYCLE is the
# Recycle Bin's folder name; KEPT what each of the two folders must still hold (default
# desktop.ini, which must still be hidden: by istat, or by Wine's attrib in OUT/attrib-after),
# the temp folder also the chain too deep to name.
check_clean() {
  local name=$1 image=$2 out=$3 passes=$4 recycle=$5 kept=${6-desktop.ini}
  check_eq "$name: clean's exit status" 0 "$(cat "$out/clean.status")"
  grep -q 'Cleaning was completed successfully.' "$out/clean.out" ||
    fail "$name: no complete report: $(cat "$out/clean.out")"

  # Every unallocated unit holds the last pass's byte, where old data was before.
  local unallocated old left byte
  old=$(cat "$out/old-data-bytes")
  unallocated=$(blkls "$image" | wc -c)
  ((unallocated > 0)) || fail "$name: blkls returned nothing"
  ((old > unallocated / 2)) ||
    fail "$name: only $old of $unallocated unallocated bytes held old data before the clean"
  byte=$((passes % 2 ? 0 : 255))
  left=$(blkls "$image" | tr -d "\\$(printf %03o $byte)" | wc -c)
  check_eq "$name: unallocated bytes other than $(printf 0x%02X $byte) after $passes pass(es)" \
    0 "$left"

  [ -s "$out/live-before" ] || fail "$name: no live files were listed"
  diff -u "$out/live-before" "$out/live-after" >&2 ||
    fail "$name: live files changed (path, size, mtime, sha256)"

  # Names and attributes as The Sleuth Kit reads them from the image.
  fls -r -p -u "$image" >"$out/fls-live" || fail "$name: fls cannot read the image"
  grep -iE $'\t(.*/)?(BlankwrightTMP[^/]*|[^/]*\\.~BW)$' "$out/fls-live" >&2 &&
    fail "$name: Blankwright files remain"
  local folder entries expected inode
  for folder in TEMP "$recycle"; do
    # Named streams (NTFS "name:stream") belong to their file.
    entries=$(sed -n "s|^[^\t]*\t$folder/||p" "$out/fls-live" | grep -v : | sort)
    expected=$({ [ -n "$kept" ] && echo "$kept"; [ "$folder" = TEMP ] && bins_deep_entries; } |
      sort)
    check_eq "$name: what is left in $folder" "$expected" "$entries"
    [ "$kept" = desktop.ini ] || continue
    if [ -f "$out/attrib-after" ]; then
      grep -iqE "^[A-Z ]*H[A-Z ]* +Y:\\\\$folder\\\\desktop.ini" "$out/attrib-after" ||
        fail "$name: $folder\\desktop.ini is no longer hidden: $(cat "$out/attrib-after")"
    else
      inode=$(sed -n "s|^r/r \\([0-9-]*\\):\t$folder/desktop.ini$|\\1|p" "$out/fls-live")
      [ -n "$inode" ] && { istat "$image" "$inode" | grep -Eq '^(File Attributes|Flags):.*Hidden' ||
        fail "$name: $folder/desktop.ini is no longer hidden"; }
    fi
  done
  if [ -f "$out/links-after" ]; then
    check_eq "$name: links left in the temp folder" "" "$(cat "$out/links-after")"
  fi

  check_eq "$name: CURRENTDRIVE after the clean" "" "$(cat "$out/clean-current")"
  check_eq "$name: Y:'s last-cleaned date" "$(cat "$out/clean-date")" \
    "$(drive_date "$out/settings" Y)"
}
