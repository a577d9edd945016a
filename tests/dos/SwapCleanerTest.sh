#!/usr/bin/env bash
# swpclnr.exe as MS-DOS runs it (dosbox, headless) on a small FAT hard-disk image whose free
# space holds the text of a deleted file, with a "swap file" of known bytes and the two boot
# files in its root:
#   complete  three passes: the swap file and both boot files are gone, no fill file is left,
#             every unallocated byte is the third pass's 0x00 (blkls), fsck.fat is clean, and
#             the screen text is the program's, line for line;
#   cancel    ESC then y at the first progress step: "Canceled", the fill files still deleted,
#             the closing lines shown.
# Keys come from a redirected file: dosbox always reports a key waiting, so every progress
# step reads one byte ("x" is dropped); the closing wait reads on until its ESC.
#
# usage: SwapCleanerTest.sh SWPCLNR.EXE PIF
set -uo pipefail
cleaner=$1 pif=$2
skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
for tool in dosbox mformat mcopy mdir blkls fsck.fat python3; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup)"
done
[[ -f $cleaner && -f $pif ]] || skip "swpclnr.exe or the .pif is not built"
size=$(stat -c %s "$cleaner")
((size < 65536)) || { echo "FAIL: swpclnr.exe is $size bytes, over 64 KiB" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/bw-dos-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
export MTOOLS_SKIP_CHECK=1
failures=0

# A hard disk of 6 cylinders, 16 heads, 63 sectors: one FAT12 partition from sector 63.
make_disk() {
  python3 - "$1" <<'PY'
import struct, sys
cyl, heads, spt = 6, 16, 63
total = cyl * heads * spt
img = bytearray(total * 512)
def chs(lba):
    c, h, s = lba // (heads * spt), (lba // spt) % heads, lba % spt + 1
    return bytes([h, ((c >> 2) & 0xC0) | s, c & 0xFF])
img[0x1BE:0x1CE] = bytes([0x80]) + chs(spt) + b"\x01" + chs(total - 1) + struct.pack(
    "<II", spt, total - spt)
img[510:512] = b"\x55\xaa"
open(sys.argv[1], "wb").write(img)
PY
  local disk=$1@@32256
  mformat -i "$disk" -T 5985 -h 16 -s 63 -H 63 :: &&
    python3 -c "import sys; sys.stdout.write('Deleted secret text the cleaner must overwrite.\\n' * 52000)" \
      >"$work/old.txt" &&
    mcopy -i "$disk" "$work/old.txt" ::OLD.TXT && mdel -i "$disk" ::OLD.TXT &&
    python3 -c "import sys; sys.stdout.write('U' * 300000)" >"$work/swap.swp" &&
    mcopy -i "$disk" "$work/swap.swp" ::WIN386.SWP && mcopy -i "$disk" "$cleaner" ::SWPCLNR.EXE &&
    mcopy -i "$disk" "$pif" ::SWPBTMGR.PIF
}

# run NAME PASSES KEYS: the cleaner on a fresh disk; leaves $work/NAME.img and NAME.out.
run() {
  local name=$1 passes=$2 keys=$3 disk=$work/$1.img host=$work/$1
  make_disk "$disk" || { echo "FAIL: $name: cannot make the disk" >&2 && exit 2; }
  local free
  free=$(mdir -i "$disk@@32256" :: | awk '/bytes free/ { gsub(/[^0-9]/, "", $0); print }')
  mkdir -p "$host"
  printf '%b' "$keys" >"$host/keys.txt"
  # G 0 and R the space the cleaner will find: the free space and the swap file.
  printf 'c:\\swpclnr.exe %s 0 %s C:\\WIN386.SWP < d:\\keys.txt > d:\\out.txt\r\nexit\r\n' \
    "$passes" "$((free + 300000))" >"$host/t.bat"
  printf '[sdl]\noutput=surface\n[cpu]\ncore=normal\ncycles=fixed 100000\n[mixer]\nnosound=true\n[speaker]\npcspeaker=false\n' \
    >"$work/dosbox.conf"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 300 dosbox -conf "$work/dosbox.conf" \
    -noconsole -c "imgmount c $disk -size 512,63,16,6 -t hdd -fs fat" -c "mount d $host" \
    -c 'd:\t.bat' </dev/null >"$work/$name.dosbox" 2>&1 ||
    { echo "FAIL: $name: dosbox did not finish: $(tail -3 "$work/$name.dosbox")" >&2 && exit 1; }
  tr -d '\r' <"$host/OUT.TXT" >"$work/$name.out" 2>/dev/null ||
    { echo "FAIL: $name: no screen text" >&2 && exit 1; }
}

# What is left in the image's root, and fsck's verdict on its partition.
check_files() {
  local name=$1 disk=$work/$1.img listing
  listing=$(mdir -b -i "$disk@@32256" :: 2>/dev/null)
  [[ -z $listing ]] || fail "$name: files left in the root: $listing"
  dd if="$disk" of="$work/part.img" bs=512 skip=63 status=none
  fsck.fat -n "$work/part.img" >"$work/fsck" 2>&1 || fail "$name: fsck.fat -n: $(cat "$work/fsck")"
}

# ... and every unallocated byte is byte.
check_disk() {
  local name=$1 byte=$2 disk=$work/$1.img
  check_files "$name"
  local left
  left=$(blkls -o 63 "$disk" | tr -d "\\$(printf %03o "$byte")" | wc -c)
  echo "$name: unallocated bytes other than $(printf 0x%02X "$byte"): $left"
  ((left == 0)) || fail "$name: $left unallocated bytes still hold other data"
}

run complete 3 "$(printf 'x%.0s' $(seq 3000))\\x1b"
check_disk complete 0
# The screen without the progress figures, which depend on the disk's size.
sed -e 's/\x08\x08\x08[ 0-9][0-9]%//g' -e 's/\x08\x08\x08100%/ DONE/' "$work/complete.out" \
  >"$work/complete.text"
cat >"$work/expected.text" <<'TEXT'
Blankwright Swap File cleaner.
Cleaning Drive C: with 3 overwrites.
Press <ESC> to cancel.

Deleting swap file: C:\WIN386.SWP

Cleaning Drive C: overwrite 1 of 3.
Progress:  0%Cleaning Drive C: overwrite 2 of 3.
Progress:  0%Cleaning Drive C: overwrite 3 of 3.
Progress:  0% DONE

Flushing disk buffers ...

It is now safe to shut down your computer.

Press <ESC> to return to Windows, or turn off your machine.Returning to Windows.
TEXT
diff -u "$work/expected.text" "$work/complete.text" >&2 || fail "complete: the screen text differs"
# Figures never pass 99 before the one "100%" at the end.
figures=$(grep -ao '[0-9]*%' "$work/complete.out" | sort -n | uniq -c | tail -2)
echo "complete: the two highest figures shown and how often: $(echo $figures)"
[[ $(grep -ao '100%' "$work/complete.out" | wc -l) == 1 ]] || fail "complete: 100% not shown once"

run cancel 7 '\x1by\x1b'
check_files cancel
grep -aq $'Are you sure you want to quit? <Y/N>y\nCanceled\n\nFlushing disk buffers ...' \
  "$work/cancel.out" || fail "cancel: no cancel question and answer: $(cat -v "$work/cancel.out")"
grep -aq '100%' "$work/cancel.out" && fail "cancel: 100% shown after a cancel"
grep -aq 'It is now safe to shut down your computer.' "$work/cancel.out" ||
  fail "cancel: no closing lines"

echo "swpclnr.exe: $size bytes; the .pif: $(stat -c %s "$pif") bytes"
((failures == 0)) || exit 1
echo "all checks passed"
