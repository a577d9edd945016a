#!/usr/bin/env bash
# The rig's self-test must say "unavailable" with a reason, never "ok", when the rig is broken:
#   - linux.uml missing;
#   - a ptrace library that loses the upper halves of the vector registers at every read of a
#     guest task's FP state (on an AMX host it also leaves the area unpadded, and the guest
#     does not boot at all);
#   - on an AMX host, the real library with the same fault: the guest boots, and the
#     arithmetic check finds the difference.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
selftest=$here/../RigSelfTest.sh
tmp=$(mktemp -d /tmp/bw-rigrefuses.XXXXXX) || exit 2
trap 'rm -rf -- "$tmp"' EXIT
failures=0

# expect_unavailable WHAT PATTERN [NAME=VALUE...]: the self-test run with those variables.
expect_unavailable() {
  local what=$1 pattern=$2
  shift 2
  env "$@" BW_UML_CACHE="$tmp/cache" bash "$selftest" "$tmp/status" >"$tmp/out" 2>&1
  local status=$?
  if [ $status -eq 0 ] || ! grep -q "^unavailable: .*$pattern" "$tmp/status"; then
    echo "FAIL: $what: status $status, verdict '$(cat "$tmp/status" 2>/dev/null)'" >&2
    failures=$((failures + 1))
  else
    echo "$what: $(cat "$tmp/status")"
  fi
}

expect_unavailable "no linux.uml" "linux.uml not found" BW_UML_KERNEL=/nonexistent/linux.uml

cat >"$tmp/broken.c" <<'CODE'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <stdint.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/uio.h>
long ptrace(enum __ptrace_request request, ...) {
  va_list args;
  va_start(args, request);
  pid_t pid = va_arg(args, pid_t);
  void *addr = va_arg(args, void *);
  void *data = va_arg(args, void *);
  va_end(args);
  long (*real)(int, pid_t, void *, void *) = dlsym(RTLD_NEXT, "ptrace");
  long result = real(request, pid, addr, data);
  struct iovec *iov = data;
  if (result == 0 && request == PTRACE_GETREGSET && (uintptr_t)addr == 0x202 && iov->iov_len >= 832)
    memset((char *)iov->iov_base + 576, 0, 256);
  return result;
}
CODE
expect_unavailable "a ptrace library that corrupts the FP state" "" BW_UML_PAD_SOURCE="$tmp/broken.c"

# Where the library pads (AMX), the same fault inside it must be caught by the arithmetic.
if grep -qw amx_tile /proc/cpuinfo; then
  sed 's|^\( *\)memcpy(iov->iov_base, copy->area, n);|&\n\1if (n >= 832) memset((char *)iov->iov_base + 576, 0, 256);|' \
    "$here/../../../scripts/uml/ptrace-pad.c" >"$tmp/padded-broken.c"
  grep -q 'memset((char' "$tmp/padded-broken.c" || {
    echo "FAIL: the library's GET no longer has the line this test breaks" >&2
    failures=$((failures + 1))
  }
  expect_unavailable "the padding library losing vector state" "floating-point results differ" \
    BW_UML_PAD_SOURCE="$tmp/padded-broken.c"
fi

[ $failures -eq 0 ] && echo "all checks passed"
exit $((failures != 0))
