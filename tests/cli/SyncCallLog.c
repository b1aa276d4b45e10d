/* A library for LD_PRELOAD in tests: it passes fsync, fdatasync and rename on to the C library
 * and appends one line per call that succeeded to the file named by QF_SYNC_LOG ("fsync
 * <path>", "fdatasync <path>", "rename <from> <to>"), so that a test can see in which order a
 * program makes its files durable and puts them in place. With QF_SIGNAL_AFTER_RENAME set to a
 * signal number, the process sends itself that signal right after every rename that succeeded:
 * a signal that comes once a file is in place. With QF_PAUSE_BEFORE_RENAME set to a number of
 * milliseconds, every rename waits that long first: a file complete but not yet in place stays
 * so for a while. Used by nothing but the tests. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void LogLine(const char* call, const char* first, const char* second) {
  const char* log = getenv("QF_SYNC_LOG");
  if (log == NULL) return;
  char line[2 * PATH_MAX + 32];
  const int length = snprintf(line, sizeof line, "%s %s%s%s\n", call, first,
                              second != NULL ? " " : "", second != NULL ? second : "");
  if (length <= 0 || (size_t)length >= sizeof line) return;
  const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (write(fd, line, (size_t)length) < 0) {
    /* a log line lost shows up as a failed expectation */
  }
  close(fd);
}

static void PathOf(int fd, char* path, size_t size) {
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, path, size - 1);
  path[length < 0 ? 0 : length] = '\0';
}

static void LogDescriptorCall(const char* call, int fd) {
  char path[PATH_MAX];
  PathOf(fd, path, sizeof path);
  LogLine(call, path, NULL);
}

/* The C library's own function `name` (the cast of dlsym's object pointer, done as POSIX
 * describes it). */
static void Next(const char* name, void* function, size_t size) {
  void* symbol = dlsym(RTLD_NEXT, name);
  memcpy(function, &symbol, size);
}

int fsync(int fd) {
  int (*real)(int);
  Next("fsync", &real, sizeof real);
  const int result = real(fd);
  if (result == 0) LogDescriptorCall("fsync", fd);
  return result;
}

int fdatasync(int fd) {
  int (*real)(int);
  Next("fdatasync", &real, sizeof real);
  const int result = real(fd);
  if (result == 0) LogDescriptorCall("fdatasync", fd);
  return result;
}

int rename(const char* from, const char* to) {
  int (*real)(const char*, const char*);
  Next("rename", &real, sizeof real);
  const char* pause = getenv("QF_PAUSE_BEFORE_RENAME");
  if (pause != NULL) usleep((useconds_t)atoi(pause) * 1000);
  const int result = real(from, to);
  if (result == 0) {
    LogLine("rename", from, to);
    const char* signal_number = getenv("QF_SIGNAL_AFTER_RENAME");
    if (signal_number != NULL) kill(getpid(), atoi(signal_number));
  }
  return result;
}
