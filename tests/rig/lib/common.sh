# Shared by the rig test scripts (bash): a scratch folder removed at exit, the programs under
# test, drive mapping and checks that count failures instead of stopping at the first one.
#
# The programs come from the environment ctest sets: BW_CLI (blankwright), BW_FAT_PROBE
# (bw_fat_probe) and BW_UML_RUNNER (scripts/uml-run).

set -uo pipefail
rig_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

rig_failures=0
rig_mounts=()

rig_need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || {
      echo "rig: $tool is missing (scripts/setup installs it)" >&2
      exit 2
    }
  done
}

# Makes the scratch folder RIG_TMP, with BLANKWRIGHT_HOME inside it; both are exported, so that
# a command run in the guest sees them too.
rig_init() {
  : "${BW_CLI:?BW_CLI must name the blankwright program}"
  : "${BW_FAT_PROBE:?BW_FAT_PROBE must name the bw_fat_probe program}"
  : "${BW_UML_RUNNER:?BW_UML_RUNNER must name scripts/uml-run}"
  # The guest reaches the same folder through hostfs; its path must be free of commas.
  RIG_TMP=$(mktemp -d /tmp/bw-rig.XXXXXX) || exit 2
  export RIG_TMP
  export BLANKWRIGHT_HOME=$RIG_TMP/home
  mkdir -p "$BLANKWRIGHT_HOME"
  trap rig_cleanup EXIT
}

rig_cleanup() {
  local m
  for m in ${rig_mounts[@]+"${rig_mounts[@]}"}; do
    mountpoint -q "$m" && { fusermount -u "$m" 2>/dev/null || umount "$m"; }
  done
  [ -n "${RIG_TMP:-}" ] && rm -rf -- "$RIG_TMP"
}

# Remembers a mount to undo at exit, should the test stop before it does so itself.
rig_track_mount() { rig_mounts+=("$1"); }

fail() {
  echo "FAIL: $*" >&2
  rig_failures=$((rig_failures + 1))
}

# check_eq WHAT EXPECTED ACTUAL
check_eq() {
  if [ "$2" != "$3" ]; then
    fail "$1: expected '$2', got '$3'"
    return 1
  fi
}

# Ends the test: status 1 when any check failed.
rig_finish() {
  if [ "$rig_failures" -gt 0 ]; then
    echo "$rig_failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
  exit 0
}

bw() { "$BW_CLI" "$@"; }
probe() { "$BW_FAT_PROBE" "$@"; }

# map_drive LETTER MOUNT_FOLDER RAW_SOURCE: (re)maps a drive letter in BLANKWRIGHT_HOME.
map_drive() {
  bw drive remove "$1:" >/dev/null 2>&1
  bw drive add "$1:" --mount "$2" --source "$3"
}

# value_of KEY FILE: the value of a "key=value" line.
value_of() { sed -n "s/^$1=//p" "$2" | head -n 1; }

# Ends the test with "rig unavailable: REASON" and status 1 unless User-Mode Linux and its vfat
# driver work here (RigSelfTest.sh). ctest runs that check once, before every test that needs
# it, and leaves its verdict in BW_RIG_STATUS; a test started alone, or after an hour, runs it.
rig_require_uml() {
  [ "${rig_uml_checked:-0}" = 1 ] && return 0
  local status_file=${BW_RIG_STATUS:-${RIG_TMP:-/tmp}/rig-status}
  if [ ! -s "$status_file" ] || [ -n "$(find "$status_file" -mmin +60 2>/dev/null)" ]; then
    bash "$rig_lib_dir/../RigSelfTest.sh" "$status_file" >/dev/null 2>&1
  fi
  local verdict
  verdict=$(head -n 1 "$status_file" 2>/dev/null)
  if [ "$verdict" = ok ]; then
    rig_uml_checked=1
    return 0
  fi
  verdict=${verdict#unavailable: }
  echo "rig unavailable: ${verdict:-the rig self-test gave no verdict}" >&2
  exit 1
}

# uml_run ARGS...: scripts/uml-run, quiet, with a timeout that leaves room on a busy machine.
uml_run() {
  rig_require_uml
  "$BW_UML_RUNNER" -q -t 240 "$@"
}
