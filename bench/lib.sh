# shellcheck shell=bash
# shellcheck disable=SC2034 # mib, fat and work are read by the script that sourced this
# Shared by the bench scripts (sourced): their common options and their scratch folder.

# bench_options NAME ARGS...: --blankwright PATH, --mib N and --no-fat into blankwright (made
# absolute), mib and fat; defaults build/host's blankwright, 1024 and 1. Run from the source
# folder. Stops the script on an unknown option or when blankwright is not built.
bench_options() {
  local name=$1
  shift
  blankwright=build/host/cli/blankwright mib=1024 fat=1
  while (($#)); do
    case $1 in
    --blankwright) blankwright=$2; shift 2 ;;
    --mib) mib=$2; shift 2 ;;
    --no-fat) fat=0; shift ;;
    *) echo "usage: bench/$name.sh [--blankwright PATH] [--mib N] [--no-fat]" >&2; exit 2 ;;
    esac
  done
  blankwright=$(readlink -f "$blankwright")
  [[ -x $blankwright ]] || {
    echo "$name: no $blankwright (cmake --build --preset host)" >&2
    exit 2
  }
}

# bench_scratch NAME: a scratch folder in $work, removed when the script exits together with
# whatever is still mounted on its *.mnt folders.
bench_scratch() {
  work=$(mktemp -d "/tmp/bw-$1.XXXXXX")
  trap bench_cleanup EXIT
}

bench_cleanup() {
  local m
  for m in "$work"/*.mnt; do
    mountpoint -q "$m" 2>/dev/null && umount "$m"
  done
  rm -rf "$work"
}
