/* The ptrace library against this host's kernel: a stopped child's FP state is read and
 * written through UML's 2696-byte buffer, as linux.uml does, and read back whole with the raw
 * system call. Where the XSAVE area is larger (AMX) this takes the padding path; elsewhere the
 * pass-through. */
#include "scripts/uml/ptrace-pad.c"

#include <signal.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

enum { kUmlBuffer = 2696, kXmm0 = 160 };

static long raw_get(pid_t pid, unsigned char* area, size_t* size) {
  struct iovec iov = {area, PAD_PROBE_SIZE};
  long result = syscall(SYS_ptrace, PTRACE_GETREGSET, pid, (void*)NT_X86_XSTATE, &iov);
  *size = iov.iov_len;
  return result;
}

int main(void) {
  pid_t child = fork();
  if (child == 0) {
    ptrace(PTRACE_TRACEME, 0, NULL, NULL);
    raise(SIGSTOP);
    _exit(0);
  }
  int status;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFSTOPPED(status)) {
    fprintf(stderr, "FAIL: the child did not stop under ptrace\n");
    return 1;
  }

  static unsigned char before[PAD_PROBE_SIZE], after[PAD_PROBE_SIZE], buffer[kUmlBuffer];
  size_t full = 0, again = 0;
  int failures = 0;
  if (raw_get(child, before, &full) != 0) {
    perror("FAIL: the kernel's own GETREGSET");
    failures++;
  }
  struct iovec iov = {buffer, sizeof buffer};
  if (ptrace(PTRACE_GETREGSET, child, (void*)NT_X86_XSTATE, &iov) != 0 ||
      iov.iov_len != (full < kUmlBuffer ? full : kUmlBuffer)) {
    perror("FAIL: GETREGSET through UML's buffer");
    failures++;
  }
  memset(buffer + kXmm0, 0x5a, 16);
  iov.iov_len = full < kUmlBuffer ? full : kUmlBuffer;
  if (ptrace(PTRACE_SETREGSET, child, (void*)NT_X86_XSTATE, &iov) != 0) {
    perror("FAIL: SETREGSET through UML's buffer");
    failures++;
  }
  if (raw_get(child, after, &again) != 0 || again != full) {
    fprintf(stderr, "FAIL: the area reads back with %zu bytes, not %zu\n", again, full);
    failures++;
  } else {
    for (int i = 0; i < 16; i++)
      if (after[kXmm0 + i] != 0x5a) {
        fprintf(stderr, "FAIL: xmm0 did not reach the child\n");
        failures++;
        break;
      }
    if (full > kUmlBuffer && memcmp(before + kUmlBuffer, after + kUmlBuffer, full - kUmlBuffer)) {
      fprintf(stderr, "FAIL: the state past UML's buffer changed\n");
      failures++;
    }
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  printf("XSAVE area %zu bytes: %s; %s\n", full, full > kUmlBuffer ? "padded" : "passed through",
         failures ? "some checks failed" : "all checks passed");
  return failures != 0;
}
