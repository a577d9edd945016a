#!/usr/bin/env bash
# Fills a mounted volume with files of known content through its driver and deletes some:
#   fill-and-delete.sh FOLDER
# The deleted files leave their text (and some bytes the scan must take for blank: 0x00, 0xFF
# and 0xF6) in free clusters; the kept ones keep theirs in use. Runs in the User-Mode Linux
# guest, where forks are slow, so each file costs two processes at most.
set -eu
folder=$1

# write_lines FILE SIZE PHRASE: SIZE bytes of numbered lines of PHRASE.
write_lines() {
  local line=0 text=""
  while [ ${#text} -lt "$2" ]; do
    line=$((line + 1))
    text+="$3 line $line, for the scan test."$'\n'
  done
  printf '%s' "${text:0:$2}" >"$1"
}

# fill FILE SIZE BYTE: SIZE bytes of one value (octal escape).
fill() { head -c "$2" /dev/zero | tr '\0' "$3" >"$1"; }

mkdir -p "$folder/Letters"
for n in 1 2 3 4 5 6 7 8 9 10; do
  write_lines "$folder/Letters/Deleted $n.txt" $((n * 3000 + 700)) "Deleted file $n of the rig,"
  write_lines "$folder/Letters/Kept $n.txt" $((n * 1500 + 300)) "Kept file $n of the rig,"
done
fill "$folder/zeros.bin" 20000 '\000'
fill "$folder/ones.bin" 20000 '\377'
fill "$folder/filler.bin" 20000 '\366'
sync
rm -f "$folder"/Letters/Deleted* "$folder"/zeros.bin "$folder"/ones.bin "$folder"/filler.bin
sync
