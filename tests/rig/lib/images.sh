# Volume images made at test time (bash). Every image is a sparse file in the caller's scratch
# folder; the kinds below are the ones the rig tests hold against the oracles.

# make_fat IMAGE SIZE_KIB FAT_BITS SECTORS_PER_CLUSTER RESERVED [SECTOR_SIZE]
make_fat() {
  local image=$1 kib=$2 bits=$3 spc=$4 reserved=$5 sector=${6:-512}
  rm -f -- "$image"
  mkfs.fat -C -F "$bits" -s "$spc" -R "$reserved" -S "$sector" -i 0B1A0C5E \
    -n BLANKWRIGHT "$image" "$kib" >/dev/null || {
    echo "mkfs.fat failed for $image" >&2
    return 1
  }
}

# make_fat12_floppy IMAGE: a 1.44 MB floppy as mkfs.fat makes it (2880 sectors, one reserved).
make_fat12_floppy() {
  rm -f -- "$1"
  mkfs.fat -C -F 12 -i 0B1A0C5E -n FLOPPY "$1" 1440 >/dev/null
}

# make_image KIND IMAGE: one of the named FAT kinds the tests use. Each FAT type comes with two
# cluster sizes; apart from the floppy's, the reserved counts are not mkfs.fat's defaults.
make_image() {
  case $1 in
  fat12-floppy) make_fat12_floppy "$2" ;;
  # 8192 sectors, far more than a floppy's 2880, and still FAT12 by its cluster count.
  fat12-2k-clusters) make_fat "$2" 4096 12 4 6 ;;
  fat16-1k-clusters) make_fat "$2" 16384 16 2 4 ;;
  fat16-4k-clusters) make_fat "$2" 32768 16 8 3 ;;
  fat16-4k-sectors) make_fat "$2" 24576 16 1 2 4096 ;;
  fat32-512-clusters) make_fat "$2" 40960 32 1 40 ;;
  fat32-2k-clusters) # The driver allocates from FSInfo's next-free hint: everything written lies
    # above cluster 65535, where the high half of a first cluster counts.
    make_fat "$2" 163840 32 4 17 && set_next_free "$2" 70000 ;;
  *)
    echo "make_image: no kind $1" >&2
    return 1
    ;;
  esac
}

# make_ntfs IMAGE SIZE_MIB CLUSTER_BYTES [SECTOR_SIZE]: a quick-formatted NTFS volume in a
# file.
make_ntfs() {
  rm -f -- "$1"
  if ! truncate -s "${2}M" "$1" ||
    ! mkntfs -F -f -q -c "$3" -s "${4:-512}" -L BLANKWRIGHT "$1" >/dev/null 2>&1; then
    echo "mkntfs failed for $1" >&2
    return 1
  fi
}

# ntfs_mount IMAGE FOLDER / ntfs_unmount FOLDER: the image through ntfs-3g on the host.
ntfs_mount() {
  mkdir -p "$2" && ntfs-3g "$1" "$2" && rig_track_mount "$2"
}
ntfs_unmount() {
  fusermount -u "$1" 2>/dev/null || umount "$1"
}

# fsck_clean IMAGE: true when fsck.fat -n finds nothing to repair; prints its report if not.
fsck_clean() {
  local report
  report=$(fsck.fat -n "$1" 2>&1)
  local status=$?
  # The image's own path is left out of the search: a temporary name such as
  # "bw-wine-job.M0BaD7" would otherwise read as a "bad" finding.
  if [ $status -ne 0 ] || grep -F -v -- "$1" <<<"$report" |
    grep -qiE 'dirty|differences|lost|invalid|bad|free cluster summary'; then
    echo "$report" >&2
    return 1
  fi
}

# ---------------------------------------------------------------------------------------------
# Damage on purpose, for the tests of bad input. Only the bytes named are written, so that
# sparse images stay sparse.
# ---------------------------------------------------------------------------------------------

# patch_bytes IMAGE OFFSET HEX: overwrites bytes of an image in place ("e5", "ff0f", ...).
patch_bytes() {
  local escaped="" i
  for ((i = 0; i < ${#3}; i += 2)); do escaped+="\\x${3:i:2}"; done
  # shellcheck disable=SC2059 # the format is made of \x escapes only
  printf "$escaped" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# boot_bytes IMAGE: the first 64 bytes of the image into the array boot (numbers 0..255).
boot_bytes() {
  read -r -a boot <<<"$(od -A n -t u1 -N 64 -v "$1" | tr -s ' \n' '  ')"
}

# le NAME OFFSET WIDTH: sets NAME to the little-endian number at OFFSET of the array boot.
le() {
  local value=0 i
  for ((i = $3 - 1; i >= 0; i--)); do value=$((value * 256 + boot[$2 + i])); done
  printf -v "$1" '%d' "$value"
}

# read_le IMAGE OFFSET WIDTH: the unsigned little-endian number of WIDTH (1, 2, 4) bytes there.
read_le() {
  od -A n -t "u$3" -j "$2" -N "$3" --endian=little "$1" | tr -d ' '
}

# write_le IMAGE OFFSET WIDTH VALUE: writes VALUE as WIDTH little-endian bytes.
write_le() {
  local hex="" byte i
  for ((i = 0; i < $3; i++)); do
    printf -v byte '%02x' $((($4 >> (8 * i)) & 0xFF))
    hex+=$byte
  done
  patch_bytes "$1" "$2" "$hex"
}

# fat_geometry IMAGE: sets fat_bps, fat_spc, fat_reserved, fat_count, fat_size, fat_bits,
# fat_root_offset (byte offset of the root directory) and fat_root_bytes from a sound boot
# sector.
# shellcheck disable=SC2154 # le assigns the variables it is given by name
fat_geometry() {
  local boot root_entries total16 fat16 total32 fat32 root_sectors first_data clusters value
  boot_bytes "$1"
  le fat_bps 11 2
  le fat_spc 13 1
  le fat_reserved 14 2
  le fat_count 16 1
  le root_entries 17 2
  le total16 19 2
  le fat16 22 2
  le total32 32 4
  le fat32 36 4
  fat_size=$((fat16 != 0 ? fat16 : fat32))
  root_sectors=$(((root_entries * 32 + fat_bps - 1) / fat_bps))
  first_data=$((fat_reserved + fat_count * fat_size + root_sectors))
  clusters=$((((total16 != 0 ? total16 : total32) - first_data) / fat_spc))
  if [ "$fat16" -eq 0 ]; then
    fat_bits=32
    local root_cluster
    le root_cluster 44 4
    fat_root_offset=$(((first_data + (root_cluster - 2) * fat_spc) * fat_bps))
    fat_root_bytes=$((fat_spc * fat_bps))
  else
    fat_bits=$((clusters <= 4084 ? 12 : 16))
    fat_root_offset=$(((fat_reserved + fat_count * fat_size) * fat_bps))
    fat_root_bytes=$((root_entries * 32))
  fi
}

# set_next_free IMAGE CLUSTER: FAT32's FSInfo hint of where to look for a free cluster.
set_next_free() {
  local boot fsinfo bps
  boot_bytes "$1"
  le fsinfo 48 2
  le bps 11 2
  write_le "$1" $((fsinfo * bps + 492)) 4 "$2"
}

# set_fat_entry IMAGE CLUSTER VALUE: CLUSTER's entry in every FAT copy.
set_fat_entry() {
  fat_geometry "$1"
  local copy fat at word
  for ((copy = 0; copy < fat_count; copy++)); do
    fat=$(((fat_reserved + copy * fat_size) * fat_bps))
    case $fat_bits in
    12)
      at=$((fat + $2 * 3 / 2))
      word=$(read_le "$1" "$at" 2)
      if (($2 & 1)); then
        word=$(((word & 0x000F) | (($3 & 0xFFF) << 4)))
      else
        word=$(((word & 0xF000) | ($3 & 0xFFF)))
      fi
      write_le "$1" "$at" 2 "$word"
      ;;
    16) write_le "$1" $((fat + $2 * 2)) 2 "$3" ;;
    32) write_le "$1" $((fat + $2 * 4)) 4 "$3" ;;
    esac
  done
}

# set_first_cluster IMAGE NAME VALUE: the first cluster of the root-directory entry whose 8.3
# name is NAME (as "BIGFOL~1" or "NAME.EXT"), in its first root cluster on FAT32.
set_first_cluster() {
  fat_geometry "$1"
  local base=${2%%.*} ext="" wanted at
  [[ $2 == *.* ]] && ext=${2#*.}
  printf -v wanted '%-8s%-3s' "$base" "$ext"
  at=$(dd if="$1" bs=32 skip=$((fat_root_offset / 32)) count=$((fat_root_bytes / 32)) \
    status=none | grep -obUaF -- "$wanted" | cut -d: -f1 | awk '$1 % 32 == 0 { print; exit }')
  [ -n "$at" ] || {
    echo "set_first_cluster: no entry $2 in the root directory of $1" >&2
    return 1
  }
  at=$((fat_root_offset + at))
  write_le "$1" $((at + 26)) 2 $(($3 & 0xFFFF))
  [ "$fat_bits" = 32 ] && write_le "$1" $((at + 20)) 2 $(($3 >> 16))
  return 0
}
