#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# Bad input on real images: copies of volumes made by mkfs.fat and filled by mtools, each
# damaged in one place.
#   - A boot sector with an impossible field makes `blankwright info` exit 2 with one line of
#     error and nothing on standard output.
#   - A folder chain made to loop, to leave the volume or to end in a free or bad cluster, and a
#     folder entry whose first cluster lies outside the volume, make the directory reader fail
#     with a reason (bw_fat_probe exits 1) instead of hanging, crashing or reading elsewhere.
# No guest is needed: the drives are mapped straight to the image files.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/common.sh"
. "$here/lib/images.sh"

rig_need mkfs.fat mmd mcopy fls od dd
rig_init
mkdir -p "$RIG_TMP/empty" "$RIG_TMP/names"

# Forty long names of four entries each: "Big folder" spans several clusters of every size used
# here.
for ((i = 1; i <= 40; i++)); do
  : >"$RIG_TMP/names/$(printf 'Entry number %02d with a long name.txt' "$i")"
done

# base IMAGE KIND: a filled volume with "Big folder\Inner" in its root.
base() {
  make_image "$2" "$1" &&
    mmd -i "$1" "::/Big folder" "::/Big folder/Inner" "::/Small" &&
    mcopy -i "$1" "$RIG_TMP/names/"* "::/Big folder/"
}

# Drive X: is the undamaged volume of the moment, drive Y: its damaged copy.
damaged=$RIG_TMP/damaged.img
: >"$damaged"
map_drive Y "$RIG_TMP/empty" "$damaged" || fail "drive Y: cannot be mapped"

# info_refuses WHAT: info must exit 2 with one line on stderr and nothing on stdout.
info_refuses() {
  bw info Y: >"$RIG_TMP/out" 2>"$RIG_TMP/err"
  local status=$?
  check_eq "$1: info exit status" 2 "$status"
  [ -s "$RIG_TMP/out" ] && fail "$1: info printed $(head -c 200 "$RIG_TMP/out")"
  check_eq "$1: lines of error" 1 "$(wc -l <"$RIG_TMP/err")"
  grep -q '^blankwright: drive Y: cannot be read: ' "$RIG_TMP/err" ||
    fail "$1: unexpected error text: $(cat "$RIG_TMP/err")"
}

# probe_refuses WHAT REASON PROBE_ARGS...: the probe must exit 1 and name REASON.
probe_refuses() {
  local what=$1 reason=$2
  shift 2
  probe Y: "$@" >"$RIG_TMP/out" 2>"$RIG_TMP/err"
  local status=$?
  check_eq "$what: probe exit status" 1 "$status"
  grep -qF -- "$reason" "$RIG_TMP/out" "$RIG_TMP/err" ||
    fail "$what: no '$reason' in: $(cat "$RIG_TMP/out" "$RIG_TMP/err")"
}

# damage_copy_of IMAGE: a fresh copy of IMAGE behind drive Y:.
damage_copy_of() { cp --sparse=always "$1" "$damaged"; }

# ---------------------------------------------------------------------------------------------
# Boot sectors.
# ---------------------------------------------------------------------------------------------
declare -A kinds=([fat12]=fat12-floppy [fat16]=fat16-1k-clusters [fat32]=fat32-512-clusters)
for type in fat12 fat16 fat32; do
  image=$RIG_TMP/$type.img
  base "$image" "${kinds[$type]}" || {
    fail "$type: the base image cannot be made"
    continue
  }
  map_drive X "$RIG_TMP/empty" "$image"
  bw info X: >/dev/null || fail "$type: info refuses the undamaged image"

  # WHAT OFFSET HEX
  damages=(
    "bytes per sector 0|11|0000"
    "bytes per sector 100|11|6400"
    "sectors per cluster 0|13|00"
    "sectors per cluster 3|13|03"
    "no reserved sectors|14|0000"
    "no FATs|16|00"
  )
  if [ "$type" = fat32 ]; then
    damages+=(
      "FAT size 0|36|00000000"
      "total sectors below the data area|32|e8030000"
      "total sectors 0|32|00000000"
      "root cluster 0|44|00000000"
      "root cluster past the end|44|ffffff0f"
    )
  else
    damages+=(
      "FAT size 0|22|0000"
      "total sectors below the data area|19|1400"
      "no root entries|17|0000"
    )
  fi
  damages+=("boot sector of zeros|0|$(printf '0%.0s' {1..1024})")
  for damage in "${damages[@]}"; do
    IFS='|' read -r what offset bytes <<<"$damage"
    damage_copy_of "$image"
    patch_bytes "$damaged" "$offset" "$bytes"
    info_refuses "$type, $what"
  done
done

# ---------------------------------------------------------------------------------------------
# Cluster chains.
# ---------------------------------------------------------------------------------------------
for type in fat12 fat16 fat32; do
  image=$RIG_TMP/$type.img
  [ -f "$image" ] || continue
  inode=$(fls -r -p -D "$image" | sed -n 's|^d/d \([0-9]*\):\tBig folder$|\1|p')
  [ -n "$inode" ] || {
    fail "$type: fls does not list Big folder"
    continue
  }
  map_drive X "$RIG_TMP/empty" "$image"
  read -r -a chain <<<"$(probe X: locate 'X:\Big folder' | cut -f2)"
  [ "${#chain[@]}" -ge 3 ] || {
    fail "$type: Big folder spans ${#chain[@]} clusters, too few to damage"
    continue
  }
  first=${chain[0]}
  second=${chain[1]}
  last=${chain[-1]}
  clusters=$(bw info X: | sed -n 's/^cluster_count=//p')
  case $type in
  fat12) bad=0xFF7 ;;
  fat16) bad=0xFFF7 ;;
  fat32) bad=0x0FFFFFF7 ;;
  esac

  # WHAT CLUSTER VALUE REASON
  edits=(
    "chain looping to its start|$last|$first|cluster chain loops back to cluster $first"
    "chain looping onto itself|$second|$second|cluster chain loops back to cluster $second"
    "chain past the last cluster|$second|$((clusters + 2))|is outside the volume"
    "chain into a free cluster|$second|0|next cluster 0 is outside the volume"
    "chain into cluster 1|$second|1|next cluster 1 is outside the volume"
    "chain into a bad cluster|$second|$bad|is outside the volume"
  )
  for edit in "${edits[@]}"; do
    IFS='|' read -r what cluster value reason <<<"$edit"
    damage_copy_of "$image"
    set_fat_entry "$damaged" "$cluster" "$value"
    probe_refuses "$type, $what (chain)" "$reason" chain "$first"
    probe_refuses "$type, $what (folder)" "$reason" locate 'Y:\Big folder'
    probe_refuses "$type, $what (below it)" "$reason" locate 'Y:\Big folder\Inner'
    probe Y: locate 'Y:\Small' >/dev/null || fail "$type, $what: a sound folder is no longer found"
  done

  damage_copy_of "$image"
  set_first_cluster "$damaged" BIGFOL~1 $((clusters + 2))
  probe_refuses "$type, folder entry outside the volume" "is outside the volume" \
    locate 'Y:\Big folder'

  if [ "$type" = fat32 ]; then
    root=$(probe X: root)
    damage_copy_of "$image"
    set_fat_entry "$damaged" "${root%% *}" "${root%% *}"
    probe_refuses "$type, root chain looping onto itself" "loops back" root
    probe_refuses "$type, root chain looping (lookup)" "root directory cannot be read" \
      locate 'Y:\Small'
  fi
done
rig_finish
