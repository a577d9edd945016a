# shellcheck shell=bash
# The temp folder and the Recycle Bin as a Windows machine has them, filled for a clean to
# empty (bash, sourced): files of known content, a read-only file, nested folders, an empty
# file, a desktop.ini that is not hidden (it goes) and a hidden one at the top of each folder
# (it stays). The temp folder also holds a folder too deep to name: its path ("Y:\TEMP\...")
# is longer than 259 characters, so the clean leaves it and the folders that hold it alone,
# and only those (bins_deep_entries). On NTFS the temp folder also holds symbolic links to a
# folder and a file outside it: the links go, what they point at stays (unless BINS_LINKS is
# 0).
#
# FAT keeps the hidden bit in the directory entry, which mtools sets before the boot
# (bins_hidden_fat); on NTFS it is the attribute word ntfs-3g shows as system.ntfs_attrib_be.

# bins_kind ROOT: fat or ntfs, by the mounted file system.
bins_kind() {
  case $(stat -f -c %T "$1") in
  msdos | vfat) echo fat ;;
  *) echo ntfs ;;
  esac
}

# bins_recycle_name KIND: the Recycle Bin folder each system names it by (9x "recycled", NT
# "recycler"); the clean takes either.
bins_recycle_name() {
  case $1 in
  ntfs*) echo RECYCLER ;;
  *) echo RECYCLED ;;
  esac
}

bins_desktop_ini() { printf '[.ShellClassInfo]\r\nIconIndex=31\r\n' >"$1"; }

# bins_hidden_fat IMAGE SCRATCH: the two folders with their hidden desktop.ini, the Recycle
# Bin hidden and system as Windows makes it.
bins_hidden_fat() {
  local ini=$2/desktop.ini
  bins_desktop_ini "$ini"
  mmd -i "$1" ::/TEMP ::/RECYCLED &&
    mcopy -i "$1" "$ini" ::/TEMP/desktop.ini &&
    mcopy -i "$1" "$ini" ::/RECYCLED/desktop.ini &&
    mattrib -i "$1" +h ::/TEMP/desktop.ini ::/RECYCLED/desktop.ini &&
    mattrib -i "$1" +h +s ::/RECYCLED
}

# ntfs_attributes FILE HEX: the NTFS attribute word of FILE, through ntfs-3g.
ntfs_attributes() {
  python3 -c 'import os, sys; os.setxattr(sys.argv[1], "system.ntfs_attrib_be",
int(sys.argv[2], 16).to_bytes(4, "big"), follow_symlinks=False)' "$1" "$2"
}

# bins_long_name LENGTH TEXT: TEXT repeated to LENGTH characters, ending in "_" where it would
# end in a blank (which Windows takes off a name).
bins_long_name() {
  local text=$2
  while [ ${#text} -lt "$1" ]; do text=$text$2; done
  text=${text:0:$1}
  [ "${text: -1}" = " " ] && text="${text:0:$1-1}_"
  echo "$text"
}

# The chain below TEMP: "Y:\TEMP\" is 8 characters, with A (120) and B (120) a folder of 249,
# whose file "ok.txt" (256) is still within bounds; C (40) takes its path to 290.
bins_deep_a=$(bins_long_name 120 'Unpacked setup folder ')
bins_deep_b=$(bins_long_name 120 'Second level of unpacking ')
bins_deep_c=$(bins_long_name 40 'Too deep ')

# bins_deep_entries: what stays of the chain, as paths below TEMP.
bins_deep_entries() {
  local a=$bins_deep_a b=$bins_deep_b c=$bins_deep_c
  printf '%s\n' "$a" "$a/$b" "$a/$b/$c" "$a/$b/$c/beyond.txt"
}

# fill_bins ROOT: both folders' contents, on the mounted volume.
fill_bins() {
  local root=$1 kind temp=$1/TEMP recycle
  kind=$(bins_kind "$root")
  recycle=$root/$(bins_recycle_name "$kind")
  mkdir -p "$temp/Setup files/Deeper" "$recycle/DC3" || return 1
  write_known "$temp/~DF1A2B.TMP" 5000
  write_known "$temp/setup log.txt" 3000
  write_known "$temp/READONLY.TXT" 700
  : >"$temp/EMPTY.TMP"
  write_known "$temp/Setup files/data1.cab" 9000
  write_known "$temp/Setup files/desktop.ini" 40
  write_known "$temp/Setup files/Deeper/last.tmp" 100
  write_known "$recycle/INFO2" 820
  write_known "$recycle/DC1.TXT" 4000
  write_known "$recycle/DC2.DOC" 12000
  write_known "$recycle/DC3/notes.txt" 2000
  local deep=$temp/$bins_deep_a/$bins_deep_b
  mkdir -p "$deep/$bins_deep_c" || return 1
  write_known "$deep/ok.txt" 300
  write_known "$deep/$bins_deep_c/beyond.txt" 300
  if [ "$kind" = fat ]; then
    chmod a-w "$temp/READONLY.TXT" || return 1 # the vfat driver's read-only bit
  else
    bins_desktop_ini "$temp/desktop.ini"
    bins_desktop_ini "$recycle/desktop.ini"
    ntfs_attributes "$temp/desktop.ini" 22 && ntfs_attributes "$recycle/desktop.ini" 22 &&
      ntfs_attributes "$temp/READONLY.TXT" 21 || return 1
    if [ "${BINS_LINKS:-1}" != 0 ]; then
      mkdir "$root/Linked" && write_known "$root/Linked/target.txt" 600 &&
        ln -s ../Linked "$temp/Link to folder" && ln -s ../README.TXT "$temp/Link to file" ||
        return 1
    fi
  fi
  sync
}

# bins_links_after ROOT: the links still in the temp folder, one a line.
bins_links_after() {
  find "$1/TEMP" -type l
}
