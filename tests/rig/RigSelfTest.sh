#!/usr/bin/env bash
# The rig's own check, run before every test that boots User-Mode Linux: it tells a broken rig
# from a broken product. Nothing of Blankwright is used here.
#   - the guest boots and mounts a fresh FAT16 image with the kernel's vfat driver;
#   - an upper-case 8.3 name takes one directory entry and a long name its long-name entries
#     plus one, read back from the image on the host;
#   - floating-point and vector arithmetic in two guest processes that keep switching gives the
#     host's result (the guest's FP state survives every task switch).
#
# usage: RigSelfTest.sh [STATUS_FILE]
# Writes "ok" or "unavailable: REASON" to STATUS_FILE (atomically), prints the same and exits 0
# or 1. The other rig tests read that file (lib/common.sh, rig_require_uml).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
runner=${BW_UML_RUNNER:-$here/../../scripts/uml-run}
status_file=${1:-}

tmp=$(mktemp -d /tmp/bw-rigcheck.XXXXXX) || exit 2
trap 'rm -rf -- "$tmp"' EXIT

finish() {
  if [ -n "$status_file" ]; then
    mkdir -p -- "$(dirname -- "$status_file")" &&
      printf '%s\n' "$1" >"$tmp/status" && mv -f -- "$tmp/status" "$status_file"
  fi
  printf 'rig self-test: %s\n' "$1"
  [ "$1" = ok ]
  exit
}
unavailable() { finish "unavailable: $*"; }

for tool in mkfs.fat gcc python3 perl; do
  command -v "$tool" >/dev/null || unavailable "$tool is missing (scripts/setup installs it)"
done

# Double and vector arithmetic in four threads that the guest's one CPU must share, so that its
# timer switches them mid-loop; the same binary runs on both sides.
cat >"$tmp/fp.c" <<'EOF'
#include <math.h>
#include <pthread.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>
typedef double v4 __attribute__((vector_size(32)));
static double work(int seed) {
  v4 acc = {seed, seed + 1, seed + 2, seed + 3}, step = {0.5, 0.25, 0.125, 0.0625};
  double s = seed;
  /* No calls in the loop: the registers stay live across the timer's preemptions. */
  for (int i = 1; i <= 4000000; i++) {
    acc = acc * 0.999999 + step;
    s = s * 1.0000001 + sqrt((double)i) / (i + seed);
  }
  return s + acc[0] + acc[1] * 3 + acc[2] * 5 + acc[3] * 7;
}
static void *thread_work(void *seed) {
  static double results[4];
  results[(long)seed % 4] = work((int)(long)seed);
  return &results[(long)seed % 4];
}
/* Two threads in each of two processes: one guest address space, several FP states. */
static double run(int seed) {
  pthread_t t[2];
  double sum = 0;
  for (long i = 0; i < 2; i++)
    if (pthread_create(&t[i], NULL, thread_work, (void *)(seed + i)) != 0) return -1;
  for (int i = 0; i < 2; i++) {
    void *r;
    pthread_join(t[i], &r);
    sum += *(double *)r;
  }
  return sum + work(seed + 2);
}
int main(void) {
  int fd[2];
  if (pipe(fd) != 0) return 2;
  pid_t child = fork();
  if (child == 0) {
    double r = run(7);
    return write(fd[1], &r, sizeof r) == sizeof r ? 0 : 2;
  }
  double mine = run(3), theirs = 0;
  int status;
  if (read(fd[0], &theirs, sizeof theirs) != sizeof theirs || waitpid(child, &status, 0) < 0)
    return 2;
  printf("%.17g %.17g\n", mine, theirs);
  return 0;
}
EOF
march=-march=native
gcc -O2 -fno-math-errno $march -o "$tmp/fp" "$tmp/fp.c" -lm -pthread 2>/dev/null || {
  march=""
  gcc -O2 -fno-math-errno -o "$tmp/fp" "$tmp/fp.c" -lm -pthread 2>"$tmp/gcc.log" ||
    unavailable "the arithmetic check did not build: $(head -n 1 "$tmp/gcc.log")"
}
"$tmp/fp" >"$tmp/fp.host" || unavailable "the arithmetic check failed on the host"

image=$tmp/self.img
mkfs.fat -C -F 16 -n RIGCHECK "$image" 16384 >/dev/null 2>&1 || unavailable "mkfs.fat failed"
"$runner" -q -t 120 "$image" -c "
  set -e
  printf 'short\n' >\"\$BW_UML_MOUNT/1BLANKWR.~BW\"
  printf 'long\n' >\"\$BW_UML_MOUNT/A long name of the rig.txt\"
  '$tmp/fp' >'$tmp/fp.guest'
" >"$tmp/out" 2>"$tmp/err"
status=$?
if [ $status -ne 0 ]; then
  reason=$(grep -m 1 '^uml-run: [^ ]' "$tmp/err" | sed 's/^uml-run: //')
  detail=$(grep -m 1 '^uml-run:   ' "$tmp/err" | sed 's/^uml-run: *//')
  reason+=${detail:+: $detail}
  [ -n "$reason" ] || reason="the guest command failed with status $status: $(head -n 1 "$tmp/err")"
  unavailable "$reason"
fi

# The root folder's entries, read from the image by the host.
python3 - "$image" >"$tmp/entries" <<'EOF' || unavailable "cannot read the root folder of the image"
import struct, sys
data = open(sys.argv[1], "rb").read()
bps, spc, reserved, fats, roots = struct.unpack_from("<HBHBH", data, 11)
fatsz = struct.unpack_from("<H", data, 22)[0]
start = (reserved + fats * fatsz) * bps
for i in range(roots):
    e = data[start + 32 * i : start + 32 * i + 32]
    if e[0] == 0:
        break
    if e[0] == 0xE5:
        continue
    print("lfn" if e[11] == 0x0F else "sfn " + e[:11].decode("latin-1"))
EOF
expected=$'sfn RIGCHECK   \nsfn 1BLANKWR~BW\nlfn\nlfn\nsfn ALONGN~1TXT'
[ "$(cat "$tmp/entries")" = "$expected" ] ||
  unavailable "the directory entries the guest wrote are not those of the vfat driver: $(tr '\n' '|' <"$tmp/entries")"
fsck.fat -n "$image" >"$tmp/fsck" 2>&1 || unavailable "fsck.fat finds the image the guest wrote damaged"

cmp -s "$tmp/fp.host" "$tmp/fp.guest" ||
  unavailable "floating-point results differ in the guest: host $(cat "$tmp/fp.host"), guest $(cat "$tmp/fp.guest" 2>/dev/null)"
finish ok
