/* The ptrace library against a fake kernel that behaves as Linux does for NT_X86_XSTATE: a GET
 * truncates to the caller's buffer, a SET wants the whole area or fails with EFAULT. Runs the
 * padding on any CPU, and the pass-through when the area fits. */
#define PAD_REAL_PTRACE fake_ptrace
#include "scripts/uml/ptrace-pad.c"

#include <stdio.h>

enum { kUmlBuffer = 2696, kAmxArea = 11008, kTasks = 3 };

static size_t fake_size;                           /* the kernel's XSAVE area size */
static unsigned char fake_state[kTasks][kAmxArea]; /* the live area of each traced pid */
static struct iovec* fake_last_iov;                /* what the last call was handed */
static void* fake_last_data;
static int failures;

long fake_ptrace(int request, pid_t pid, void* addr, void* data) {
  fake_last_data = data;
  if (request != PTRACE_GETREGSET && request != PTRACE_SETREGSET)
    return 42;
  struct iovec* iov = data;
  fake_last_iov = iov;
  if (pid <= 0 || pid >= kTasks) {
    errno = ESRCH;
    return -1;
  }
  if ((uintptr_t)addr != NT_X86_XSTATE)
    return 0;
  if (request == PTRACE_GETREGSET) {
    size_t n = iov->iov_len < fake_size ? iov->iov_len : fake_size;
    memcpy(iov->iov_base, fake_state[pid], n);
    iov->iov_len = n;
    return 0;
  }
  if (iov->iov_len != fake_size) {
    errno = EFAULT;
    return -1;
  }
  memcpy(fake_state[pid], iov->iov_base, fake_size);
  return 0;
}

#define CHECK(what, cond)                                                                          \
  do {                                                                                             \
    if (!(cond)) {                                                                                 \
      fprintf(stderr, "FAIL: %s (%s, line %d)\n", what, #cond, __LINE__);                          \
      failures++;                                                                                  \
    }                                                                                              \
  } while (0)

/* A new host: nothing learned, nothing kept; every task's area filled with its own bytes. */
static void boot(size_t size) {
  for (size_t i = 0; i < pad_count; i++)
    free(pad_copies[i].area);
  pad_count = 0;
  pad_full_size = 0;
  fake_size = size;
  for (int t = 0; t < kTasks; t++)
    memset(fake_state[t], 0x10 * t, sizeof fake_state[t]);
}

static long get(pid_t pid, unsigned char* buffer, struct iovec* iov) {
  iov->iov_base = buffer;
  iov->iov_len = kUmlBuffer;
  return ptrace(PTRACE_GETREGSET, pid, (void*)(uintptr_t)NT_X86_XSTATE, iov);
}

static long set(pid_t pid, unsigned char* buffer, struct iovec* iov) {
  iov->iov_base = buffer;
  iov->iov_len = kUmlBuffer;
  return ptrace(PTRACE_SETREGSET, pid, (void*)(uintptr_t)NT_X86_XSTATE, iov);
}

static int all(const unsigned char* p, size_t n, unsigned char value) {
  for (size_t i = 0; i < n; i++)
    if (p[i] != value)
      return 0;
  return 1;
}

static void area_fits_the_buffer(void) {
  static unsigned char buffer[kUmlBuffer];
  struct iovec iov;
  boot(2696);
  CHECK("a fitting GET succeeds", get(1, buffer, &iov) == 0 && iov.iov_len == 2696);
  CHECK("it reads the task's state", all(buffer, 2696, 0x10));
  buffer[0] = 0x77;
  CHECK("a fitting SET succeeds", set(1, buffer, &iov) == 0);
  CHECK("the SET passed through with UML's own iovec", fake_last_iov == &iov);
  CHECK("the SET reached the task", fake_state[1][0] == 0x77);
  CHECK("later GETs pass through too", get(2, buffer, &iov) == 0 && fake_last_iov == &iov);
}

static void area_larger_than_the_buffer(void) {
  static unsigned char a[kUmlBuffer], b[kUmlBuffer];
  struct iovec iov;
  boot(kAmxArea);
  CHECK("GET of task A", get(1, a, &iov) == 0 && iov.iov_len == kUmlBuffer);
  CHECK("UML gets the prefix of A", all(a, kUmlBuffer, 0x10));
  /* Task B runs in the same host process (one address space, two guest threads). */
  CHECK("GET of task B", get(1, b, &iov) == 0);
  memset(fake_state[1], 0x55, kAmxArea);
  a[100] = 0x99;
  CHECK("a short SET of A succeeds", set(1, a, &iov) == 0);
  CHECK("UML's iovec keeps its length", iov.iov_len == kUmlBuffer);
  CHECK("the whole area was written", fake_last_iov != &iov);
  CHECK("A's prefix reached the kernel", fake_state[1][100] == 0x99 && fake_state[1][0] == 0x10);
  CHECK("A's own tail came back, not the live one",
        all(fake_state[1] + kUmlBuffer, kAmxArea - kUmlBuffer, 0x10));
}

static void set_without_get(void) {
  static unsigned char fresh[kUmlBuffer];
  struct iovec iov;
  boot(kAmxArea);
  CHECK("a GET elsewhere teaches the size", get(2, (unsigned char[kUmlBuffer]){0}, &iov) == 0);
  memset(fresh, 0x66, sizeof fresh);
  CHECK("a SET of a buffer never read succeeds", set(1, fresh, &iov) == 0);
  CHECK("its prefix reached the kernel", all(fake_state[1], kUmlBuffer, 0x66));
  CHECK("the tail is the task's live one",
        all(fake_state[1] + kUmlBuffer, kAmxArea - kUmlBuffer, 0x10));
}

static void errors_and_other_requests(void) {
  static unsigned char buffer[kUmlBuffer];
  struct iovec iov;
  boot(kAmxArea);
  errno = 0;
  CHECK("a GET of a gone task fails", get(7, buffer, &iov) == -1 && errno == ESRCH);
  CHECK("its iovec is left alone", iov.iov_len == kUmlBuffer);
  errno = 0;
  CHECK("a SET of a gone task fails", set(7, buffer, &iov) == -1 && errno == ESRCH);
  int word = 5;
  CHECK("other requests pass through",
        ptrace(PTRACE_PEEKUSER, 1, (void*)8, &word) == 42 && fake_last_data == &word);
  struct iovec gp = {buffer, 16};
  CHECK("other register sets pass through",
        ptrace(PTRACE_GETREGSET, 1, (void*)(uintptr_t)NT_PRSTATUS, &gp) == 0 &&
            fake_last_iov == &gp && gp.iov_len == 16);
}

int main(void) {
  area_fits_the_buffer();
  area_larger_than_the_buffer();
  set_without_get();
  errors_and_other_requests();
  printf("%s\n", failures ? "some checks failed" : "all checks passed");
  return failures != 0;
}
