#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# What an NTFS volume keeps of deleted files outside its free space, before and after
# `blankwright clean` (one pass, STANDARD slack, names on), on an ntfs-3g volume over random
# data: a folder of six small files (their contents live inside their file records) and a few
# larger ones, deleted with the folder; small files deleted from a folder that stays; and the
# deletions of populate_tree. Held against tools nobody here wrote, on the unmounted image:
#   - a raw search of the whole image finds none of the deleted names (UTF-16) and none of the
#     small files' contents, except in the last bytes of a live folder's own file record: while
#     a folder's index lies in its record, ntfs-3g keeps the record's last 120 bytes or so free
#     and moves the index out to a block rather than grow into them, so no file operation
#     reaches there; such hits are counted apart ("in folder records");
#   - fls -r -d lists no deleted entry with the name of a user file (fillers only);
#   - every live file keeps its size, mtime and sha256; no filler file or folder is left;
#   - ntfsfix -n is clean, and ntfs-3g mounts the volume again.
# The same search before the clean must find them, so that the test proves the clean did it.
# The figures are printed as "FIGURES".
#
# usage: RemnantsTest.sh
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../lib/common.sh"
. "$here/../lib/images.sh"
. "$here/../lib/populate.sh"

# The names and small contents of the deleted files that the search looks for.
deleted_names=("Gone" "diary.txt" "OLD.BAK" "draft 1.txt" "TEMP.TMP" "Larger file 1.dat"
  "Larger file 2.dat" "Kept small 2.txt" "Kept small 4.txt")
deleted_texts=("Private note number" "Small kept note 2" "Small kept note 4" "TEMP.TMP|TEMP")
for i in 1 2 3 4 5 6; do deleted_names+=("note$i.txt"); done

# dirty ROOT
dirty() {
  local root=$1 i
  populate_tree "$root" && mkdir "$root/Gone" "$root/Kept" || return 1
  for i in 1 2 3 4 5 6; do
    printf 'Private note number %d, to go.\n' "$i" >"$root/Gone/note$i.txt"
    printf 'Small kept note %d, half go.\n' "$i" >"$root/Kept/Kept small $i.txt"
  done
  write_known "$root/Gone/Larger file 1.dat" 20000
  write_known "$root/Gone/Larger file 2.dat" 90000
  sync && rm -r "$root/Gone" "$root/Kept/Kept small 2.txt" "$root/Kept/Kept small 4.txt" && sync
}

# census IMAGE OUT TAG: OUT/TAG.hits (one line per name or text still found, with its count),
# OUT/TAG.record (the same for hits past the bytes in use of a live folder's file record) and
# OUT/TAG.fls (deleted entries fls lists, fillers and the wipe's files left out).
census() {
  local image=$1 out=$2 tag=$3
  python3 - "$image" "$out/$tag" "${deleted_names[@]}" -- "${deleted_texts[@]}" <<'EOF'
import mmap, struct, sys
args = sys.argv[3:]
split = args.index("--")
names, texts = args[:split], args[split + 1:]

def in_folder_record_slack(data, at):
    # Records are 1024 bytes, aligned on the volume; only the header is trusted here.
    base = at - at % 1024
    if data[base:base + 4] != b"FILE":
        return False
    flags, in_use = struct.unpack_from("<HI", data, base + 22)
    return flags & 3 == 3 and at - base >= in_use

with open(sys.argv[1], "rb") as f, open(sys.argv[2] + ".hits", "w") as hits, \
        open(sys.argv[2] + ".record", "w") as record:
    data = mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ)
    for label, pattern in [(n, n.encode("utf-16-le")) for n in names] + \
                          [(t, t.encode("ascii")) for t in texts]:
        counts, at = [0, 0], data.find(pattern)
        while at >= 0:
            counts[in_folder_record_slack(data, at)] += 1
            at = data.find(pattern, at + 1)
        for count, file in zip(counts, (hits, record)):
            if count:
                print(f"{count}\t{label}", file=file)
EOF
  fls -r -p -d "$image" 2>/dev/null | cut -f2 |
    grep -vE '~[0-9]{7}~+$|(^|/)~F$|BlankwrightTMP[0-9]+\.gf$|^\$OrphanFiles(/OrphanFile-[0-9]+)?$' >"$out/$tag.fls"
}

rig_need mkntfs ntfs-3g ntfsfix fls python3 perl
rig_init
image=$RIG_TMP/remnants.img
mnt=$RIG_TMP/remnants.mnt
out=$RIG_TMP/out
mkdir -p "$out"
# Random data first: mkntfs -f writes only what the file system needs.
head -c 40M /dev/urandom >"$image"
if ! mkntfs -F -f -q -c 4096 -L BLANKWRIGHT "$image" >/dev/null 2>&1 ||
  ! ntfs_mount "$image" "$mnt" || ! dirty "$mnt"; then
  fail "the volume cannot be made, mounted and filled"
  rig_finish
fi
live_listing "$mnt" >"$out/live-before"
ntfs_unmount "$mnt"
census "$image" "$out" before

ntfs_mount "$image" "$mnt" || fail "ntfs-3g does not mount the volume for the clean"
map_drive Y "$mnt" "$image" >/dev/null && bw config set CleanFileNames 1 >/dev/null &&
  bw config set SlackMode 1 >/dev/null || fail "the drive cannot be set up"
bw config export "$RIG_TMP/settings.reg" >/dev/null &&
  sed -i 's/^"OW"=hex:.*/"OW"=hex:01/' "$RIG_TMP/settings.reg" &&
  bw config import "$RIG_TMP/settings.reg" >/dev/null || fail "one pass cannot be set"
start=$(date +%s)
bw clean Y: --yes >"$out/clean.out" 2>&1
check_eq "clean's exit status" 0 "$?"
seconds=$(($(date +%s) - start))
live_listing "$mnt" >"$out/live-after"
find "$mnt" -regextype posix-extended -regex '.*(~[0-9]{7}~+|/~F)$' >"$out/fillers-left"
ntfs_unmount "$mnt"

census "$image" "$out" after
ntfsfix -n "$image" >"$out/ntfsfix" 2>&1 || fail "ntfsfix -n: $(cat "$out/ntfsfix")"
if ntfs_mount "$image" "$mnt"; then ntfs_unmount "$mnt"; else fail "ntfs-3g does not mount it"; fi

# The search must see what the clean is to remove, or it proves nothing.
grep -q 'Private note number' "$out/before.hits" ||
  fail "the small files' contents were not found before the clean"
grep -qx $'[0-9]*\tnote1.txt' "$out/before.hits" || fail "note1.txt was not found before"
[ -s "$out/after.hits" ] &&
  fail "deleted names or contents still on the volume: $(tr '\n\t' '; ' <"$out/after.hits")"
[ -s "$out/after.fls" ] && fail "fls lists deleted user entries: $(tr '\n' ';' <"$out/after.fls")"
diff -u "$out/live-before" "$out/live-after" >&2 ||
  fail "live files changed (path, size, mtime, sha256)"
[ -s "$out/fillers-left" ] && fail "fillers left: $(head -n 3 "$out/fillers-left")"

sum() { awk -F'\t' '{ n += $1 } END { print n + 0 }' "$1"; }
echo "FIGURES ntfs remnants: before the clean $(sum "$out/before.hits") hits" \
  "($(wc -l <"$out/before.hits") of the $((${#deleted_names[@]} + ${#deleted_texts[@]}))" \
  "names and contents found), fls $(wc -l <"$out/before.fls") deleted user entries; after" \
  "$(sum "$out/after.hits") hits (and $(sum "$out/after.record") in folder records)," \
  "fls $(wc -l <"$out/after.fls"); clean took ${seconds}s"
rig_finish
