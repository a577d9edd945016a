/* ptrace-pad: an LD_PRELOAD library for linux.uml on hosts whose XSAVE area is larger than the
 * buffer User-Mode Linux keeps per guest task (AMX raises it from 2696 to 11008 bytes).
 *
 * UML saves a guest task's FP state with PTRACE_GETREGSET(NT_X86_XSTATE) and restores it with
 * PTRACE_SETREGSET through a fixed-size buffer. The host kernel truncates a short GET but
 * refuses a short SET with EFAULT, and the guest panics at its first user process. Here a GET
 * reads the whole area into a copy kept per UML buffer (one per guest task), hands UML the
 * prefix it asked for, and a SET lays UML's prefix over that copy and writes back the whole
 * area. The state past the prefix (the AMX tiles) is thus carried through unchanged; writing a
 * fresh copy of some other moment's state instead corrupts guest floating-point results.
 *
 * When the area fits UML's buffer, every call passes through untouched, so the library is
 * harmless on hosts without AMX. Built by scripts/uml-run at first use.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <elf.h>
#include <errno.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/types.h>
#include <sys/uio.h>

#ifndef NT_X86_XSTATE
#define NT_X86_XSTATE 0x202
#endif

/* Larger than any XSAVE area a CPU has today (AMX: 11008); the kernel says the true size. */
#define PAD_PROBE_SIZE (64 * 1024)
#define PAD_MAX_TASKS 4096

typedef long (*ptrace_fn)(int, pid_t, void*, void*);

/* The tests link a fake kernel in place of libc's ptrace by defining PAD_REAL_PTRACE. */
#ifdef PAD_REAL_PTRACE
long PAD_REAL_PTRACE(int request, pid_t pid, void* addr, void* data);
static ptrace_fn real_ptrace(void) {
  return PAD_REAL_PTRACE;
}
#else
static ptrace_fn real_ptrace(void) {
  static ptrace_fn fn;
  if (!fn)
    fn = (ptrace_fn)dlsym(RTLD_NEXT, "ptrace");
  return fn;
}
#endif

struct pad_copy {
  const void* key; /* UML's buffer for one guest task */
  size_t size;     /* bytes valid in area */
  unsigned char* area;
};

static pthread_mutex_t pad_lock = PTHREAD_MUTEX_INITIALIZER;
static struct pad_copy pad_copies[PAD_MAX_TASKS];
static size_t pad_count;
/* The kernel's size of the area, learned at the first GET; 0 until then. */
static size_t pad_full_size;

/* The kept copy for KEY, made (empty) if there is none. NULL when the table is full. */
static struct pad_copy* pad_copy_for(const void* key, int create) {
  for (size_t i = 0; i < pad_count; i++)
    if (pad_copies[i].key == key)
      return &pad_copies[i];
  if (!create || pad_count == PAD_MAX_TASKS)
    return NULL;
  unsigned char* area = malloc(PAD_PROBE_SIZE);
  if (!area)
    return NULL;
  struct pad_copy* copy = &pad_copies[pad_count++];
  copy->key = key;
  copy->size = 0;
  copy->area = area;
  return copy;
}

/* Reads PID's whole XSAVE area into COPY; the kernel's answer otherwise. */
static long pad_read_full(pid_t pid, struct pad_copy* copy) {
  struct iovec full = {copy->area, PAD_PROBE_SIZE};
  long result = real_ptrace()(PTRACE_GETREGSET, pid, (void*)(uintptr_t)NT_X86_XSTATE, &full);
  if (result == 0) {
    copy->size = full.iov_len;
    pad_full_size = full.iov_len;
  }
  return result;
}

static long pad_get(pid_t pid, void* addr, struct iovec* iov) {
  pthread_mutex_lock(&pad_lock);
  struct pad_copy* copy = pad_copy_for(iov->iov_base, 1);
  long result;
  if (!copy) {
    pthread_mutex_unlock(&pad_lock);
    return real_ptrace()(PTRACE_GETREGSET, pid, addr, iov);
  }
  result = pad_read_full(pid, copy);
  if (result == 0) {
    size_t n = copy->size < iov->iov_len ? copy->size : iov->iov_len;
    memcpy(iov->iov_base, copy->area, n);
    iov->iov_len = n;
  }
  pthread_mutex_unlock(&pad_lock);
  return result;
}

static long pad_set(pid_t pid, void* addr, struct iovec* iov) {
  pthread_mutex_lock(&pad_lock);
  struct pad_copy* copy = pad_copy_for(iov->iov_base, 0);
  if (!copy) {
    /* A task UML never read (a fresh one): start from its live state. */
    copy = pad_copy_for(iov->iov_base, 1);
    if (copy && pad_read_full(pid, copy) != 0)
      copy = NULL;
  }
  if (!copy || copy->size <= iov->iov_len) {
    pthread_mutex_unlock(&pad_lock);
    return real_ptrace()(PTRACE_SETREGSET, pid, addr, iov);
  }
  size_t asked = iov->iov_len;
  memcpy(copy->area, iov->iov_base, asked);
  struct iovec full = {copy->area, copy->size};
  long result = real_ptrace()(PTRACE_SETREGSET, pid, addr, &full);
  if (result == 0)
    iov->iov_len = asked;
  pthread_mutex_unlock(&pad_lock);
  return result;
}

long ptrace(enum __ptrace_request request, ...) {
  va_list args;
  va_start(args, request);
  pid_t pid = va_arg(args, pid_t);
  void* addr = va_arg(args, void*);
  void* data = va_arg(args, void*);
  va_end(args);

  if ((request == PTRACE_GETREGSET || request == PTRACE_SETREGSET) &&
      (uintptr_t)addr == NT_X86_XSTATE && data != NULL) {
    struct iovec* iov = data;
    /* Once the area is known to fit UML's buffer, there is nothing to pad. */
    if (pad_full_size == 0 || pad_full_size > iov->iov_len)
      return request == PTRACE_GETREGSET ? pad_get(pid, addr, iov) : pad_set(pid, addr, iov);
  }
  return real_ptrace()(request, pid, addr, data);
}
