# shellcheck shell=bash
# The steps of a clean test that run where the volume is mounted (bash, sourced): in the User-
# Mode Linux guest for FAT, on the host for NTFS; by the Linux program or, under Wine, by the
# Windows one. Each step leaves its findings as files in OUT for the checks in oracles.sh:
#
#   crash-left, crash-current  wipe files and CURRENTDRIVE after a wipe killed with kill -9
#   crash-free-kib             free space then
#   next.status, next-left, next-current, next-free-kib   the same after the next run
#   old-data-bytes             unallocated bytes that are not 0x00 before the clean
#   live-before, live-after    every live file outside the two folders (live_listing)
#   clean.status, clean.out    the clean under test
#   clean-date                 today as the drive list writes it
#   clean-current, settings    CURRENTDRIVE and `blankwright config show` afterwards
#   links-after                links left in the temp folder (NTFS)
#   attrib-after               Wine's attrib of the two desktop.ini files (Wine, NTFS)
#
# What differs between the programs is in the functions below, which the Wine tests replace:
#   program ARGS...        runs blankwright, standard output as Linux text
#   program_start ARGS...  starts it in the background, so that $! is its own process
#   current_drive          CURRENTDRIVE as stored, without quotes or escapes
#   set_passes N           OverwriteCount N, also one the configuration pages never store
#   map_drives ROOT RAW NEXT   Y: for the volume, X: for the folder NEXT of the next run
#   bins_ready ROOT        anything the temp folder and Recycle Bin need after fill_bins
#   bins_after ROOT OUT    what else to record of them after the clean (links-after on NTFS)
#
# Needs lib/common.sh, lib/populate.sh and bins.sh.

program() { "$BW_CLI" "$@"; }
program_start() { "$BW_CLI" "$@" & }

# reg_current_drive FILE: CURRENTDRIVE in a REGEDIT4 file, unescaped.
reg_current_drive() {
  sed -n 's/^"CURRENTDRIVE"="\(.*\)"\r*$/\1/p' "$1" | sed 's/\\\\/\\/g'
}
current_drive() { reg_current_drive "$BLANKWRIGHT_HOME/registry.reg"; }

set_passes() {
  program config export "$RIG_TMP/settings.reg" >/dev/null &&
    sed -i "s/^\"OW\"=hex:.*/\"OW\"=hex:$(printf %02x "$1")/" "$RIG_TMP/settings.reg" &&
    program config import "$RIG_TMP/settings.reg" >/dev/null
}

map_drives() {
  map_drive Y "$1" "$2" >/dev/null && map_drive X "$3" "$3/zero" >/dev/null
}

bins_ready() { :; }
bins_after() {
  [ "$(bins_kind "$1")" = fat ] || bins_links_after "$1" >"$2/links-after"
}

# wipe_files ROOT: the names of the wipe's files in the root, one a line.
wipe_files() {
  local f
  for f in "$1"/BlankwrightTMP*.gf; do
    [ -e "$f" ] && echo "${f##*/}"
  done
}

free_kib() { df -k "$1" | awk 'NR == 2 { print $4 }'; }

# kill_during_wipe ROOT OUT: starts a clean of Y: and kills it with SIGKILL once the wipe's
# second file exists: the final fill, which waits 2 s when the drive is full.
kill_during_wipe() {
  local root=$1 out=$2 pid
  program_start clean Y: --no-slack --no-names --yes >"$out/crash.out" 2>&1
  pid=$!
  SECONDS=0
  while [ ! -e "$root/BlankwrightTMP2.gf" ] && kill -0 "$pid" 2>/dev/null &&
    [ $SECONDS -lt 600 ]; do
    sleep 0.05
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  wipe_files "$root" >"$out/crash-left"
  current_drive >"$out/crash-current"
  free_kib "$root" >"$out/crash-free-kib"
}

# refuses_direct FOLDER: "yes" when FOLDER's file system takes no O_DIRECT writes (tmpfs before
# Linux 6.6, as in the guest), "no" when it does.
refuses_direct() {
  if dd if=/dev/zero of="$1/direct.probe" bs=4096 count=1 oflag=direct status=none 2>/dev/null
  then echo no; else echo yes; fi
  rm -f "$1/direct.probe"
}

# next_run ROOT OUT: the next start of the program cleans another drive, X:, so that only its
# leftover clean-up can remove Y:'s files. Where NEXT_ROOT names X:'s folder (a small tmpfs,
# which in the guest refuses unbuffered writes, so that its wipe takes the cached way), whether
# it refuses them is recorded, and the wipe must leave nothing there either.
next_run() {
  local root=$1 out=$2
  [ -z "${NEXT_ROOT:-}" ] || refuses_direct "$NEXT_ROOT" >"$out/next-refuses-direct"
  program clean X: --no-slack --no-names --yes >"$out/next.out" 2>&1
  echo $? >"$out/next.status"
  wipe_files "$root" >"$out/next-left"
  [ -z "${NEXT_ROOT:-}" ] || wipe_files "$NEXT_ROOT" >>"$out/next-left"
  current_drive >"$out/next-current"
  free_kib "$root" >"$out/next-free-kib"
}

# fill_free ROOT: old data in every free cluster: a file of text written until the volume is
# full, flushed, and deleted.
fill_free() {
  yes 'Deleted data the free-space wipe must overwrite.' 2>/dev/null |
    head -c 1G >"$1/OLDDATA.TXT" 2>/dev/null
  sync
  rm -f "$1/OLDDATA.TXT"
  sync
}

# settle: what the driver wrote, on the device. In the guest the raw reads go to the block
# device, whose cache the file system does not share.
settle() {
  if [ -n "${BW_UML_GUEST:-}" ]; then drop_caches; else sync; fi
}

outside_bins() { grep -v -e '^TEMP/' -e '^RECYCLE[DR]/'; }

# configure PASSES: the settings of every run: the temp folder Y:\TEMP and the Recycle Bin
# emptied, names left alone, PASSES passes.
configure() {
  {
    program config set CleanFileNames 0 && program config set EmptyTempFolder 1 &&
      program config set EmptyRecycleBin 1 && program config set TempFolder 'Y:\TEMP' &&
      set_passes "$1"
  } >/dev/null
}

# run_steps ROOT OUT RAW: with the program configured and the drives mapped, on a volume that
# holds the files of populate_tree and an empty TEMP folder (or one with just its hidden
# desktop.ini): the kill and the next run, then the two folders filled, old data in every free
# cluster, and the clean under test.
run_steps() {
  local root=$1 out=$2 raw=$3
  kill_during_wipe "$root" "$out"
  next_run "$root" "$out"

  fill_bins "$root" && bins_ready "$root" || return 3
  fill_free "$root"
  settle
  blkls "$raw" | tr -d '\0' | wc -c >"$out/old-data-bytes"

  live_listing "$root" | outside_bins >"$out/live-before"
  program clean Y: --no-slack --no-names --yes >"$out/clean.out" 2>&1
  echo $? >"$out/clean.status"
  date +%_m%_d%Y >"$out/clean-date"
  current_drive >"$out/clean-current"
  program config show >"$out/settings"
  bins_after "$root" "$out"
  settle
  live_listing "$root" | outside_bins >"$out/live-after"
  return 0
}

# on_volume ROOT RAW OUT PASSES NEXT: everything, in order; NEXT is a small empty volume's
# folder for the next run's drive.
on_volume() {
  NEXT_ROOT=$5
  map_drives "$1" "$2" "$5" && configure "$4" || return 3
  run_steps "$1" "$3" "$2"
}
