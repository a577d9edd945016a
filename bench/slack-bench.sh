#!/usr/bin/env bash
# The slack phase's throughput on 10,000 small files against a plain walk of the same tree, in
# the same run (bench/SlackBench.cpp): first on a scratch folder of the host's own file system,
# then on an NTFS volume through ntfs-3g, then on a FAT32 volume mounted by the kernel's vfat
# driver inside User-Mode Linux, the kind of volume the phase is for; and a bare C loop over the
# same files that makes only the system calls of a slack pass (open, append, sync, cut back,
# restore times). Prints the figures; nothing is checked.
#
# usage: bench/slack-bench.sh [--files N] [--passes N] [--host-only]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$source_dir/build/host
files=10000 passes=1 host_only=0
while (($#)); do
  case $1 in
  --files) files=$2; shift 2 ;;
  --passes) passes=$2; shift 2 ;;
  --host-only) host_only=1; shift ;;
  *) echo "usage: bench/slack-bench.sh [--files N] [--passes N] [--host-only]" >&2; exit 2 ;;
  esac
done

cmake --build --preset host --target bw_slack_bench blankwright >/dev/null
bench=$build/bench/bw_slack_bench
cli=$build/cli/blankwright
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
bench_scratch slack-bench
export BLANKWRIGHT_HOME=$work/home
mkdir -p "$BLANKWRIGHT_HOME" "$work/host"
: >"$work/no-raw-source"

echo "== host: $(df -T "$work" | awk 'NR == 2 { print $2 }') folder mapped as B:"
"$cli" drive add B: --mount "$work/host" --source "$work/no-raw-source" >/dev/null
"$bench" B: --files "$files" --passes "$passes" --host-folder "$work/host"
"$cli" drive remove B: >/dev/null

if ((host_only)) || ! command -v ntfs-3g >/dev/null; then
  exit 0
fi
echo "== NTFS, 4 KiB clusters, ntfs-3g on the host"
truncate -s 256M "$work/ntfs.img"
mkntfs -F -f -q -c 4096 -L BENCH "$work/ntfs.img" >/dev/null 2>&1
mkdir "$work/ntfs.mnt"
ntfs-3g "$work/ntfs.img" "$work/ntfs.mnt"
"$cli" drive add B: --mount "$work/ntfs.mnt" --source "$work/ntfs.img" >/dev/null
"$bench" B: --files "$files" --passes "$passes" --host-folder "$work/ntfs.mnt"
"$cli" drive remove B: >/dev/null
umount "$work/ntfs.mnt"

if ! command -v linux.uml >/dev/null; then
  exit 0
fi
echo "== User-Mode Linux: FAT32, 4 KiB clusters, vfat"
image=$work/fat32.img
truncate -s 256M "$image"
mkfs.fat -F 32 -s 8 -n BENCH "$image" >/dev/null
# shellcheck disable=SC2016 # expanded by the inner shell
"$source_dir/scripts/uml-run" -q -t 900 -m 512M "$image" -- bash -c \
  '"$0" drive add B: --mount "$BW_UML_MOUNT" --source "$BW_UML_DEVICE" >/dev/null &&
   "$1" B: --files "$2" --passes "$3" --host-folder "$BW_UML_MOUNT"' "$cli" "$bench" "$files" "$passes"
