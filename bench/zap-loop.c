/* The zap's writes with nothing else around them: FILE is overwritten in place with 32 KiB
 * writes of 0xFF past the cache, synced every 70 writes and at the end, then deleted. The
 * baseline for bench/zap-bench.sh: the same bytes with the same syncs as one zap pass.
 *
 *   zap-loop FILE */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kWrite = 32768, kSyncEvery = 70 };

int main(int argc, char** argv) {
  if (argc != 2) {
    fputs("usage: zap-loop FILE\n", stderr);
    return 2;
  }
  void* buffer;
  if (posix_memalign(&buffer, 4096, kWrite) != 0)
    return 1;
  memset(buffer, 0xFF, kWrite);
  int fd = open(argv[1], O_WRONLY | O_DIRECT);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) {
    perror(argv[1]);
    return 1;
  }
  long writes = 0;
  for (off_t at = 0; at < st.st_size; at += kWrite) {
    if (pwrite(fd, buffer, kWrite, at) != kWrite) {
      perror("pwrite");
      return 1;
    }
    if (++writes % kSyncEvery == 0 && fdatasync(fd) != 0) {
      perror("fdatasync");
      return 1;
    }
  }
  if (fdatasync(fd) != 0 || close(fd) != 0 || unlink(argv[1]) != 0) {
    perror(argv[1]);
    return 1;
  }
  free(buffer);
  return 0;
}
