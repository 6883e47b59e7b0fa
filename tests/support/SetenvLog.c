// Loaded with LD_PRELOAD into a program under test: appends each variable the program sets through
// setenv, as a NAME=VALUE line, to the file named by KESTOR_SETENV_LOG, then sets it as asked. A
// process's own changes to its environment are otherwise visible to no other process.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef int (*SetenvFunction)(const char *, const char *, int);

static int writeAll(int fd, const char *text) {
  size_t left = strlen(text);
  while (left > 0) {
    const ssize_t written = write(fd, text, left);
    if (written <= 0) return -1;
    text += written;
    left -= (size_t)written;
  }
  return 0;
}

int setenv(const char *name, const char *value, int overwrite) {
  const char *log = getenv("KESTOR_SETENV_LOG");
  if (log) {
    const int fd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) {
      if (writeAll(fd, name) == 0 && writeAll(fd, "=") == 0 && writeAll(fd, value) == 0) writeAll(fd, "\n");
      close(fd);
    }
  }
  const SetenvFunction next = (SetenvFunction)dlsym(RTLD_NEXT, "setenv");
  return next ? next(name, value, overwrite) : -1;
}
