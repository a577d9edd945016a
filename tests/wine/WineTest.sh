# shellcheck shell=bash disable=SC2034
# Shared by the Wine test scripts (sourced, not run). Arguments: the source folder and the win64
# build folder, then the script's own. Gives: skip, fail, a scratch folder removed at the end,
# read-only FUSE mounts undone at the end, and run_wine (scripts/wine-run).

source_dir=$1
win_build=$2
shift 2

skip() {
  echo "SKIPPED: $*"
  exit 77
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/bw-wine-test.XXXXXX")
mounts=()

cleanup_wine_test() {
  local m busy=0
  for m in "${mounts[@]}"; do
    if mountpoint -q "$m"; then
      fusermount -u "$m" 2>/dev/null || umount "$m" 2>/dev/null || true
    fi
    mountpoint -q "$m" && busy=1
  done
  # Never recurse into a volume that is still mounted.
  if ((busy)); then
    echo "warning: $scratch left behind: a mount in it is still busy" >&2
  else
    rm -rf "$scratch"
  fi
}
trap cleanup_wine_test EXIT

# mount_readonly fat|ntfs IMAGE FOLDER: mounts IMAGE read-only on FOLDER through FUSE.
mount_readonly() {
  local kind=$1 image=$2 folder=$3
  [[ -e /dev/fuse ]] || skip "no /dev/fuse: cannot mount the test images"
  mkdir -p "$folder"
  mounts+=("$folder")
  local log=$scratch/mount.log
  case $kind in
  fat) fusefat -o ro "$image" "$folder" ;; # it reports the geometry it found: kept in the log
  ntfs) ntfs-3g -o ro "$image" "$folder" ;;
  esac >"$log" 2>&1 || fail "cannot mount $image ($kind): $(cat "$log")"
  local _
  for _ in $(seq 50); do
    mountpoint -q "$folder" && return 0
    sleep 0.1
  done
  fail "$image did not appear on $folder"
}

run_wine() {
  "$source_dir/scripts/wine-run" "$@"
}

# check_test_program STATUS OUTPUT [COUNT]: a GoogleTest program run under Wine passed. Exit
# codes alone prove nothing there (a program that never ran can exit 0): every test must have
# run (COUNT of them, when given), none skipped, none failed.
check_test_program() {
  local status=$1 output=$2 count=${3:-}
  ((status == 0)) || fail "the test program exited with $status"
  grep -q "^\[  PASSED  \] ${count:+$count tests}" <<<"$output" ||
    fail "not all ${count:+$count }tests passed"
  ! grep -q 'SKIPPED\|FAILED' <<<"$output" || fail "tests were skipped or failed"
}
